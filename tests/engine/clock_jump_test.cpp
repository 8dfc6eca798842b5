// A clock step during a bell's lead-in: the output never stays on without a sound to end it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "engine/texts.h"
#include "engine_rig.h"

namespace tollvane {
namespace {

using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr int kSecondMs = 1000;
constexpr int kMinuteMs = 60 * kSecondMs;

struct JumpCase {
  const char* what;
  std::optional<int> forcedRingAtMs;  // after 8:29:50, the operator's 「強　制」 OK
  int jumpAtMs;                       // after 8:30:00, during the 8:30 bell's lead-in
  int jumpMs;
  std::vector<std::string> board;
  int plays;
  std::vector<std::string> bellEnds;
};

class ClockJump : public ::testing::TestWithParam<JumpCase> {
 protected:
  testing::KindRecorder bellEnds{text::record::kBellEnd};
  testing::EngineRig rig{nullptr, &bellEnds};
};

TEST_P(ClockJump, TheLeadInEndsWithItsSoundOrWithTheOutputOff) {
  const JumpCase& c = GetParam();
  rig.data.weekSchedule.at(kCommonTimetable, 1) = {8, 30, 1};  // chime.wav, 12 s
  rig.clock.startAt(2027, 1, 4, 8, 29, 50, 300);               // a Monday
  rig.loop.start();
  if (c.forcedRingAtMs) {
    rig.loop.runFor(*c.forcedRingAtMs - 300);
    rig.prompts.answers = {Answer::Ok};
    rig.engine.Button1Click();
  }
  rig.loop.runUntil(8, 30, 0, c.jumpAtMs);
  rig.clock.jumpMs += c.jumpMs;
  rig.loop.runFor(2 * kMinuteMs);

  EXPECT_THAT(rig.board.events, ElementsAreArray(c.board));
  EXPECT_EQ(std::count(rig.player.calls.begin(), rig.player.calls.end(), "play chime.wav"),
            c.plays);
  EXPECT_THAT(bellEnds.lines, ElementsAreArray(c.bellEnds));
  EXPECT_FALSE(rig.view.checkBox1);
  EXPECT_FALSE(rig.view.button3Visible);
  EXPECT_THAT(rig.loop.errors, IsEmpty());
}

const std::vector<std::string> kRung = {"on", "off"};
INSTANTIATE_TEST_SUITE_P(
    Steps, ClockJump,
    ::testing::Values(
        JumpCase{
            "Forward20sAt2", {}, 2500, 20 * kSecondMs, kRung, 0, {text::line::kOffClockForward}},
        JumpCase{
            "Forward1hAt3", {}, 3500, 60 * kMinuteMs, kRung, 0, {text::line::kOffClockForward}},
        // The clock passes 8:30 again and the bell rings then, whole.
        JumpCase{"Back30sAt2",
                 {},
                 2500,
                 -30 * kSecondMs,
                 {"on", "off", "on", "off"},
                 1,
                 {text::line::kOffClockBack, text::line::kEndedByLength}},
        // Set back within the lead-in: the sound second is still to come.
        JumpCase{"Back2sAt3", {}, 3500, -2 * kSecondMs, kRung, 1, {text::line::kEndedByLength}},
        // As a tick 4 s late: still within the catch-up, so the sound rings late.
        JumpCase{"Forward4sAt2", {}, 2500, 4 * kSecondMs, kRung, 1, {text::line::kEndedByLength}},
        // A forced ring's sound plays (from 8:30:03) or is on its way (at 8:30:04): its end
        // switches the output off.
        JumpCase{"ForwardWhileAForcedSoundPlays",
                 8000,
                 4500,
                 20 * kSecondMs,
                 {"on", "on", "off"},
                 1,
                 {text::line::kEndedByLength}},
        JumpCase{"ForwardBeforeAForcedSound",
                 9000,
                 2500,
                 20 * kSecondMs,
                 {"on", "on", "off"},
                 1,
                 {text::line::kEndedByLength}}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace tollvane

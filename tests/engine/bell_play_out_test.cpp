// The end of a bell while the sound server still plays out the chime's tail.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/bell_engine.h"
#include "support/fakes.h"

namespace tollvane::testing {
namespace {

constexpr int kChimeMs = 3000;
constexpr int kPlayOutBoundMs = 5000;

// A player whose sound is still being heard after its nominal length until finish().
class PlayingOutPlayer : public FakePlayer {
 public:
  bool playingOut() const override { return playing; }
};

enum class Step { kTimer1, kEnd, kButton3, kButton1 };

struct PlayOutCase {
  const char* what;
  std::vector<Step> steps;
  // Board events after output-on, and Timer1's state, after the last step.
  std::vector<std::string> board;
  bool timer1Enabled;
  int timer1Interval;
  bool stillSounding;
};

class PlayOutRig : public ::testing::Test {
 protected:
  PlayOutRig() {
    data.soundTable[1] = "chime.wav";
    player.lengths = {{"chime.wav", kChimeMs}};
  }
  void run(Step step) {
    switch (step) {
      case Step::kTimer1:
        ASSERT_TRUE(timer1.armed()) << "Timer1 fired while not running";
        engine.Timer1Timer();
        break;
      case Step::kEnd:
        player.finish();
        break;
      case Step::kButton3:
        engine.Button3Click();
        break;
      case Step::kButton1:
        engine.Button1Click();
        break;
    }
  }

  ProgramData data;
  FakeClock clock;
  RecordingBoard board;
  PlayingOutPlayer player;
  FakeTimer timer1, timer2;
  ScriptedPrompts prompts;
  RecordingView view;
  MapPageTexts pages;
  BellEngine engine{{data, clock, board, player, timer1, timer2, prompts, view, pages}};
};

class BellPlayOut : public PlayOutRig, public ::testing::WithParamInterface<PlayOutCase> {};

TEST_P(BellPlayOut, TheBellEndsWhenTheChimeHasBeenHeard) {
  data.currentClock.hour = 8;  // not the silent 00:00
  engine.BoardOutputOn();
  engine.PlayBellSound(1);
  board.events.clear();
  ASSERT_EQ(timer1.interval(), kChimeMs);
  for (Step step : GetParam().steps)
    run(step);
  EXPECT_EQ(board.events, GetParam().board);
  EXPECT_EQ(timer1.enabled(), GetParam().timer1Enabled);
  EXPECT_EQ(timer1.interval(), GetParam().timer1Interval);
  EXPECT_EQ(player.playing, GetParam().stillSounding);
}

using S = Step;
INSTANTIATE_TEST_SUITE_P(
    Sequences, BellPlayOut,
    ::testing::Values(
        PlayOutCase{"Timer1WaitsForTheTail", {S::kTimer1}, {}, true, kPlayOutBoundMs, true},
        PlayOutCase{
            "TheEndReportEndsIt", {S::kTimer1, S::kEnd}, {"off"}, false, kPlayOutBoundMs, false},
        PlayOutCase{"TheBoundEndsAMissingReport",
                    {S::kTimer1, S::kTimer1},
                    {"off"},
                    false,
                    kPlayOutBoundMs,
                    false},
        PlayOutCase{"AnEndBeforeTimer1LeavesItToTimer1", {S::kEnd}, {}, true, kChimeMs, false},
        PlayOutCase{"ThenTimer1EndsAtOnce", {S::kEnd, S::kTimer1}, {"off"}, false, kChimeMs, false},
        PlayOutCase{"Button3StopsTheTailAtOnce",
                    {S::kTimer1, S::kButton3},
                    {"off"},
                    false,
                    kPlayOutBoundMs,
                    false},
        PlayOutCase{"ALateReportAfterAStopDoesNothing",
                    {S::kTimer1, S::kButton3, S::kEnd},
                    {"off"},
                    false,
                    kPlayOutBoundMs,
                    false}),
    [](const auto& info) { return std::string(info.param.what); });

// A forced stop during the tail is immediate too; its Timer1 then finds nothing playing.
TEST_F(PlayOutRig, AForcedStopDuringTheTailIsImmediate) {
  view.button1 = text::kForceStop;
  data.currentClock.hour = 8;  // not the silent 00:00
  engine.BoardOutputOn();
  engine.PlayBellSound(1);
  board.events.clear();
  run(Step::kTimer1);
  run(Step::kButton1);
  EXPECT_EQ(board.events, std::vector<std::string>{"off"});
  EXPECT_FALSE(player.playing);
  run(Step::kTimer1);
  EXPECT_FALSE(timer1.enabled());
}

// A forced ring stopped during the tail, then a forced ring within the 5 s bound: the second
// one goes exactly as a first forced ring does, whatever becomes of the first one's Timer1.
TEST_F(PlayOutRig, AForcedRingSoonAfterAForcedStopInTheTailRingsWhole) {
  data.currentClock.hour = 8;  // not the silent 00:00
  auto forcedRing = [this] {
    prompts.answers = {Answer::Ok};
    engine.Button1Click();
    ASSERT_EQ(view.button1, text::kForceStop);
    ASSERT_TRUE(timer2.enabled());
  };
  forcedRing();
  engine.Timer2Timer();
  run(Step::kTimer1);   // the nominal length: now waiting for the tail
  run(Step::kButton1);  // forced stop
  board.events.clear();
  player.calls.clear();

  forcedRing();  // within the bound
  if (timer1.armed()) {
    engine.Timer1Timer();  // the old bell's Timer1, if it still runs
  }
  EXPECT_EQ(view.button1, text::kForceStop);
  EXPECT_TRUE(view.checkBox1);
  EXPECT_EQ(board.events, std::vector<std::string>{"on"});
  EXPECT_FALSE(timer1.enabled());
  engine.Timer2Timer();
  EXPECT_EQ(player.calls, (std::vector<std::string>{"open chime.wav", "play chime.wav"}));
  EXPECT_TRUE(timer1.enabled());
  EXPECT_EQ(timer1.interval(), kChimeMs);
  EXPECT_EQ(data.soundPlaying, 1);
  EXPECT_EQ(board.events, std::vector<std::string>{"on"});  // the relay stays on for the sound
}

}  // namespace
}  // namespace tollvane::testing

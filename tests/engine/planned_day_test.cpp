// The tick on days an assignment decides: a plan's bells ring as the pages' do (output on at
// :00, the sound at :05), a swap rings the armed pages of another weekday, extras ring on top,
// a ノーチャイム day stays silent, and the record names where each bell came from.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "calendar/day_rule.h"
#include "engine/local_time.h"
#include "engine/texts.h"
#include "engine_rig.h"

namespace tollvane {
namespace {

using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// Output-on, sound and silenced lines, stamped with the simulated clock.
class StampedRecorder : public Recorder {
 public:
  explicit StampedRecorder(const testing::SimClock& clock) : clock_(clock) {}
  void record(std::string_view kind, std::string_view text) override {
    const std::string k(kind);
    if (k == text::record::kClock) {
      clockLines.emplace_back(text);
      return;
    }
    if (k != text::record::kOutputOn && k != text::record::kSound &&
        k != text::record::kSuppressed) {
      return;
    }
    const CurrentClock c = BreakDown(clock_.now().localSeconds);
    char time[16];
    std::snprintf(time, sizeof time, "%d:%02d:%02d ", c.hour, c.minute, c.second);
    // The sound's line is judged by its time; the player's calls say which file.
    lines.push_back(time + (k == text::record::kSound ? std::string("音") : std::string(text)));
  }
  std::vector<std::string> lines;
  std::vector<std::string> clockLines;

 private:
  const testing::SimClock& clock_;
};

SchoolCalendar Calendar() {
  SchoolCalendar calendar;
  calendar.nationalHolidays = true;
  calendar.plans.plans = {{"テスト日課", {{9, 50, 2}, {9, 0, 1}}}, {"ノーチャイム", {}}};
  calendar.assignments.planDays = {{{2027, 2, 15}, {2027, 2, 15}, "テスト日課"},
                                   {{2027, 2, 11}, {2027, 2, 11}, "テスト日課"},
                                   {{2027, 2, 16}, {2027, 2, 16}, "ノーチャイム"}};
  calendar.assignments.swaps = {{{2027, 3, 1}, 6}};
  calendar.assignments.extraBells = {{{2027, 3, 1}, {10, 35, 3}}};
  return calendar;
}

class PlannedDay : public ::testing::Test {
 protected:
  PlannedDay() {
    WeekSchedule& pages = rig.data.weekSchedule;
    pages.at(kCommonTimetable, 1) = {8, 30, 1};
    pages.at(2, 1) = {8, 45, 2};  // Monday
    pages.at(6, 1) = {9, 0, 3};   // Friday
    pages.at(6, 2) = {8, 30, 3};  // Friday, in the common page's minute
  }
  void RunDay(int year, int month, int day) {
    rig.clock.startAt(year, month, day, 0, 0, 1);
    rig.loop.start();
    rig.loop.runUntil(23, 59, 59);
  }
  std::vector<std::string> Plays() {
    std::vector<std::string> plays;
    for (const std::string& call : rig.player.calls) {
      if (call.rfind("play ", 0) == 0) {
        plays.push_back(call.substr(5));
      }
    }
    return plays;
  }

  SchoolCalendar calendar = Calendar();
  CalendarDayRule rule{calendar};
  testing::EngineRig rig{&rule, &recorder};
  StampedRecorder recorder{rig.clock};
};

TEST_F(PlannedDay, EachDayRingsWhatItsAnswerSays) {
  struct {
    CivilDate date;
    std::vector<std::string> lines;
    std::vector<std::string> plays;
  } const kCases[] = {
      // Monday with a plan: the plan's times, not Monday's pages.
      {{2027, 2, 15},
       {"9:00:00 テスト日課 2番目(9:00 音1)", "9:00:05 音", "9:50:00 テスト日課 1番目(9:50 音2)",
        "9:50:05 音"},
       {"chime.wav", "gong.mp3"}},
      // 建国記念の日 with the plan rings it.
      {{2027, 2, 11},
       {"9:00:00 テスト日課 2番目(9:00 音1)", "9:00:05 音", "9:50:00 テスト日課 1番目(9:50 音2)",
        "9:50:05 音"},
       {"chime.wav", "gong.mp3"}},
      // Monday running Friday's pages: one bell at 8:30 (Friday's, the last of the minute), and
      // the extra on top.
      {{2027, 3, 1},
       {"8:30:00 金曜日のチャイム 金曜 2番目(8:30 音3)", "8:30:05 音",
        "9:00:00 金曜日のチャイム 金曜 1番目(9:00 音3)", "9:00:05 音",
        "10:35:00 臨時 1番目(10:35 音3)", "10:35:05 音"},
       {"bell.wma", "bell.wma", "bell.wma"}},
      // A day without an assignment rings its pages as always.
      {{2027, 2, 22},
       {"8:30:00 朝・夕共通 1番目(8:30 音1)", "8:30:05 音", "8:45:00 月曜 1番目(8:45 音2)",
        "8:45:05 音"},
       {"chime.wav", "gong.mp3"}},
  };
  for (const auto& c : kCases) {
    recorder.lines.clear();
    rig.player.calls.clear();
    rig.board.events.clear();
    RunDay(c.date.year, c.date.month, c.date.day);
    EXPECT_THAT(recorder.lines, ElementsAreArray(c.lines)) << FormatDate(c.date);
    EXPECT_THAT(Plays(), ElementsAreArray(c.plays)) << FormatDate(c.date);
    // Each bell: output on, then off at the chime's end.
    std::vector<std::string> board;
    for (std::size_t i = 0; i < c.plays.size(); ++i) {
      board.insert(board.end(), {"on", "off"});
    }
    std::vector<std::string> onOff;
    for (const std::string& e : rig.board.events) {
      if (e == "on" || e == "off") {
        onOff.push_back(e);
      }
    }
    // The empty slots' 0:00 calls switch the output off at 00:00:05 whatever the day.
    ASSERT_FALSE(onOff.empty()) << FormatDate(c.date);
    EXPECT_EQ(onOff.front(), "off") << FormatDate(c.date);
    onOff.erase(onOff.begin(), std::find(onOff.begin(), onOff.end(), "on"));
    EXPECT_THAT(onOff, ElementsAreArray(board)) << FormatDate(c.date);
    EXPECT_THAT(rig.loop.errors, IsEmpty());
  }
}

TEST_F(PlannedDay, NoChimeDayStaysSilentAndSaysWhy) {
  RunDay(2027, 2, 16);  // a Tuesday: the common page would ring 8:30
  EXPECT_THAT(
      recorder.lines,
      ElementsAreArray({"8:30:00 朝・夕共通 1番目(8:30 音1)は鳴らしません(ノーチャイム)。"}));
  EXPECT_THAT(Plays(), IsEmpty());
  EXPECT_EQ(std::count(rig.board.events.begin(), rig.board.events.end(), "on"), 0);
}

TEST_F(PlannedDay, ChangesCountAtOnce) {
  rig.clock.startAt(2027, 2, 15, 9, 30, 0);
  rig.loop.start();
  rig.loop.runUntil(9, 40, 0);
  calendar.plans.plans[0].bells.push_back({9, 45, 1});
  calendar.assignments.extraBells.push_back({{2027, 2, 15}, {9, 50, 1}});
  rig.loop.runUntil(10, 0, 0);
  EXPECT_THAT(recorder.lines, ElementsAreArray({"9:45:00 テスト日課 3番目(9:45 音1)", "9:45:05 音",
                                                "9:50:00 臨時 1番目(9:50 音1)", "9:50:05 音"}));
}

TEST_F(PlannedDay, AClockJumpListsThePlansBellsItSkipped) {
  rig.clock.startAt(2027, 2, 15, 8, 20, 0);
  rig.loop.start();
  rig.loop.runUntil(8, 21, 0);
  rig.clock.jumpMs += 70 * 60 * 1000;  // to 9:31, over the pages' 8:30 and 8:45
  rig.loop.runFor(2000);
  ASSERT_EQ(recorder.clockLines.size(), 1u);
  const std::string& line = recorder.clockLines[0];
  EXPECT_NE(line.find("2/15 9:00 音1"), std::string::npos) << line;
  EXPECT_EQ(line.find("8:30"), std::string::npos) << line;
  EXPECT_EQ(line.find("8:45"), std::string::npos) << line;
}

TEST_F(PlannedDay, AClockSetForwardInAPlanBellsLeadInSwitchesTheOutputOff) {
  rig.clock.startAt(2027, 2, 15, 8, 59, 50);
  rig.loop.start();
  rig.loop.runUntil(9, 0, 2, 500);
  rig.clock.jumpMs += 20 * 1000;
  rig.loop.runFor(60 * 1000);
  EXPECT_THAT(rig.board.events, ElementsAreArray({"on", "off"}));
  EXPECT_THAT(Plays(), IsEmpty());
  EXPECT_FALSE(rig.view.checkBox1);
}

}  // namespace
}  // namespace tollvane

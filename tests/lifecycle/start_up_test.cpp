// What an unattended start tells, and what the preview and the next-bell line take.
#include <gtest/gtest.h>

#include "lifecycle/next_bell_line.h"
#include "lifecycle/start_up.h"
#include "support/fakes.h"

namespace tollvane {
namespace {

TEST(StartUp, ADamagedFileIsToldInABoxAndTheRecordAMissingOneNeedsNoNotice) {
  struct Case {
    AutosaveFileState before;
    std::string error;
    bool box;
    bool recorded;
  };
  const Case cases[] = {
      {AutosaveFileState::kPresent, "", false, false},
      {AutosaveFileState::kPresent, "3行目: 数字ではありません", true, true},
      {AutosaveFileState::kMissing, "no such file", false, false},
  };
  for (const Case& c : cases) {
    const StartNotice notice = NoticeAfterUnattendedStart(c.before, c.error, "dorrel.dat", 2);
    EXPECT_EQ(notice.box, c.box) << c.error;
    EXPECT_EQ(!notice.recordLine.empty(), c.recorded) << c.error;
    if (c.box) {
      // What was armed, and that the file is still there.
      EXPECT_NE(notice.boxText.find("チャイム2件で開始しました。"), std::string::npos);
      EXPECT_NE(notice.boxText.find("上書きせずに残してあります"), std::string::npos);
      EXPECT_NE(notice.recordLine.find(c.error), std::string::npos);
    }
  }
  EXPECT_EQ(DecideStart(true), StartWay::kReloadAndArm);
  EXPECT_EQ(DecideStart(false), StartWay::kOfferReload);
}

TEST(NextBellLine, ArmedTheArmedScheduleOtherwiseThePagesAsArmingWouldTakeThem) {
  WeekSchedule armed;
  ResetWeekSchedule(armed);
  armed.at(2, 1) = {8, 30, 1};
  testing::MapPageTexts pages;
  pages.texts["mo01ji"] = "9";
  pages.texts["mo02ji"] = "x";  // stops the rest of the page, as arming would
  pages.texts["mo03ji"] = "10";
  EXPECT_EQ(PreviewSchedule(true, armed, pages).at(2, 1).hour, 8);
  const WeekSchedule preview = PreviewSchedule(false, armed, pages);
  EXPECT_EQ(preview.at(2, 1).hour, 9);
  EXPECT_EQ(preview.at(2, 3).hour, 0);

  const HolidayList holidays{};
  const SchoolCalendar calendar{};
  CurrentClock monday{};
  monday.year = 2026;
  monday.month = 12;
  monday.day = 7;
  monday.weekday = 2;
  monday.hour = 8;
  const std::string line = NextBellLine(true, armed, holidays, calendar, monday, false);
  EXPECT_NE(line.find("8時30分"), std::string::npos) << line;
  EXPECT_EQ(NextBellLine(true, armed, holidays, calendar, monday, true), line + kClockNotSetNote);
  EXPECT_NE(NextBellLine(false, armed, holidays, calendar, monday, true).find("停止中です"),
            std::string::npos);
}

}  // namespace
}  // namespace tollvane

// The calendar's keys in the settings file and the imported-days file: round trip, hand edits
// that survive, stale keys that must not come back, and values that are reported and ignored.
#include "calendar/school_calendar.h"

#include <gtest/gtest.h>

#include "support/scratch_folder.h"

namespace tollvane {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

SchoolCalendar Sample() {
  SchoolCalendar calendar;
  calendar.nationalHolidays = true;
  calendar.closedPeriods = {{{2026, 7, 20}, {2026, 8, 31}, "夏休み"},
                            {{2026, 12, 25}, {2027, 1, 7}, "冬休み"},
                            {{2027, 3, 25}, {2027, 4, 5}, ""}};
  calendar.openDays = {{{2026, 11, 3}, "文化祭"}, {{2026, 9, 21}, "授業参観 午後"}};
  calendar.importedDays = {{{2026, 6, 1}, "開校記念日"}, {{2026, 10, 2}, "県民の日"}};
  return calendar;
}

TEST(SchoolCalendarFile, RoundTripKeepsOtherSectionsAndComments) {
  ScratchFolder folder;
  const std::string ini = folder.file("tollvane.INI");
  const std::string handEdited =
      "; bells of Kita school\r\n[SOUND]\r\nItem1=chime.mp3\r\n[HOLIDAY]\r\nDay1= 5/ 3\r\n";
  Write(ini, handEdited);
  const SchoolCalendar calendar = Sample();
  ASSERT_TRUE(WriteCalendarSettings(ini, calendar));
  ASSERT_TRUE(WriteImportedDays(ini, calendar.importedDays));

  const std::string bytes = ReadBytes(ini);
  EXPECT_EQ(bytes.substr(0, handEdited.size()), handEdited);
  EXPECT_NE(bytes.find("Closed1=2026/07/20-2026/08/31 夏休み\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("Open2=2026/09/21 授業参観 午後\r\n"), std::string::npos);
  EXPECT_EQ(ImportedDaysPath(ini), folder.file("tollvane.days"));

  const CalendarReading reading = ReadSchoolCalendar(ini);
  EXPECT_EQ(reading.calendar, calendar);
  EXPECT_TRUE(reading.problems.empty());
}

TEST(SchoolCalendarFile, RemovedEntriesDoNotReadBack) {
  ScratchFolder folder;
  const std::string ini = folder.file("t.INI");
  SchoolCalendar calendar = Sample();
  ASSERT_TRUE(WriteCalendarSettings(ini, calendar));
  calendar.closedPeriods.erase(calendar.closedPeriods.begin());
  calendar.openDays.clear();
  calendar.nationalHolidays = false;
  ASSERT_TRUE(WriteCalendarSettings(ini, calendar));

  const std::string bytes = ReadBytes(ini);
  EXPECT_EQ(bytes.find("Closed3"), std::string::npos);
  EXPECT_EQ(bytes.find("Open1"), std::string::npos);
  calendar.importedDays.clear();
  EXPECT_EQ(ReadSchoolCalendar(ini).calendar, calendar);
}

TEST(SchoolCalendarFile, UnreadableValuesAreReportedAndLeftOut) {
  ScratchFolder folder;
  const std::string ini = folder.file("t.INI");
  Write(ini,
        "[CALENDAR]\nNationalHolidays=yes\nClosed1=2026/08/31-2026/07/20 逆\n"
        "Closed2=\nClosed4=2026/7/20-2026/8/31 夏休み\nOpen1=2026/02/30 無い日\n"
        "Open2=2026/11/03\n");
  Write(ImportedDaysPath(ini), "# comment\n\n2026/06/01 開校記念日\nJune 2 holiday\n");
  const CalendarReading reading = ReadSchoolCalendar(ini);
  const std::vector<CalendarProblem> expected = {
      {"NationalHolidays", "yes"},
      {"Closed1", "2026/08/31-2026/07/20 逆"},
      {"Open1", "2026/02/30 無い日"},
      {ImportedDaysPath(ini) + ":4", "June 2 holiday"},
  };
  EXPECT_EQ(reading.problems, expected);
  // Off is the safe reading of an unreadable switch: no school day falls silent.
  EXPECT_FALSE(reading.calendar.nationalHolidays);
  ASSERT_EQ(reading.calendar.closedPeriods.size(), 1u);
  EXPECT_EQ(reading.calendar.closedPeriods[0].name, "夏休み");
  ASSERT_EQ(reading.calendar.openDays.size(), 1u);
  EXPECT_EQ(reading.calendar.openDays[0].name, "");
  EXPECT_EQ(reading.calendar.importedDays.size(), 1u);
}

TEST(SchoolCalendarFile, MissingFilesReadAsAnEmptyCalendarAndFailedWritesChangeNothing) {
  ScratchFolder folder;
  const CalendarReading reading = ReadSchoolCalendar(folder.file("none.INI"));
  EXPECT_EQ(reading.calendar, SchoolCalendar{});
  EXPECT_TRUE(reading.problems.empty());

  const std::string ini = folder.file("t.INI");
  Write(ini, "[SOUND]\nItem1=a.mp3\n");
  SchoolCalendar withBreak;
  withBreak.openDays = {{{2026, 1, 5}, "two\nlines"}};
  EXPECT_FALSE(WriteCalendarSettings(ini, withBreak));
  EXPECT_FALSE(WriteImportedDays(ini, withBreak.openDays));
  EXPECT_EQ(ReadBytes(ini), "[SOUND]\nItem1=a.mp3\n");
  EXPECT_FALSE(WriteCalendarSettings(folder.file("no/such/folder/t.INI"), Sample()));
}

TEST(SchoolCalendarFile, UnreadableKeysSurviveEveryRewrite) {
  ScratchFolder folder;
  const std::string ini = folder.file("t.INI");
  const std::string typos =
      "NationalHolidays=yes\nClosed2=2026/7/20-2026/8/31夏休み\nOpen1=2026/13/1 x\n";
  Write(ini, "[CALENDAR]\nClosed1=2026/12/25-2027/1/7 冬休み\n" + typos);
  CalendarReading reading = ReadSchoolCalendar(ini);
  SchoolCalendar& calendar = reading.calendar;
  calendar.closedPeriods.push_back({{2027, 3, 25}, {2027, 4, 5}, "春休み"});
  calendar.openDays.push_back({{2026, 11, 3}, "文化祭"});
  ASSERT_TRUE(WriteCalendarSettings(ini, calendar));

  const std::string bytes = ReadBytes(ini);
  for (const char* kept :
       {"NationalHolidays=yes\n", "Closed2=2026/7/20-2026/8/31夏休み\n", "Open1=2026/13/1 x\n",
        "Closed3=2027/03/25-2027/04/05 春休み\n", "Open2=2026/11/03 文化祭\n"}) {
    EXPECT_NE(bytes.find(kept), std::string::npos) << kept << " in\n" << bytes;
  }
  const CalendarReading again = ReadSchoolCalendar(ini);
  EXPECT_EQ(again.calendar, calendar);
  EXPECT_EQ(again.problems, reading.problems);

  // Switching the national holidays on replaces the typo, as the operator asked.
  calendar.nationalHolidays = true;
  ASSERT_TRUE(WriteCalendarSettings(ini, calendar));
  EXPECT_NE(ReadBytes(ini).find("NationalHolidays=1\n"), std::string::npos);
  // Kept keys take numbers: 99 entries no longer fit beside one.
  calendar.openDays.resize(kMaxCalendarEntries, calendar.openDays[0]);
  EXPECT_FALSE(WriteCalendarSettings(ini, calendar));
}

TEST(SchoolCalendarFile, DaysFileInAnyOrderAndTooLarge) {
  ScratchFolder folder;
  const std::string ini = folder.file("t.INI");
  Write(ImportedDaysPath(ini), "2026/10/02 b\n2026/06/01 a\n2026/10/02 c\n");
  const std::vector<NamedDay> expected = {{{2026, 6, 1}, "a"}, {{2026, 10, 2}, "b"}};
  EXPECT_EQ(ReadSchoolCalendar(ini).calendar.importedDays, expected);

  // Garbage is reported by its first lines, each quoted short, and a count of the rest.
  std::string garbage = std::string(200, 'x') + "\n";
  for (int i = 0; i < 14; ++i) {
    garbage += "junk\n";
  }
  Write(ImportedDaysPath(ini), garbage + "2026/06/01 a\n");
  const CalendarReading junk = ReadSchoolCalendar(ini);
  ASSERT_EQ(junk.problems.size(), 11u);
  EXPECT_EQ(junk.problems[0].text, std::string(80, 'x') + "…");
  EXPECT_EQ(junk.problems[10].text, "ほかに5行を読み取れません");
  EXPECT_EQ(junk.calendar.importedDays.size(), 1u);

  std::ofstream(ImportedDaysPath(ini), std::ios::app)
      << std::string(kMaxCalendarFileBytes, '#') << "\n";
  const CalendarReading reading = ReadSchoolCalendar(ini);
  EXPECT_TRUE(reading.calendar.importedDays.empty());
  const std::vector<CalendarProblem> problems = {
      {ImportedDaysPath(ini), "大きすぎるため読み込めません"}};
  EXPECT_EQ(reading.problems, problems);
}

TEST(MergeDays, KeepsOrderAndOneNamePerDate) {
  std::vector<NamedDay> days = {{{2026, 5, 1}, "a"}};
  EXPECT_EQ(MergeDays(days, {{{2026, 1, 1}, "b"}, {{2026, 5, 1}, "c"}, {{2026, 1, 1}, "d"}}), 1);
  const std::vector<NamedDay> expected = {{{2026, 1, 1}, "b"}, {{2026, 5, 1}, "a"}};
  EXPECT_EQ(days, expected);
}

}  // namespace
}  // namespace tollvane

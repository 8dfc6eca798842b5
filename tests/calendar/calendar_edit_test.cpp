// The dialog's edits: what is refused, and that memory changes only with the file.
#include "calendar/calendar_edit.h"

#include <gtest/gtest.h>

#include "support/scratch_folder.h"

namespace tollvane {
namespace {

using testing::ScratchFolder;

TEST(CalendarEdit, ClosedPeriodsAndOpenDaysAsTyped) {
  ScratchFolder folder;
  const std::string ini = folder.file("t.INI");
  SchoolCalendar calendar;
  struct {
    const char* first;
    const char* last;
    const char* name;
    const char* error;  // "" accepted
  } const kCases[] = {
      {" 2026/7/20 ", "2026/8/31", " 夏休み ", ""},
      {"2026/10/2", "", "県民の日", ""},  // an empty end is the one day
      {"2026/7/20", "2026/7/19", "",
       "終了日が開始日より前になっています。終了日は開始日と同じ日か後の日にしてください。"},
      {"7/20", "2026/8/31", "", "日付は 2026/4/1 のように入力してください。"},
      {"2026/7/20", "2026/8/32", "", "日付は 2026/4/1 のように入力してください。"},
      {"2026/7/20", "", "a\nb", "名称に改行は使えません。1行で入力してください。"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(AddClosedPeriod(calendar, ini, c.first, c.last, c.name), c.error) << c.first;
  }
  const std::vector<ClosedPeriod> expected = {{{2026, 7, 20}, {2026, 8, 31}, "夏休み"},
                                              {{2026, 10, 2}, {2026, 10, 2}, "県民の日"}};
  EXPECT_EQ(calendar.closedPeriods, expected);
  EXPECT_EQ(AddOpenDay(calendar, ini, "2026/11/3", "文化祭"), "");
  EXPECT_EQ(AddOpenDay(calendar, ini, "2026/11/31", "x"),
            "日付は 2026/4/1 のように入力してください。");
  EXPECT_EQ(ReadSchoolCalendar(ini).calendar, calendar);

  // Full lists refuse one more.
  calendar.openDays.resize(kMaxCalendarEntries, calendar.openDays[0]);
  EXPECT_EQ(AddOpenDay(calendar, ini, "2026/11/4", ""),
            "これ以上は登録できません(99件まで)。使わなくなったものを削除してください。");
  EXPECT_EQ(calendar.openDays.size(), static_cast<std::size_t>(kMaxCalendarEntries));
}

TEST(CalendarEdit, AFailedWriteChangesNothingInMemory) {
  ScratchFolder folder;
  const std::string ini = folder.file("none/t.INI");
  SchoolCalendar calendar;
  calendar.closedPeriods = {{{2026, 7, 20}, {2026, 8, 31}, "夏休み"}};
  calendar.importedDays = {{{2026, 6, 1}, "x"}};
  const SchoolCalendar before = calendar;
  const std::string failure =
      ini + " に書き込めません。そのフォルダーに書き込めるか確かめてください。";
  EXPECT_EQ(SetNationalHolidays(calendar, ini, true), failure);
  EXPECT_EQ(AddOpenDay(calendar, ini, "2026/11/3", ""), failure);
  EXPECT_EQ(RemoveClosedPeriod(calendar, ini, 0), failure);
  EXPECT_EQ(
      ClearImportedDays(calendar, ini),
      ImportedDaysPath(ini) + " に書き込めません。そのフォルダーに書き込めるか確かめてください。");
  EXPECT_EQ(calendar, before);
}

TEST(CalendarEdit, ProblemReportNamesEachValue) {
  EXPECT_EQ(ProblemReport({}), "");
  EXPECT_EQ(ProblemReport({{"Closed2", "2026/13/1"}, {"Open1", "x"}}),
            "学校カレンダーの設定に読み取れない値があったため、その値を使わずに起動しました。"
            "「編集」>「学校カレンダー」で確かめて、登録し直してください。\n"
            "休業期間の2番目: 2026/13/1\n登校日の1番目: x");
}

// Each value is named as the dialog shows it, never by its settings key; the imported-days
// file by its path and line.
TEST(CalendarEdit, ProblemReportSpeaksOfTheDialogNotTheKeys) {
  struct Case {
    CalendarProblem problem;
    const char* line;
  };
  const Case cases[] = {
      {{"NationalHolidays", "yes"}, "「国民の祝日は鳴らさない」: yes"},
      {{"Closed12", "2026/8/31-2026/7/20"}, "休業期間の12番目: 2026/8/31-2026/7/20"},
      {{"Open3", "x"}, "登校日の3番目: x"},
      {{"/h/t.days:40", "June 2"}, "取り込んだ休日の /h/t.days 40行目: June 2"},
      {{"/h/a:b.days", "読めません"}, "取り込んだ休日の /h/a:b.days を読み込めません"},
  };
  for (const Case& c : cases) {
    const std::string report = ProblemReport({c.problem});
    const std::size_t lineStart = report.find('\n') + 1;
    EXPECT_EQ(report.substr(lineStart), c.line) << c.problem.where;
  }
}

}  // namespace
}  // namespace tollvane

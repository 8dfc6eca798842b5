// Day plans in the calendar: the one answer over a table of days, the assignment keys with
// what cannot be read kept, the edits, and the CSV of assignments in and of verdicts out.
#include <gtest/gtest.h>

#include "calendar/day_rule.h"
#include "calendar/plan_csv.h"
#include "calendar/plan_edit.h"
#include "plans/plan_file.h"
#include "support/scratch_folder.h"

namespace tollvane {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

WeekSchedule Schedule() {
  WeekSchedule schedule;
  ResetWeekSchedule(schedule);
  schedule.at(kCommonTimetable, 1) = {8, 30, 1};
  schedule.at(kCommonTimetable, 2) = {15, 10, 1};
  schedule.at(2, 1) = {8, 45, 2};  // Monday
  schedule.at(6, 1) = {9, 0, 3};   // Friday
  schedule.at(6, 2) = {8, 30, 4};  // Friday, the common page's minute
  return schedule;
}

PlanBook Plans() {
  PlanBook book;
  book.plans = {{"短縮日課", {{12, 0, 3}, {8, 30, 1}, {10, 35, 2}}},
                {"テスト日課", {{9, 0, 1}, {9, 50, 1}}},
                {"ノーチャイム", {}}};
  return book;
}

SchoolCalendar Calendar() {
  SchoolCalendar calendar;
  calendar.nationalHolidays = true;
  calendar.plans = Plans();
  calendar.assignments.planDays = {
      {{2027, 2, 15}, {2027, 2, 17}, "テスト日課"},
      {{2027, 2, 17}, {2027, 2, 17}, "短縮日課"},
      {{2027, 2, 11}, {2027, 2, 11}, "短縮日課"},
      {{2027, 2, 13}, {2027, 2, 13}, "短縮日課"},
      {{2027, 2, 18}, {2027, 2, 18}, "ノーチャイム"},
      {{2027, 2, 25}, {2027, 2, 25}, "ノーチャイム"},
      {{2027, 2, 19}, {2027, 2, 19}, "消えた日課"},
      {{2027, 2, 22}, {2027, 2, 22}, "短縮日課"},
      {{2027, 3, 4}, {2027, 3, 4}, "短縮日課"},
  };
  calendar.assignments.swaps = {
      {{2027, 2, 22}, 6}, {{2027, 3, 1}, 6}, {{2027, 3, 2}, 7}, {{2027, 3, 22}, 2}};
  calendar.assignments.extraBells = {{{2027, 2, 15}, {9, 0, 4}},
                                     {{2027, 2, 16}, {9, 0, 1}},
                                     {{2027, 2, 18}, {10, 0, 1}},
                                     {{2027, 3, 1}, {10, 35, 2}},
                                     {{2027, 3, 3}, {10, 35, 2}}};
  return calendar;
}

HolidayList HolidayOn(int month, int day) {
  HolidayList list;
  list.count = 1;
  list.at(1) = {month, day, ""};
  return list;
}

std::string Bells(const DayAnswer& answer) {
  std::string text;
  for (const SourcedBell& b : answer.bells) {
    text += (text.empty() ? "" : ", ") +
            FormatPlanBellLine({b.bell.hour, b.bell.minute, b.bell.sound}) + "/" + b.sourceName;
  }
  return text;
}

TEST(AnswerDay, TableOfPlannedSwappedAndExtraDays) {
  const SchoolCalendar calendar = Calendar();
  const HolidayList holidays = HolidayOn(3, 4);
  const std::string kFri = "金曜日のチャイム";
  struct {
    CivilDate date;
    DayVerdict verdict;
    std::string bells;
  } const kCases[] = {
      // An extra in a plan's minute replaces it; an identical one rings once.
      {{2027, 2, 15}, {false, DayReason::kPlan, "テスト日課"}, "9:00 4/臨時, 9:50 1/テスト日課"},
      {{2027, 2, 16}, {false, DayReason::kPlan, "テスト日課"}, "9:00 1/臨時, 9:50 1/テスト日課"},
      // Overlapping ranges: the later entry wins.
      {{2027, 2, 17},
       {false, DayReason::kPlan, "短縮日課"},
       "8:30 1/短縮日課, 10:35 2/短縮日課, 12:00 3/短縮日課"},
      // 建国記念の日 and a Saturday (土曜授業) ring their plan.
      {{2027, 2, 11},
       {false, DayReason::kPlan, "短縮日課"},
       "8:30 1/短縮日課, 10:35 2/短縮日課, 12:00 3/短縮日課"},
      {{2027, 2, 13},
       {false, DayReason::kPlan, "短縮日課"},
       "8:30 1/短縮日課, 10:35 2/短縮日課, 12:00 3/短縮日課"},
      {{2027, 2, 25}, {true, DayReason::kPlan, "ノーチャイム"}, ""},
      {{2027, 2, 18}, {false, DayReason::kPlan, "ノーチャイム"}, "10:00 1/臨時"},
      // A missing plan: the day rings as it would without it, pages in the tick's order.
      {{2027, 2, 19}, {false, DayReason::kSchoolDay, ""}, "8:30 1/, 8:30 4/, 9:00 3/, 15:10 1/"},
      // A plan beats a swap on the same date.
      {{2027, 2, 22},
       {false, DayReason::kPlan, "短縮日課"},
       "8:30 1/短縮日課, 10:35 2/短縮日課, 12:00 3/短縮日課"},
      // Monday runs Friday: common and Friday pages, one bell a minute, the page's last; extra.
      {{2027, 3, 1},
       {false, DayReason::kSwap, kFri},
       "8:30 4/" + kFri + ", 9:00 3/" + kFri + ", 10:35 2/臨時, 15:10 1/" + kFri},
      // Tuesday runs Saturday: no common page, and the empty page rings nothing.
      {{2027, 3, 2}, {false, DayReason::kSwap, "土曜日のチャイム"}, ""},
      {{2027, 3, 3}, {false, DayReason::kExtraBells, "臨時"}, "8:30 1/, 10:35 2/臨時, 15:10 1/"},
      // The holiday list stays strongest.
      {{2027, 3, 4}, {true, DayReason::kHolidayList, "休日設定"}, ""},
      {{2027, 3, 5}, {false, DayReason::kSchoolDay, ""}, "8:30 1/, 8:30 4/, 9:00 3/, 15:10 1/"},
      // 振替休日 with a swap: a school day with Monday's pages.
      {{2027, 3, 22},
       {false, DayReason::kSwap, "月曜日のチャイム"},
       "8:30 1/月曜日のチャイム, 8:45 2/月曜日のチャイム, 15:10 1/月曜日のチャイム"},
      {{2027, 3, 23}, {false, DayReason::kSchoolDay, ""}, "8:30 1/, 15:10 1/"},
  };
  for (const auto& c : kCases) {
    const DayAnswer answer = AnswerDay(Schedule(), holidays, calendar, c.date);
    EXPECT_EQ(answer.verdict, c.verdict) << FormatDate(c.date);
    EXPECT_EQ(Bells(answer), c.bells) << FormatDate(c.date);
    EXPECT_EQ(JudgeDay(calendar, holidays, c.date), c.verdict) << FormatDate(c.date);
  }
  EXPECT_EQ(AnswerDay(Schedule(), holidays, calendar, {2027, 2, 19}).problem,
            "日課「消えた日課」がないため、2027/02/19 はふだんのチャイムが鳴ります。");
  EXPECT_TRUE(AnswerDay(Schedule(), holidays, calendar, {2027, 2, 17}).problem.empty());
}

TEST(AnswerDay, EngineRuleRingsAssignedDaysOnlyAndNamesEachBell) {
  const SchoolCalendar calendar = Calendar();
  const CalendarDayRule rule(calendar);
  const HolidayList none;
  std::vector<DayRule::Bell> bells{{1, 1, 1, "stale"}};
  ASSERT_TRUE(rule.assignedBells(none, Schedule(), 2027, 3, 1, bells));
  std::vector<std::string> origins;
  for (const DayRule::Bell& bell : bells) {
    origins.push_back(bell.origin);
  }
  EXPECT_EQ(origins,
            (std::vector<std::string>{"金曜日のチャイム 金曜 2番目", "金曜日のチャイム 金曜 1番目",
                                      "臨時 1番目", "金曜日のチャイム 朝・夕共通 2番目"}));
  ASSERT_TRUE(rule.assignedBells(none, Schedule(), 2027, 2, 17, bells));
  EXPECT_EQ(std::string(bells.front().origin),
            "短縮日課 2番目");  // the editor's order numbers the bells
  // Days rung as the pages stand, and silent days, are left to the engine's own pages.
  for (const CivilDate date :
       {CivilDate{2027, 3, 5}, CivilDate{2027, 2, 25}, CivilDate{2027, 2, 19}}) {
    EXPECT_FALSE(rule.assignedBells(none, Schedule(), date.year, date.month, date.day, bells));
    EXPECT_TRUE(bells.empty());
  }
  EXPECT_EQ(rule.silentReason(none, 2027, 2, 25), "ノーチャイム");
  EXPECT_EQ(rule.silentReason(none, 2027, 2, 11), std::nullopt);
}

TEST(AnswerDay, PreviewNextBellAndYearNameThePlan) {
  const SchoolCalendar calendar = Calendar();
  const HolidayList none;
  const CurrentClock now{10, 0, 0, Weekday({2027, 2, 17}), 2027, 2, 17};
  const NextBellAnswer next = NextBell(Schedule(), none, calendar, now);
  ASSERT_TRUE(next.bell);
  EXPECT_EQ(next.bell->bell, (RingingBell{10, 35, 2}));
  const std::string text = NextBellText(next, now);
  EXPECT_EQ(text.rfind("次のチャイム 10時35分(", 0), 0u) << text;
  EXPECT_TRUE(text.ends_with("2) 短縮日課")) << text;
  // A page bell on a day with extras carries no name.
  const CurrentClock wednesday{8, 0, 0, 4, 2027, 3, 3};
  EXPECT_TRUE(
      NextBellText(NextBell(Schedule(), none, calendar, wednesday), wednesday).ends_with("1)"));

  const auto preview = PreviewDays(Schedule(), none, calendar, {2027, 2, 15}, 3);
  EXPECT_EQ(preview[0].bells, (std::vector<RingingBell>{{9, 0, 4}, {9, 50, 1}}));
  EXPECT_EQ(preview[0].sourced.back().sourceName, "テスト日課");

  // The dialog's rows name the plan and mark the bells that are not the weekday's pages.
  const std::vector<PreviewRow> rows =
      PreviewRows(PreviewDays(Schedule(), none, calendar, {2027, 2, 15}, 11));
  EXPECT_EQ(rows[0].summary, "[テスト日課] 2件");
  ASSERT_EQ(rows[0].bells.size(), 2u);
  EXPECT_TRUE(rows[0].bells[0].ends_with(") 臨時")) << rows[0].bells[0];
  EXPECT_TRUE(rows[0].bells[1].ends_with(") テスト日課")) << rows[0].bells[1];
  EXPECT_EQ(rows[10].summary, "鳴りません(ノーチャイム)");  // 2/25
  EXPECT_EQ(rows[4].summary, "4件");                        // 2/19, the missing plan
  EXPECT_TRUE(rows[4].bells[0].ends_with(")"));

  const std::vector<DayAnswer> year = YearAnswers(Schedule(), none, calendar, 2028);
  EXPECT_EQ(year.size(), 366u);
  EXPECT_EQ(year.back().date, (CivilDate{2028, 12, 31}));
  EXPECT_EQ(YearAnswers(Schedule(), none, calendar, 2027).size(), 365u);
  EXPECT_EQ(BellTexts(AnswerDay(Schedule(), none, calendar, {2027, 3, 3})),
            (std::vector<std::string>{"8時30分(音1)", "10時35分(音2) 臨時", "15時10分(音1)"}));
}

TEST(AssignmentKeys, RoundTripKeepsWhatCannotBeRead) {
  ScratchFolder folder;
  const std::string ini = folder.file("tollvane.INI");
  WriteBytes(ini,
             "[CALENDAR]\nPlan1=2027/02/30 短縮日課\nPlan3=2027/2/15-2027/2/17 テスト日課\n"
             "Swap1=2027/03/01 金曜\nSwap2=2027/03/02 木金\nExtra1=2027/03/01 10:35 2\n"
             "Extra2=2027/03/01 0:00 1\n");
  CalendarReading reading = ReadSchoolCalendar(ini);
  const DayAssignments& a = reading.calendar.assignments;
  EXPECT_EQ(a.planDays, (std::vector<PlanDays>{{{2027, 2, 15}, {2027, 2, 17}, "テスト日課"}}));
  EXPECT_EQ(a.swaps, (std::vector<WeekdaySwap>{{{2027, 3, 1}, 6}}));
  EXPECT_EQ(a.extraBells, (std::vector<ExtraBell>{{{2027, 3, 1}, {10, 35, 2}}}));
  ASSERT_EQ(reading.problems.size(), 3u);
  EXPECT_EQ(reading.problems[0], (CalendarProblem{"Plan1", "2027/02/30 短縮日課"}));

  ASSERT_TRUE(WriteCalendarSettings(ini, reading.calendar));
  const std::string bytes = ReadBytes(ini);
  for (const char* line :
       {"Plan1=2027/02/15-2027/02/17 テスト日課\n", "Plan2=2027/02/30 短縮日課\n",
        "Swap1=2027/03/01 金\n", "Swap2=2027/03/02 木金\n", "Extra1=2027/03/01 10:35 2\n",
        "Extra2=2027/03/01 0:00 1\n"}) {
    EXPECT_NE(bytes.find(line), std::string::npos) << line << bytes;
  }
  EXPECT_EQ(bytes.find("Plan3"), std::string::npos);
  // The kept values come back, after the readable ones of their kind.
  const DayAssignments again = ReadSchoolCalendar(ini).calendar.assignments;
  EXPECT_EQ(again.planDays, a.planDays);
  EXPECT_EQ(again.swaps, a.swaps);
  EXPECT_EQ(again.extraBells, a.extraBells);
  EXPECT_EQ(again.unreadable, (std::vector<KeptValue>{{"Plan2", "2027/02/30 短縮日課"},
                                                      {"Swap2", "2027/03/02 木金"},
                                                      {"Extra2", "2027/03/01 0:00 1"}}));

  // The single-day form and the weekday names the keys accept.
  EXPECT_EQ(FormatPlanDays({{2027, 2, 15}, {2027, 2, 15}, "短縮日課"}), "2027/02/15 短縮日課");
  EXPECT_EQ(ParseWeekdayName("土曜日"), 7);
  EXPECT_EQ(ParseWeekdayName("曜"), std::nullopt);
  EXPECT_EQ(ParsePlanDays("2027/02/17-2027/02/15 短縮日課"), std::nullopt);
  EXPECT_EQ(ParsePlanDays("2027/02/15"), std::nullopt);
}

TEST(PlanEdits, WrittenFirstAndRefusedWhileThePlanFileIsDamaged) {
  ScratchFolder folder;
  const std::string ini = folder.file("tollvane.INI");
  const std::string plans = PlanFilePath(ini);
  WriteBytes(plans, "[短縮日課]\n8:30 1\n8時35分 2\n");
  SchoolCalendar calendar = ReadSchoolCalendar(ini).calendar;
  EXPECT_EQ(calendar.planFileError,
            "tollvane.plans の 3行目: チャイムは「8:30 1」のように時:分と音で書いてください"
            "(8時35分 2)。");
  EXPECT_EQ(AddPlan(calendar, ini, "テスト日課"), calendar.planFileError);
  EXPECT_EQ(ReadBytes(plans), "[短縮日課]\n8:30 1\n8時35分 2\n");

  ASSERT_EQ(SetAsideDamagedPlans(calendar, ini), "");
  EXPECT_EQ(ReadBytes(plans + ".damaged"), "[短縮日課]\n8:30 1\n8時35分 2\n");
  ASSERT_EQ(AddPlan(calendar, ini, " 短縮日課 ", PlanBellsOfWeekday(Schedule(), 6)), "");
  EXPECT_EQ(calendar.plans.plans[0].bells,
            (std::vector<PlanBell>{{8, 30, 1}, {8, 30, 4}, {9, 0, 3}, {15, 10, 1}}));
  EXPECT_EQ(AddPlan(calendar, ini, "短縮日課"), "同じ名前の日課「短縮日課」がすでにあります。");
  ASSERT_EQ(AssignPlan(calendar, ini, "2027/2/15", "2027/2/19", "短縮日課"), "");
  EXPECT_EQ(AssignPlan(calendar, ini, "2027/2/15", "", "なし"), "日課「なし」はありません。");

  // A rename carries the assignments along, in both files.
  ASSERT_EQ(RenamePlan(calendar, ini, 0, "午前授業"), "");
  EXPECT_EQ(AssignmentsOfPlan(calendar, "午前授業"), 1);
  SchoolCalendar read = ReadSchoolCalendar(ini).calendar;
  EXPECT_EQ(read, calendar);

  // "None" on a date inside a range cuts the range around it.
  ASSERT_EQ(AssignSwap(calendar, ini, "2027/2/17", 6), "");
  ASSERT_EQ(ClearAssignmentsOn(calendar, ini, {2027, 2, 17}), "");
  EXPECT_EQ(calendar.assignments.planDays,
            (std::vector<PlanDays>{{{2027, 2, 15}, {2027, 2, 16}, "午前授業"},
                                   {{2027, 2, 18}, {2027, 2, 19}, "午前授業"}}));
  EXPECT_TRUE(calendar.assignments.swaps.empty());

  ASSERT_EQ(RemovePlan(calendar, ini, 0, false), "");
  EXPECT_EQ(AssignmentNotes(calendar).size(), 2u);  // both halves name a missing plan
  EXPECT_EQ(ReadSchoolCalendar(ini).calendar, calendar);
}

TEST(PlanEdits, NotesSayWhichOverlapWins) {
  const std::vector<std::string> notes = AssignmentNotes(Calendar());
  ASSERT_FALSE(notes.empty());
  EXPECT_EQ(notes[0],
            "日課の指定 2027/02/15-2027/02/17 テスト日課 と 2027/02/17 短縮日課 が重なっています。"
            "重なった日は、あとの「短縮日課」が優先されます。");
  EXPECT_NE(
      std::find(notes.begin(), notes.end(),
                "2027/02/22 は日課「短縮日課」の指定があるため、曜日の入れ替えは使われません。"),
      notes.end());
}

TEST(PlanCsv, ImportsWholeOrNothingAndNamesTheLine) {
  SchoolCalendar calendar;
  calendar.plans = Plans();
  const HolidayList none;
  struct {
    std::string bytes;
    std::vector<PlanDays> days;
    const char* error;
  } const kCases[] = {
      {"日付,日課\r\n2027/2/15-2027/2/17,テスト日課\r\n\r\n\"2027/03/01\",\"短縮日課\"\r\n",
       {{{2027, 2, 15}, {2027, 2, 17}, "テスト日課"}, {{2027, 3, 1}, {2027, 3, 1}, "短縮日課"}},
       ""},
      // Shift_JIS, as spreadsheet programs save it: "日付,日課" then "2027/2/15,短縮日課".
      {"\x93\xFA\x95\x74\x2C\x93\xFA\x89\xDB\r\n2027/2/15,\x92\x5A\x8F\x6B\x93\xFA\x89\xDB\r\n",
       {{{2027, 2, 15}, {2027, 2, 15}, "短縮日課"}},
       ""},
      {"\xEF\xBB\xBF"
       "2027/2/15,ノーチャイム\n",
       {{{2027, 2, 15}, {2027, 2, 15}, "ノーチャイム"}},
       ""},
      {"日付,日課\n2027/2/15,短縮日課\n2027/2/30,短縮日課\n",
       {},
       "3行目の日付を読み取れません(2027/2/30,短縮日課)。取り込みは行いませんでした。"},
      // A first line meant as a date is no header.
      {"2027/2/30,短縮日課\n2027/3/1,短縮日課\n",
       {},
       "1行目の日付を読み取れません(2027/2/30,短縮日課)。取り込みは行いませんでした。"},
      {"2027/2/15,短縮日課\n2027/2/16\n",
       {},
       "2行目に日課の名前がありません(2027/2/16)。取り込みは行いませんでした。"},
      {"2027/2/15,運動会\n",
       {},
       "1行目の日課「運動会」は日課表にありません。先に日課表に加えてください。"
       "取り込みは行いませんでした。"},
      {"2027/2/15,短縮日課\n2027/2/17-2027/2/15,短縮日課\n",
       {},
       "2行目の日付を読み取れません(2027/2/17-2027/2/15,短縮日課)。取り込みは行いませんでした。"},
      {"2027/1/1-2028/12/31,短縮日課\n",
       {},
       "1行目の期間が長すぎます(2027/1/1-2028/12/31,短縮日課)。取り込みは行いませんでした。"},
      {"日付,日課\n", {}, "日付の行がひとつもありません。取り込みは行いませんでした。"},
      {"2027/2/15,\x82\n", {}, "1行目の文字を読み取れません。取り込みは行いませんでした。"},
  };
  for (const auto& c : kCases) {
    const PlanCsvPreview preview = ReadPlanCsv(c.bytes, calendar, Schedule(), none);
    EXPECT_EQ(preview.ok, c.error[0] == '\0') << c.bytes;
    EXPECT_EQ(preview.error, c.error);
    EXPECT_EQ(preview.planDays, c.days) << c.bytes;
  }

  ScratchFolder folder;
  const std::string ini = folder.file("tollvane.INI");
  const PlanCsvPreview preview = ReadPlanCsv(
      "2027/2/12-2027/2/15,短縮日課\n2027/2/15,ノーチャイム\n", calendar, Schedule(), none);
  ASSERT_TRUE(preview.ok);
  ASSERT_EQ(preview.days.size(), 4u);  // one answer per day, 2/15 once
  EXPECT_EQ(preview.days[3].verdict, (DayVerdict{true, DayReason::kPlan, "ノーチャイム"}));
  EXPECT_TRUE(calendar.assignments.planDays.empty());  // a preview changes nothing
  ASSERT_EQ(ApplyPlanCsv(calendar, ini, preview), "");
  EXPECT_EQ(ReadSchoolCalendar(ini).calendar.assignments.planDays, preview.planDays);
}

TEST(PlanCsv, ExportsADayALine) {
  SchoolCalendar calendar = Calendar();
  calendar.plans.plans.push_back({"行事, 午後", {{13, 0, 1}}});
  calendar.assignments.planDays.push_back({{2027, 3, 9}, {2027, 3, 9}, "行事, 午後"});
  std::vector<DayAnswer> days;
  for (const CivilDate date :
       {CivilDate{2027, 2, 11}, CivilDate{2027, 2, 12}, CivilDate{2027, 2, 14},
        CivilDate{2027, 2, 25}, CivilDate{2027, 3, 3}, CivilDate{2027, 3, 9},
        CivilDate{2027, 3, 21}}) {
    days.push_back(AnswerDay(Schedule(), HolidayList{}, calendar, date));
  }
  EXPECT_EQ(YearCsv(days),
            "日付,曜日,日課,チャイム数,最初,最後\n"
            "2027/02/11,木,短縮日課,3,8:30,12:00\n"
            "2027/02/12,金,平常日課,4,8:30,15:10\n"
            "2027/02/14,日,平常日課,0,,\n"
            "2027/02/25,木,ノーチャイム,0,,\n"
            "2027/03/03,水,平常日課・臨時,3,8:30,15:10\n"
            "2027/03/09,火,\"行事, 午後\",1,13:00,13:00\n"
            "2027/03/21,日,春分の日,0,,\n");
}

}  // namespace
}  // namespace tollvane

// The CSV and iCalendar readers on files written here, and the import that merges their days.
#include "calendar/day_import.h"

#include <gtest/gtest.h>

#include "calendar/calendar_edit.h"

#include "support/scratch_folder.h"

namespace tollvane {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;

// clang-format off
// The Cabinet Office's file as published: Shift_JIS, CR LF, a header line.
constexpr std::string_view kShiftJisCsv =
    // 国民の祝日・休日月日,国民の祝日・休日名称
    "\x8D\x91\x96\xAF\x82\xCC\x8F\x6A\x93\xFA\x81\x45\x8B\x78\x93\xFA\x8C\x8E\x93\xFA"
    "\x2C\x8D\x91\x96\xAF\x82\xCC\x8F\x6A\x93\xFA\x81\x45\x8B\x78\x93\xFA\x96\xBC\x8F\xCC\r\n"
    "2024/1/1,\x8C\xB3\x93\xFA\r\n"                  // 元日
    "2024/1/8,\x90\xAC\x90\x6C\x82\xCC\x93\xFA\r\n"  // 成人の日
    "2024/2/12,\x90\x55\x91\xD6\x8B\x78\x93\xFA\r\n";  // 振替休日
// clang-format on

}  // namespace

// Readable failures: "2026/06/01 開校記念日".
void PrintTo(const NamedDay& day, std::ostream* out) {
  *out << FormatNamedDay(day);
}

namespace {

std::vector<NamedDay> Days(std::initializer_list<NamedDay> days) {
  return days;
}

TEST(HolidayCsv, ReadsShiftJisUtf8BomAndQuotedFields) {
  const std::vector<NamedDay> expected =
      Days({{{2024, 1, 1}, "元日"}, {{2024, 1, 8}, "成人の日"}, {{2024, 2, 12}, "振替休日"}});
  const std::string utf8 =
      "国民の祝日・休日月日,国民の祝日・休日名称\n2024/1/1,元日\n\n2024/01/08,成人の日\n"
      "\"2024/2/12\",\"振替休日\"";
  for (const std::string& bytes : {std::string(kShiftJisCsv), utf8, "\xEF\xBB\xBF" + utf8,
                                   std::string(utf8.substr(utf8.find('\n') + 1))}) {
    const ImportOutcome outcome = ReadHolidayCsv(bytes);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(outcome.days, expected);
  }
}

TEST(HolidayCsv, MalformedFilesNameTheLineAndYieldNothing) {
  struct {
    std::string bytes;
    const char* error;
  } const kCases[] = {
      {"日付,名称\n2024/1/1,元日\n2024/2/30,無い日\n",
       "3行目の日付を読み取れません(2024/2/30,無い日)。取り込みは行いませんでした。"},
      {"2024/1/1,元日\r\nsomething else\r\n",
       "2行目の日付を読み取れません(something else)。取り込みは行いませんでした。"},
      {"h\n2024/1/1\n", "2行目に名称がありません(2024/1/1)。取り込みは行いませんでした。"},
      {"h\n2024/1/1,\x82\n", "2行目の文字を読み取れません。取り込みは行いませんでした。"},
      {"", "日付の行がひとつもありません。取り込みは行いませんでした。"},
      {std::string("\x89\x50\x4E\x47\r\n\x1A\n\0\0", 10), nullptr},  // a PNG's first bytes
  };
  for (const auto& c : kCases) {
    const ImportOutcome outcome = ReadHolidayCsv(c.bytes);
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.days.empty());
    if (c.error != nullptr) {
      EXPECT_EQ(outcome.error, c.error);
    } else {
      EXPECT_NE(outcome.error.find("行目"), std::string::npos) << outcome.error;
    }
  }
}

std::string Calendar(const std::string& events) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n" + events + "END:VCALENDAR\r\n";
}

TEST(ICalendar, AllDayEventsRecurrencesAndSpans) {
  const std::string bytes = Calendar(
      "BEGIN:VEVENT\r\nUID:1\r\nDTSTART;VALUE=DATE:20260601\r\nSUMMARY:開校記念日\r\n"
      "RRULE:FREQ=YEARLY\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:2\r\nDTSTART;VALUE=DATE:20261228\r\nDTEND;VALUE=DATE:20270101\r\n"
      "SUMMARY:年末\r\n 休業\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:3\r\nDTSTART:20260901T100000\r\nSUMMARY:職員会議\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:4\r\nDTSTART;VALUE=DATE:20261010\r\nSUMMARY:運動会\\n雨天順延\r\n"
      "END:VEVENT\r\n"
      // A yearly day without 2027, moved in 2028, and a cancelled one.
      "BEGIN:VEVENT\r\nUID:5\r\nDTSTART;VALUE=DATE:20261102\r\nRRULE:FREQ=YEARLY\r\n"
      "EXDATE;VALUE=DATE:20271102\r\nSUMMARY:振替\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:5\r\nRECURRENCE-ID;VALUE=DATE:20281102\r\n"
      "DTSTART;VALUE=DATE:20281106\r\nSUMMARY:振替\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:6\r\nDTSTART;VALUE=DATE:20261111\r\nSTATUS:CANCELLED\r\n"
      "SUMMARY:中止\r\nEND:VEVENT\r\n");
  const ImportOutcome outcome = ReadDayFile(bytes, {2028, 12, 31});
  ASSERT_TRUE(outcome.ok) << outcome.error;
  const std::vector<NamedDay> expected = Days({{{2026, 6, 1}, "開校記念日"},
                                               {{2027, 6, 1}, "開校記念日"},
                                               {{2028, 6, 1}, "開校記念日"},
                                               {{2026, 12, 28}, "年末休業"},
                                               {{2026, 12, 29}, "年末休業"},
                                               {{2026, 12, 30}, "年末休業"},
                                               {{2026, 12, 31}, "年末休業"},
                                               {{2026, 10, 10}, "運動会 雨天順延"},
                                               {{2026, 11, 2}, "振替"},
                                               {{2028, 11, 6}, "振替"}});
  EXPECT_EQ(outcome.days, expected);
  EXPECT_EQ(outcome.skippedTimedEvents, 1);
}

TEST(ICalendar, MalformedFilesNameTheLineAndYieldNothing) {
  struct {
    std::string bytes;
    const char* error;
  } const kCases[] = {
      {Calendar("BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20260601\r\nEND:VEVENT\r\n"
                "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:2026-13-45\r\nSUMMARY:x\r\nEND:VEVENT\r\n"),
       "7行目から始まる予定を読み取れません。取り込みは行いませんでした。"},
      {Calendar("BEGIN:VEVENT\r\nSUMMARY:no start\r\nEND:VEVENT\r\n"),
       "4行目から始まる予定を読み取れません。取り込みは行いませんでした。"},
      {Calendar(""), "終日の予定がひとつもありません。取り込みは行いませんでした。"},
      // An endless daily rule would close every day for years.
      {Calendar("BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20000101\r\nRRULE:FREQ=DAILY\r\n"
                "END:VEVENT\r\n"),
       "4行目から始まる予定の繰り返しが多すぎます。取り込みは行いませんでした。"},
      {"BEGIN:VCALENDAR\r\n\xFF\xFE garbage", nullptr},
  };
  for (const auto& c : kCases) {
    const ImportOutcome outcome = ReadDayFile(c.bytes, {2030, 1, 1});
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.days.empty());
    if (c.error != nullptr) {
      EXPECT_EQ(outcome.error, c.error);
    } else {
      EXPECT_FALSE(outcome.error.empty());
    }
  }
}

TEST(ImportDayFile, MergesOnceAndChangesNothingOnFailure) {
  ScratchFolder folder;
  const std::string ini = folder.file("t.INI");
  const std::string csv = folder.file("syukujitsu.csv");
  std::ofstream(csv, std::ios::binary) << kShiftJisCsv;
  SchoolCalendar calendar;
  calendar.importedDays = {{{2024, 1, 1}, "正月"}};

  ImportOutcome first = ImportDayFile(calendar, ini, csv, {2030, 1, 1});
  ASSERT_TRUE(first.ok) << first.error;
  EXPECT_EQ(first.days.size(), 2u);  // 1/1 was there already
  const std::string stored = ReadBytes(ImportedDaysPath(ini));
  EXPECT_NE(stored.find("2024/01/01 正月\n2024/01/08 成人の日\n"), std::string::npos);
  EXPECT_EQ(ReadSchoolCalendar(ini).calendar.importedDays, calendar.importedDays);

  ImportOutcome again = ImportDayFile(calendar, ini, csv, {2030, 1, 1});
  ASSERT_TRUE(again.ok);
  EXPECT_TRUE(again.days.empty());
  EXPECT_EQ(ReadBytes(ImportedDaysPath(ini)), stored);

  const SchoolCalendar before = calendar;
  std::ofstream(csv, std::ios::binary) << "2025/1/1,元日\n2025/1/32,x\n";
  EXPECT_FALSE(ImportDayFile(calendar, ini, csv, {2030, 1, 1}).ok);
  EXPECT_FALSE(ImportDayFile(calendar, ini, folder.file("missing.csv"), {2030, 1, 1}).ok);
  std::ofstream(csv, std::ios::binary) << "2025/1/1,元日\n";
  EXPECT_FALSE(ImportDayFile(calendar, folder.file("gone/t.INI"), csv, {2030, 1, 1}).ok);
  EXPECT_EQ(calendar, before);
  EXPECT_EQ(ReadBytes(ImportedDaysPath(ini)), stored);
}

// An all-day event of length days from start ("20260601"), with more lines before its end.
std::string AllDay(const std::string& start, const std::string& more = "") {
  return "BEGIN:VEVENT\r\nUID:" + start + "\r\nDTSTART;VALUE=DATE:" + start + "\r\n" + more +
         "SUMMARY:行事\r\nEND:VEVENT\r\n";
}

constexpr CivilDate kHorizon = {2036, 12, 31};

TEST(ICalendar, EveryCalendarDateAndNestingThatHoldsDays) {
  struct {
    const char* what;
    std::string bytes;
    std::vector<CivilDate> days;
  } const kCases[] = {
      {"a second calendar in the file",
       Calendar(AllDay("20260601")) + Calendar(AllDay("20260602")),
       {{2026, 6, 1}, {2026, 6, 2}}},
      {"RDATE dates beside the start",
       Calendar(AllDay("20260601",
                       "RDATE;VALUE=DATE:20260701,20260801\r\n"
                       "EXDATE;VALUE=DATE:20260701\r\n")),
       {{2026, 6, 1}, {2026, 8, 1}}},
      {"time zones and alarms are skipped unread",
       Calendar("BEGIN:VTIMEZONE\r\nTZID:Asia/Tokyo\r\nBEGIN:STANDARD\r\nTZOFFSETFROM:+0900\r\n"
                "TZOFFSETTO:+0900\r\nDTSTART:19700101T000000\r\nEND:STANDARD\r\n"
                "END:VTIMEZONE\r\n" +
                AllDay("20260601", "DESCRIPTION:" + std::string(9000, 'x') +
                                       "\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
                                       "TRIGGER:-PT15M\r\nEND:VALARM\r\n")),
       {{2026, 6, 1}}},
      {"February 30th never comes",
       Calendar(AllDay("20260601") +
                AllDay("20260101", "RRULE:FREQ=MONTHLY;BYMONTH=2;BYMONTHDAY=30,31\r\n")),
       {{2026, 6, 1}}},
      {"an instance moved to its own date stays",
       Calendar(AllDay("20260601", "RRULE:FREQ=YEARLY;COUNT=2\r\n") +
                "BEGIN:VEVENT\r\nUID:20260601\r\nRECURRENCE-ID;VALUE=DATE:20270601\r\n"
                "DTSTART;VALUE=DATE:20270601\r\nSUMMARY:雨天\r\nEND:VEVENT\r\n"),
       {{2026, 6, 1}, {2027, 6, 1}}},
      {"overlapping events give each date once, first name first",
       Calendar(AllDay("20260601", "DTEND;VALUE=DATE:20260604\r\n") +
                AllDay("20260602", "RRULE:FREQ=DAILY;COUNT=4\r\n")),
       {{2026, 6, 1}, {2026, 6, 2}, {2026, 6, 3}, {2026, 6, 4}, {2026, 6, 5}}},
  };
  for (const auto& c : kCases) {
    const ImportOutcome outcome = ReadDayFile(c.bytes, kHorizon);
    ASSERT_TRUE(outcome.ok) << c.what << ": " << outcome.error;
    std::vector<CivilDate> dates;
    for (const NamedDay& day : outcome.days) {
      dates.push_back(day.date);
    }
    EXPECT_EQ(dates, c.days) << c.what;
  }
}

// Each file here was once taken in part, took hours or took every day for years.
TEST(ICalendar, HostileFilesAreRefusedWholeNamingTheLine) {
  const std::string deep =
      "BEGIN:X\r\nBEGIN:Y\r\nBEGIN:Z\r\nBEGIN:W\r\nEND:W\r\nEND:Z\r\nEND:Y\r\nEND:X\r\n";
  std::string longYears;  // two daily rules of eleven years each: 8036 distinct days
  longYears += AllDay("20260101", "RRULE:FREQ=DAILY\r\n");
  longYears += AllDay("20100101", "RRULE:FREQ=DAILY;UNTIL=20201231\r\n");
  struct {
    std::string bytes;
    std::string error;
  } const kCases[] = {
      {Calendar(AllDay("20260601") + deep),
       "12行目で入れ子が深すぎます(4段まで)。取り込みは行いませんでした。"},
      {Calendar(AllDay("20260601", "RRULE:FREQ=HOURLY;COUNT=3\r\n")),
       "4行目から始まる終日の予定は1日より短い間隔で繰り返すため、取り込めません。"
       "取り込みは行いませんでした。"},
      {Calendar(AllDay("00010101", "RRULE:FREQ=YEARLY\r\n")),
       "4行目から始まる予定の日付は取り込めません(1900年から9998年まで)。"
       "取り込みは行いませんでした。"},
      {Calendar(longYears),
       "一度に取り込める日は5000日までです。ファイルを分けて取り込んでください。"
       "取り込みは行いませんでした。"},
      {Calendar(AllDay("20260601")).substr(0, 107),
       "iCalendar ファイルが途中で終わっています(END:VEVENT がありません)。"
       "取り込みは行いませんでした。"},
      {Calendar(AllDay("20260601", "EXRULE:FREQ=YEARLY\r\n")),
       "7行目の EXRULE は取り込めません。取り込みは行いませんでした。"},
      {Calendar(AllDay("20260601", "SUMMARY:" + std::string(9000, 'x') + "\r\n")),
       "7行目の行が長すぎます(8192バイトまで)。取り込みは行いませんでした。"},
      {Calendar(AllDay("20260601",
                       "DTEND;A=1;B=2;C=3;D=4;E=5;F=6;G=7;H=8;I=9;J=10;K=11;L=12;"
                       "M=13;N=14;O=15;P=16;Q=17:20260602\r\n")),
       "7行目のパラメーターが多すぎます。取り込みは行いませんでした。"},
      {Calendar(AllDay("20260601")) + AllDay("20260602"),
       "10行目の BEGIN:VEVENT は VCALENDAR の中にありません。取り込みは行いませんでした。"},
      {Calendar(AllDay("20260601", "END:VALARM\r\n")),
       "7行目の END:VALARM に合う BEGIN がありません。取り込みは行いませんでした。"},
      {Calendar(AllDay("20260601", "BEGIN:" + std::string(200, 'X') + "\r\n")),
       "7行目の BEGIN を読み取れません。取り込みは行いませんでした。"},
      {Calendar(AllDay("20260601", "RDATE;VALUE=DATE:18991231\r\n")),
       "4行目から始まる予定の RDATE を読み取れません。取り込みは行いませんでした。"},
  };
  for (const auto& c : kCases) {
    const ImportOutcome outcome = ReadDayFile(c.bytes, kHorizon);
    EXPECT_FALSE(outcome.ok) << c.error;
    EXPECT_TRUE(outcome.days.empty()) << c.error;
    EXPECT_EQ(outcome.error, c.error);
  }
}

TEST(ICalendar, ExpansionStopsAtItsStepsAndTime) {
  // A clock that moves a second on every look: the first step is already past the time.
  auto now = std::chrono::steady_clock::time_point();
  ImportLimits slow;
  slow.clock = [&now] { return now += std::chrono::seconds(1); };
  ImportLimits few;
  few.maxSteps = 3;
  const std::string daily = Calendar(AllDay("20260601", "RRULE:FREQ=DAILY;COUNT=5\r\n"));
  const std::string expected =
      "4行目から始まる予定の繰り返しは、並べるのに時間がかかりすぎるため取り込めません。"
      "取り込みは行いませんでした。";
  for (const ImportLimits* limits : {&slow, &few}) {
    const ImportOutcome outcome = ReadDayFile(daily, kHorizon, *limits);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error, expected);
  }
  EXPECT_TRUE(ReadDayFile(daily, kHorizon).ok);
}

TEST(ICalendar, TheReportSaysHowFarRulesWereLaidOut) {
  struct {
    std::string rule;
    int cut;
  } const kCases[] = {
      {"RRULE:FREQ=YEARLY\r\n", 1},
      {"RRULE:FREQ=YEARLY;UNTIL=20400101\r\n", 1},
      {"RRULE:FREQ=YEARLY;COUNT=30\r\n", 1},
      {"RRULE:FREQ=YEARLY;COUNT=3\r\n", 0},
      {"RRULE:FREQ=YEARLY;UNTIL=20300101\r\n", 0},
  };
  for (const auto& c : kCases) {
    const ImportOutcome outcome = ReadDayFile(Calendar(AllDay("20260601", c.rule)), kHorizon);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(outcome.cutRecurrences, c.cut) << c.rule;
    const bool told = ImportReport(outcome).find(
                          "2036/12/31(水)までの日を取り込みました。それより"
                          "後の日は、その日が近づいたらもう一度同じ"
                          "ファイルを取り込んでください。") != std::string::npos;
    EXPECT_EQ(told, c.cut > 0) << ImportReport(outcome);
  }
}

TEST(HolidayCsv, FirstLinesDuplicatesAndTheDayCap) {
  std::string tooMany = "日付,名称\n";
  for (int i = 0; i <= 5000; ++i) {
    tooMany += FormatDate(AddDays({2000, 1, 1}, i)) + ",休日\n";
  }
  struct {
    std::string bytes;
    std::string error;  // empty: read, giving days
    std::vector<NamedDay> days;
  } const kCases[] = {
      {"2026/2/30,無い日\n2026/3/1,x\n",
       "1行目の日付を読み取れません(2026/2/30,無い日)。取り込みは行いませんでした。",
       {}},
      {"\n\"2026-13-01\",x\n",
       "2行目の日付を読み取れません(\"2026-13-01\",x)。取り込みは行いませんでした。",
       {}},
      {"2026/3/2,b\n2026/3/1,a\n2026/3/2,c\n", "", {{{2026, 3, 2}, "b"}, {{2026, 3, 1}, "a"}}},
      // A CR inside a line would break the imported-days file's line.
      {"2026/1/1,元日\r\x01x\r\n", "", {{{2026, 1, 1}, "元日  x"}}},
      {"h\n2026/1/1,\x01\n",
       "2行目に名称がありません(2026/1/1,)。取り込みは行いませんでした。",
       {}},
      // A message quotes no more than the start of a long line.
      {"h\nx" + std::string(100, 'a'),
       "2行目の日付を読み取れません(x" + std::string(79, 'a') + "…)。取り込みは行いませんでした。",
       {}},
      {tooMany,
       "一度に取り込める日は5000日までです。ファイルを分けて取り込んでください。"
       "取り込みは行いませんでした。",
       {}},
  };
  for (const auto& c : kCases) {
    const ImportOutcome outcome = ReadHolidayCsv(c.bytes);
    EXPECT_EQ(outcome.ok, c.error.empty()) << outcome.error;
    EXPECT_EQ(outcome.error, c.error);
    EXPECT_EQ(outcome.days, c.days);
  }
}

TEST(ImportPlan, ShowsTheNewDaysAndWhichRingTodayBeforeStoring) {
  ScratchFolder folder;
  const std::string ini = folder.file("t.INI");
  SchoolCalendar calendar;
  calendar.importedDays = {{{2026, 6, 1}, "開校記念日"}};
  calendar.closedPeriods = {{{2026, 7, 20}, {2026, 8, 31}, "夏休み"}};
  HolidayList holidays;
  const ImportPlan plan = PlanDayImport(
      calendar, holidays, ReadHolidayCsv("2026/9/22,県民の日\n2026/6/1,x\n2026/8/3,登校日前\n"));
  ASSERT_TRUE(plan.outcome.ok);
  const std::vector<std::string> lines = {"2026/8/3(月) 登校日前",
                                          "2026/9/22(火) 県民の日(今は休日ではありません)"};
  EXPECT_EQ(ImportPlanLines(plan), lines);
  EXPECT_EQ(ImportPlanQuestion(plan),
            "2日を休日として取り込み、チャイムを鳴らさない日にします。このうち1日は今は休日では"
            "ないため、鳴っていたチャイムが鳴らなくなります。一覧を確かめてから取り込んでくださ"
            "い。");
  // Nothing is stored until the plan is applied.
  EXPECT_EQ(calendar.importedDays.size(), 1u);
  EXPECT_FALSE(std::ifstream(ImportedDaysPath(ini)).good());
  EXPECT_EQ(ApplyDayImport(calendar, ini, plan), "");
  EXPECT_EQ(calendar.importedDays.size(), 3u);
  EXPECT_EQ(ReadSchoolCalendar(ini).calendar.importedDays, calendar.importedDays);
}

TEST(ImportDayFile, LargeFilesAreRefusedBeforeTheyAreRead) {
  ScratchFolder folder;
  const std::string large = folder.file("large.csv");
  std::ofstream(large, std::ios::binary) << std::string(kMaxCalendarFileBytes + 1, '\n');
  SchoolCalendar calendar;
  EXPECT_EQ(ImportDayFile(calendar, folder.file("t.INI"), large, kHorizon).error,
            "ファイル " + large + " は大きすぎるため、取り込みは行いませんでした。");
}

}  // namespace
}  // namespace tollvane

// The CSV and iCalendar readers on files written here, and the import that merges their days.
#include "calendar/day_import.h"

#include <gtest/gtest.h>

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
       "3行目の日付を読み取れません (2024/2/30,無い日)。取り込みは行いませんでした。"},
      {"2024/1/1,元日\r\nsomething else\r\n",
       "2行目の日付を読み取れません (something else)。取り込みは行いませんでした。"},
      {"h\n2024/1/1\n", "2行目に名称がありません (2024/1/1)。取り込みは行いませんでした。"},
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

}  // namespace
}  // namespace tollvane

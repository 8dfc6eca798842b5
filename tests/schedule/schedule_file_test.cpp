#include "schedule/schedule_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>

#include "engine/errors.h"
#include "schedule/tabs.h"
#include "support/fakes.h"
#include "support/scratch_folder.h"

namespace tollvane {
namespace {

using testing::MapPageTexts;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

constexpr BellSlot kGuard{-777, -777, -777};

bool SameSlot(const BellSlot& a, const BellSlot& b) {
  return a.hour == b.hour && a.minute == b.minute && a.sound == b.sound;
}

WeekSchedule ResetSchedule() {
  WeekSchedule schedule;
  ResetWeekSchedule(schedule);
  return schedule;
}

WeekSchedule Guarded() {
  WeekSchedule schedule;
  for (auto& timetable : schedule.timetables) {
    timetable.fill(kGuard);
  }
  return schedule;
}

// The schedule held by data/filled_schedule.txt; every other slot is reset.
WeekSchedule FilledSchedule() {
  WeekSchedule schedule = ResetSchedule();
  schedule.at(8, 1) = {8, 30, 3};
  schedule.at(8, 2) = {12, 0, 1};
  schedule.at(8, 24) = {18, 55, 10};
  schedule.at(1, 1) = {0, 45, 5};
  schedule.at(2, 1) = {9, 5, 2};
  schedule.at(2, 2) = {-3, -5, 0};
  schedule.at(4, 12) = {25, 7, 11};
  schedule.at(7, 24) = {INT32_MAX, INT32_MIN, -1};
  return schedule;
}

// Joins records "t h m s" into file lines.
LineBuffer Records(std::initializer_list<std::array<const char*, 4>> records) {
  LineBuffer lines;
  for (const auto& record : records) {
    lines.insert(lines.end(), record.begin(), record.end());
  }
  return lines;
}

std::string Shown(const MapPageTexts& texts, int t, int n) {
  return texts.text(DropDownName(t, n, SlotField::Hour)) + "|" +
         texts.text(DropDownName(t, n, SlotField::Minute)) + "|" +
         texts.text(DropDownName(t, n, SlotField::Sound));
}

// ---------------------------------------------------------------------------------------------

TEST(ScheduleWriter, ResetScheduleIs2304BytesInTheOrderCommonThenSundayToSaturday) {
  ScratchFolder folder;
  LineBuffer lines{"left over"};
  BuildScheduleLines(ResetSchedule(), lines);
  ASSERT_EQ(lines.size(), 768u);
  StoreLines(lines, folder.file("reset.txt"));
  EXPECT_TRUE(lines.empty());

  std::string expected;
  for (const char* t : {"8", "1", "2", "3", "4", "5", "6", "7"}) {
    for (int n = 0; n < 24; ++n) {
      expected += std::string(t) + "\r\n0\r\n0\r\n1\r\n";
    }
  }
  const std::string bytes = ReadBytes(folder.file("reset.txt"));
  EXPECT_EQ(bytes.size(), 2304u);
  EXPECT_EQ(bytes, expected);
}

TEST(ScheduleWriter, FilledScheduleMatchesTheStoredFileByteForByte) {
  ScratchFolder folder;
  LineBuffer lines;
  BuildScheduleLines(FilledSchedule(), lines);
  StoreLines(lines, folder.file("filled.txt"));
  const std::string fixture = ReadBytes(SCHEDULE_TEST_DATA "/filled_schedule.txt");
  ASSERT_EQ(fixture.size(), 2334u);
  EXPECT_EQ(ReadBytes(folder.file("filled.txt")), fixture);
}

TEST(ScheduleWriter, WhatIsWrittenReadsBackSlotForSlotInBothModes) {
  ScratchFolder folder;
  LineBuffer lines;
  BuildScheduleLines(FilledSchedule(), lines);
  StoreLines(lines, folder.file("s.txt"));
  LoadLines(lines, folder.file("s.txt"));
  WeekSchedule parsed = Guarded();
  ParseScheduleRecords(lines, parsed);
  const WeekSchedule filled = FilledSchedule();
  for (int t = 1; t <= kTimetableCount; ++t) {
    for (int n = 1; n <= kSlotsPerTimetable; ++n) {
      EXPECT_TRUE(SameSlot(parsed.at(t, n), filled.at(t, n))) << t << "/" << n;
    }
  }
  // Append mode: the file's 24 records per timetable replace every slot the pages showed.
  MapPageTexts texts;
  for (int t = 1; t <= kTimetableCount; ++t) {
    for (int n = 1; n <= kSlotsPerTimetable; ++n) {
      texts.setText(DropDownName(t, n, SlotField::Hour), "17");
    }
  }
  WeekSchedule schedule = ResetSchedule();
  ReadScheduleFile(ReadMode::Append, lines, schedule, texts);
  EXPECT_EQ(Shown(texts, 8, 1), "8|30|3");
  EXPECT_EQ(Shown(texts, 1, 1), "||5");
  EXPECT_EQ(Shown(texts, 2, 2), "-3|-5|0");
  EXPECT_EQ(Shown(texts, 7, 24), "2147483647|-2147483648|-1");
  EXPECT_EQ(Shown(texts, 5, 5), "||1");
}

// ---------------------------------------------------------------------------------------------

TEST(StoreLines, ReplacesAnExistingFileKeepingItsPermissionsAndLeavesNoTemporaryFile) {
  ScratchFolder folder;
  const std::string path = folder.file("week.txt");
  WriteBytes(path, std::string(5000, 'x'));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  LineBuffer lines{"8", "-3", "", "10"};
  StoreLines(lines, path);
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(ReadBytes(path), "8\r\n-3\r\n\r\n10\r\n");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(folder.names(), std::vector<std::string>{"week.txt"});

  LineBuffer none;
  StoreLines(none, path);
  EXPECT_EQ(ReadBytes(path), "");
}

TEST(StoreLines, SavingThroughASymbolicLinkUpdatesTheFileItNames) {
  ScratchFolder folder;
  std::filesystem::create_directory(folder.file("real"));
  const std::string real = folder.file("real/week.txt");
  WriteBytes(real, "old");
  std::filesystem::create_symlink(real, folder.file("link.txt"));
  LineBuffer lines{"1"};
  StoreLines(lines, folder.file("link.txt"));
  EXPECT_TRUE(std::filesystem::is_symlink(folder.file("link.txt")));
  EXPECT_EQ(ReadBytes(real), "1\r\n");
}

void ExpectCreateError(const std::string& path) {
  LineBuffer lines{"8", "0"};
  try {
    StoreLines(lines, path);
    ADD_FAILURE() << "stored to " << path;
  } catch (const FileCreateError& e) {
    EXPECT_EQ(std::string(e.what()), "ファイル " + path + " を作成できません");
  }
  EXPECT_EQ(lines, (LineBuffer{"8", "0"})) << "the lines are kept for another try";
}

TEST(StoreLines, TargetsThatCannotBeCreatedRaiseFileCreateError) {
  ScratchFolder folder;
  std::filesystem::create_directory(folder.file("folder.txt"));
  WriteBytes(folder.file("plain"), "p");
  ExpectCreateError(folder.file("folder.txt"));
  ExpectCreateError(folder.file("missing/week.txt"));
  ExpectCreateError(folder.file("plain/week.txt"));
  ExpectCreateError("");
  ExpectCreateError("/proc/tollvane-week.txt");  // not even root creates files here
  ExpectCreateError("/dev/null");                // a device is never replaced
  EXPECT_TRUE(std::filesystem::is_directory(folder.file("folder.txt")));
  EXPECT_EQ(ReadBytes(folder.file("plain")), "p");
}

TEST(StoreLines, ReadOnlyFolderRaisesFileCreateError) {
  ScratchFolder folder;
  const std::string locked = folder.file("locked");
  std::filesystem::create_directory(locked);
  WriteBytes(locked + "/week.txt", "old");
  ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
  if (::access(locked.c_str(), W_OK) == 0) {
    GTEST_SKIP() << "running with rights that ignore folder permissions";
  }
  ExpectCreateError(locked + "/week.txt");
  ExpectCreateError(locked + "/new.txt");
  EXPECT_EQ(ReadBytes(locked + "/week.txt"), "old");
}

// The folder lets anyone replace files in it, but the file itself is read-only: the save must
// fail as writing into the file would, and leave it alone.
TEST(StoreLines, ReadOnlyFileInAWritableFolderIsNotReplaced) {
  ScratchFolder folder;
  ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
  const std::string path = folder.file("week.txt");
  WriteBytes(path, "old");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  if (::geteuid() != 0) {
    ExpectCreateError(path);
    EXPECT_EQ(ReadBytes(path), "old");
    return;
  }
  // Root may write anything; try it as a user who owns the file but made it read-only.
  ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
  EXPECT_EXIT(
      {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
          ::_exit(2);
        }
        LineBuffer lines{"8"};
        try {
          StoreLines(lines, path);
        } catch (const FileCreateError&) {
          ::_exit(ReadBytes(path) == "old" && lines.size() == 1 ? 0 : 3);
        }
        ::_exit(1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(folder.names(), std::vector<std::string>{"week.txt"});
}

// A disk that fills up half-way through the write: the old file must survive whole.
TEST(StoreLines, WriteFailingHalfWayKeepsTheOldFileAndRemovesTheTemporaryFile) {
  ScratchFolder folder;
  const std::string path = folder.file("week.txt");
  const std::string old = "8\r\n9\r\n0\r\n1\r\n";
  WriteBytes(path, old);
  LineBuffer lines;
  BuildScheduleLines(FilledSchedule(), lines);

  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 1000;
  void (*previous)(int) = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool raised = false;
  try {
    StoreLines(lines, path);
  } catch (const FileCreateError&) {
    raised = true;
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previous);

  EXPECT_TRUE(raised);
  EXPECT_EQ(lines.size(), 768u);
  EXPECT_EQ(ReadBytes(path), old);
  EXPECT_EQ(folder.names(), std::vector<std::string>{"week.txt"});
}

// ---------------------------------------------------------------------------------------------

LineBuffer LoadText(const std::string& bytes) {
  ScratchFolder folder;
  WriteBytes(folder.file("in.txt"), bytes);
  LineBuffer lines{"stale"};
  LoadLines(lines, folder.file("in.txt"));
  return lines;
}

TEST(LoadLines, SplitsAtCrLfLoneCrAndLoneLf) {
  EXPECT_EQ(LoadText("8\r\n0\r\n"), (LineBuffer{"8", "0"}));
  EXPECT_EQ(LoadText("8\n0\n"), (LineBuffer{"8", "0"}));
  EXPECT_EQ(LoadText("8\r0\r"), (LineBuffer{"8", "0"}));
  EXPECT_EQ(LoadText("8\r\n0\n30\r1"), (LineBuffer{"8", "0", "30", "1"}));
  // A final line without a break counts, the empty rest after a final break does not.
  EXPECT_EQ(LoadText("8\r\n0"), (LineBuffer{"8", "0"}));
  EXPECT_EQ(LoadText(""), LineBuffer{});
  EXPECT_EQ(LoadText("\r\n"), LineBuffer{""});
  EXPECT_EQ(LoadText("\n\r"), (LineBuffer{"", ""}));  // LF then a lone CR: two breaks
  EXPECT_EQ(LoadText("a\r\r\nb"), (LineBuffer{"a", "", "b"}));
  EXPECT_EQ(LoadText("a\n\n\n"), (LineBuffer{"a", "", ""}));
  EXPECT_EQ(LoadText(" 8 \t\r\n"), LineBuffer{" 8 \t"});
}

TEST(LoadLines, TheTextEndsAtTheFirstNul) {
  EXPECT_EQ(LoadText(std::string("8\r\n3\0\r\n9\r\n", 10)), (LineBuffer{"8", "3"}));
  EXPECT_EQ(LoadText(std::string("8\r\n\0junk", 8)), LineBuffer{"8"});
  EXPECT_EQ(LoadText(std::string("\0"
                                 "8\r\n",
                                 4)),
            LineBuffer{});
  // Whatever follows the NUL, however much, is not looked at.
  std::string big = "8\r\n";
  big += '\0';
  big += std::string(17u << 20, 'x');
  EXPECT_EQ(LoadText(big), LineBuffer{"8"});
}

void ExpectOpenError(const std::string& path) {
  LineBuffer lines{"stale"};
  try {
    LoadLines(lines, path);
    ADD_FAILURE() << "loaded " << path;
  } catch (const FileOpenError& e) {
    EXPECT_EQ(std::string(e.what()), "ファイル " + path + " は開けません");
  }
  EXPECT_TRUE(lines.empty());
}

TEST(LoadLines, FilesThatCannotBeReadRaiseFileOpenError) {
  ScratchFolder folder;
  ExpectOpenError(folder.file("missing.txt"));
  ExpectOpenError(folder.path().string());
  ExpectOpenError("");
  const std::string fifo = folder.file("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ExpectOpenError(fifo);  // must not wait for a writer

  // Far beyond anything a schedule could be: refused rather than filling memory.
  WriteBytes(folder.file("huge.txt"), std::string((16u << 20) + 1, '1'));
  ExpectOpenError(folder.file("huge.txt"));
  WriteBytes(folder.file("breaks.txt"), std::string((1u << 20) + 1, '\n'));
  ExpectOpenError(folder.file("breaks.txt"));
}

TEST(LoadLines, UnreadableFileRaisesFileOpenError) {
  ScratchFolder folder;
  const std::string path = folder.file("secret.txt");
  WriteBytes(path, "8\r\n");
  ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  if (::access(path.c_str(), R_OK) == 0) {
    GTEST_SKIP() << "running with rights that ignore file permissions";
  }
  ExpectOpenError(path);
}

// ---------------------------------------------------------------------------------------------

TEST(ParseScheduleRecords, OnlyWholeRecordsAreRead) {
  LineBuffer lines;
  BuildScheduleLines(FilledSchedule(), lines);
  lines.push_back("junk that is never converted");  // 769 lines
  WeekSchedule schedule = Guarded();
  ParseScheduleRecords(lines, schedule);
  EXPECT_TRUE(SameSlot(schedule.at(7, 24), {INT32_MAX, INT32_MIN, -1}));

  WeekSchedule untouched = Guarded();
  ParseScheduleRecords(LineBuffer{"8", "9", "0"}, untouched);
  EXPECT_TRUE(SameSlot(untouched.at(8, 1), kGuard));
}

TEST(ParseScheduleRecords, RecordsOfOtherNumbersAreSkippedUnread) {
  WeekSchedule schedule = Guarded();
  ParseScheduleRecords(Records({{"0", "abc", "", "x"},
                                {"9", "abc", "abc", "abc"},
                                {"", "abc", "9 ", "?"},
                                {"-1", "a", "b", "c"},
                                {"2147483647", "a", "b", "c"},
                                {"3", "10", "15", "2"}}),
                       schedule);
  EXPECT_TRUE(SameSlot(schedule.at(3, 1), {10, 15, 2}));
  EXPECT_TRUE(SameSlot(schedule.at(3, 2), kGuard));
}

TEST(ParseScheduleRecords, EachTimetableFillsFromSlotOneInItsOwnOrder) {
  WeekSchedule schedule = Guarded();
  ParseScheduleRecords(Records({{"2", "8", "0", "1"},
                                {"1", "9", "5", "2"},
                                {" 2", "10", "$A", "+3"},
                                {"3", "", "", ""},
                                {"0x2", "11", "-1", "0"}}),
                       schedule);
  EXPECT_TRUE(SameSlot(schedule.at(2, 1), {8, 0, 1}));
  EXPECT_TRUE(SameSlot(schedule.at(2, 2), {10, 10, 3}));
  EXPECT_TRUE(SameSlot(schedule.at(2, 3), {11, -1, 0}));
  EXPECT_TRUE(SameSlot(schedule.at(2, 4), kGuard));
  EXPECT_TRUE(SameSlot(schedule.at(1, 1), {9, 5, 2}));
  // Empty lines are 0, the sound included: no sound-number rule in files.
  EXPECT_TRUE(SameSlot(schedule.at(3, 1), {0, 0, 0}));
}

TEST(ParseScheduleRecords, RecordsPastTheTwentyFourthOfATimetableAreIgnored) {
  LineBuffer lines;
  for (int i = 1; i <= 48; ++i) {
    const std::string value = std::to_string(i);
    lines.insert(lines.end(), {"2", value, value, value});
  }
  // Past the end even junk is not read, and the next timetable is never touched.
  lines.insert(lines.end(), {"2", "junk", "junk", "junk"});
  lines.insert(lines.end(), {"8", "7", "7", "7"});
  WeekSchedule schedule = Guarded();
  ParseScheduleRecords(lines, schedule);
  for (int n = 1; n <= kSlotsPerTimetable; ++n) {
    EXPECT_TRUE(SameSlot(schedule.at(2, n), {n, n, n})) << n;
  }
  EXPECT_TRUE(SameSlot(schedule.at(3, 1), kGuard));
  EXPECT_TRUE(SameSlot(schedule.at(8, 1), {7, 7, 7}));
  EXPECT_TRUE(SameSlot(schedule.at(8, 2), kGuard));
}

TEST(ParseScheduleRecords, ConversionErrorStopsWithTheFieldsBeforeItStored) {
  WeekSchedule schedule = Guarded();
  try {
    ParseScheduleRecords(
        Records({{"5", "8", "30", "2"}, {"5", "9", "abc", "1"}, {"5", "10", "0", "1"}}), schedule);
    ADD_FAILURE();
  } catch (const ConversionError& e) {
    EXPECT_EQ(std::string(e.what()), "'abc' は整数ではありません");
  }
  EXPECT_TRUE(SameSlot(schedule.at(5, 1), {8, 30, 2}));
  EXPECT_EQ(schedule.at(5, 2).hour, 9);
  EXPECT_EQ(schedule.at(5, 2).minute, kGuard.minute);
  EXPECT_EQ(schedule.at(5, 2).sound, kGuard.sound);
  EXPECT_TRUE(SameSlot(schedule.at(5, 3), kGuard));

  // A timetable-number line is converted too; a trailing blank is not an integer.
  WeekSchedule other = Guarded();
  EXPECT_THROW(ParseScheduleRecords(Records({{"4", "8", "0", "1"}, {"8 ", "9", "0", "1"}}), other),
               ConversionError);
  EXPECT_TRUE(SameSlot(other.at(4, 1), {8, 0, 1}));
  EXPECT_TRUE(SameSlot(other.at(8, 1), kGuard));
}

// ---------------------------------------------------------------------------------------------

TEST(ReadScheduleFile, OverwriteShowsTheFileOverTheResetStateAndResetsAfterwards) {
  LineBuffer lines;
  for (int n = 1; n <= kSlotsPerTimetable; ++n) {
    lines.insert(lines.end(), {"8", std::to_string(n % 11 + 8), "5", "0"});
  }
  MapPageTexts texts;
  texts.setText("mo01ji", "9");
  WeekSchedule schedule = ResetSchedule();
  ReadScheduleFile(ReadMode::Overwrite, lines, schedule, texts);
  EXPECT_EQ(Shown(texts, 8, 1), "9|5|0");
  EXPECT_EQ(Shown(texts, 8, 24), "10|5|0");
  EXPECT_EQ(Shown(texts, 2, 1), "||1");  // the Monday page no longer shows its 9
  EXPECT_EQ(Shown(texts, 1, 24), "||1");
  EXPECT_TRUE(SameSlot(schedule.at(8, 1), {0, 0, 1}));
}

TEST(ReadScheduleFile, AppendReplacesOnlyTheSlotsTheFileReaches) {
  MapPageTexts texts;
  for (int n = 1; n <= kSlotsPerTimetable; ++n) {
    texts.setText(DropDownName(2, n, SlotField::Hour), "12");
    texts.setText(DropDownName(2, n, SlotField::Minute), "40");
    texts.setText(DropDownName(8, n, SlotField::Hour), "16");
  }
  WeekSchedule schedule = ResetSchedule();
  ReadScheduleFile(ReadMode::Append, Records({{"2", "8", "15", "4"}, {"2", "0", "5", "6"}}),
                   schedule, texts);
  EXPECT_EQ(Shown(texts, 2, 1), "8|15|4");
  EXPECT_EQ(Shown(texts, 2, 2), "||6");
  EXPECT_EQ(Shown(texts, 2, 3), "12|40|1");
  EXPECT_EQ(Shown(texts, 8, 24), "16|0|1");
  EXPECT_TRUE(SameSlot(schedule.at(2, 3), {0, 0, 1}));
}

TEST(ReadScheduleFile, FewerThanFourLinesStillReloadsThePages) {
  MapPageTexts texts;
  texts.setText("ak03ji", "9");
  WeekSchedule schedule = ResetSchedule();
  ReadScheduleFile(ReadMode::Overwrite, LineBuffer{"8", "9", "0"}, schedule, texts);
  EXPECT_EQ(Shown(texts, 8, 3), "||1");
}

TEST(ReadScheduleFile, ConversionErrorLeavesThePagesAndThePartialSchedule) {
  MapPageTexts texts;
  texts.setText("th01ji", "11");
  WeekSchedule schedule = ResetSchedule();
  EXPECT_THROW(
      ReadScheduleFile(ReadMode::Overwrite, Records({{"3", "8", "0", "2"}, {"5", "abc", "0", "1"}}),
                       schedule, texts),
      ConversionError);
  EXPECT_EQ(texts.texts.size(), 1u);
  EXPECT_EQ(texts.text("th01ji"), "11");
  // Not reset: what was parsed before the error stays in the schedule.
  EXPECT_TRUE(SameSlot(schedule.at(3, 1), {8, 0, 2}));

  // In append mode a page that does not gather stops the read before any record.
  texts.setText("mo01ji", "10");
  texts.setText("we05fu", "5分");
  WeekSchedule appended = ResetSchedule();
  EXPECT_THROW(
      ReadScheduleFile(ReadMode::Append, Records({{"3", "18", "0", "2"}}), appended, texts),
      ConversionError);
  EXPECT_TRUE(SameSlot(appended.at(3, 1), {0, 0, 1}));
  EXPECT_EQ(appended.at(2, 1).hour, 10);
  EXPECT_EQ(appended.at(5, 1).hour, 0);  // Thursday comes after Wednesday: never gathered
}

}  // namespace
}  // namespace tollvane

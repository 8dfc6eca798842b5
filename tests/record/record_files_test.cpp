// Reading the record back: which days it has, newest first, and damage of every kind skipped
// without losing the whole events around it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "record/record_files.h"
#include "record/record_kinds.h"
#include "support/scoped_environment.h"
#include "support/scratch_folder.h"

namespace tollvane {
namespace {

using ::testing::ElementsAre;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

std::string Line(const std::string& date, const std::string& time, const std::string& text) {
  return date + " " + time + "\t再生\t" + text + "\n";
}

std::vector<std::string> Texts(const RecordReading& reading) {
  std::vector<std::string> texts;
  for (const RecordEvent& e : reading.events)
    texts.push_back(e.text);
  return texts;
}

TEST(RecordFiles, NamesOfDayFiles) {
  struct Case {
    std::string name;
    bool valid;
    std::string date;
    int part;
  };
  const Case cases[] = {
      {"2026-12-07.log", true, "2026-12-07", 0}, {"2026-12-07.1.log", true, "2026-12-07", 1},
      {"2026-12-07.2.log", false, "", 0},        {"2026-13-07.log", false, "", 0},
      {"2026-12-07.log~", false, "", 0},         {"notes.txt", false, "", 0},
      {"2026-1-07.log", false, "", 0},
  };
  for (const Case& c : cases) {
    auto parsed = ParseRecordFileName(c.name);
    ASSERT_EQ(parsed.has_value(), c.valid) << c.name;
    if (parsed) {
      EXPECT_EQ(parsed->date, c.date);
      EXPECT_EQ(parsed->part, c.part);
      EXPECT_EQ(RecordFileNameOf(c.date, c.part), c.name);
    }
  }
  EXPECT_EQ(RecordDayNumber("1970-01-02"), 1);
  EXPECT_EQ(RecordDayNumber("2026-03-01") - RecordDayNumber("2026-02-28"), 1);
}

TEST(RecordFiles, FolderFollowsXdgStateHome) {
  const testing::ScopedEnvironment keepHome("HOME", getenv("HOME") ? getenv("HOME") : "/root");
  const std::string home = getenv("HOME");
  const testing::ScopedEnvironment state("XDG_STATE_HOME", "/var/tmp/state");
  EXPECT_EQ(DefaultRecordFolder(), "/var/tmp/state/tollvane");
  setenv("XDG_STATE_HOME", "relative/state", 1);  // not absolute: to be ignored
  EXPECT_EQ(DefaultRecordFolder(), std::filesystem::path(home) / ".local/state/tollvane");
  unsetenv("XDG_STATE_HOME");
  EXPECT_EQ(DefaultRecordFolder(), std::filesystem::path(home) / ".local/state/tollvane");
  unsetenv("HOME");  // the account's home then, never a folder relative to the current one
  EXPECT_TRUE(DefaultRecordFolder().is_absolute()) << DefaultRecordFolder();
}

TEST(RecordFiles, DaysAndEventsNewestFirst) {
  ScratchFolder folder;
  WriteBytes(folder.file("2026-12-07.1.log"),
             Line("2026-12-07", "08:00:00.000", "a") + Line("2026-12-07", "08:10:00.000", "b"));
  WriteBytes(folder.file("2026-12-07.log"), Line("2026-12-07", "08:20:00.000", "c"));
  WriteBytes(folder.file("2026-12-08.log"),
             Line("2026-12-08", "08:30:00.000", "d") + Line("2026-12-08", "08:40:00.000", "e"));
  WriteBytes(folder.file("2026-11-30.log"), Line("2026-11-30", "12:00:00.000", "z"));
  WriteBytes(folder.file("readme.txt"), Line("2026-12-09", "12:00:00.000", "not ours"));
  std::filesystem::create_directory(folder.path() / "2026-12-10.log");  // not a file

  EXPECT_THAT(RecordDays(folder.path()), ElementsAre("2026-12-08", "2026-12-07", "2026-11-30"));
  EXPECT_THAT(Texts(ReadRecord(folder.path())), ElementsAre("e", "d", "c", "b", "a", "z"));
  const RecordReading day = ReadRecord(folder.path(), "2026-12-07");
  EXPECT_THAT(Texts(day), ElementsAre("c", "b", "a"));
  EXPECT_EQ(day.events[0].time, "08:20:00.000");
  EXPECT_EQ(day.events[0].kind, "再生");
  EXPECT_THAT(Texts(ReadRecord(folder.path(), {}, 3)), ElementsAre("e", "d", "c"));
  EXPECT_TRUE(ReadRecord(folder.path(), "2026-01-01").events.empty());
  EXPECT_TRUE(ReadRecord(folder.path() / "missing").events.empty());
  EXPECT_TRUE(RecordDays(folder.file("readme.txt")).empty());
  // A pipe in place of the set-aside part is not waited on.
  ASSERT_EQ(::mkfifo(folder.file("2026-12-08.1.log").c_str(), 0600), 0);
  EXPECT_THAT(Texts(ReadRecord(folder.path(), "2026-12-08")), ElementsAre("e", "d"));
}

TEST(RecordFiles, DamagedLinesAreSkippedAndCounted) {
  const std::string a = Line("2026-12-07", "08:00:00.000", "a");
  const std::string b = Line("2026-12-07", "09:00:00.000", "b");
  std::string binary;
  for (int i = 0; i < 4096; ++i)
    binary += static_cast<char>((i * 131 + 7) % 256);
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> texts;
    int damaged;
  };
  const Case cases[] = {
      {"truncated mid-line", a + b.substr(0, 20), {"a"}, 1},
      {"truncated, then appended to", a + b.substr(0, 30) + "\n" + b, {"b", "a"}, 1},
      {"binary data", binary, {}, -1},
      {"binary data between events", a + binary + "\n" + b, {"b", "a"}, -1},
      {"a huge line", a + std::string(10u << 20, 'x') + "\n" + b, {"b", "a"}, 1},
      {"a huge line at the end", a + std::string(3u << 20, 'x'), {"a"}, 1},
      {"empty lines", "\n\n" + a, {"a"}, 2},
      {"NUL bytes in place of a line", a + std::string(100, '\0') + "\n" + b, {"b", "a"}, 1},
  };
  for (const Case& c : cases) {
    ScratchFolder folder;
    WriteBytes(folder.file("2026-12-07.log"), c.bytes);
    const RecordReading reading = ReadRecord(folder.path(), "2026-12-07");
    EXPECT_EQ(Texts(reading), c.texts) << c.what;
    if (c.damaged >= 0)
      EXPECT_EQ(reading.damagedLines, c.damaged) << c.what;
    else
      EXPECT_GT(reading.damagedLines, 0) << c.what;
  }
}

// A file written before the board and silenced-bell kinds got their present words reads whole,
// and the window marks the same lines as then.
TEST(RecordFiles, FormerKindsReadAndAreMarkedAsBefore) {
  struct Case {
    const char* kind;
    const char* current;
    bool marked;
  };
  const Case cases[] = {
      {"ボード切断", "USB-IO切断", true}, {"ボード接続", "USB-IO復旧", false},
      {"休み", "鳴らさず", false},        {"USB-IO切断", "USB-IO切断", true},
      {"エラー", "エラー", true},         {"再生", "再生", false},
  };
  ScratchFolder folder;
  std::string bytes;
  for (const Case& c : cases)
    bytes += std::string("2026-12-07 08:00:00.000\t") + c.kind + "\ttext\n";
  WriteBytes(folder.file("2026-12-07.log"), bytes);
  const RecordReading reading = ReadRecord(folder.path());
  EXPECT_EQ(reading.damagedLines, 0);
  ASSERT_EQ(reading.events.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[std::size(cases) - 1 - i];  // newest first
    EXPECT_EQ(reading.events[i].kind, c.kind);
    EXPECT_EQ(record_kind::CurrentKind(reading.events[i].kind), c.current) << c.kind;
    EXPECT_EQ(record_kind::NeedsAttention(reading.events[i].kind), c.marked) << c.kind;
  }
}

}  // namespace
}  // namespace tollvane

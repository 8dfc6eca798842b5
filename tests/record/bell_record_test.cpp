// The writer: day files, rotation and pruning by whole files, the bounded queue, the journal
// copy, and a folder that cannot be written, vanishes or holds a damaged file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "engine/local_time.h"
#include "record/bell_record.h"
#include "record/record_files.h"
#include "support/fakes.h"
#include "support/scratch_folder.h"

namespace tollvane {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using testing::FakeClock;
using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

LocalTime At(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
  return {LocalSecondsOf(y, mo, d, h, mi, s), ms};
}

std::vector<std::string> Texts(const fs::path& folder, std::string_view day = {}) {
  std::vector<std::string> texts;
  for (const RecordEvent& e : ReadRecord(folder, day).events)
    texts.push_back(e.text);
  return texts;
}

// Every file holds whole lines only: the writer never cuts one.
void ExpectWholeLines(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string bytes = ReadBytes(entry.path().string());
    EXPECT_TRUE(bytes.empty() || bytes.back() == '\n') << entry.path();
  }
  EXPECT_EQ(ReadRecord(folder).damagedLines, 0);
}

// A journal that records what it is sent and can hold the writer inside send.
class TestJournal : public JournalSink {
 public:
  void send(std::string_view stamp, std::string_view kind, std::string_view text) override {
    std::unique_lock lock(mutex);
    sent.push_back(std::string(stamp) + "|" + std::string(kind) + "|" + std::string(text));
    entered = true;
    changed.notify_all();
    changed.wait(lock, [&] { return !hold; });
  }
  void waitEntered() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return entered; });
  }
  void release() {
    std::lock_guard lock(mutex);
    hold = false;
    changed.notify_all();
  }
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::string> sent;
  bool hold = false;
  bool entered = false;
};

class BellRecordTest : public ::testing::Test {
 protected:
  BellRecordTest() { clock.time = At(2026, 12, 7, 8, 30, 0, 6); }
  FakeClock clock;
  ScratchFolder scratch;
  fs::path folder = scratch.path() / "state" / "tollvane";
  std::vector<std::string> reports;
  BellRecord::Report report = [this](const std::string& r) { reports.push_back(r); };
};

TEST_F(BellRecordTest, EventsLandInTheFileOfTheirDayAndInTheJournal) {
  auto journal = std::make_shared<TestJournal>();
  {
    BellRecord record(clock, folder, {}, journal, report);
    record.record("起動", "Tollvane");
    clock.time = At(2026, 12, 7, 23, 59, 59, 999);
    record.record("出力オン", "定時\t2 の 3");
    clock.time = At(2026, 12, 8, 0, 0, 0, 1);
    record.record("警告", "日付が変わりました");
  }  // destruction writes what is queued
  EXPECT_EQ(ReadBytes((folder / "2026-12-07.log").string()),
            "2026-12-07 08:30:00.006\t起動\tTollvane\n"
            "2026-12-07 23:59:59.999\t出力オン\t定時\\t2 の 3\n");
  EXPECT_EQ(ReadBytes((folder / "2026-12-08.log").string()),
            "2026-12-08 00:00:00.001\t警告\t日付が変わりました\n");
  EXPECT_THAT(journal->sent, ElementsAre("2026-12-07 08:30:00.006|起動|Tollvane",
                                         "2026-12-07 23:59:59.999|出力オン|定時\\t2 の 3",
                                         "2026-12-08 00:00:00.001|警告|日付が変わりました"));
  EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_TRUE(reports.empty());
}

// A busy day keeps its first file whole (it holds what started the trouble) and one more; the
// rest is counted, and the count is noted when the day's writing ends.
TEST_F(BellRecordTest, AFullDayKeepsItsFirstFileWholeAndCountsTheRest) {
  RecordLimits limits;
  limits.dayFileBytes = 400;  // about ten lines
  std::vector<std::string> recorded;
  std::uint64_t overDay = 0;
  {
    BellRecord record(clock, folder, limits, nullptr, report);
    for (int i = 0; i < 40; ++i) {
      clock.time.millisecond = i;
      recorded.push_back("bell " + std::to_string(i));
      record.record("再生", recorded.back());
      if (i % 3 == 0) {
        ASSERT_TRUE(record.flush());  // batches of different sizes
      }
    }
    ASSERT_TRUE(record.flush());
    overDay = record.counts().overDay;
    EXPECT_EQ(record.counts().written, 40 - overDay + 1);  // and the note that the day is full
  }
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(folder))
    files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  EXPECT_THAT(files, ElementsAre("2026-12-07.1.log", "2026-12-07.log"));
  EXPECT_LE(fs::file_size(folder / "2026-12-07.1.log"), limits.dayFileBytes);
  ExpectWholeLines(folder);
  // Oldest first: an unbroken run of the first events, then the two notes.
  std::vector<std::string> kept = Texts(folder);
  std::reverse(kept.begin(), kept.end());
  ASSERT_GE(kept.size(), 18u);
  ASSERT_GT(overDay, 0u);
  EXPECT_EQ(kept.size(), 40 - overDay + 2);
  for (std::size_t i = 0; i + 2 < kept.size(); ++i)
    EXPECT_EQ(kept[i], recorded[i]);
  EXPECT_THAT(kept[kept.size() - 2], HasSubstr("上限"));
  EXPECT_EQ(kept.back(), "この日の上限を超えた " + std::to_string(overDay) +
                             "件の記録はファイルに残していません。");
}

TEST_F(BellRecordTest, OldDaysAndThenTheOldestFilesArePruned) {
  fs::create_directories(folder);
  const std::string line = "2026-01-01 00:00:00.000\tk\t" + std::string(100, 'x') + "\n";
  // clang-format off
  const std::vector<std::pair<std::string, bool>> files = {  // name, kept
      {"2025-03-01.log", false},    // past the newest three days with a record
      {"2026-09-09.1.log", false},  // a kept day, but over the folder size
      {"2026-09-09.log", true},
      {"2026-12-06.log", true},
      {"2026-12-07.1.log", true},
      {"notes.txt", true},          // not a record file: left alone
  };
  // clang-format on
  for (const auto& [name, kept] : files)
    WriteBytes((folder / name).string(), line);
  RecordLimits limits;
  limits.keepDays = 3;
  limits.folderBytes = 3 * line.size() + line.size() / 2;
  {
    BellRecord record(clock, folder, limits, nullptr, report);
    record.record("起動", "");
  }
  for (const auto& [name, kept] : files)
    EXPECT_EQ(fs::exists(folder / name), kept) << name;
  EXPECT_TRUE(fs::exists(folder / "2026-12-07.log"));

  // A clock set years ahead starts a new day, and the record it should explain stays.
  clock.time = At(2099, 1, 1, 0, 0, 0);
  {
    BellRecord record(clock, folder, {}, nullptr, report);
    record.record("時刻の飛び", "");
  }
  EXPECT_THAT(RecordDays(folder),
              ElementsAre("2099-01-01", "2026-12-07", "2026-12-06", "2026-09-09"));
}

TEST_F(BellRecordTest, AFullQueueDropsAndCountsAndSaysSoLater) {
  RecordLimits limits;
  limits.queueLines = 5;
  for (bool laterEvent : {true, false}) {
    ScratchFolder other;
    auto journal = std::make_shared<TestJournal>();
    journal->hold = true;
    {
      BellRecord record(clock, other.path(), limits, journal, report);
      record.record("起動", "first");
      journal->waitEntered();  // the writer is stuck in its first batch
      for (int i = 0; i < 8; ++i)
        record.record("再生", "queued " + std::to_string(i));
      EXPECT_EQ(record.counts().dropped, 3u);
      journal->release();
      if (laterEvent) {
        ASSERT_TRUE(record.flush());
        record.record("停止", "after");
      }
    }  // without a later event, the end says how many were dropped
    std::vector<std::string> expected = {"記録が追いつかなかったため、3件の記録を捨てました。",
                                         "queued 4",
                                         "queued 3",
                                         "queued 2",
                                         "queued 1",
                                         "queued 0",
                                         "first"};
    if (laterEvent)
      expected.insert(expected.begin(), "after");
    EXPECT_EQ(Texts(other.path()), expected);
  }
}

TEST_F(BellRecordTest, DestructionWaitsForAStuckWriterOnlyAsLongAsAllowed) {
  auto journal = std::make_shared<TestJournal>();
  journal->hold = true;
  RecordLimits limits;
  limits.closeWait = std::chrono::milliseconds(50);
  auto record = std::make_unique<BellRecord>(clock, folder, limits, journal, report);
  record->record("起動", "");
  journal->waitEntered();
  EXPECT_FALSE(record->flush(std::chrono::milliseconds(1)));
  record.reset();  // returns although the writer is still held
  journal->release();
  // The left-behind writer finishes on its own copy of the state and then lets go of it.
  while (journal.use_count() > 1)
    std::this_thread::yield();
  EXPECT_THAT(Texts(folder), ElementsAre(""));
}

TEST_F(BellRecordTest, AnUnwritableFolderCostsTheRecordAndWritingResumesLater) {
  fs::create_directories(folder.parent_path());
  WriteBytes(folder.string(), "a file where the folder should be");  // works as root too
  auto journal = std::make_shared<TestJournal>();
  BellRecord record(clock, folder, {}, journal, report);
  for (int i = 0; i < 3; ++i) {
    record.record("再生", "lost " + std::to_string(i));
    ASSERT_TRUE(record.flush());
  }
  EXPECT_EQ(record.counts().lost, 3u);
  ASSERT_EQ(reports.size(), 1u) << "reported once, not per event";
  EXPECT_THAT(reports[0], HasSubstr("書き込めません"));
  EXPECT_EQ(journal->sent.size(), 4u) << "the journal copy goes on, and hears the failure";

  fs::remove(folder);
  clock.time.millisecond = 500;
  record.record("再生", "kept");
  ASSERT_TRUE(record.flush());
  EXPECT_THAT(Texts(folder),
              ElementsAre("kept", "書き込めなかったため、3件の記録が失われました。"));
  EXPECT_EQ(ReadRecord(folder).events[1].time, "08:30:00.500");
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_THAT(reports[1], HasSubstr("再開"));
}

TEST_F(BellRecordTest, AVanishedFolderIsMadeAgain) {
  BellRecord record(clock, folder, {}, nullptr, report);
  record.record("起動", "one");
  ASSERT_TRUE(record.flush());
  fs::remove_all(folder);
  record.record("再生", "two");
  ASSERT_TRUE(record.flush());
  EXPECT_THAT(Texts(folder), ElementsAre("two"));
  // Replaced by another file of the same name: written to the new one.
  fs::remove(folder / "2026-12-07.log");
  WriteBytes((folder / "2026-12-07.log").string(), "");
  record.record("再生", "three");
  ASSERT_TRUE(record.flush());
  EXPECT_THAT(Texts(folder), ElementsAre("three"));
  EXPECT_TRUE(reports.empty());
}

TEST_F(BellRecordTest, ADamagedFileIsSealedBeforeAppending) {
  fs::create_directories(folder);
  const std::string cut = "2026-12-07 08:00:00.000\t再生";  // cut before its text
  struct Case {
    const char* what;
    std::string bytes;
  };
  std::string binary;
  for (int i = 0; i < 3000; ++i)
    binary += static_cast<char>(i * 7);
  const Case cases[] = {{"truncated mid-line", cut},
                        {"binary data", binary},
                        {"a huge line", std::string(3u << 20, 'y')}};
  for (const Case& c : cases) {
    WriteBytes((folder / "2026-12-07.log").string(), c.bytes);
    {
      BellRecord record(clock, folder, {}, nullptr, report);
      record.record("起動", "after damage");
    }
    const RecordReading reading = ReadRecord(folder);
    ASSERT_FALSE(reading.events.empty()) << c.what;
    EXPECT_EQ(reading.events[0].text, "after damage") << c.what;
    EXPECT_GE(reading.damagedLines, 1) << c.what;
  }
}

TEST_F(BellRecordTest, ALinkInPlaceOfADayFileIsNotFollowed) {
  fs::create_directories(folder);
  const std::string elsewhere = scratch.file("elsewhere.txt");
  WriteBytes(elsewhere, "precious\n");
  fs::create_symlink(elsewhere, folder / "2026-12-07.log");
  {
    BellRecord record(clock, folder, {}, nullptr, report);
    record.record("起動", "");
  }
  EXPECT_EQ(ReadBytes(elsewhere), "precious\n");
  EXPECT_EQ(reports.size(), 1u);
}

// Identical events (kind and text) within a minute of the first are written once, then as one
// line with their count, stamped with the last; anything else is written as it comes.
TEST_F(BellRecordTest, RepeatsAreWrittenOnceAndThenCounted) {
  struct Event {
    int second;  // after 08:30:00
    const char* kind;
    const char* text;
  };
  const Event events[] = {
      {0, "エラー", "x"},   {5, "エラー", "x"},
      {10, "エラー", "x"},  {12, "警告", "x"},  // another kind: not a repeat
      {20, "エラー", "x"},                      // a repeat, but not of the event just before
      {100, "エラー", "x"}, {130, "エラー", "x"},
      {165, "エラー", "x"}, {170, "エラー", "x"},  // the next window of the same repeat
      {400, "エラー", "x"},                        // after a pause: written in full again
  };
  {
    BellRecord record(clock, folder, {}, nullptr, report);
    for (const Event& e : events) {
      clock.time = At(2026, 12, 7, 8, 30, 0);
      clock.time.localSeconds += e.second;
      record.record(e.kind, e.text);
    }
  }
  std::vector<std::string> lines;
  for (const RecordEvent& e : ReadRecord(folder).events)
    lines.insert(lines.begin(), e.time.substr(0, 8) + " " + e.kind + " " + e.text);
  EXPECT_THAT(lines, ElementsAre("08:30:00 エラー x", "08:30:10 エラー x(同じ記録 2回)",
                                 "08:30:12 警告 x", "08:30:20 エラー x", "08:31:40 エラー x",
                                 "08:32:10 エラー x(同じ記録 1回)",
                                 "08:32:50 エラー x(同じ記録 2回)", "08:36:40 エラー x"));
}

// A forced ring failing all day, or a day of varied errors, costs none of the days after it:
// the prune goes by age only, and the busy day's first file keeps what started it.
TEST_F(BellRecordTest, ANoisyDayCostsNoOtherDay) {
  const std::string error =
      "強制の音を鳴らせません: /home/sensei/チャイム/chime.wav を開けません(詳細: GStreamer の要素 "
      "playbin がありません)";
  for (const bool identical : {true, false}) {
    SCOPED_TRACE(identical ? "one error repeating" : "errors all different");
    ScratchFolder other;
    const fs::path state = other.path() / "tollvane";
    const std::string noisyDay = "2026-04-06";
    BellRecord record(clock, state, {}, nullptr, report);
    clock.time = At(2026, 4, 6, 7, 0, 0);
    record.record("エラー", "最初の原因");
    for (int i = 0; i < 20000; ++i) {
      clock.time.localSeconds += 4;
      record.record("エラー", identical ? error : error + " " + std::to_string(i));
      if (i % 2000 == 1999) {
        ASSERT_TRUE(record.flush());
      }
    }
    for (int day = 1; day <= 90; ++day) {
      clock.time = At(2026, 4, 7, 8, 30, 0);
      clock.time.localSeconds += (day - 1) * 86400;
      record.record("再生", "day " + std::to_string(day));
      ASSERT_TRUE(record.flush());
      const std::vector<std::string> days = RecordDays(state);
      if (day < 90) {
        ASSERT_EQ(days.size(), static_cast<std::size_t>(day + 1)) << "after day " << day;
        const std::vector<std::string> noisy = Texts(state, noisyDay);
        ASSERT_FALSE(noisy.empty());
        EXPECT_EQ(noisy.back(), "最初の原因");
      } else {
        EXPECT_EQ(days.size(), 90u);
        EXPECT_EQ(days.back(), "2026-04-07") << "the noisy day goes by age, as the 91st";
      }
    }
    if (identical) {
      EXPECT_EQ(record.counts().overDay, 0u);
    } else {
      EXPECT_GT(record.counts().overDay, 0u);
    }
  }
}

TEST_F(BellRecordTest, TheJournalAloneWhenOthersCouldChangeTheFolder) {
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> make;
    const char* why;
  };
  const fs::path elsewhere = scratch.path() / "elsewhere";
  fs::create_directories(elsewhere);
  WriteBytes((elsewhere / "2020-01-01.log").string(), "not the record's\n");
  std::vector<Case> cases = {
      {"a link to another folder",
       [&](const fs::path& f) { fs::create_directory_symlink(elsewhere, f); },
       "シンボリックリンク"},
      {"world-writable",
       [](const fs::path& f) {
         fs::create_directory(f);
         fs::permissions(f, fs::perms::all);
       },
       "ほかのユーザーも書き込める"},
      {"group-writable",
       [](const fs::path& f) {
         fs::create_directory(f);
         fs::permissions(f, fs::perms::owner_all | fs::perms::group_all);
       },
       "ほかのユーザーも書き込める"},
  };
  if (::geteuid() == 0) {
    cases.push_back({"another user's",
                     [](const fs::path& f) {
                       fs::create_directory(f);
                       ASSERT_EQ(::chown(f.c_str(), 65534, 65534), 0);
                     },
                     "ほかのユーザーのフォルダ"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder other;
    const fs::path state = other.path() / "tollvane";
    c.make(state);
    auto journal = std::make_shared<TestJournal>();
    std::vector<std::string> told;
    {
      BellRecord record(clock, state, {}, journal,
                        [&](const std::string& r) { told.push_back(r); });
      record.record("起動", "one");
      ASSERT_TRUE(record.flush());
      record.record("再生", "two");
    }
    ASSERT_EQ(told.size(), 1u) << "one warning, not one per event";
    EXPECT_THAT(told[0], HasSubstr(c.why));
    EXPECT_THAT(told[0], HasSubstr(state.string()));
    EXPECT_EQ(journal->sent.size(), 3u);  // both events and the warning
    EXPECT_EQ(fs::is_symlink(state) ? 0 : std::distance(fs::directory_iterator(state), {}), 0);
  }
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(elsewhere))
    names.push_back(entry.path().filename().string());
  EXPECT_THAT(names, ElementsAre("2020-01-01.log"));
  EXPECT_EQ(ReadBytes((elsewhere / "2020-01-01.log").string()), "not the record's\n");
}

}  // namespace
}  // namespace tollvane

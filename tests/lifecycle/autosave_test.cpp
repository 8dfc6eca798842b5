// Automatic saves: which pages may overwrite the auto-save file, the backup beside it, and the
// files that are never replaced.
#include "lifecycle/autosave.h"

#include <gtest/gtest.h>

#include <functional>

#include "schedule/schedule_file.h"
#include "support/scratch_folder.h"

namespace tollvane {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using Origin = AutosaveTrust::Origin;
using Result = AutosaveOutcome::Result;

std::string FileOf(const WeekSchedule& schedule) {
  LineBuffer lines;
  BuildScheduleLines(schedule, lines);
  std::string bytes;
  for (const std::string& line : lines) {
    bytes += line + "\r\n";
  }
  return bytes;
}

WeekSchedule WithBell(int hour) {
  WeekSchedule schedule;
  ResetWeekSchedule(schedule);
  schedule.at(2, 1) = {hour, 30, 1};
  return schedule;
}

TEST(AutosaveTrust, TheLastThingThatHappenedToThePagesDecides) {
  struct Case {
    const char* what;
    std::function<void(AutosaveTrust&)> steps;
    Origin origin;
    bool trusted;
  };
  const Case cases[] = {
      {"fresh start", [](AutosaveTrust&) {}, Origin::kStart, false},
      {"question open", [](AutosaveTrust& t) { t.reloadAsked(); }, Origin::kAsking, false},
      {"answered No", [](AutosaveTrust& t) { t.reloadAnswered(false); }, Origin::kRefused, false},
      {"answered Yes",
       [](AutosaveTrust& t) {
         t.reloadAsked();
         t.reloadAnswered(true);
       },
       Origin::kReloaded, true},
      {"reload failed", [](AutosaveTrust& t) { t.reloadFailed(); }, Origin::kReloadFailed, false},
      {"No, then an edit",
       [](AutosaveTrust& t) {
         t.reloadAnswered(false);
         t.edited();
       },
       Origin::kEdited, true},
      {"failed, then a file opened",
       [](AutosaveTrust& t) {
         t.reloadFailed();
         t.fileOpened();
       },
       Origin::kFileOpened, true},
  };
  for (const Case& c : cases) {
    AutosaveTrust trust;
    c.steps(trust);
    EXPECT_EQ(trust.origin(), c.origin) << c.what;
    EXPECT_EQ(trust.pagesHoldTheSchedule(), c.trusted) << c.what;
    EXPECT_EQ(std::string(trust.whyNot()).empty(), c.trusted) << c.what;
  }
}

TEST(SaveAutomatically, WritesOnlyOverAFileItMayReplaceAndKeepsTheOldOneOnce) {
  const std::string good = FileOf(WithBell(8));
  const std::string pages = FileOf(WithBell(9));
  struct Case {
    const char* what;
    bool trusted;
    std::optional<std::string> before;  // nothing: no file
    Result result;
    std::string after;
    std::optional<std::string> backup;  // nothing: no backup file
  };
  const Case cases[] = {
      {"untrusted pages leave the file", false, good, Result::kNotTrusted, good, std::nullopt},
      {"with no file there is nothing to lose", false, std::nullopt, Result::kWritten, pages,
       std::nullopt},
      {"a first save needs no backup", true, std::nullopt, Result::kWritten, pages, std::nullopt},
      {"the old file becomes the backup", true, good, Result::kWritten, pages, good},
      {"a damaged file is never replaced", true, "1\r\nabc\r\n0\r\n1\r\n", Result::kUnreadableKept,
       "1\r\nabc\r\n0\r\n1\r\n", std::nullopt},
      {"the same bytes keep the backup as it was", true, pages, Result::kWritten, pages,
       std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    const std::string path = folder.file("dorrel.dat");
    if (c.before) {
      WriteBytes(path, *c.before);
    }
    AutosaveTrust trust;
    if (c.trusted) {
      trust.edited();
    }
    const AutosaveOutcome outcome = SaveAutomatically(trust, WithBell(9), path);
    EXPECT_EQ(outcome.result, c.result) << outcome.line;
    EXPECT_NE(outcome.line.find(path), std::string::npos) << outcome.line;
    EXPECT_EQ(ReadBytes(path), c.after);
    const std::string backup = AutosaveBackupPath(path);
    EXPECT_EQ(std::filesystem::exists(backup), c.backup.has_value());
    if (c.backup) {
      EXPECT_EQ(ReadBytes(backup), *c.backup);
    }
  }
}

TEST(SaveAutomatically, AFolderAtThePathIsUnreadableAndStays) {
  ScratchFolder folder;
  const std::string path = folder.file("dorrel.dat");
  std::filesystem::create_directory(path);
  AutosaveTrust trust;
  trust.fileOpened();
  EXPECT_EQ(SaveAutomatically(trust, WithBell(9), path).result, Result::kUnreadableKept);
  EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST(SessionEndSteps, ACheckpointOnlySaves) {
  const SessionEndSteps ending = StepsFor(SessionEndCause::kEnding);
  const SessionEndSteps checkpoint = StepsFor(SessionEndCause::kCheckpoint);
  EXPECT_TRUE(ending.save && ending.releaseDelay && ending.exit);
  EXPECT_TRUE(checkpoint.save);
  EXPECT_FALSE(checkpoint.releaseDelay || checkpoint.exit);
}

}  // namespace
}  // namespace tollvane

// What the schedule and settings tests cannot see through their callers: the missing/failed
// distinction, the size limit, the owner of a replaced file, and odd target names.
#include "fileio/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/scoped_environment.h"
#include "support/scratch_folder.h"

namespace tollvane {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

TEST(ReadFileBytes, TellsAMissingFileFromOneThatCannotBeRead) {
  ScratchFolder folder;
  std::string bytes = "stale";
  EXPECT_EQ(ReadFileBytes(folder.file("missing"), bytes), FileStatus::kMissing);
  EXPECT_EQ(bytes, "");
  std::filesystem::create_symlink("nowhere", folder.file("dangling"));
  EXPECT_EQ(ReadFileBytes(folder.file("dangling"), bytes), FileStatus::kMissing);

  WriteBytes(folder.file("plain"), "p");
  EXPECT_EQ(ReadFileBytes(folder.file("plain/inside"), bytes), FileStatus::kFailed);
  EXPECT_EQ(ReadFileBytes(folder.path().string(), bytes), FileStatus::kFailed);
  ASSERT_EQ(::mkfifo(folder.file("pipe").c_str(), 0600), 0);
  EXPECT_EQ(ReadFileBytes(folder.file("pipe"), bytes), FileStatus::kFailed);  // no writer waited

  // Several read chunks, NULs included, come back whole.
  std::string big(200 * 1024 + 7, 'a');
  big[70000] = '\0';
  WriteBytes(folder.file("big"), big);
  EXPECT_EQ(ReadFileBytes(folder.file("big"), bytes), FileStatus::kOk);
  EXPECT_EQ(bytes, big);
}

TEST(ReadFileUpTo, TakesAFileOfTheLimitAndRefusesOneByteMore) {
  ScratchFolder folder;
  struct {
    std::size_t size;
    BoundedRead status;
  } const kCases[] = {
      {0, BoundedRead::kOk}, {100, BoundedRead::kOk}, {101, BoundedRead::kTooLarge}};
  for (const auto& c : kCases) {
    const std::string path = folder.file("f" + std::to_string(c.size));
    WriteBytes(path, std::string(c.size, 'a'));
    std::string bytes = "old";
    EXPECT_EQ(ReadFileUpTo(path, 100, bytes), c.status) << c.size;
    EXPECT_EQ(bytes.size(), c.status == BoundedRead::kOk ? c.size : 0u);
  }
  std::string bytes;
  EXPECT_EQ(ReadFileUpTo(folder.file("none"), 100, bytes), BoundedRead::kMissing);
  EXPECT_EQ(ReadFileUpTo(folder.path().string(), 100, bytes), BoundedRead::kFailed);
}

// The copies an unfinished save leaves are found where they are made, and nothing else is.
TEST(LeftSaveCopies, ListsOnlyThisUsersCopiesInTheStateAndTemporaryFolders) {
  ScratchFolder state;
  ScratchFolder tmp;
  const testing::ScopedEnvironment stateHome("XDG_STATE_HOME", state.path().string());
  const testing::ScopedEnvironment tmpdir("TMPDIR", tmp.path().string());
  std::filesystem::create_directory(state.path() / "tollvane");
  const std::string first =
      (state.path() / "tollvane" / "tollvane.INI.a1B2c3.before-save").string();
  const std::string second = tmp.file("dorrel.dat.Zz9Yy8.before-save");
  WriteBytes(first, "old settings");
  WriteBytes(second, "old schedule");
  WriteBytes((state.path() / "tollvane" / "2026-12-09.log").string(), "record");
  WriteBytes(tmp.file(".before-save"), "no name");
  std::filesystem::create_directory(tmp.file("folder.before-save"));
  std::filesystem::create_symlink(first, tmp.file("link.before-save"));
  if (::geteuid() == 0) {
    const std::string foreign = tmp.file("other.x.before-save");
    WriteBytes(foreign, "another user's");
    ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
  }
  std::vector<std::string> both{first, second};
  std::sort(both.begin(), both.end());
  EXPECT_EQ(LeftSaveCopies(), both);
  EXPECT_EQ(LeftSaveCopies(1).size(), 1u);
}

TEST(ReplaceFileAtomically, KeepsTheOwnerOfAReplacedFile) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "only root may give a file to another user";
  }
  ScratchFolder folder;
  const std::string path = folder.file("week.txt");
  WriteBytes(path, "old");
  ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);

  ASSERT_TRUE(ReplaceFileAtomically(path, "new"));
  EXPECT_EQ(ReadBytes(path), "new");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 65534u);
  EXPECT_EQ(info.st_gid, 65534u);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(ReplaceFileAtomically, OddTargetsAreHandledWithoutLeftovers) {
  ScratchFolder folder;
  // The temporary name stays a legal name beside a target whose name is near the limit.
  const std::string longName(250, 'w');
  ASSERT_TRUE(ReplaceFileAtomically(folder.file(longName), "one"));
  ASSERT_TRUE(ReplaceFileAtomically(folder.file(longName), "two"));
  EXPECT_EQ(ReadBytes(folder.file(longName)), "two");
  EXPECT_EQ(folder.names(), std::vector<std::string>{longName});
  std::filesystem::remove(folder.file(longName));

  // A link that names nothing has no file to update; it is replaced by the file itself.
  std::filesystem::create_symlink("missing/week.txt", folder.file("dangling"));
  ASSERT_TRUE(ReplaceFileAtomically(folder.file("dangling"), "saved"));
  EXPECT_FALSE(std::filesystem::is_symlink(folder.file("dangling")));
  EXPECT_EQ(ReadBytes(folder.file("dangling")), "saved");

  EXPECT_FALSE(ReplaceFileAtomically("", "x"));
  EXPECT_FALSE(ReplaceFileAtomically(folder.path().string(), "x"));
  EXPECT_EQ(folder.names(), std::vector<std::string>{"dangling"});
}

}  // namespace
}  // namespace tollvane

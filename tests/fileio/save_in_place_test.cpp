// Saving into a shared folder that the user may not write: the writable file is overwritten
// in place, keeping its inode, owner and links; everywhere else the save stays atomic.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "fileio/file_io.h"
#include "support/scratch_folder.h"
#include "support/shared_folder.h"
#include "support/unprivileged.h"

namespace tollvane {
namespace {

using testing::kNobodyGid;
using testing::kNobodyUid;
using testing::ReadBytes;
using testing::RunUnprivileged;
using testing::ScratchFolder;
using testing::WriteBytes;

using Shared = testing::SharedFolder;
using testing::MakeShared;

bool NoCopyLeft(const std::filesystem::path& folder) {
  return !std::filesystem::exists(folder) || std::filesystem::is_empty(folder);
}

TEST(SaveInPlace, WritableFileInASharedFolderIsOverwrittenInPlace) {
  REQUIRE_ROOT_FOR_SETUP();
  Shared shared;
  ASSERT_TRUE(MakeShared(shared, 0640));
  struct stat before {};
  ASSERT_EQ(::stat(shared.file.c_str(), &before), 0);

  const std::vector<std::string> contents = {"short\r\n", std::string(100000, 'x'), ""};
  for (const std::string& bytes : contents) {
    EXPECT_EQ(RunUnprivileged([&] { return SaveFileBytes(shared.file, bytes) ? 0 : 1; }), 0);
    EXPECT_EQ(ReadBytes(shared.file), bytes);
    EXPECT_EQ(ReadBytes(shared.link), bytes);  // the same inode under both names
  }
  struct stat after {};
  ASSERT_EQ(::stat(shared.file.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_nlink, 2u);
  EXPECT_EQ(after.st_uid, kNobodyUid);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(shared.folder)) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names, (std::set<std::string>{"link.txt", "week.txt"}));
}

// What still refuses: a read-only file, a new file, and a folder the user owns and locked.
TEST(SaveInPlace, RefusesWhereNoWriteIsAllowed) {
  REQUIRE_ROOT_FOR_SETUP();
  Shared readOnly;
  ASSERT_TRUE(MakeShared(readOnly, 0444));
  Shared own;
  ASSERT_TRUE(MakeShared(own, 0644));
  ASSERT_EQ(::chown(own.folder.c_str(), kNobodyUid, kNobodyGid), 0);
  ASSERT_EQ(::chmod(own.folder.c_str(), 0555), 0);

  const int result = RunUnprivileged([&] {
    if (SaveFileBytes(readOnly.file, "new")) {
      return 1;
    }
    if (SaveFileBytes(readOnly.folder + "/new.txt", "new")) {
      return 2;
    }
    return SaveFileBytes(own.file, "new") ? 3 : 0;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadBytes(readOnly.file), "old contents, longer than the new ones\r\n");
  EXPECT_EQ(ReadBytes(own.file), "old contents, longer than the new ones\r\n");
}

// Root, or a user in a folder of their own: the atomic path, so the inode changes and the
// second link keeps the old bytes.
TEST(SaveInPlace, WritableFolderStaysAtomic) {
  ScratchFolder folder;
  const std::string file = folder.file("week.txt");
  WriteBytes(file, "old");
  ASSERT_EQ(::link(file.c_str(), folder.file("link.txt").c_str()), 0);
  ASSERT_TRUE(SaveFileBytes(file, "new"));
  EXPECT_EQ(ReadBytes(file), "new");
  EXPECT_EQ(ReadBytes(folder.file("link.txt")), "old");
}

// A disk that fills up part way through the in-place save, with a file-size limit standing in:
// the old content survives whole, and only a good save leaves no copy behind.
TEST(SaveInPlace, AFailingWriteLeavesTheOldContentWhole) {
  REQUIRE_ROOT_FOR_SETUP();
  const std::string old(110, 'o');
  struct Case {
    const char* what;
    rlim_t limit;  // bytes any file of the process may reach; 0: no limit
    std::size_t newBytes;
    bool saved;
  };
  const Case cases[] = {
      {"limit between the old and the new size", 120, 150, false},
      {"no room even for the copy", 50, 150, false},
      {"shorter new content, no limit", 0, 40, true},
      {"longer new content, no limit", 0, 150, true},
  };
  for (const Case& c : cases) {
    Shared shared;
    ASSERT_TRUE(MakeShared(shared, 0644, old));
    ScratchFolder state;
    ASSERT_EQ(::chown(state.path().c_str(), kNobodyUid, kNobodyGid), 0);
    const std::string bytes(c.newBytes, 'n');
    const int result = RunUnprivileged([&] {
      ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
      // Past the limit a write fails with EFBIG, as one on a full disk fails with ENOSPC.
      ::signal(SIGXFSZ, SIG_IGN);
      const struct rlimit limit = {c.limit, c.limit};
      if (c.limit > 0 && ::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        return 2;
      }
      return SaveFileBytes(shared.file, bytes) == c.saved ? 0 : 1;
    });
    EXPECT_EQ(result, 0) << c.what;
    EXPECT_EQ(ReadBytes(shared.file), c.saved ? bytes : old) << c.what;
    EXPECT_EQ(testing::ReadBytes(shared.link), ReadBytes(shared.file)) << c.what;
    EXPECT_TRUE(NoCopyLeft(state.path() / "tollvane")) << c.what;
  }
}

// A small file system that is full: the save is refused before the first write, since the new
// size is reserved first. Needs a private mount namespace for the tmpfs, so root.
TEST(SaveInPlace, AFullFileSystemRefusesBeforeTouchingTheFile) {
  REQUIRE_ROOT_FOR_SETUP();
  ScratchFolder scratch;
  ASSERT_EQ(::chmod(scratch.path().c_str(), 0755), 0);
  const std::string mountPoint = scratch.file("small");
  const std::string state = scratch.file("state");
  std::filesystem::create_directories(mountPoint);
  std::filesystem::create_directories(state);
  ASSERT_EQ(::chown(state.c_str(), kNobodyUid, kNobodyGid), 0);
  const std::string old = "[HOLIDAY]\nDay1=1/1\n[CALENDAR]\nNationalHolidays=1\n";
  const pid_t child = ::fork();
  if (child == 0) {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0) {
      ::_exit(77);
    }
    const std::string file = mountPoint + "/tollvane.INI";
    testing::WriteBytes(file, old);
    if (::chown(file.c_str(), kNobodyUid, kNobodyGid) != 0) {
      ::_exit(3);
    }
    // Fill what is left, a page at a time.
    {
      testing::WriteBytes(mountPoint + "/filler", "");
      FileDescriptor filler(::open((mountPoint + "/filler").c_str(), O_WRONLY | O_APPEND));
      const std::string page(4096, 'f');
      while (WriteAllBytes(filler.get(), page)) {
      }
    }
    const int saved = RunUnprivileged([&] {
      ::setenv("XDG_STATE_HOME", state.c_str(), 1);
      return SaveFileBytes(file, std::string(20000, 'n')) ? 1 : 0;
    });
    ::_exit(saved != 0 ? 4 : ReadBytes(file) == old ? 0 : 5);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) {
    GTEST_SKIP() << "no private mount namespace for a small tmpfs here";
  }
  EXPECT_EQ(WEXITSTATUS(status), 0) << "4: saved although full, 5: the old content changed";
  EXPECT_TRUE(NoCopyLeft(state + "/tollvane"));
}

}  // namespace
}  // namespace tollvane

// Saving into a shared folder that the user may not write: the writable file is overwritten
// in place, keeping its inode, owner and links; everywhere else the save stays atomic.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "schedule/file_io.h"
#include "schedule/schedule_file.h"
#include "support/scratch_folder.h"
#include "support/unprivileged.h"

namespace tollvane {
namespace {

using testing::kNobodyGid;
using testing::kNobodyUid;
using testing::ReadBytes;
using testing::RunUnprivileged;
using testing::ScratchFolder;
using testing::WriteBytes;

struct Shared {
  ScratchFolder root;
  std::string folder = root.file("shared");
  std::string file = folder + "/week.txt";
  std::string link = folder + "/link.txt";
};

// A root-owned folder that nobody may not write, holding a file nobody owns, with a second
// hard link to it.
bool MakeShared(Shared& shared, mode_t fileMode) {
  std::filesystem::create_directories(shared.folder);
  WriteBytes(shared.file, "old contents, longer than the new ones\r\n");
  return ::chmod(shared.root.path().c_str(), 0755) == 0 &&
         ::chmod(shared.folder.c_str(), 0755) == 0 &&
         ::link(shared.file.c_str(), shared.link.c_str()) == 0 &&
         ::chown(shared.file.c_str(), kNobodyUid, kNobodyGid) == 0 &&
         ::chmod(shared.file.c_str(), fileMode) == 0;
}

#define REQUIRE_ROOT_FOR_SETUP()                                                   \
  if (::geteuid() != 0) {                                                          \
    GTEST_SKIP() << "only root can set up a folder owned by another user; run as " \
                    "root to drop to nobody";                                      \
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

TEST(SaveInPlace, StoreLinesSavesASharedScheduleFile) {
  REQUIRE_ROOT_FOR_SETUP();
  Shared shared;
  ASSERT_TRUE(MakeShared(shared, 0644));
  EXPECT_EQ(RunUnprivileged([&] {
              LineBuffer lines{"8", "7", "30", "1"};
              StoreLines(lines, shared.file);
              return lines.empty() ? 0 : 1;
            }),
            0);
  EXPECT_EQ(ReadBytes(shared.link), "8\r\n7\r\n30\r\n1\r\n");
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

}  // namespace
}  // namespace tollvane

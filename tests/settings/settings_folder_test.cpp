// A folder beside the executable that other users could change is not the settings folder, and
// the defaults arrive whole also where the file system refuses hard links.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "fault_io.h"
#include "settings/settings_location.h"
#include "settings_test_support.h"
#include "support/unprivileged.h"

namespace tollvane {
namespace {

using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

// Everything writable; the folders named in shared are ones other users could change.
class SharedFiles : public FileAccess {
 public:
  SharedFiles(std::set<std::string> existing, std::set<std::string> shared)
      : existing_(std::move(existing)), shared_(std::move(shared)) {}
  bool exists(const std::string& path) const override { return existing_.count(path) > 0; }
  bool writable(const std::string&) const override { return true; }
  std::string othersMayWrite(const std::string& folder) const override {
    return shared_.count(folder) > 0 ? "持ち主 uid 0、権限 1777" : "";
  }

 private:
  std::set<std::string> existing_;
  std::set<std::string> shared_;
};

TEST(SettingsFolder, AFolderOthersCanChangeIsPassedOver) {
  const SettingsEnvironment kita{"/home/kita", "", ""};
  const std::string beside = "/tmp/bell/tollvane.INI";
  const std::string user = "/home/kita/.config/tollvane/tollvane.INI";
  const std::string etc = "/etc/xdg/tollvane/tollvane.INI";
  struct Case {
    const char* what;
    SettingsEnvironment environment;
    std::set<std::string> existing;
    std::set<std::string> shared;
    std::string file;
    std::string defaults;
    std::string note;  // a part of it; empty: no note
  };
  const std::vector<Case> cases = {
      {"own folder", kita, {beside}, {}, beside, "", ""},
      {"shared folder", kita, {}, {"/tmp/bell"}, user, "", "代わりに " + user + " を使います。"},
      // A planted file is no administrator's defaults.
      {"shared folder with a file",
       kita,
       {beside, etc},
       {"/tmp/bell"},
       user,
       etc,
       "ほかのユーザーも書き換えられるフォルダです。"},
      {"shared, user file exists", kita, {user}, {"/tmp/bell"}, user, "", "(詳細: 持ち主 uid 0"},
      {"shared, no home",
       {"", "", ""},
       {},
       {"/tmp/bell"},
       beside,
       "",
       "ホームフォルダがわからない"},
  };
  for (const Case& c : cases) {
    const SharedFiles files(c.existing, c.shared);
    std::string note;
    const SettingsLocation got =
        ChooseSettingsLocation("/tmp/bell/tollvane", c.environment, files, &note);
    EXPECT_EQ(got.file, c.file) << c.what;
    EXPECT_EQ(got.defaults, c.defaults) << c.what;
    if (c.note.empty()) {
      EXPECT_EQ(note, "") << c.what;
    } else {
      EXPECT_THAT(note, HasSubstr(c.note)) << c.what;
      EXPECT_THAT(note, HasSubstr(" /tmp/bell ")) << c.what;
    }
  }
}

TEST(SettingsFolder, TheRealFileSystemTellsWhoMayChangeAFolder) {
  struct Case {
    const char* what;
    mode_t mode;
    bool nobodysFolder;  // owned by another user (root only can set that up)
    bool others;
  };
  const Case cases[] = {
      {"private", 0700, false, false},       {"readable by all", 0755, false, false},
      {"world-writable", 0777, false, true}, {"sticky, as /tmp", 01777, false, true},
      {"group-writable", 0775, false, true}, {"another user's", 0755, true, true},
  };
  const SystemFileAccess files;
  for (const Case& c : cases) {
    if (c.nobodysFolder && ::geteuid() != 0) {
      continue;  // only root can give a folder away
    }
    ScratchFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), c.mode), 0);
    if (c.nobodysFolder) {
      ASSERT_EQ(::chown(folder.path().c_str(), testing::kNobodyUid, testing::kNobodyGid), 0);
    }
    EXPECT_EQ(!files.othersMayWrite(folder.path().string()).empty(), c.others) << c.what;
  }
  // Root's folder is no other user's to a user: the administrator may set one up.
  if (::geteuid() == 0) {
    ScratchFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    EXPECT_EQ(testing::RunUnprivileged(
                  [&] { return files.othersMayWrite(folder.path().string()).empty() ? 0 : 1; }),
              0);
  }
}

TEST(SettingsFolder, DefaultsAreCopiedWhereHardLinksAreRefused) {
  ScratchFolder root;
  const std::string user = root.file("home/.config/tollvane/tollvane.INI");
  const std::string defaults = root.file("etc.INI");
  WriteBytes(defaults, "[HOLIDAY]\nDay1= 1/ 1\n");
  const SettingsLocation location{user, defaults};
  {
    testing::InjectedDiskFault noLinks(testing::DiskFault::kNoHardLinks, root.path().string());
    const int refusedBefore = testing::InjectedDiskFault::refusals();
    EXPECT_EQ(PrepareSettingsLocation(location), user);
    EXPECT_GT(testing::InjectedDiskFault::refusals(), refusedBefore);
    EXPECT_EQ(ReadBytes(user), "[HOLIDAY]\nDay1= 1/ 1\n");
    EXPECT_EQ(testing::CountEntries(root.file("home/.config/tollvane")), 1);

    // A user's file stays as it is.
    WriteBytes(user, "[HOLIDAY]\nDay1= 5/ 3\n");
    WriteBytes(defaults, "[HOLIDAY]\n");
    PrepareSettingsLocation(location);
    EXPECT_EQ(ReadBytes(user), "[HOLIDAY]\nDay1= 5/ 3\n");
  }
}

}  // namespace
}  // namespace tollvane

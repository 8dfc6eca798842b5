#include "settings/settings_location.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "settings/profile.h"
#include "settings_test_support.h"
#include "support/unprivileged.h"

namespace tollvane {
namespace {

using testing::ReadBytes;
using testing::RunUnprivileged;
using testing::ScratchFolder;
using testing::WriteBytes;

class FakeFiles : public FileAccess {
 public:
  FakeFiles(std::set<std::string> existing, std::set<std::string> writable)
      : existing_(std::move(existing)), writable_(std::move(writable)) {}
  bool exists(const std::string& path) const override { return existing_.count(path) > 0; }
  bool writable(const std::string& path) const override { return writable_.count(path) > 0; }

 private:
  std::set<std::string> existing_;
  std::set<std::string> writable_;
};

constexpr const char* kExe = "/srv/bell/tollvane";
constexpr const char* kBeside = "/srv/bell/tollvane.INI";
constexpr const char* kUser = "/home/kita/.config/tollvane/tollvane.INI";
constexpr const char* kEtc = "/etc/xdg/tollvane/tollvane.INI";

struct LocationCase {
  const char* what;
  SettingsEnvironment environment;
  std::set<std::string> existing;
  std::set<std::string> writable;
  std::string file;
  std::string defaults;
};

TEST(SettingsLocation, FollowsTheRule) {
  const SettingsEnvironment kita{"/home/kita", "", ""};
  const std::vector<LocationCase> cases = {
      {"folder writable, no file yet", kita, {}, {"/srv/bell"}, kBeside, ""},
      {"file writable, folder not", kita, {kBeside}, {kBeside}, kBeside, ""},
      {"folder writable, file read-only", kita, {kBeside}, {"/srv/bell"}, kBeside, ""},
      {"installed, nothing anywhere", kita, {}, {}, kUser, ""},
      {"installed, system defaults", kita, {kEtc}, {}, kUser, kEtc},
      {"installed, defaults beside win", kita, {kBeside, kEtc}, {}, kUser, kBeside},
      {"user file exists: no copy", kita, {kBeside, kEtc, kUser}, {}, kUser, ""},
      {"XDG_CONFIG_HOME",
       {"/home/kita", "/srv/cfg", ""},
       {},
       {},
       "/srv/cfg/tollvane/tollvane.INI",
       ""},
      {"relative XDG_CONFIG_HOME is ignored", {"/home/kita", "cfg", ""}, {}, {}, kUser, ""},
      {"XDG_CONFIG_DIRS searched in order",
       {"/home/kita", "", "rel:/opt/a:/opt/b"},
       {"rel/tollvane/tollvane.INI", "/opt/b/tollvane/tollvane.INI", kEtc},
       {},
       kUser,
       "/opt/b/tollvane/tollvane.INI"},
      {"no home at all", {"", "", ""}, {}, {}, kBeside, ""},
  };
  for (const LocationCase& c : cases) {
    const FakeFiles files(c.existing, c.writable);
    const SettingsLocation got = ChooseSettingsLocation(kExe, c.environment, files);
    EXPECT_EQ(got.file, c.file) << c.what;
    EXPECT_EQ(got.defaults, c.defaults) << c.what;
  }
}

// Root may write the package's folders, but the settings still go to root's own folder.
TEST(SettingsLocation, NeverBesideAnExecutableInTheSystemHierarchy) {
  const SettingsEnvironment rootHome{"/root", "", ""};
  const std::vector<std::string> executables = {"/usr/bin/tollvane", "/usr/local/bin/tollvane",
                                                "/bin/tollvane", "/lib/tollvane/tollvane"};
  for (const std::string& exe : executables) {
    const std::string folder = exe.substr(0, exe.rfind('/'));
    const FakeFiles files({}, {folder, folder + "/tollvane.INI"});
    EXPECT_EQ(ChooseSettingsLocation(exe, rootHome, files).file,
              "/root/.config/tollvane/tollvane.INI")
        << exe;
  }
  const FakeFiles files({}, {"/usrx/bin"});
  EXPECT_EQ(ChooseSettingsLocation("/usrx/bin/tollvane", rootHome, files).file,
            "/usrx/bin/tollvane.INI");
}

TEST(SettingsLocation, DefaultsAreCopiedOnceAndNeverOverAUserFile) {
  ScratchFolder root;
  const std::string user = root.file("home/.config/tollvane/tollvane.INI");
  const std::string defaults = root.file("etc.INI");
  WriteBytes(defaults, "[SOUND]\nItem1=admin.wav\n");
  const SettingsLocation location{user, defaults};

  // First start: the folders are made and the defaults arrive whole, with nothing else.
  EXPECT_EQ(PrepareSettingsLocation(location), user);
  EXPECT_EQ(ReadBytes(user), "[SOUND]\nItem1=admin.wav\n");
  EXPECT_EQ(testing::CountEntries(root.file("home/.config/tollvane")), 1);
  struct stat info {};
  ASSERT_EQ(::stat(root.file("home/.config").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  // The user's own changes survive later starts, even when the defaults change.
  ASSERT_TRUE(WriteProfileString(user, "SOUND", "Item1", "mine.wav"));
  WriteBytes(defaults, "[SOUND]\nItem1=new-admin.wav\n");
  PrepareSettingsLocation(location);
  EXPECT_EQ(ReadProfileString(user, "SOUND", "Item1", "-"), "mine.wav");

  // Defaults that cannot be read leave no file behind: the first write creates it.
  const SettingsLocation unreadable{root.file("other/tollvane.INI"), root.file("missing.INI")};
  PrepareSettingsLocation(unreadable);
  EXPECT_TRUE(std::filesystem::is_directory(root.file("other")));
  EXPECT_EQ(testing::CountEntries(root.file("other")), 0);
}

// The installed case on the real file system: an executable in a folder the user may not
// write, a home folder the user owns. Sounds stored there read back at the next start.
TEST(SettingsLocation, ReadOnlyExecutableFolderUsesTheUsersOwnFile) {
  ScratchFolder root;
  const std::string bin = root.file("bin");
  const std::string home = root.file("home");
  std::filesystem::create_directories(bin);
  std::filesystem::create_directories(home);
  WriteBytes(bin + "/tollvane", "");
  WriteBytes(bin + "/tollvane.INI", "[SOUND]\nItem1=admin.wav\n");
  ASSERT_EQ(::chmod((bin + "/tollvane.INI").c_str(), 0444), 0);
  ASSERT_EQ(::chmod(bin.c_str(), 0555), 0);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chmod(root.path().c_str(), 0755), 0);
    ASSERT_EQ(::chown(home.c_str(), testing::kNobodyUid, testing::kNobodyGid), 0);
  }
  const std::string user = home + "/.config/tollvane/tollvane.INI";
  const int result = RunUnprivileged([&] {
    const SettingsEnvironment environment{home, "", ""};
    const SystemFileAccess files;
    const SettingsLocation first = ChooseSettingsLocation(bin + "/tollvane", environment, files);
    if (first.file != user || first.defaults != bin + "/tollvane.INI") {
      return 1;
    }
    PrepareSettingsLocation(first);
    if (!WriteProfileString(user, "SOUND", "Item2", "bell.wav")) {
      return 2;
    }
    const SettingsLocation next = ChooseSettingsLocation(bin + "/tollvane", environment, files);
    if (next.file != user || !next.defaults.empty()) {
      return 3;
    }
    return ReadProfileString(PrepareSettingsLocation(next), "SOUND", "Item1", "-") == "admin.wav"
               ? 0
               : 4;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadProfileString(user, "SOUND", "Item2", "-"), "bell.wav");
  EXPECT_EQ(ReadBytes(bin + "/tollvane.INI"), "[SOUND]\nItem1=admin.wav\n");
}

// The dialogs' writes in a shared folder an administrator set up: the user's writable file is
// updated in place, since no temporary file can be made beside it.
TEST(SettingsLocation, ProfileWriteInASharedFolderKeepsTheFile) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "only root can set up a folder owned by another user";
  }
  ScratchFolder root;
  const std::string path = root.file("tollvane.INI");
  WriteBytes(path, "; kept\n[SOUND]\nItem1=a.wav\n");
  ASSERT_EQ(::chmod(root.path().c_str(), 0755), 0);
  ASSERT_EQ(::chown(path.c_str(), testing::kNobodyUid, testing::kNobodyGid), 0);
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  EXPECT_EQ(
      RunUnprivileged([&] { return WriteProfileString(path, "SOUND", "Item1", "b.wav") ? 0 : 1; }),
      0);
  EXPECT_EQ(ReadBytes(path), "; kept\n[SOUND]\nItem1=b.wav\n");
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(testing::CountEntries(root.path()), 1);
}

}  // namespace
}  // namespace tollvane

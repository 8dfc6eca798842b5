#include "desktop/autostart.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "support/scoped_environment.h"
#include "support/scratch_folder.h"

namespace tollvane {
namespace {

using testing::ReadBytes;
using testing::ScopedEnvironment;
using testing::ScratchFolder;
using testing::WriteBytes;

TEST(Autostart, EntryPathFollowsTheBaseDirectoryRules) {
  struct Case {
    std::optional<std::string> configHome;
    std::string expected;
  };
  const Case cases[] = {
      {"/srv/config", "/srv/config/autostart/tollvane.desktop"},
      {std::nullopt, "/home/sensei/.config/autostart/tollvane.desktop"},
      {"", "/home/sensei/.config/autostart/tollvane.desktop"},
      {"relative/config", "/home/sensei/.config/autostart/tollvane.desktop"},  // ignored
  };
  const ScopedEnvironment home("HOME", "/home/sensei");
  for (const Case& c : cases) {
    const ScopedEnvironment configHome("XDG_CONFIG_HOME", c.configHome);
    EXPECT_EQ(AutostartEntryPath(), c.expected) << c.configHome.value_or("(unset)");
  }
}

TEST(Autostart, ExecArgumentsAreQuotedAndEscaped) {
  struct Case {
    const char* path;
    const char* exec;
  };
  // clang-format off
  const Case cases[] = {
    {"/usr/bin/tollvane",        "/usr/bin/tollvane"},
    {"/opt/学校/tollvane",        "/opt/学校/tollvane"},
    {"/opt/my apps/tollvane",    "\"/opt/my apps/tollvane\""},
    {"/opt/a$b/tollvane",        "\"/opt/a\\\\$b/tollvane\""},     // "\$" then "\" escaped
    {"/opt/say \"hi\"/t",        "\"/opt/say \\\\\"hi\\\\\"/t\""},
    {"/opt/back\\slash/t",       "\"/opt/back\\\\\\\\slash/t\""},
    {"/opt/100%/t",              "/opt/100%%/t"},                   // not a field code
    {"/opt/50% off/t",           "\"/opt/50%% off/t\""},
    {"/opt/two\nlines/t",        "\"/opt/two\\nlines/t\""},
    {"/opt/it's/t",              "\"/opt/it's/t\""},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(ExecArgument(c.path), c.exec) << c.path;
  }
}

TEST(Autostart, EntryIsTheDesktopEntryWithTheRunningProgramsExec) {
  const std::string text = AutostartEntryText("/opt/my apps/tollvane");
  EXPECT_TRUE(text.starts_with("[Desktop Entry]\n")) << text;
  EXPECT_NE(text.find("\nName=Tollvane\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nType=Application\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nExec=\"/opt/my apps/tollvane\"\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("Exec=tollvane"), std::string::npos) << text;
  EXPECT_EQ(text.find("Hidden="), std::string::npos) << text;
}

TEST(Autostart, OnAndOffWithAMissingFolder) {
  ScratchFolder folder;
  const std::string entry = folder.file("config/autostart/tollvane.desktop");
  EXPECT_FALSE(AutostartEnabled(entry));
  EnableAutostart(entry, "/usr/bin/tollvane");
  EXPECT_TRUE(AutostartEnabled(entry));
  EXPECT_EQ(ReadBytes(entry), AutostartEntryText("/usr/bin/tollvane"));
  EnableAutostart(entry, "/usr/local/bin/tollvane");  // replaces, leaves no temporary file
  EXPECT_EQ(ReadBytes(entry), AutostartEntryText("/usr/local/bin/tollvane"));
  EXPECT_EQ(std::filesystem::path(entry).parent_path().filename(), "autostart");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.file("config/autostart")),
                          std::filesystem::directory_iterator()),
            1);
  DisableAutostart(entry);
  EXPECT_FALSE(AutostartEnabled(entry));
  EXPECT_FALSE(std::filesystem::exists(entry));
  DisableAutostart(entry);  // already off
}

TEST(Autostart, SwitchedOffEntriesReadAsOff) {
  struct Case {
    std::string text;
    bool on;
  };
  const Case cases[] = {
      {"[Desktop Entry]\nExec=tollvane\n", true},
      {"[Desktop Entry]\nExec=tollvane\nHidden=false\n", true},
      {"[Desktop Entry]\nExec=tollvane\nHidden=true\n", false},
      {"[Desktop Entry]\nExec=tollvane\nX-GNOME-Autostart-enabled=false\n", false},
      // Damaged, but present: the desktop decides what it makes of it, the menu shows "on".
      {std::string("\x00\xff binary\n", 10), true},
  };
  for (const Case& c : cases) {
    ScratchFolder folder;
    WriteBytes(folder.file("tollvane.desktop"), c.text);
    EXPECT_EQ(AutostartEnabled(folder.file("tollvane.desktop")), c.on) << c.text;
  }
  ScratchFolder folder;
  std::filesystem::create_directory(folder.file("tollvane.desktop"));
  EXPECT_FALSE(AutostartEnabled(folder.file("tollvane.desktop")));
}

TEST(Autostart, FailuresRaiseTheJapaneseErrors) {
  ScratchFolder folder;
  // A plain file where the folder should be: neither creating nor removing can work, even
  // for root.
  WriteBytes(folder.file("autostart"), "");
  const std::string entry = folder.file("autostart") + "/tollvane.desktop";
  try {
    EnableAutostart(entry, "/usr/bin/tollvane");
    ADD_FAILURE() << "no error raised";
  } catch (const AutostartError& error) {
    EXPECT_EQ(std::string(error.what()), "自動起動の設定 " + entry + " を作成できません");
  }
  try {
    DisableAutostart(entry);
    ADD_FAILURE() << "no error raised";
  } catch (const AutostartError& error) {
    EXPECT_EQ(std::string(error.what()), "自動起動の設定 " + entry + " を削除できません");
  }
}

TEST(Autostart, UnwritableFolderRaisesAndLeavesNothing) {
  if (::geteuid() == 0) {
    GTEST_SKIP() << "running as root: folder permissions do not stop writes";
  }
  ScratchFolder folder;
  std::filesystem::create_directory(folder.file("autostart"));
  ASSERT_EQ(::chmod(folder.file("autostart").c_str(), 0500), 0);
  const std::string entry = folder.file("autostart/tollvane.desktop");
  EXPECT_THROW(EnableAutostart(entry, "/usr/bin/tollvane"), AutostartError);
  EXPECT_FALSE(std::filesystem::exists(entry));
}

// Login starts the program in the folder it was switched on from, where its "dorrel.dat" is.
TEST(Autostart, PathNamesTheWorkingFolderRightAfterExec) {
  const std::pair<std::string, std::string> cases[] = {
      {"/home/sensei/チャイム", "/home/sensei/チャイム"},
      {"/srv/bells 2026", "/srv/bells 2026"},
      {"/odd\\name\nline", "/odd\\\\name\\nline"},
  };
  for (const auto& [folder, value] : cases) {
    const std::string text = AutostartEntryText("/usr/bin/tollvane", folder);
    EXPECT_NE(text.find("\nExec=/usr/bin/tollvane\nPath=" + value + "\n"), std::string::npos)
        << text;
  }
  EXPECT_EQ(AutostartEntryText("/usr/bin/tollvane").find("Path="), std::string::npos);

  ScratchFolder scratch;
  const std::string oldConfig = ::getenv("XDG_CONFIG_HOME") ? ::getenv("XDG_CONFIG_HOME") : "";
  const std::filesystem::path oldFolder = std::filesystem::current_path();
  ::setenv("XDG_CONFIG_HOME", scratch.path().c_str(), 1);
  std::filesystem::current_path(scratch.path());
  SetAutostart(true);
  const std::string entry = ReadBytes(scratch.file("autostart/tollvane.desktop"));
  std::filesystem::current_path(oldFolder);
  if (oldConfig.empty())
    ::unsetenv("XDG_CONFIG_HOME");
  else
    ::setenv("XDG_CONFIG_HOME", oldConfig.c_str(), 1);
  EXPECT_NE(entry.find("\nPath=" + scratch.path().string() + "\n"), std::string::npos) << entry;
}

}  // namespace
}  // namespace tollvane

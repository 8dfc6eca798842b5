// Saving onto a read-only file system or a full disk, from every place the program writes:
// Save, Save As, the close-time auto-save and the two dialogs' settings updates. The old file
// must stay byte for byte, the error box must say which file, and once the fault is gone the
// same command must work.
#include <fcntl.h>
#include <unistd.h>

#include <QLineEdit>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "fault_io.h"
#include "fault_rig.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"

namespace tollvane::testing {
namespace {

// A schedule file written by an earlier run: Monday 8:30 with sound 2.
const std::string kOldSchedule = [] {
  std::string text = "2\r\n8\r\n30\r\n2\r\n";
  return text;
}();
const std::string kOldSettings =
    "[SOUND]\r\nItem1=old.wav\r\n\r\n[HOLIDAY]\r\nDay1= 1/ 1\r\nDay2=12/31\r\n";

class FileFaults : public FaultRig, public ::testing::WithParamInterface<DiskFault> {
 protected:
  FileFaults() {
    std::filesystem::create_directory(folder.file("schedules"));
    std::filesystem::create_directory(folder.file("settings"));
    schedules = std::filesystem::canonical(folder.file("schedules")).string();
    settingsFolder = std::filesystem::canonical(folder.file("settings")).string();
    settingsPath = settingsFolder + "/tollvane.INI";
    autosavePath = schedules + "/dorrel.dat";
    WriteBytes(settingsPath, kOldSettings);
  }

  // The fault on one folder; a full disk has room for a few bytes, less than any file here.
  std::unique_ptr<InjectedDiskFault> inject(const std::string& where) {
    return std::make_unique<InjectedDiskFault>(GetParam(), where, 16);
  }

  std::vector<std::string> names(const std::string& where) const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(where))
      found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
  }

  // Runs a command under the fault and checks what it must leave behind.
  void failsKeeping(const std::string& where, const std::string& file, const std::string& error,
                    const std::function<void()>& command) {
    const std::string before = ReadBytes(file);
    const auto namesBefore = names(where);
    const int refusalsBefore = InjectedDiskFault::refusals();
    {
      auto fault = inject(where);
      command();
    }
    EXPECT_GT(InjectedDiskFault::refusals(), refusalsBefore) << "the fault was met";
    EXPECT_EQ(ReadBytes(file), before) << file << " changed";
    EXPECT_EQ(names(where), namesBefore) << "a temporary file was left behind";
    EXPECT_EQ(ErrorTexts(), std::vector<std::string>{error});
    CloseErrorBoxes();
  }

  static std::string cannotCreate(const std::string& path) {
    return "ファイル " + path + " を作成できません.";
  }
  static std::string cannotWrite(const std::string& path) { return path + " に書き込めません."; }

  std::string schedules;
  std::string settingsFolder;
};

TEST_P(FileFaults, SaveAndSaveAsKeepTheOldFileAndNameIt) {
  const std::string week = schedules + "/week.txt";
  const std::string other = schedules + "/other.txt";
  WriteBytes(week, kOldSchedule);
  WriteBytes(other, kOldSchedule);
  start();
  dialogs.answers = {week};
  trigger("Open1");
  ASSERT_EQ(find<QComboBox>("mo01fu")->currentText(), QStringLiteral("30"));
  type("mo01fu", "45");
  const QString caption = form->windowTitle();

  failsKeeping(schedules, week, cannotCreate(week), [&] { trigger("Save1"); });
  dialogs.answers = {other};
  failsKeeping(schedules, other, cannotCreate(other), [&] { trigger("SaveAs1"); });
  EXPECT_EQ(form->windowTitle(), caption) << "Save As failed, so the caption names week.txt";
  EXPECT_EQ(find<QComboBox>("mo01fu")->currentText(), QStringLiteral("45")) << "edits kept";

  // The failed Save As already made other.txt the current file; Save now writes there.
  trigger("Save1");
  EXPECT_TRUE(ErrorTexts().empty());
  EXPECT_NE(ReadBytes(other).find("2\r\n8\r\n45\r\n2\r\n"), std::string::npos);
  EXPECT_EQ(ReadBytes(week), kOldSchedule);
}

TEST_P(FileFaults, TheCloseTimeAutosaveKeepsTheOldFileAndTheWindowOpen) {
  WriteBytes(autosavePath, kOldSchedule);
  prompts.answers = {Answer::No};  // no reload at start
  start();
  type("tu01ji", "9");

  prompts.answers = {Answer::Yes};
  failsKeeping(schedules, autosavePath, cannotCreate(autosavePath), [&] { form->close(); });
  EXPECT_TRUE(form->isVisible()) << "the close did not take place";

  prompts.answers = {Answer::Yes};
  form->close();
  EXPECT_FALSE(form->isVisible());
  EXPECT_NE(ReadBytes(autosavePath).find("3\r\n9\r\n0\r\n1\r\n"), std::string::npos);
}

TEST_P(FileFaults, TheSoundDialogKeepsTheSettingsFileAndStaysOpen) {
  start();
  TForm3* dialog = form->form3();
  dialog->loadSounds(form->data().soundTable);
  dialog->show();
  dialog->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("new.wav"));
  QPushButton* update = dialog->findChild<QPushButton*>(QStringLiteral("Button3"));

  failsKeeping(settingsFolder, settingsPath, cannotWrite(settingsPath), [&] { update->click(); });
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(form->data().soundTable[1], "old.wav") << "the table follows the file";

  update->click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(form->data().soundTable[1], "new.wav");
  EXPECT_NE(ReadBytes(settingsPath).find("Item1=new.wav"), std::string::npos);
}

TEST_P(FileFaults, TheHolidayDialogKeepsTheSettingsFileAndStaysOpen) {
  start();
  TForm4* dialog = form->form4();
  dialog->loadHolidays(form->data().holidayList);
  dialog->show();
  dialog->findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setEditText(QStringLiteral("5"));
  QPushButton* update = dialog->findChild<QPushButton*>(QStringLiteral("Button2"));

  failsKeeping(settingsFolder, settingsPath, cannotWrite(settingsPath), [&] { update->click(); });
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(form->data().holidayList.at(1).month, 5) << "memory holds the rows already";

  update->click();
  EXPECT_FALSE(dialog->isVisible());
  const std::string written = ReadBytes(settingsPath);
  EXPECT_NE(written.find("\nDay1= 5/ 1\r\n"), std::string::npos) << written;
  EXPECT_NE(written.find("\nDay20= 0/ 0\r\n"), std::string::npos) << written;

  // Every update writes the same bytes again: the blanks in front of a value do not pile up.
  dialog->loadHolidays(form->data().holidayList);
  dialog->show();
  update->click();
  EXPECT_EQ(ReadBytes(settingsPath), written);
}

INSTANTIATE_TEST_SUITE_P(Faults, FileFaults,
                         ::testing::Values(DiskFault::kReadOnly, DiskFault::kFull,
                                           DiskFault::kFullAtFlush),
                         [](const auto& info) { return std::string(DiskFaultName(info.param)); });

// The injection itself: it must refuse exactly what it says and nothing outside its folder.
// Plain open and write, as the program's own file code uses them.
bool WriteRaw(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0)
    return false;
  const bool whole = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  return ::close(fd) == 0 && whole;
}

TEST(InjectedDiskFault, RefusesOnlyUnderItsFolder) {
  ScratchFolder inside;
  ScratchFolder outside;
  const std::string target = std::filesystem::canonical(inside.path()).string();
  {
    InjectedDiskFault fault(DiskFault::kFull, target, 5);
    EXPECT_FALSE(WriteRaw(inside.file("a"), "0123456789"));
    EXPECT_EQ(ReadBytes(inside.file("a")), "01234") << "room for five bytes";
    EXPECT_EQ(::write(-1, "x", 1), -1) << "not a file under the folder: passed on";
    EXPECT_TRUE(WriteRaw(outside.file("a"), "0123456789"));
  }
  EXPECT_TRUE(WriteRaw(inside.file("a"), "0123456789")) << "gone with its scope";
  {
    InjectedDiskFault fault(DiskFault::kReadOnly, target);
    EXPECT_FALSE(WriteRaw(inside.file("b"), "x"));
    EXPECT_EQ(errno, EROFS);
    EXPECT_EQ(ReadBytes(inside.file("a")), "0123456789") << "reading goes on";
    EXPECT_NE(::rename(inside.file("a").c_str(), inside.file("c").c_str()), 0);
    EXPECT_TRUE(WriteRaw(outside.file("b"), "x"));
  }
}

}  // namespace
}  // namespace tollvane::testing

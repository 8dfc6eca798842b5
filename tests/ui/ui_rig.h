// The real main window on fakes: a fake clock, a simulated board, fake players, scripted
// message boxes and file dialogs, and files in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <deque>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/local_time.h"
#include "error_boxes.h"
#include "support/fakes.h"
#include "support/scratch_folder.h"
#include "ui/Unit1.h"
#include "ui/guard.h"
#include "ui/qt_services.h"

namespace tollvane::testing {

class ScriptedSoundChooser : public SoundFileChooser {
 public:
  std::optional<std::string> chooseSoundFile(QWidget*) override {
    if (answers.empty())
      throw std::logic_error("unexpected sound file dialog");
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::optional<std::string>> answers;
};

// Schedule file lines, CR LF after each.
inline std::string ScheduleText(const std::vector<int>& numbers) {
  std::string text;
  for (int n : numbers)
    text += std::to_string(n) + "\r\n";
  return text;
}

// Monday 7 December 2026.
inline int64_t Monday(int hour, int minute, int second) {
  return LocalSecondsOf(2026, 12, 7, hour, minute, second);
}

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    clock.time = {Monday(7, 59, 0), 0};
    settingsPath = path("tollvane.INI");
    autosavePath = path("dorrel.dat");
  }
  ~MainWindowTest() override {
    form.reset();
    CloseErrorBoxes();
  }

  std::string path(const std::string& name) const {
    return QDir(dir.path()).filePath(QString::fromStdString(name)).toStdString();
  }

  // Creates the main window (and with it the three dialogs), as the program entry does.
  TForm1& create() {
    form = std::make_unique<TForm1>(MainWindowParts{clock, board, player, preview, prompts, dialogs,
                                                    chooser, settingsPath, autosavePath});
    return *form;
  }
  // Creates and shows it; the start-up reload offer runs once the event loop turns.
  TForm1& start() {
    create();
    form->show();
    QCoreApplication::processEvents();
    return *form;
  }

  template <typename T>
  T* find(const char* name) const {
    return form->findChild<T*>(QLatin1String(name));
  }
  QComboBox* combo(const char* name) const { return find<QComboBox>(name); }
  std::string comboText(const char* name) const { return combo(name)->currentText().toStdString(); }
  void type(const char* name, const char* text) {
    combo(name)->setEditText(QString::fromUtf8(text));
  }
  void trigger(const char* action);

  void tickAt(int64_t localSeconds) {
    clock.time = {localSeconds, 0};
    form->T1SecTimer();
  }

  QTemporaryDir dir;
  FakeClock clock;
  RecordingBoard board;
  FakePlayer player;
  FakePlayer preview;
  ScriptedPrompts prompts;
  ScriptedFileDialogs dialogs;
  ScriptedSoundChooser chooser;
  std::string settingsPath;
  std::string autosavePath;
  std::unique_ptr<TForm1> form;
};

inline void MainWindowTest::trigger(const char* name) {
  QAction* action = form->findChild<QAction*>(QLatin1String(name));
  ASSERT_NE(action, nullptr) << name;
  action->trigger();
}

}  // namespace tollvane::testing

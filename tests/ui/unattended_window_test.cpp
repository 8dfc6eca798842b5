// The main window's additions for unattended days: with their options off it is the window it
// always was; arm at start asks nothing; the next-bell line comes and goes below the client
// area; the session's end saves without a question.
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <filesystem>

#include "engine/texts.h"
#include "settings/profile.h"
#include "ui_rig.h"

namespace tollvane {
namespace {

using testing::MainWindowTest;

class UnattendedWindow : public MainWindowTest {
 protected:
  TForm1& startRecorded() {
    MainWindowParts parts{clock,   board,   player,       preview,     prompts,
                          dialogs, chooser, settingsPath, autosavePath};
    parts.recorder = &recorder;
    form = std::make_unique<TForm1>(parts);
    form->show();
    QCoreApplication::processEvents();
    return *form;
  }
  void writeSettings(const std::string& text) {
    std::ofstream(settingsPath, std::ios::binary) << text;
  }
  void writeAutosave() {
    std::vector<int> numbers;
    for (int timetable : {8, 1, 2, 3, 4, 5, 6, 7}) {
      for (int slot = 0; slot < 24; ++slot) {
        const bool first = timetable == 2 && slot == 0;
        numbers.insert(numbers.end(), {timetable, first ? 8 : 0, first ? 30 : 0, 1});
      }
    }
    std::ofstream(autosavePath, std::ios::binary) << testing::ScheduleText(numbers);
  }
  std::string option(const char* key) const {
    return Profile::Load(settingsPath).value("OPTION", key).value_or("");
  }
  QString button2() const { return find<QPushButton>("Button2")->text(); }

  testing::LineRecorder recorder;
};

TEST_F(UnattendedWindow, WithTheOptionsOffTheWindowIsAsItWas) {
  prompts.answers = {};  // no autosave file: no question either
  startRecorded();
  const int menuHeight = form->menuBar()->sizeHint().height();
  EXPECT_EQ(form->size(), QSize(663, 426 + menuHeight));
  EXPECT_EQ(form->findChild<QStatusBar*>(), nullptr);
  EXPECT_EQ(button2(), QString::fromUtf8(text::kArm));

  // The new items stand after the menu's first ones, unticked.
  QMenu* edit = form->findChild<QMenu*>(QStringLiteral("E1"));
  ASSERT_NE(edit, nullptr);
  QStringList names;
  for (QAction* action : edit->actions()) {
    if (!action->isSeparator())
      names << action->objectName();
  }
  EXPECT_EQ(names, (QStringList{"sndchk", "N2", "Calendar1", "AutoArm1", "Autostart1", "NextBell1",
                                "Record1", "Plans1"}));
  EXPECT_FALSE(form->findChild<QAction*>(QStringLiteral("AutoArm1"))->isChecked());
  EXPECT_FALSE(form->findChild<QAction*>(QStringLiteral("NextBell1"))->isChecked());
}

TEST_F(UnattendedWindow, ArmAtStartReloadsAndArmsWithoutAQuestion) {
  writeSettings("[OPTION]\r\nAutoArm=1\r\n");
  writeAutosave();
  startRecorded();  // the scripted prompts throw on any question
  QCoreApplication::processEvents();
  EXPECT_EQ(button2(), QString::fromUtf8(text::kDisarm));
  EXPECT_EQ(comboText("mo01ji"), "8");
  EXPECT_EQ(form->data().weekSchedule.at(2, 1).minute, 30);
  EXPECT_TRUE(prompts.asked.empty());
  EXPECT_TRUE(recorder.has("起動時に自動で)"));

  // At the minute the armed slot rings with nobody there.
  tickAt(testing::Monday(8, 30, 0));
  EXPECT_EQ(board.events.back(), "on");
}

TEST_F(UnattendedWindow, ArmAtStartWithoutAutosaveArmsTheEmptyPagesAndWarns) {
  writeSettings("[OPTION]\r\nAutoArm=1\r\n");
  board.initResult = 1;  // no board: the message is shown without waiting
  prompts.answers = {Answer::Ok};
  startRecorded();
  QCoreApplication::processEvents();
  EXPECT_EQ(button2(), QString::fromUtf8(text::kDisarm));
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text, "USB-IOが接続されていません。");
  EXPECT_TRUE(recorder.has("空のチャイム表"));
}

TEST_F(UnattendedWindow, DamagedOptionIsRecordedAndTakenAsOff) {
  writeSettings("[OPTION]\r\nAutoArm=yes\r\n");
  startRecorded();
  EXPECT_EQ(button2(), QString::fromUtf8(text::kArm));
  EXPECT_TRUE(recorder.has("AutoArm"));
}

TEST_F(UnattendedWindow, NextBellLineComesAndGoesBelowTheClientArea) {
  startRecorded();
  const QSize plain = form->size();
  const QRect button1 = find<QPushButton>("Button1")->geometry();
  trigger("NextBell1");
  EXPECT_EQ(option("ShowNextBell"), "1");
  QLabel* line = form->findChild<QLabel*>(QStringLiteral("NextBellLine"));
  ASSERT_NE(line, nullptr);
  EXPECT_TRUE(line->isVisible());
  EXPECT_GT(form->height(), plain.height());
  EXPECT_EQ(find<QPushButton>("Button1")->geometry(), button1);
  EXPECT_TRUE(line->text().contains(QStringLiteral("停止中です")));

  type("mo01ji", "8");
  type("mo01fu", "30");
  find<QPushButton>("Button2")->click();
  tickAt(testing::Monday(8, 0, 0));
  EXPECT_TRUE(line->text().contains(QStringLiteral("8時30分"))) << line->text().toStdString();

  trigger("NextBell1");
  EXPECT_EQ(option("ShowNextBell"), "0");
  EXPECT_EQ(form->size(), plain);
}

TEST_F(UnattendedWindow, SessionEndSavesThePagesWithoutAQuestion) {
  startRecorded();
  type("tu03ji", "9");
  type("tu03fu", "45");
  form->SaveForSessionEnd();
  EXPECT_TRUE(prompts.asked.empty());
  const std::string saved = testing::ReadBytes(autosavePath);
  EXPECT_NE(saved.find("3\r\n9\r\n45\r\n"), std::string::npos);
  EXPECT_TRUE(recorder.has(autosavePath));
}

TEST_F(UnattendedWindow, StartWithTheSessionWritesAndRemovesTheAutostartEntry) {
  const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
  startRecorded();
  const std::filesystem::path entry =
      std::filesystem::path(dir.path().toStdString()) / "autostart" / "tollvane.desktop";
  trigger("Autostart1");
  EXPECT_TRUE(std::filesystem::exists(entry));
  trigger("Autostart1");
  EXPECT_FALSE(std::filesystem::exists(entry));
  if (oldConfig.isNull())
    qunsetenv("XDG_CONFIG_HOME");
  else
    qputenv("XDG_CONFIG_HOME", oldConfig);
}

}  // namespace
}  // namespace tollvane

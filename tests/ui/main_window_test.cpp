// Scenarios through the real main window: start and reload, arming, the file commands, copy
// and paste, closing, the error guard and a whole scheduled bell.
#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QUrl>

#include "engine/texts.h"
#include "ui/qt_services.h"
#include "ui_rig.h"

namespace tollvane::testing {
namespace {

const std::string kTitle = text::kApplicationTitle;

class MainWindowScenarios : public MainWindowTest {
 protected:
  std::vector<std::string> memo() const {
    const QString text = find<QPlainTextEdit>("Memo1")->toPlainText();
    std::vector<std::string> lines;
    if (text.isEmpty())
      return lines;
    for (const QString& line : text.split(QLatin1Char('\n')))
      lines.push_back(line.toStdString());
    return lines;
  }
  std::string button(const char* name) const {
    return find<QPushButton>(name)->text().toStdString();
  }
  std::string caption() const { return form->windowTitle().toStdString(); }
  bool save1Enabled() const { return find<QAction>("Save1")->isEnabled(); }
  bool paste1Enabled() const { return find<QAction>("Paste1")->isEnabled(); }
  int page() const { return find<QTabWidget>("PageControl1")->currentIndex(); }

  void arm(int boardResult = 0) {
    board.initResult = boardResult;
    if (boardResult != 0)
      prompts.answers.push_back(Answer::Ok);
    find<QPushButton>("Button2")->click();
  }

  void drop(const std::vector<std::string>& files) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const std::string& f : files)
      urls << QUrl::fromLocalFile(QString::fromStdString(f));
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &event);
  }

  std::string writeSchedule(const char* name, const std::vector<int>& numbers) {
    const std::string file = path(name);
    WriteBytes(file, ScheduleText(numbers));
    return file;
  }
};

// ---- start ----------------------------------------------------------------------------------

TEST_F(MainWindowScenarios, StartWithoutAutosaveAsksNothing) {
  start();
  EXPECT_TRUE(prompts.asked.empty());
  EXPECT_EQ(caption(), kTitle);
  EXPECT_EQ(page(), 0) << "Monday's page in front";
  EXPECT_EQ(board.events, std::vector<std::string>{"off"});
  EXPECT_EQ(form->data().weekSchedule.at(8, 24).sound, 1) << "reset at creation";
  EXPECT_TRUE(ErrorBoxes().empty());
}

TEST_F(MainWindowScenarios, StartReloadsTheAutosaveOnYes) {
  WriteBytes(autosavePath, ScheduleText({2, 8, 30, 3, 8, 12, 5, 2, 2, 9, 0, 2}));
  prompts.answers = {Answer::Yes};
  start();
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text, "閉じる前のデータを読み込みますか");
  EXPECT_EQ(prompts.asked[0].caption, "確認");
  EXPECT_EQ(prompts.asked[0].buttons, Buttons::YesNo);
  EXPECT_EQ(comboText("mo01ji"), "8");
  EXPECT_EQ(comboText("mo01fu"), "30");
  EXPECT_EQ(comboText("mo01snd"), "3");
  EXPECT_EQ(comboText("mo02ji"), "9");
  EXPECT_EQ(comboText("ak01fu"), "5");
  EXPECT_EQ(caption(), kTitle + "直前のデータ");
  EXPECT_EQ(form->data().weekSchedule.at(2, 1).hour, 0) << "loaded, not armed";
}

TEST_F(MainWindowScenarios, StartKeepsTheEmptyPagesOnNo) {
  WriteBytes(autosavePath, ScheduleText({2, 8, 30, 3}));
  prompts.answers = {Answer::No};
  start();
  EXPECT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(comboText("mo01ji"), "");
  EXPECT_EQ(caption(), kTitle);
}

TEST_F(MainWindowScenarios, BrokenAutosaveEndsTheReloadSilently) {
  WriteBytes(autosavePath, "2\r\n8\r\nx\r\n1\r\n");
  prompts.answers = {Answer::Yes};
  start();
  EXPECT_TRUE(ErrorBoxes().empty());
  EXPECT_EQ(comboText("mo01ji"), "");
  EXPECT_EQ(caption(), kTitle);
}

TEST_F(MainWindowScenarios, ReloadKeepsRecordsBeyondTheTwentyFourthOutOfTheTimetable) {
  std::vector<int> numbers;
  for (int i = 0; i < 30; ++i)
    numbers.insert(numbers.end(), {2, 8 + i % 10, 5, 1 + i % 10});
  numbers.insert(numbers.end(), {3, 10, 15, 4});
  WriteBytes(autosavePath, ScheduleText(numbers));
  prompts.answers = {Answer::Yes};
  start();
  EXPECT_EQ(comboText("mo24ji"), "11");
  EXPECT_EQ(comboText("mo24snd"), "4");
  EXPECT_EQ(comboText("tu01ji"), "10") << "the next timetable is untouched by the overflow";
  EXPECT_EQ(comboText("tu02ji"), "");
  EXPECT_EQ(caption(), kTitle + "直前のデータ");
}

TEST_F(MainWindowScenarios, BrokenSettingsShowTheErrorAndTheWindowStillOpens) {
  WriteBytes(settingsPath, "[HOLIDAY]\r\nDay1=ab/3\r\n");
  start();
  EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"'ab' は整数ではありません."});
  EXPECT_TRUE(form->isVisible());
  tickAt(Monday(8, 0, 0));
  EXPECT_EQ(find<QLabel>("Label61")->text(), QStringLiteral("8時0分0秒"));
}

// ---- arming -------------------------------------------------------------------------------

TEST_F(MainWindowScenarios, ArmListsTheSlotsAndDisarmClears) {
  start();
  type("ak01ji", "8");
  type("ak01fu", "5");
  type("mo03ji", "12");
  type("mo03fu", "40");
  type("mo03snd", "10");
  type("tu01fu", "30");  // no hour: armed but not listed
  arm();
  EXPECT_EQ(button("Button2"), "停　止");
  EXPECT_EQ(memo(), (std::vector<std::string>{"USBIO", "0", "セット", " 8 時  5 分  1 番",
                                              "月曜 12 時 40 分 10 番"}));
  EXPECT_EQ(form->data().weekSchedule.at(3, 1).minute, 30);
  find<QPushButton>("Button2")->click();
  EXPECT_EQ(button("Button2"), "開　始");
  EXPECT_TRUE(memo().empty());
  EXPECT_EQ(form->data().weekSchedule.at(3, 1).minute, 0);
}

TEST_F(MainWindowScenarios, ArmWithoutTheBoardSaysSoAndArmsAnyway) {
  start();
  arm(1);
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text, "USB-IOが接続されていません。");
  EXPECT_EQ(prompts.asked[0].buttons, Buttons::Ok);
  EXPECT_EQ(memo(), (std::vector<std::string>{"USBIO", "1", "セット"}));
  EXPECT_EQ(button("Button2"), "停　止");
}

// ---- file commands ------------------------------------------------------------------------

TEST_F(MainWindowScenarios, NewEmptiesThePagesAndKeepsTheArmedCaption) {
  start();
  type("mo01ji", "9");
  arm();
  prompts.answers = {Answer::Ok};
  trigger("N1");
  EXPECT_EQ(prompts.asked.back().text, "新規に作成します。\n表示されているデータは消えます");
  EXPECT_EQ(comboText("mo01ji"), "");
  EXPECT_EQ(caption(), kTitle);
  EXPECT_FALSE(save1Enabled());
  EXPECT_EQ(button("Button2"), "停　止") << "New does not disarm";
  EXPECT_EQ(memo().size(), 4u);
  EXPECT_EQ(form->data().weekSchedule.at(2, 1).hour, 0);

  type("mo01ji", "9");
  prompts.answers = {Answer::Cancel};
  trigger("N1");
  EXPECT_EQ(comboText("mo01ji"), "9");
}

TEST_F(MainWindowScenarios, OpenDisarmsLoadsAndNamesTheFile) {
  const std::string file = writeSchedule("week.txt", {2, 10, 15, 2});
  start();
  arm();
  dialogs.answers = {file};
  trigger("Open1");
  EXPECT_EQ(button("Button2"), "開　始");
  EXPECT_TRUE(memo().empty());
  EXPECT_EQ(comboText("mo01ji"), "10");
  EXPECT_EQ(comboText("mo01snd"), "2");
  EXPECT_EQ(caption(), kTitle + "week.txt");
  EXPECT_TRUE(save1Enabled());
  EXPECT_TRUE(prompts.asked.empty()) << "Open never asks overwrite or append";
}

TEST_F(MainWindowScenarios, CancelledOpenStillDisarms) {
  start();
  arm();
  dialogs.answers = {std::nullopt};
  trigger("Open1");
  EXPECT_EQ(button("Button2"), "開　始");
  EXPECT_EQ(caption(), kTitle);
  EXPECT_FALSE(save1Enabled());
}

TEST_F(MainWindowScenarios, OpenOfAMissingFileReportsItWithSaveEnabled) {
  start();
  dialogs.answers = {path("missing.txt")};
  trigger("Open1");
  EXPECT_EQ(ErrorTexts(),
            std::vector<std::string>{"ファイル " + path("missing.txt") + " は開けません."});
  EXPECT_TRUE(save1Enabled());
  EXPECT_EQ(caption(), kTitle);
}

TEST_F(MainWindowScenarios, SaveWritesThePagesToTheOpenedFile) {
  const std::string file = writeSchedule("week.txt", {2, 10, 15, 2});
  start();
  dialogs.answers = {file};
  trigger("Open1");
  type("mo01ji", "11");
  trigger("Save1");
  const std::string saved = ReadBytes(file);
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 768);
  EXPECT_NE(saved.find("2\r\n11\r\n15\r\n2\r\n"), std::string::npos);
  EXPECT_EQ(form->data().weekSchedule.at(2, 1).hour, 0) << "reset again after saving";
}

TEST_F(MainWindowScenarios, SaveAsFromAFreshStartNamesTheFileAndLeavesSaveDisabled) {
  start();
  type("fr05ji", "13");
  dialogs.answers = {path("friday.txt")};
  trigger("SaveAs1");
  EXPECT_EQ(dialogs.saveInitial, std::vector<std::string>{""});
  EXPECT_NE(ReadBytes(path("friday.txt")).find("6\r\n13\r\n0\r\n1\r\n"), std::string::npos);
  EXPECT_EQ(caption(), kTitle + "friday.txt");
  EXPECT_FALSE(save1Enabled());

  dialogs.answers = {std::nullopt};
  trigger("SaveAs1");
  EXPECT_EQ(dialogs.saveInitial.back(), path("friday.txt"));
  EXPECT_EQ(caption(), kTitle + "friday.txt");
}

TEST_F(MainWindowScenarios, SaveAsIntoAFolderThatCannotBeWrittenReportsIt) {
  WriteBytes(path("plainfile"), "x");
  start();
  dialogs.answers = {path("plainfile") + "/week.txt"};
  trigger("SaveAs1");
  ASSERT_EQ(ErrorBoxes().size(), 1u);
  EXPECT_EQ(caption(), kTitle);
}

TEST_F(MainWindowScenarios, DropReadsTheFirstFileAndAsksOverwriteOrAppend) {
  const std::string first = writeSchedule("first.txt", {2, 8, 0, 1});
  const std::string second = writeSchedule("second.txt", {2, 9, 0, 1});
  start();
  arm();
  prompts.answers = {Answer::Yes};
  drop({first, second, path("third.txt")});
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text, "上書きしますか？(追加の場合はキャンセル)");
  EXPECT_EQ(prompts.asked[0].caption, "選択");
  EXPECT_EQ(prompts.asked[0].buttons, Buttons::YesNo);
  EXPECT_EQ(button("Button2"), "開　始") << "a drop disarms";
  EXPECT_EQ(comboText("mo01ji"), "8");
  EXPECT_EQ(caption(), kTitle + "first.txt");
  EXPECT_TRUE(save1Enabled());

  prompts.answers = {Answer::No};
  drop({second});
  EXPECT_EQ(comboText("mo01ji"), "9");
  EXPECT_EQ(caption(), kTitle + "first.txt") << "appending keeps the current file";
}

TEST_F(MainWindowScenarios, DropOfAMissingFileSaysItCannotBeOpened) {
  start();
  type("mo01ji", "9");
  arm();
  prompts.answers = {Answer::Ok};
  drop({path("gone.txt")});
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text, "ファイルがオープンできません");
  EXPECT_EQ(prompts.asked[0].caption, "警告");
  EXPECT_EQ(comboText("mo01ji"), "9");
  EXPECT_TRUE(ErrorBoxes().empty());
  EXPECT_EQ(caption(), kTitle);
  EXPECT_EQ(button("Button2"), "開　始") << "disarmed before the file was tried";
}

TEST_F(MainWindowScenarios, OnlyLocalFilesAreTakenFromADrag) {
  start();
  QMimeData mime;
  mime.setUrls({QUrl(QStringLiteral("https://example.org/week.txt"))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  enter.ignore();
  QCoreApplication::sendEvent(form.get(), &enter);
  EXPECT_FALSE(enter.isAccepted());
}

// ---- copy and paste -----------------------------------------------------------------------

TEST_F(MainWindowScenarios, PasteCopiesAWeekdayPageOntoAnother) {
  start();
  EXPECT_FALSE(paste1Enabled());
  form->setActivePage(7);  // Saturday cannot be copied
  trigger("Copy1");
  EXPECT_FALSE(paste1Enabled());

  form->setActivePage(2);
  type("mo01ji", "8");
  type("mo01fu", "45");
  type("mo01snd", "4");
  trigger("Copy1");
  EXPECT_TRUE(paste1Enabled());
  type("mo01ji", "9");  // after the copy: not pasted
  form->setActivePage(4);
  trigger("Paste1");
  EXPECT_EQ(comboText("we01ji"), "8");
  EXPECT_EQ(comboText("we01fu"), "45");
  EXPECT_EQ(comboText("we01snd"), "4");

  form->setActivePage(8);  // the common page takes no paste
  trigger("Paste1");
  EXPECT_EQ(comboText("ak01ji"), "");
}

// ---- closing ------------------------------------------------------------------------------

TEST_F(MainWindowScenarios, CloseYesSavesTheAutosave) {
  start();
  type("th02ji", "14");
  prompts.answers = {Answer::Yes};
  trigger("Exit1");
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text,
            "チャイムは鳴らなくなります。\n閉じる前にこの設定を保存します。");
  EXPECT_EQ(prompts.asked[0].caption, "警告");
  EXPECT_EQ(prompts.asked[0].buttons, Buttons::YesNoCancel);
  EXPECT_FALSE(form->isVisible());
  EXPECT_NE(ReadBytes(autosavePath).find("5\r\n0\r\n0\r\n1\r\n5\r\n14\r\n"), std::string::npos);
}

TEST_F(MainWindowScenarios, CloseNoLeavesWithoutSavingAndCancelStays) {
  start();
  prompts.answers = {Answer::Cancel};
  form->close();
  EXPECT_TRUE(form->isVisible());
  prompts.answers = {Answer::No};
  form->close();
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(autosavePath)));
}

TEST_F(MainWindowScenarios, CloseIsRefusedWhenTheSaveFails) {
  WriteBytes(path("plainfile"), "x");
  autosavePath = path("plainfile") + "/dorrel.dat";
  start();
  prompts.answers = {Answer::Yes};
  form->close();
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(ErrorBoxes().size(), 1u);

  type("mo01ji", "x");  // a text that does not convert refuses the close as well
  CloseErrorBoxes();
  autosavePath = path("dorrel.dat");
  prompts.answers = {Answer::Yes};
  form->close();
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"'x' は整数ではありません."});
}

// ---- error guard --------------------------------------------------------------------------

TEST_F(MainWindowScenarios, AFailingHandlerShowsTheErrorBoxAndTheProgramGoesOn) {
  start();
  type("tu03fu", "x");
  arm();
  const auto boxes = ErrorBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]->text(), QStringLiteral("'x' は整数ではありません."));
  EXPECT_EQ(boxes[0]->windowTitle(), QStringLiteral("Tollvane"));
  EXPECT_EQ(boxes[0]->icon(), QMessageBox::Critical);
  EXPECT_EQ(button("Button2"), "停　止") << "the handler ended where it failed";
  EXPECT_TRUE(memo() == (std::vector<std::string>{"USBIO", "0"}));

  tickAt(Monday(9, 1, 2));
  EXPECT_EQ(find<QLabel>("Label61")->text(), QStringLiteral("9時1分2秒"));
}

TEST_F(MainWindowScenarios, ARetryingForcedRingDoesNotPileUpErrorBoxes) {
  start();
  tickAt(Monday(10, 0, 0));
  prompts.answers = {Answer::Ok};
  find<QPushButton>("Button1")->click();
  EXPECT_EQ(prompts.asked.back().text, "Okを押すと5秒後にチャイムが鳴ります");
  EXPECT_EQ(button("Button1"), "強制停止");
  auto* timer2 = form->findChild<QtBellTimer*>(QStringLiteral("Timer2"));
  ASSERT_NE(timer2, nullptr);
  EXPECT_TRUE(timer2->running());
  EXPECT_EQ(timer2->interval(), 5000);
  // No sound registered: every retry fails with the same text.
  for (int i = 0; i < 4; ++i)
    form->Timer2Timer();
  EXPECT_EQ(ErrorBoxes().size(), 1u);
  EXPECT_TRUE(timer2->enabled()) << "retried every 5 s";
  CloseErrorBoxes();
  form->Timer2Timer();
  EXPECT_EQ(ErrorBoxes().size(), 1u) << "shown again once the first box is closed";

  find<QPushButton>("Button1")->click();
  EXPECT_EQ(button("Button1"), "強　制");
  EXPECT_FALSE(timer2->enabled());
  EXPECT_EQ(board.events.back(), "off");
}

// ---- a whole bell -------------------------------------------------------------------------

TEST_F(MainWindowScenarios, AScheduledBellRingsThroughTheWindow) {
  WriteBytes(settingsPath, "[SOUND]\r\nItem1=chime.wav\r\nItem2=gong.mp3\r\n");
  player.lengths = {{"chime.wav", 3000}, {"gong.mp3", 8000}};
  start();
  type("ak01ji", "8");
  type("ak01fu", "30");
  type("mo02ji", "8");
  type("mo02fu", "30");
  type("mo02snd", "2");
  arm();
  board.events.clear();
  auto* timer1 = form->findChild<QtBellTimer*>(QStringLiteral("Timer1"));
  ASSERT_NE(timer1, nullptr);

  tickAt(Monday(8, 29, 59));
  EXPECT_TRUE(board.events.empty());
  tickAt(Monday(8, 30, 0));
  EXPECT_EQ(board.events, (std::vector<std::string>{"on", "on"}));
  EXPECT_TRUE(find<QCheckBox>("CheckBox1")->isChecked());
  EXPECT_TRUE(find<QPushButton>("Button3")->isVisible());
  EXPECT_EQ(find<QLabel>("Label3")->text(), QStringLiteral("2026年12月7日月曜日"));
  for (int second = 1; second <= 4; ++second)
    tickAt(Monday(8, 30, second));
  EXPECT_TRUE(player.calls.empty());

  tickAt(Monday(8, 30, 5));
  EXPECT_EQ(player.calls, (std::vector<std::string>{"open chime.wav", "play chime.wav",
                                                    "open gong.mp3", "play gong.mp3"}))
      << "common slot first, the day's last";
  EXPECT_TRUE(timer1->running());
  EXPECT_EQ(timer1->interval(), 8000);
  EXPECT_TRUE(ErrorBoxes().empty());

  form->Timer1Timer();
  EXPECT_EQ(player.calls.back(), "stop");
  EXPECT_EQ(board.events.back(), "off");
  EXPECT_FALSE(find<QCheckBox>("CheckBox1")->isChecked());
  EXPECT_FALSE(find<QPushButton>("Button3")->isVisible());
  EXPECT_FALSE(timer1->enabled());
}

TEST_F(MainWindowScenarios, TheTickStaysLockedToTheClocksSeconds) {
  start();
  clock.time = {Monday(8, 0, 0), 300};
  form->T1SecTimer();
  EXPECT_GT(form->msToNextTick(), 600);
  EXPECT_LE(form->msToNextTick(), 700 + TForm1::kTickSlackMs);
}

}  // namespace
}  // namespace tollvane::testing

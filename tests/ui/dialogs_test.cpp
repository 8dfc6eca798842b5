// The about box, the sound source dialog and the holiday dialog: their layout, the way the
// main window opens them, and their update, discard and error paths.
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "settings/settings_file.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"
#include "ui_rig.h"

namespace tollvane::testing {
namespace {

class DialogTest : public MainWindowTest {
 protected:
  template <typename T>
  T* in(QWidget* dialog, const QString& name) const {
    T* child = dialog->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name.toStdString();
    return child;
  }
  QLineEdit* edit(int row) const {
    return in<QLineEdit>(form->form3(), QStringLiteral("Edit%1").arg(row));
  }
  QComboBox* holiday(int number) const {
    return in<QComboBox>(form->form4(), QStringLiteral("ComboBox%1").arg(number));
  }
  void click(QWidget* dialog, const char* name) {
    in<QPushButton>(dialog, QLatin1String(name))->click();
  }
  // Runs the menu item; check runs inside the modal dialog and must close it.
  void openFromMenu(const char* item, const std::function<void(QDialog*)>& check) {
    bool ran = false;
    QTimer::singleShot(0, form.get(), [&] {
      ran = true;
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      check(dialog);
      if (dialog->isVisible())
        dialog->reject();
    });
    trigger(item);
    EXPECT_TRUE(ran);
  }
  std::string unwritableSettings() {
    WriteBytes(path("plainfile"), "x");  // a folder that is a file cannot take the settings
    return path("plainfile") + "/tollvane.INI";
  }
};

// ---- about box ----------------------------------------------------------------------------

TEST_F(DialogTest, AboutBoxShowsVersionAndDateAndClosesWithOk) {
  start();
  TForm2* about = form->form2();
  EXPECT_EQ(about->windowTitle(), QStringLiteral("VersionInfomation"));
  EXPECT_EQ(about->size(), QSize(269, 145));
  EXPECT_EQ(in<QLabel>(about, "Label1")->text(), QStringLiteral("Tollvane"));
  EXPECT_EQ(in<QLabel>(about, "Label2")->text(), QStringLiteral("Ver1.7.0.1 "));
  EXPECT_EQ(in<QLabel>(about, "Label2")->pos(), QPoint(28, 43));
  EXPECT_EQ(in<QLabel>(about, "Label4")->text(), QStringLiteral("2012/3/28版"));
  EXPECT_EQ(in<QPushButton>(about, "Button1")->geometry(), QRect(96, 112, 57, 25));
  openFromMenu("About1", [&](QDialog* dialog) {
    EXPECT_EQ(dialog, about);
    click(dialog, "Button1");
    EXPECT_FALSE(dialog->isVisible());
  });
}

// ---- sound source dialog ------------------------------------------------------------------

TEST_F(DialogTest, SoundDialogRowsStandWhereTheLayoutPutsThem) {
  start();
  TForm3* sounds = form->form3();
  EXPECT_EQ(sounds->windowTitle(), QStringLiteral("音源確認"));
  EXPECT_EQ(sounds->size(), QSize(312, 379));
  const int play[10] = {4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
  const int browse[10] = {2, 14, 15, 16, 17, 18, 19, 20, 21, 22};
  const char* const numbers[10] = {"１", "２", "３", "４", "５", "６", "７", "８", "９", "10"};
  for (int row = 1; row <= 10; ++row) {
    const int top = 8 + 32 * (row - 1);
    EXPECT_EQ(edit(row)->pos(), QPoint(24, top));
    EXPECT_EQ(edit(row)->width(), 185);
    auto* p = in<QPushButton>(sounds, QStringLiteral("Button%1").arg(play[row - 1]));
    EXPECT_EQ(p->text(), QStringLiteral("再生"));
    EXPECT_EQ(p->geometry(), QRect(216, top, 33, 25));
    auto* b = in<QPushButton>(sounds, QStringLiteral("Button%1").arg(browse[row - 1]));
    EXPECT_EQ(b->text(), QStringLiteral("..."));
    EXPECT_EQ(b->geometry(), QRect(264, top, 33, 25));
    EXPECT_EQ(in<QLabel>(sounds, QStringLiteral("Label%1").arg(row))->text().toStdString(),
              numbers[row - 1]);
  }
  EXPECT_EQ(in<QPushButton>(sounds, "Button1")->text(), QStringLiteral("確認"));
  EXPECT_EQ(in<QPushButton>(sounds, "Button1")->geometry(), QRect(68, 336, 49, 25));
  EXPECT_EQ(in<QPushButton>(sounds, "Button3")->text(), QStringLiteral("更新"));
  EXPECT_EQ(in<QPushButton>(sounds, "Button3")->geometry(), QRect(180, 336, 49, 25));
}

TEST_F(DialogTest, SoundDialogOpensWithTheSoundTableAndDiscardsEdits) {
  WriteBytes(settingsPath, "[SOUND]\r\nItem1=chime.wav\r\nItem2=gong.mp3\r\n");
  start();
  openFromMenu("sndchk", [&](QDialog* dialog) {
    EXPECT_EQ(dialog, form->form3());
    EXPECT_EQ(edit(1)->text(), QStringLiteral("chime.wav"));
    EXPECT_EQ(edit(2)->text(), QStringLiteral("gong.mp3"));
    EXPECT_EQ(edit(3)->text(), QString());
    edit(1)->setText(QStringLiteral("other.wav"));
    click(dialog, "Button1");  // 確認 discards
  });
  EXPECT_EQ(form->data().soundTable[1], "chime.wav");
  openFromMenu("sndchk",
               [&](QDialog*) { EXPECT_EQ(edit(1)->text(), QStringLiteral("chime.wav")); });
}

TEST_F(DialogTest, SoundDialogUpdateWritesTheSettingsAndTheSoundTable) {
  start();
  openFromMenu("sndchk", [&](QDialog* dialog) {
    edit(1)->setText(QStringLiteral("チャイム.wav"));
    edit(2)->setText(QStringLiteral("gong.mp3"));
    click(dialog, "Button3");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
  });
  EXPECT_EQ(form->data().soundTable[1], "チャイム.wav");
  EXPECT_EQ(form->data().soundTable[2], "gong.mp3");
  SoundTable readBack;
  HolidayList holidays;
  ReadSettings(settingsPath, readBack, holidays);
  EXPECT_EQ(readBack[1], "チャイム.wav");
  EXPECT_EQ(readBack[2], "gong.mp3");
}

TEST_F(DialogTest, SoundDialogStaysOpenWhenTheSettingsCannotBeWritten) {
  settingsPath = unwritableSettings();
  start();
  form->form3()->loadSounds(form->data().soundTable);
  form->form3()->show();
  edit(1)->setText(QStringLiteral("chime.wav"));
  click(form->form3(), "Button3");
  EXPECT_TRUE(form->form3()->isVisible());
  EXPECT_EQ(ErrorTexts(), std::vector<std::string>{settingsPath + " に書き込めません."});
  EXPECT_EQ(form->data().soundTable[1], "");
  EXPECT_EQ(edit(1)->text(), QStringLiteral("chime.wav"));
  form->form3()->reject();
}

TEST_F(DialogTest, SoundDialogPlaysARowAndStopsItOnEveryClose) {
  start();
  preview.lengths = {{"chime.wav", 2000}};
  TForm3* sounds = form->form3();
  form->data().soundTable[1] = "chime.wav";
  sounds->loadSounds(form->data().soundTable);
  sounds->show();
  click(sounds, "Button5");  // row 2 is empty: nothing happens
  EXPECT_TRUE(preview.calls.empty());
  EXPECT_FALSE(sounds->previewPlaying());
  click(sounds, "Button4");
  EXPECT_EQ(preview.calls, (std::vector<std::string>{"open chime.wav", "play chime.wav"}));
  EXPECT_TRUE(sounds->previewPlaying());
  EXPECT_TRUE(player.calls.empty()) << "the bell's player is not involved";
  sounds->close();  // the close box
  EXPECT_EQ(preview.calls.back(), "stop");
  EXPECT_FALSE(sounds->isVisible());

  preview.calls.clear();
  sounds->show();  // a new opening forgets the earlier preview
  click(sounds, "Button1");
  EXPECT_TRUE(preview.calls.empty());
}

TEST_F(DialogTest, SoundDialogReportsAFileThatDoesNotPlay) {
  start();
  TForm3* sounds = form->form3();
  sounds->show();
  edit(3)->setText(QStringLiteral("missing.wav"));
  click(sounds, "Button6");
  EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"cannot open missing.wav."});
  EXPECT_FALSE(sounds->previewPlaying());
  EXPECT_TRUE(sounds->isVisible());
  sounds->reject();
}

TEST_F(DialogTest, BrowsingPutsOnlyTheFileNameIntoTheRow) {
  start();
  TForm3* sounds = form->form3();
  sounds->show();
  chooser.answers = {"/srv/sounds/bell.wav", std::nullopt};
  click(sounds, "Button14");  // row 2
  EXPECT_EQ(edit(2)->text(), QStringLiteral("bell.wav"));
  click(sounds, "Button2");  // row 1, cancelled
  EXPECT_EQ(edit(1)->text(), QString());
  sounds->reject();
}

TEST_F(DialogTest, ChoosingASoundFileMakesItsFolderCurrentSoTheBareNamePlays) {
  const QString before = QDir::currentPath();
  QDir(dir.path()).mkpath(QStringLiteral("sounds"));
  const QString folder = QDir(dir.path()).filePath(QStringLiteral("sounds"));
  WriteBytes(QDir(folder).filePath(QStringLiteral("bell.wav")).toStdString(), "RIFF");
  QtSoundFileChooser real;
  std::optional<std::string> chosen;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("サウンドファイルを指定してください"));
    EXPECT_EQ(dialog->nameFilters(),
              QStringList({"サウンド(*.mp3)", "サウンド(*.wav)", "サウンド(*.wma)"}));
    EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(before).canonicalPath());
    dialog->setDirectory(folder);
    dialog->selectFile(QStringLiteral("bell.wav"));
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, which checks the name
  });
  chosen = real.chooseSoundFile(nullptr);
  const QString now = QDir::currentPath();
  QDir::setCurrent(before);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(QFileInfo(QString::fromStdString(*chosen)).fileName(), QStringLiteral("bell.wav"));
  EXPECT_EQ(QDir(now).canonicalPath(), QDir(folder).canonicalPath());
}

TEST_F(DialogTest, ATypedSoundFileNameIsTakenBeforeItsFileExists) {
  const QString before = QDir::currentPath();
  QtSoundFileChooser real;
  const QString typed = QDir(dir.path()).filePath(QStringLiteral("later.mp3"));
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(typed);
    static_cast<QDialog*>(dialog)->accept();
  });
  const std::optional<std::string> chosen = real.chooseSoundFile(nullptr);
  QDir::setCurrent(before);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(QFileInfo(QString::fromStdString(*chosen)).fileName(), QStringLiteral("later.mp3"));
}

TEST_F(DialogTest, EveryDialogCaptionFitsItsControl) {
  start();
  for (QWidget* dialog :
       std::initializer_list<QWidget*>{form->form2(), form->form3(), form->form4()}) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
      EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 6, button->width())
          << button->objectName().toStdString();
    }
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
      EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
          << label->objectName().toStdString();
      EXPECT_LE(label->geometry().right(), label->parentWidget()->width())
          << label->objectName().toStdString();
    }
  }
}

// ---- holiday dialog -----------------------------------------------------------------------

TEST_F(DialogTest, HolidayDialogDropDownsStandInTwoPanels) {
  start();
  TForm4* holidays = form->form4();
  EXPECT_EQ(holidays->windowTitle(), QStringLiteral("休日指定確認"));
  EXPECT_EQ(holidays->size(), QSize(295, 398));
  EXPECT_EQ(holidays->pos(), QPoint(561, 114));
  EXPECT_EQ(in<QWidget>(holidays, "Panel1")->geometry(), QRect(8, 8, 138, 345));
  EXPECT_EQ(in<QWidget>(holidays, "Panel2")->geometry(), QRect(152, 8, 138, 345));
  QStringList months, days;
  for (int i = 1; i <= 12; ++i)
    months << QString::number(i);
  for (int i = 1; i <= 31; ++i)
    days << QString::number(i);
  for (int row = 1; row <= 20; ++row) {
    const int top = 32 + 32 * ((row - 1) % 10);
    const int left = row <= 10 ? 32 : 176;
    QComboBox* month = holiday(2 * row - 1);
    QComboBox* day = holiday(2 * row);
    EXPECT_EQ(QRect(month->mapTo(holidays, QPoint(0, 0)), month->size()), QRect(left, top, 49, 20));
    EXPECT_EQ(QRect(day->mapTo(holidays, QPoint(0, 0)), day->size()),
              QRect(left + 48, top, 49, 20));
    EXPECT_TRUE(month->isEditable());
    EXPECT_EQ(month->count(), 12);
    EXPECT_EQ(day->count(), 31);
    EXPECT_EQ(month->itemText(11), QStringLiteral("12"));
    EXPECT_EQ(day->itemText(30), QStringLiteral("31"));
  }
  EXPECT_EQ(in<QPushButton>(holidays, "Button1")->geometry(), QRect(64, 360, 57, 25));
  EXPECT_EQ(in<QPushButton>(holidays, "Button2")->geometry(), QRect(168, 360, 49, 25));
}

TEST_F(DialogTest, HolidayDialogUpdateStoresRowsButNotTheCount) {
  WriteBytes(settingsPath, "[HOLIDAY]\r\nDay1= 5/ 3\r\n");
  start();
  openFromMenu("N2", [&](QDialog* dialog) {
    EXPECT_EQ(dialog, form->form4());
    EXPECT_EQ(holiday(1)->currentText(), QStringLiteral("5"));
    EXPECT_EQ(holiday(2)->currentText(), QStringLiteral("3"));
    EXPECT_EQ(holiday(3)->currentText(), QStringLiteral("0"));
    holiday(3)->setEditText(QStringLiteral("12"));
    holiday(4)->setEditText(QStringLiteral("25"));
    holiday(40)->setEditText(QString());
    click(dialog, "Button2");
    EXPECT_FALSE(dialog->isVisible());
  });
  const HolidayList& list = form->data().holidayList;
  EXPECT_EQ(list.count, 1);
  EXPECT_EQ(list.at(2).month, 12);
  EXPECT_EQ(list.at(2).day, 25);
  const std::string file = ReadBytes(settingsPath);
  EXPECT_NE(file.find("Day2=12/25"), std::string::npos);
  EXPECT_NE(file.find("Day20= 0/ 0"), std::string::npos);
}

TEST_F(DialogTest, HolidayDialogKeepsItsTextsOpenOnABadEntry) {
  start();
  TForm4* dialog = form->form4();
  dialog->loadHolidays(form->data().holidayList);
  dialog->show();
  holiday(1)->setEditText(QStringLiteral("4"));
  holiday(2)->setEditText(QStringLiteral("29"));
  holiday(3)->setEditText(QStringLiteral("x"));
  click(dialog, "Button2");
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"'x' は整数ではありません."});
  EXPECT_EQ(form->data().holidayList.at(1).month, 4) << "converted before the failing one";
  EXPECT_FALSE(QFile::exists(QString::fromStdString(settingsPath))) << "nothing written";
  click(dialog, "Button1");
  EXPECT_FALSE(dialog->isVisible());
}

TEST_F(DialogTest, HolidayDialogReportsASettingsFileThatCannotBeWritten) {
  settingsPath = unwritableSettings();
  start();
  TForm4* dialog = form->form4();
  dialog->loadHolidays(form->data().holidayList);
  dialog->show();
  holiday(1)->setEditText(QStringLiteral("1"));
  click(dialog, "Button2");
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(ErrorTexts(), std::vector<std::string>{settingsPath + " に書き込めません."});
  dialog->reject();
}

}  // namespace
}  // namespace tollvane::testing

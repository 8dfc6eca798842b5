// Qt's own texts as the windows show them, under the C locale: the message boxes' buttons and
// the three file dialogs (Qt's own widgets, their labels, buttons and columns, the folder
// type), with our texts alone (Qt's translations missing) and with everything installed.
// A program of its own: the locale must be C before the application object reads it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <cstdlib>
#include <functional>
#include <memory>

#include "support/scratch_folder.h"
#include "ui/guard.h"
#include "ui/japanese_texts.h"
#include "ui/qt_services.h"

namespace tollvane::testing {
namespace {

struct Seen {
  QStringList texts;
  bool ran = false;
};

std::string Joined(const QStringList& texts) {
  return texts.join(QStringLiteral(" | ")).toStdString();
}

// Sorted, as the order of the buttons is the platform's.
QStringList ButtonTexts(QWidget* dialog) {
  QStringList texts;
  for (QAbstractButton* button : dialog->findChild<QDialogButtonBox*>()->buttons())
    texts << button->text();
  texts.sort();
  return texts;
}

// What a file dialog shows: own widgets or not, labels, buttons, columns and a folder's type.
void ReadFileDialog(Seen& seen) {
  auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
  ASSERT_NE(dialog, nullptr);
  seen.ran = true;
  seen.texts << (dialog->testOption(QFileDialog::DontUseNativeDialog) ? "own" : "native");
  for (const char* label : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
    seen.texts << dialog->findChild<QLabel*>(QLatin1String(label))->text();
  seen.texts << ButtonTexts(dialog);
  QAbstractItemModel* files = dialog->findChild<QTreeView*>()->header()->model();
  for (int column = 0; column < files->columnCount(); ++column)
    seen.texts << files->headerData(column, Qt::Horizontal).toString();
  seen.texts << dialog->iconProvider()->type(QFileInfo(QDir::currentPath()));
  // The one file the dialog's filter lets through: its size and date, once it is listed.
  auto* view = dialog->findChild<QTreeView*>();
  auto fileRow = [view] {
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
      const QString name = view->model()->index(row, 0, view->rootIndex()).data().toString();
      if (name == QLatin1String("a.txt") || name == QLatin1String("b.mp3"))
        return row;
    }
    return -1;
  };
  if (QTest::qWaitFor([&] { return fileRow() >= 0; })) {
    for (int column : {1, 3})
      seen.texts << view->model()->index(fileRow(), column, view->rootIndex()).data().toString();
  }
  dialog->reject();
}

// The translators of one configuration, taken out again when it ends.
class Installed {
 public:
  explicit Installed(bool all) {
    if (all) {
      translators_ = InstallJapaneseTexts();
    } else {
      translators_ << new JapaneseQtTexts(QCoreApplication::instance());
      QCoreApplication::installTranslator(translators_.front());
    }
  }
  ~Installed() {
    for (QTranslator* translator : translators_) {
      QCoreApplication::removeTranslator(translator);
      delete translator;
    }
    QLocale::setDefault(QLocale::c());
  }

 private:
  QList<QTranslator*> translators_;
};

class JapaneseTextsTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ASSERT_EQ(QLocale::system().name(), QStringLiteral("C")) << "the check needs the C locale";
    // The dialogs open in the current folder: one schedule and one sound file, a byte each.
    // One folder for all the cases, as the schedule dialogs come back to the last one shown.
    static ScratchFolder scratch;
    for (const char* name : {"a.txt", "b.mp3"}) {
      QFile file(QString::fromStdString(scratch.file(name)));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write("x");
      file.flush();
      file.setFileTime(QDateTime(QDate(2026, 12, 7), QTime(8, 30, 5)),
                       QFileDevice::FileModificationTime);
    }
    home = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(scratch.file("")));
  }
  void TearDown() override { QDir::setCurrent(home); }
  QString home;
};

TEST_P(JapaneseTextsTest, MessageBoxButtons) {
  Installed installed(GetParam());
  const struct {
    Buttons buttons;
    QStringList texts;
  } cases[] = {
      {Buttons::Ok, {"OK"}},
      {Buttons::OkCancel, {"OK", "キャンセル"}},
      {Buttons::YesNo, {"いいえ(&N)", "はい(&Y)"}},
      {Buttons::YesNoCancel, {"いいえ(&N)", "キャンセル", "はい(&Y)"}},
  };
  QtPrompts prompts;
  for (const auto& c : cases) {
    auto seen = std::make_shared<Seen>();
    QTimer::singleShot(0, [seen] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      seen->texts = ButtonTexts(box);
      box->buttons().front()->click();
    });
    prompts.ask("本文", "確認", c.buttons);
    QStringList expected = c.texts;
    expected.sort();
    EXPECT_EQ(Joined(seen->texts), Joined(expected));
  }
}

TEST_P(JapaneseTextsTest, FileDialogs) {
  Installed installed(GetParam());
  const QStringList common = {"own", "アドレス:", "ファイル名(&N):", "ファイルの種類:"};
  const QStringList columns = {"名前",     "サイズ",   "タイプ",         "更新日",
                               "フォルダ", "1 バイト", "2026/12/07 8:30"};
  QtFileDialogs schedules;
  QtSoundFileChooser sounds;
  const struct {
    const char* name;
    std::function<void()> run;
    QStringList buttons;
  } cases[] = {
      {"open", [&] { schedules.openSchedule(); }, {"キャンセル", "開く(&O)"}},
      {"save", [&] { schedules.saveSchedule(""); }, {"キャンセル", "保存(&S)"}},
      {"sound", [&] { sounds.chooseSoundFile(nullptr); }, {"キャンセル", "開く(&O)"}},
  };
  for (const auto& c : cases) {
    Seen seen;
    QTimer::singleShot(0, [&seen] { ReadFileDialog(seen); });
    c.run();
    ASSERT_TRUE(seen.ran) << c.name;
    QStringList buttons = c.buttons;
    buttons.sort();
    EXPECT_EQ(Joined(seen.texts), Joined(common + buttons + columns)) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Translations, JapaneseTextsTest, ::testing::Values(false, true),
                         [](const auto& info) {
                           return std::string(info.param ? "AllInstalled" : "OursAlone");
                         });

}  // namespace
}  // namespace tollvane::testing

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
    setenv(name, "C", 1);
  unsetenv("LANGUAGE");
  ::testing::InitGoogleTest(&argc, argv);
  tollvane::TollvaneApplication app(argc, argv);
  return RUN_ALL_TESTS();
}

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
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <cstdlib>
#include <functional>

#include "support/scratch_folder.h"
#include "ui/guard.h"
#include "ui/japanese_texts.h"
#include "ui/qt_services.h"

namespace tollvane::testing {
namespace {

// Sorted, as the order of the buttons is the platform's.
QStringList ButtonTexts(QWidget* dialog) {
  QStringList texts;
  for (QAbstractButton* button : dialog->findChild<QDialogButtonBox*>()->buttons())
    texts << button->text();
  texts.sort();
  return texts;
}

// What a file dialog shows: own widgets or not, labels, buttons, columns, a folder's type and
// the size and date of the one file its filter lets through, once listed.
QStringList ReadFileDialog() {
  auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
  if (dialog == nullptr)
    return {};
  QStringList seen{dialog->testOption(QFileDialog::DontUseNativeDialog) ? "own" : "native"};
  for (const char* label : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
    seen << dialog->findChild<QLabel*>(QLatin1String(label))->text();
  seen << ButtonTexts(dialog);
  auto* view = dialog->findChild<QTreeView*>();
  for (int column = 0; column < 4; ++column)
    seen << view->model()->headerData(column, Qt::Horizontal).toString();
  seen << dialog->iconProvider()->type(QFileInfo(QDir::currentPath()));
  auto cell = [view](int column) { return view->model()->index(0, column, view->rootIndex()); };
  const QStringList files = {"a.txt", "b.mp3"};
  if (QTest::qWaitFor([&] { return files.contains(cell(0).data().toString()); })) {
    seen << cell(1).data().toString() << cell(3).data().toString();
  }
  dialog->reject();
  return seen;
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
    QStringList texts;  // sorted
  } cases[] = {
      {Buttons::Ok, {"OK"}},
      {Buttons::OkCancel, {"OK", "キャンセル"}},
      {Buttons::YesNo, {"いいえ(&N)", "はい(&Y)"}},
      {Buttons::YesNoCancel, {"いいえ(&N)", "はい(&Y)", "キャンセル"}},
  };
  QtPrompts prompts;
  for (const auto& c : cases) {
    QStringList seen;
    QTimer::singleShot(0, [&seen] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      seen = ButtonTexts(box);
      box->buttons().front()->click();
    });
    prompts.ask("本文", "確認", c.buttons);
    EXPECT_EQ(seen.join(' ').toStdString(), c.texts.join(' ').toStdString());
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
    QStringList buttons;  // sorted
  } cases[] = {
      {"open", [&] { schedules.openSchedule(); }, {"キャンセル", "開く(&O)"}},
      {"save", [&] { schedules.saveSchedule(""); }, {"キャンセル", "保存(&S)"}},
      {"sound", [&] { sounds.chooseSoundFile(nullptr); }, {"キャンセル", "開く(&O)"}},
  };
  for (const auto& c : cases) {
    QStringList seen;
    QTimer::singleShot(0, [&seen] { seen = ReadFileDialog(); });
    c.run();
    EXPECT_EQ(seen.join(" | ").toStdString(),
              (common + c.buttons + columns).join(" | ").toStdString())
        << c.name;
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

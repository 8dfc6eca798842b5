// The Qt side of the engine's interfaces: the error guard and its box, the application's
// last-resort net, window timers, message boxes and the file dialog filters.
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gmock/gmock.h>

#include "ui_rig.h"

namespace tollvane::testing {
namespace {

class ServicesTest : public ::testing::Test {
 protected:
  ~ServicesTest() override { CloseErrorBoxes(); }
};

TEST_F(ServicesTest, ErrorTextGetsAFullStopUnlessItHasOne) {
  EXPECT_EQ(ErrorBoxText(QStringLiteral("abc")), QStringLiteral("abc."));
  EXPECT_EQ(ErrorBoxText(QStringLiteral("abc.")), QStringLiteral("abc."));
  EXPECT_EQ(ErrorBoxText(QStringLiteral("接続されていません。")),
            QStringLiteral("接続されていません。."));
  EXPECT_EQ(ErrorBoxText(QString()), QStringLiteral("."));
}

TEST_F(ServicesTest, GuardShowsEachErrorOnceWhileItsBoxIsOpen) {
  EXPECT_TRUE(Guard(nullptr, [] {}));
  EXPECT_TRUE(ErrorBoxes().empty());
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(Guard(nullptr, [] { throw std::runtime_error("disk full"); }));
  }
  EXPECT_FALSE(Guard(nullptr, [] { throw std::runtime_error("other"); }));
  EXPECT_THAT(ErrorTexts(), ::testing::UnorderedElementsAre("disk full.", "other."));
  QMessageBox* box = ErrorBoxes().front();  // either will do
  EXPECT_EQ(box->windowTitle(), QStringLiteral("Tollvane"));
  EXPECT_EQ(box->icon(), QMessageBox::Critical);
  EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
  // Guard has returned while the box is still up: no nested event loop runs it.
  EXPECT_TRUE(box->isVisible());
  CloseErrorBoxes();
  EXPECT_EQ(OpenErrorBoxCount(), 0);
  Guard(nullptr, [] { throw std::runtime_error("disk full"); });
  EXPECT_EQ(ErrorBoxes().size(), 1u);
}

TEST_F(ServicesTest, ApplicationCatchesWhatEscapesAnEventHandler) {
  struct Thrower : QObject {
    bool event(QEvent*) override { throw std::runtime_error("escaped"); }
  } thrower;
  QEvent event(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&thrower, &event));
  EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"escaped."});
}

TEST_F(ServicesTest, BellTimerFollowsTheWindowTimerRules) {
  int fired = 0;
  QtBellTimer timer(1000, [&] { ++fired; });
  EXPECT_FALSE(timer.enabled());
  EXPECT_FALSE(timer.running());
  timer.setEnabled(true);
  EXPECT_TRUE(timer.running());
  timer.setInterval(0);
  EXPECT_TRUE(timer.enabled());
  EXPECT_FALSE(timer.running()) << "interval 0 never fires";
  QCoreApplication::processEvents();
  EXPECT_EQ(fired, 0);
  timer.setInterval(60000);
  EXPECT_TRUE(timer.running());
  timer.setEnabled(false);
  EXPECT_FALSE(timer.running());
  EXPECT_EQ(timer.interval(), 60000);
}

TEST_F(ServicesTest, FiltersMapToQtsForm) {
  EXPECT_EQ(QtFilter("Tollvane|*.txt"), QStringLiteral("Tollvane (*.txt)"));
  EXPECT_EQ(QtFilter("サウンド(*.mp3)|*.mp3|サウンド(*.wav)|*.wav"),
            QStringLiteral("サウンド(*.mp3);;サウンド(*.wav)"));
}

TEST_F(ServicesTest, ScheduleDialogsFilterTxtAndAddTheSuffix) {
  QtFileDialogs dialogs;
  QTemporaryDir dir;
  const QString typed = QDir(dir.path()).filePath(QStringLiteral("week"));
  auto check = [typed](bool saving) {
    QTimer::singleShot(0, [typed, saving] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("Tollvane (*.txt)")});
      EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("txt"));
      EXPECT_EQ(dialog->acceptMode(), saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
      if (saving) {
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
      }
      dialog->selectFile(typed);
      static_cast<QDialog*>(dialog)->accept();
    });
  };
  check(false);
  EXPECT_EQ(dialogs.openSchedule(), (typed + QStringLiteral(".txt")).toStdString())
      << "a name that does not exist yet is taken; loading reports it";
  check(true);
  EXPECT_EQ(dialogs.saveSchedule("/nowhere/old.txt"),
            (typed + QStringLiteral(".txt")).toStdString());
}

struct BoxSeen {
  QString text, title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

TEST_F(ServicesTest, PromptsUseTheCaptionsIconsAndFirstButtonAsDefault) {
  QtPrompts prompts;
  struct Case {
    Buttons buttons;
    const char* caption;
    QMessageBox::Icon icon;
    Answer enter;
  };
  for (const Case& c : {Case{Buttons::Ok, "確認", QMessageBox::Information, Answer::Ok},
                        Case{Buttons::OkCancel, "確認", QMessageBox::Question, Answer::Ok},
                        Case{Buttons::YesNo, "選択", QMessageBox::Question, Answer::Yes},
                        Case{Buttons::YesNoCancel, "警告", QMessageBox::Warning, Answer::Yes}}) {
    auto seen = std::make_shared<BoxSeen>();
    QTimer::singleShot(0, [seen] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      seen->text = box->text();
      seen->title = box->windowTitle();
      seen->icon = box->icon();
      QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(prompts.ask("本文\n二行目", c.caption, c.buttons), c.enter) << c.caption;
    EXPECT_EQ(seen->text, QStringLiteral("本文\n二行目"));
    EXPECT_EQ(seen->title.toStdString(), c.caption);
    EXPECT_EQ(seen->icon, c.icon) << c.caption;
  }
}

TEST_F(ServicesTest, EscapeDoesNotAnswerAYesNoQuestion) {
  QtPrompts prompts;
  auto stillOpen = std::make_shared<bool>(false);
  QTimer::singleShot(0, [stillOpen] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    QTest::keyClick(box, Qt::Key_Escape);
    box->close();
    *stillOpen = box->isVisible();
    QTest::keyClick(box, Qt::Key_Return);
  });
  EXPECT_EQ(prompts.ask("上書きしますか？(追加の場合はキャンセル)", "選択", Buttons::YesNo),
            Answer::Yes);
  EXPECT_TRUE(*stillOpen);
}

TEST_F(ServicesTest, StandardButtonsReadInJapanese) {
  QtPrompts prompts;
  auto texts = std::make_shared<QStringList>();
  QTimer::singleShot(0, [texts] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    for (QAbstractButton* b : box->buttons())
      *texts << b->text().remove(QLatin1Char('&'));
    box->button(QMessageBox::Cancel)->click();
  });
  EXPECT_EQ(prompts.ask("閉じますか", "警告", Buttons::YesNoCancel), Answer::Cancel);
  texts->sort();
  EXPECT_TRUE(texts->contains(QStringLiteral("はい(Y)")) || texts->contains(QStringLiteral("はい")))
      << texts->join(QLatin1Char(',')).toStdString();
}

}  // namespace
}  // namespace tollvane::testing

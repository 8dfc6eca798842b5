// The unattended day's faults on the real main window: automatic saves that must not overwrite
// the schedule, a checkpoint that must change nothing, a damaged "dorrel.dat" and a missing HID
// library at an AutoArm start, where nothing may wait on a box.
#include <signal.h>

#include <QDBusConnection>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "desktop/session_end.h"
#include "engine/texts.h"
#include "lifecycle/autosave.h"
#include "ui/library_messages.h"
#include "ui_rig.h"
#include "usbio/hidapi_transport.h"
#include "usbio/usbio_library.h"

namespace tollvane {
namespace {

using testing::MainWindowTest;

class CountingInhibitor : public SleepInhibitor {
 public:
  void acquire() override { ++acquired; }
  void release() override { ++released; }
  int acquired = 0, released = 0;
};

// Scripted answers, with something that happens while a question is open (the session
// ending inside the question's own event loop).
class PromptsWithHook : public testing::ScriptedPrompts {
 public:
  Answer ask(const std::string& text, const std::string& caption, Buttons buttons) override {
    if (whileAsking) {
      auto hook = std::move(whileAsking);
      whileAsking = nullptr;
      hook();
    }
    return ScriptedPrompts::ask(text, caption, buttons);
  }
  std::function<void()> whileAsking;
};

// Counts the nested event loops that run while the test only processes events, and ends each
// one so that a test fails instead of waiting for OK.
class NestedLoopWatch {
 public:
  NestedLoopWatch() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (QThread::currentThread()->loopLevel() > 0) {
        if (QWidget* modal = QApplication::activeModalWidget()) {
          ++nested;
          if (auto* box = qobject_cast<QMessageBox*>(modal))
            box->done(QMessageBox::Ok);
        }
      }
    });
    timer_.start();
  }
  int nested = 0;

 private:
  QTimer timer_;
};

// The program's own board as it would stand without the HID support library.
class NoHidLibraryBoard : public Board {
 public:
  NoHidLibraryBoard()
      : library(usbio::makeHidapiTransport("libtollvane-absent-hidapi.so.0"),
                [](const std::string& text, const std::string& caption) {
                  ShowLibraryMessage(text.c_str(), caption.c_str());
                }) {}
  void outputOn() override { library.boardOutput(true); }
  void outputOff() override { library.boardOutput(false); }
  int init() override { return library.uio_init(); }
  usbio::UsbioLibrary library;
};

class UnattendedFaults : public MainWindowTest {
 protected:
  UnattendedFaults() { SetLibraryMessageRecord(&recorder); }
  ~UnattendedFaults() override { SetLibraryMessageRecord(nullptr); }

  TForm1& startWith(Board& withBoard) {
    MainWindowParts parts{clock,   withBoard, player,       preview,     prompts,
                          dialogs, chooser,   settingsPath, autosavePath};
    parts.recorder = &recorder;
    parts.inhibitor = &inhibitor;
    form = std::make_unique<TForm1>(parts);
    form->show();
    QCoreApplication::processEvents();
    return *form;
  }
  TForm1& startRecorded() { return startWith(board); }
  // The last schedule: Monday's first bell at 8:30.
  std::string writeAutosave() {
    std::vector<int> numbers;
    for (int timetable : {8, 1, 2, 3, 4, 5, 6, 7}) {
      for (int slot = 0; slot < 24; ++slot) {
        const bool first = timetable == 2 && slot == 0;
        numbers.insert(numbers.end(), {timetable, first ? 8 : 0, first ? 30 : 0, 1});
      }
    }
    const std::string text = testing::ScheduleText(numbers);
    testing::WriteBytes(autosavePath, text);
    return text;
  }
  void autoArm() { testing::WriteBytes(settingsPath, "[OPTION]\r\nAutoArm=1\r\n"); }
  std::string backupPath() const { return AutosaveBackupPath(autosavePath); }
  QString button2() const { return find<QPushButton>("Button2")->text(); }

  PromptsWithHook prompts;
  testing::LineRecorder recorder;
  CountingInhibitor inhibitor;
};

std::vector<int> Slots(const WeekSchedule& schedule) {
  std::vector<int> numbers;
  for (const auto& timetable : schedule.timetables) {
    for (const BellSlot& slot : timetable)
      numbers.insert(numbers.end(), {slot.hour, slot.minute, slot.sound});
  }
  return numbers;
}

// The session's end by a real SIGTERM, as the program wires it.
void EndSessionBySigterm(TForm1& form, Recorder& recorder) {
  SessionEnd sessionEnd(recorder,
                        QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "no-bus"));
  bool ended = false;
  QObject::connect(&sessionEnd, &SessionEnd::sessionEnding, &form, [&] {
    form.SaveForSessionEnd();
    ended = true;
  });
  ::raise(SIGTERM);
  ASSERT_TRUE(QTest::qWaitFor([&ended] { return ended; }, 5000));
}

TEST_F(UnattendedFaults, AnAutomaticSaveOverwritesTheScheduleOnlyWithWhatItShouldHold) {
  enum class Start { kLogoutWhileAsked, kNo, kYesThenEdit, kNoThenEdit };
  struct Case {
    const char* what;
    Start start;
    bool overwritten;
  };
  const Case cases[] = {
      {"logout while the reload question is open", Start::kLogoutWhileAsked, false},
      {"SIGTERM after a refused reload", Start::kNo, false},
      {"Yes, then an edit", Start::kYesThenEdit, true},
      {"No, then an edit", Start::kNoThenEdit, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(backupPath());
    const std::string before = writeAutosave();
    const bool yes = c.start == Start::kYesThenEdit;
    prompts.answers = {yes ? Answer::Yes : Answer::No};
    if (c.start == Start::kLogoutWhileAsked) {
      prompts.whileAsking = [this] { form->SaveForSessionEnd(); };
    }
    startRecorded();
    if (c.start == Start::kYesThenEdit || c.start == Start::kNoThenEdit) {
      type("tu03ji", "9");
    }
    EndSessionBySigterm(*form, recorder);
    const std::string after = testing::ReadBytes(autosavePath);
    EXPECT_EQ(after != before, c.overwritten);
    EXPECT_EQ(std::filesystem::exists(backupPath()), c.overwritten);
    if (c.overwritten) {
      EXPECT_EQ(testing::ReadBytes(backupPath()), before);
      EXPECT_NE(after.find("3\r\n9\r\n0\r\n"), std::string::npos);
    }
    form.reset();
  }
}

TEST_F(UnattendedFaults, ADamagedScheduleAtAnAutoArmStartIsToldWithoutWaitingAndKept) {
  autoArm();
  const std::string damaged = "2\r\n8\r\nthirty\r\n1\r\n";
  testing::WriteBytes(autosavePath, damaged);
  prompts.answers = {Answer::Ok};  // the box that does not wait
  startRecorded();
  EXPECT_EQ(button2(), QString::fromUtf8(text::kDisarm));
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_NE(prompts.asked[0].text.find("読み込めませんでした。チャイム0件で開始しました。"),
            std::string::npos)
      << prompts.asked[0].text;
  EXPECT_TRUE(recorder.has("読み込めませんでした"));
  type("mo01ji", "9");  // even an edit does not replace a file that cannot be read
  form->SaveForSessionEnd();
  EXPECT_EQ(testing::ReadBytes(autosavePath), damaged);
  EXPECT_FALSE(std::filesystem::exists(backupPath()));
}

TEST_F(UnattendedFaults, ACancelledLogoutLeavesTheProgramExactlyAsItWas) {
  for (const bool armed : {true, false}) {
    SCOPED_TRACE(armed ? "armed" : "not armed");
    std::filesystem::remove(autosavePath);
    startRecorded();
    type("mo01ji", "8");
    type("mo01fu", "30");
    if (armed)
      find<QPushButton>("Button2")->click();
    type("mo02ji", "9");  // after arming: must not go live
    const WeekSchedule schedule = form->data().weekSchedule;
    const QString caption = button2();
    const QString title = form->windowTitle();
    const QString memo = find<QPlainTextEdit>("Memo1")->toPlainText();
    const int acquired = inhibitor.acquired, released = inhibitor.released;

    form->SaveForCheckpoint();

    const std::string saved = testing::ReadBytes(autosavePath);
    EXPECT_NE(saved.find("2\r\n8\r\n30\r\n1\r\n2\r\n9\r\n"), std::string::npos);
    EXPECT_EQ(Slots(form->data().weekSchedule), Slots(schedule));
    EXPECT_EQ(button2(), caption);
    EXPECT_EQ(form->windowTitle(), title);
    EXPECT_EQ(find<QPlainTextEdit>("Memo1")->toPlainText(), memo);
    EXPECT_EQ(inhibitor.acquired, acquired);
    EXPECT_EQ(inhibitor.released, released);
    tickAt(testing::Monday(9, 0, 0));
    EXPECT_TRUE(board.events.empty() || board.events.back() != "on");
    form.reset();
    board.events.clear();
  }
}

TEST_F(UnattendedFaults, WithoutTheHidLibraryAnAutoArmStartWaitsOnNoBox) {
  autoArm();
  writeAutosave();
  NoHidLibraryBoard noLibrary;
  NestedLoopWatch watch;
  prompts.answers = {Answer::Ok};  // "USB-IOが接続されていません。", shown without waiting
  startWith(noLibrary);
  QTest::qWait(20);  // let the watch look
  EXPECT_EQ(watch.nested, 0);
  EXPECT_EQ(button2(), QString::fromUtf8(text::kDisarm));
  EXPECT_TRUE(recorder.has("Error at Load 'libtollvane-absent-hidapi.so.0'"));
  int libraryBoxes = 0;  // one, however often the library says it
  for (QWidget* widget : QApplication::topLevelWidgets())
    libraryBoxes += widget->objectName() == QStringLiteral("LibraryMessageBox") ? 1 : 0;
  EXPECT_EQ(libraryBoxes, 1);

  // The operator's own arming keeps the library's modal box.
  find<QPushButton>("Button2")->click();  // disarm
  prompts.answers = {Answer::Ok};
  find<QPushButton>("Button2")->click();  // arm: the watch ends the box it waits on
  EXPECT_GE(watch.nested, 1);
  EXPECT_EQ(button2(), QString::fromUtf8(text::kDisarm));
}

}  // namespace
}  // namespace tollvane

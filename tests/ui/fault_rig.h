// The real main window with the real parts that can fail: the GStreamer sound player on real
// sound files (into a silent real-time sink), the USB-IO library over a simulated HID stack,
// and files in a scratch folder. Only the clock is the test's: the window's own T1Sec timer
// ticks for real and reads it, so a bell minute arrives as soon as the test sets it.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/gst_sound_player.h"
#include "engine/local_time.h"
#include "error_boxes.h"
#include "sound_files.h"
#include "support/fakes.h"
#include "support/scratch_folder.h"
#include "ui/Unit1.h"
#include "ui/guard.h"
#include "ui/qt_services.h"
#include "usbio/simulated_hid.h"
#include "usbio/usbio_library.h"

namespace tollvane::testing {

using usbio::HidDevice;
using usbio::OpenResult;
using usbio::ReadStatus;
using usbio::testing::SimulatedBoard;
using usbio::testing::SimulatedHid;

// A simulated HID stack whose reads block as hidraw's do: with nothing to read, a read waits
// out its whole time-out before it reports one. Writes may hang for a while before failing,
// as a board that stopped answering makes the system's write wait for its own time-out.
class BlockingHid : public SimulatedHid {
 public:
  OpenResult open(const std::string& path) override {
    OpenResult result = SimulatedHid::open(path);
    if (result.device) {
      for (const auto& board : boards) {
        if (board->info.path == path)
          result.device = std::make_unique<Device>(std::move(result.device), board, *this);
      }
    }
    return result;
  }

  int writeHangMs = 0;  // how long every write to a failing board takes
  int writeAttempts = 0;

 private:
  class Device : public HidDevice {
   public:
    Device(std::unique_ptr<HidDevice> inner, std::shared_ptr<SimulatedBoard> board,
           BlockingHid& hid)
        : inner_(std::move(inner)), board_(std::move(board)), hid_(hid) {}
    bool write(std::span<const uint8_t> report) override {
      ++hid_.writeAttempts;
      if (board_->failWrites && hid_.writeHangMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(hid_.writeHangMs));
      return inner_->write(report);
    }
    ReadStatus read(std::span<uint8_t> report, int timeoutMs) override {
      if (board_->replies.empty() && timeoutMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
      return inner_->read(report, timeoutMs);
    }
    std::optional<std::vector<uint8_t>> reportDescriptor() override {
      return inner_->reportDescriptor();
    }

   private:
    std::unique_ptr<HidDevice> inner_;
    std::shared_ptr<SimulatedBoard> board_;
    BlockingHid& hid_;
  };
};

// The bell program's board on the USB-IO library, as the program's own board does it through
// the library's host interface: the two output reports per signal, and the board search at
// arming.
class LibraryBoard : public Board {
 public:
  explicit LibraryBoard(std::shared_ptr<usbio::HidTransport> hid)
      : library(std::move(hid), [this](const std::string& text, const std::string& caption) {
          messages.push_back(caption + ": " + text);
        }) {}
  void outputOn() override { library.boardOutput(true); }
  void outputOff() override { library.boardOutput(false); }
  int init() override { return library.uio_init(); }

  std::vector<std::string> messages;
  usbio::UsbioLibrary library;
};

// The output reports a board received, by meaning: "long on" (02 00 ..), "port on"
// (port 1 := 00), "long off", "port off"; anything else as "other".
inline std::vector<std::string> Signals(const SimulatedBoard& board) {
  std::vector<std::string> seen;
  for (const auto& report : board.written) {
    if (report.size() >= 4 && report[1] == 0x20 && report[2] == 0x02 && report[3] <= 1)
      seen.push_back(report[3] == 0 ? "long on" : "long off");
    else if (report.size() >= 3 && report[1] == 0x02 && report[2] <= 1)
      seen.push_back(report[2] == 0 ? "port on" : "port off");
    else
      seen.push_back("other");
  }
  return seen;
}

inline const std::vector<std::string> kOn = {"long on", "port on"};
inline const std::vector<std::string> kOnThenOff = {"long on", "port on", "long off", "port off"};

// A tone every test may register, written once per test program.
inline const std::string& ToneFile() {
  static ScratchFolder folder;
  static const std::string file = [] {
    const std::string path = folder.file("tone.wav");
    return writeSound(SoundFormat::kWav, 300, path).empty() ? path : std::string();
  }();
  return file;
}

class FaultRig : public ::testing::Test {
 protected:
  static constexpr int kYear = 2026;
  static constexpr int kMonth = 12;
  static constexpr int kMonday = 7;  // Monday 7 December 2026
  // The clock always reads late in its second, so the window's T1Sec comes a few
  // milliseconds after every change of it.
  static constexpr int kLateInSecond = 999;

  FaultRig() {
    clock.time = {LocalSecondsOf(kYear, kMonth, kMonday, 7, 59, 0), kLateInSecond};
    settingsPath = folder.file("tollvane.INI");
    autosavePath = folder.file("dorrel.dat");
    hid->addBoard(0x1352, 0x0121, usbio::testing::vendorDescriptor(64, 64));
  }
  ~FaultRig() override {
    form.reset();
    CloseErrorBoxes();
  }

  std::shared_ptr<SimulatedBoard> plugged() const { return hid->boards.at(0); }

  TForm1& start() {
    form = std::make_unique<TForm1>(MainWindowParts{clock, board, player, preview, prompts, dialogs,
                                                    chooser, settingsPath, autosavePath});
    form->show();
    QCoreApplication::processEvents();
    return *form;
  }

  // Sets the clock to that day of December 2026 and waits until the window's own tick has
  // handled it.
  void reach(int day, int hour, int minute, int second) {
    clock.time = {LocalSecondsOf(kYear, kMonth, day, hour, minute, second), kLateInSecond};
    const QString time = QStringLiteral("%1時%2分%3秒").arg(hour).arg(minute).arg(second);
    const QString date = QStringLiteral("%1年%2月%3日").arg(kYear).arg(kMonth).arg(day);
    auto* label3 = find<QLabel>("Label3");
    auto* label61 = find<QLabel>("Label61");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return label61->text() == time && label3->text().startsWith(date); }, 5000))
        << "no tick for " << time.toStdString();
  }

  template <typename T>
  T* find(const char* name) const {
    return form->findChild<T*>(QLatin1String(name));
  }
  void type(const char* name, const std::string& text) {
    find<QComboBox>(name)->setEditText(QString::fromStdString(text));
  }
  void trigger(const char* name) {
    QAction* action = form->findChild<QAction*>(QLatin1String(name));
    ASSERT_NE(action, nullptr) << name;
    action->trigger();
  }
  // A common-page slot (Monday to Friday).
  void slot(int row, int hour, int minute, int sound) {
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "ak%02d", row);
    type((std::string(prefix) + "ji").c_str(), std::to_string(hour));
    type((std::string(prefix) + "fu").c_str(), std::to_string(minute));
    type((std::string(prefix) + "snd").c_str(), std::to_string(sound));
  }
  void arm() { find<QPushButton>("Button2")->click(); }
  bool outputShown() const { return find<QCheckBox>("CheckBox1")->isChecked(); }
  QtBellTimer* timer1() const { return form->findChild<QtBellTimer*>(QStringLiteral("Timer1")); }
  // Waits for Timer1 to end the bell the way the sound's length says.
  bool waitForBellEnd(int timeoutMs = 5000) {
    return QTest::qWaitFor([&] { return !outputShown(); }, timeoutMs);
  }
  std::string copyTone(const std::string& name) {
    const std::string target = folder.file(name);
    std::filesystem::copy_file(ToneFile(), target);
    return target;
  }

  ScratchFolder folder;
  FakeClock clock;
  std::shared_ptr<BlockingHid> hid = std::make_shared<BlockingHid>();
  LibraryBoard board{hid};
  GstSoundPlayer player{"fakesink sync=true"};
  GstSoundPlayer preview{"fakesink sync=true"};
  ScriptedPrompts prompts;
  ScriptedFileDialogs dialogs;
  class NoChooser : public SoundFileChooser {
    std::optional<std::string> chooseSoundFile(QWidget*) override { return std::nullopt; }
  } chooser;
  std::string settingsPath;
  std::string autosavePath;
  std::unique_ptr<TForm1> form;
};

#define REQUIRE_TONE()                                                         \
  if (ToneFile().empty()) {                                                    \
    GTEST_SKIP() << "GStreamer cannot write a WAV file here (wavenc missing)"; \
  }

}  // namespace tollvane::testing

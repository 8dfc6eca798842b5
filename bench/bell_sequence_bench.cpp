// Bell sequence timings in the real main window: its T1Sec tick locked to the second
// boundary, its Qt timers and the GStreamer player on a real WAV file (silent real-time sink).
// The clock is the system clock moved to two seconds before each bell minute, so bells come
// every few seconds instead of every minute. For each bell it measures, against the schedule,
// the output switched on (due at :00), the sound started (due at :05) and the output switched
// off (due when the sound ends). Prints figures only.
//   bell_sequence_bench [--bells N]   (default 8)
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "audio/gst_sound_player.h"
#include "engine/local_time.h"
#include "sound_files.h"
#include "ui/Unit1.h"
#include "ui/qt_services.h"

namespace tollvane {
namespace {

constexpr int kSoundMs = 1000;
constexpr int kLeadMs = 2000;  // the clock is set this long before each bell minute

int64_t WallMs(const LocalTime& t) {
  return t.localSeconds * 1000 + t.millisecond;
}

// The system clock moved by whole seconds, so its second boundaries stay the real ones.
class MovedClock : public Clock {
 public:
  LocalTime now() const override {
    LocalTime t = system_.now();
    t.localSeconds += offsetSeconds;
    return t;
  }
  int64_t offsetSeconds = 0;

 private:
  SystemClock system_;
};

class RecordingBoard : public Board {
 public:
  explicit RecordingBoard(const Clock& clock) : clock_(clock) {}
  void outputOn() override { ons.push_back(WallMs(clock_.now())); }
  void outputOff() override { offs.push_back(WallMs(clock_.now())); }
  int init() override { return 0; }
  std::vector<int64_t> ons;
  std::vector<int64_t> offs;

 private:
  const Clock& clock_;
};

// The real player, with the moment each play was issued noted.
class TimedPlayer : public SoundPlayer {
 public:
  TimedPlayer(SoundPlayer& inner, const Clock& clock) : inner_(inner), clock_(clock) {}
  void setFileName(const std::string& f) override { inner_.setFileName(f); }
  const std::string& fileName() const override { return inner_.fileName(); }
  void open() override { inner_.open(); }
  bool isOpen() const override { return inner_.isOpen(); }
  void setTimeFormatMilliseconds() override { inner_.setTimeFormatMilliseconds(); }
  int length() override { return lastLength = inner_.length(); }
  void setNotify(bool n) override { inner_.setNotify(n); }
  void setWait(bool w) override { inner_.setWait(w); }
  void play() override {
    inner_.play();
    plays.push_back(WallMs(clock_.now()));
  }
  void stop() override { inner_.stop(); }
  void close() override { inner_.close(); }
  void setEndHandler(std::function<void()> h) override { inner_.setEndHandler(std::move(h)); }
  std::vector<int64_t> plays;
  int lastLength = 0;

 private:
  SoundPlayer& inner_;
  const Clock& clock_;
};

class AnswerOk : public Prompts {
 public:
  Answer ask(const std::string& text, const std::string&, Buttons) override {
    std::printf("message: %s\n", text.c_str());
    return Answer::Ok;
  }
};

class NoFileDialogs : public FileDialogs {
 public:
  std::optional<std::string> openSchedule() override { return std::nullopt; }
  std::optional<std::string> saveSchedule(const std::string&) override { return std::nullopt; }
};

class NoSoundChooser : public SoundFileChooser {
 public:
  std::optional<std::string> chooseSoundFile(QWidget*) override { return std::nullopt; }
};

struct Spread {
  double median = 0;
  double max = 0;
};

Spread SpreadOf(std::vector<double> values) {
  if (values.empty())
    return {};
  std::sort(values.begin(), values.end());
  return {values[values.size() / 2], values.back()};
}

void WaitMs(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

int Run(int bells) {
  QTemporaryDir folder;
  QDir::setCurrent(folder.path());
  const std::string sound = folder.filePath("bell.wav").toStdString();
  const std::string failure = testing::writeSound(testing::SoundFormat::kWav, kSoundMs, sound);
  if (!failure.empty()) {
    std::printf("bell sequence skipped: %s\n", failure.c_str());
    return 0;
  }

  MovedClock clock;
  RecordingBoard board(clock);
  GstSoundPlayer gstPlayer("fakesink sync=true");
  TimedPlayer player(gstPlayer, clock);
  GstSoundPlayer previewPlayer("fakesink sync=true");
  AnswerOk prompts;
  NoFileDialogs dialogs;
  NoSoundChooser chooser;
  TForm1 form1({clock, board, player, previewPlayer, prompts, dialogs, chooser,
                folder.filePath("tollvane.INI").toStdString(),
                folder.filePath("dorrel.dat").toStdString()});
  form1.show();
  form1.data().soundTable[1] = sound;

  // A school Monday from 9:00, one bell a minute; the clock skips the quiet part of each
  // minute. A jump of more than ten seconds replays nothing, as after a clock change.
  const int64_t firstBell = LocalSecondsOf(2027, 4, 5, 9, 0, 0) * 1000;
  std::vector<double> onDelay;
  std::vector<double> playDelay;
  std::vector<double> offDelay;
  for (int i = 0; i < bells; ++i) {
    const int64_t bellMs = firstBell + i * int64_t{60000};
    const CurrentClock at = BreakDown(bellMs / 1000);
    form1.data().weekSchedule.at(at.weekday, 1) = {at.hour, at.minute, 1};
    const LocalTime now = clock.now();
    clock.offsetSeconds += (bellMs - kLeadMs) / 1000 - now.localSeconds;

    const size_t offsBefore = board.offs.size();
    // Lead, the five seconds to the sound, the sound, and room for the output to go off.
    const int budgetMs = kLeadMs + 5000 + kSoundMs + 3000;
    for (int waited = 0; board.offs.size() == offsBefore && waited < budgetMs; waited += 50)
      WaitMs(50);
    if (board.ons.size() != static_cast<size_t>(i + 1) ||
        player.plays.size() != static_cast<size_t>(i + 1) || board.offs.size() != offsBefore + 1) {
      std::printf("bell %d incomplete: %zu on, %zu plays, %zu off\n", i + 1, board.ons.size(),
                  player.plays.size(), board.offs.size());
      return 1;
    }
    onDelay.push_back(static_cast<double>(board.ons.back() - bellMs));
    playDelay.push_back(static_cast<double>(player.plays.back() - (bellMs + 5000)));
    offDelay.push_back(
        static_cast<double>(board.offs.back() - (player.plays.back() + player.lastLength)));
    form1.data().weekSchedule.at(at.weekday, 1) = {0, 0, 1};
  }

  const Spread on = SpreadOf(onDelay);
  const Spread play = SpreadOf(playDelay);
  const Spread off = SpreadOf(offDelay);
  std::printf("%d bells, %d ms WAV sound\n", bells, kSoundMs);
  std::printf("output on after :00        median %5.0f ms  max %5.0f ms\n", on.median, on.max);
  std::printf("sound started after :05    median %5.0f ms  max %5.0f ms\n", play.median, play.max);
  std::printf("output off after sound end median %5.0f ms  max %5.0f ms\n", off.median, off.max);
  std::printf("@ bell.on\t%.0f / %.0f ms\n", on.median, on.max);
  std::printf("@ bell.play\t%.0f / %.0f ms\n", play.median, play.max);
  std::printf("@ bell.off\t%.0f / %.0f ms\n", off.median, off.max);
  std::printf("@ bell.count\t%d\n", bells);
  form1.hide();
  return 0;
}

}  // namespace
}  // namespace tollvane

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  int bells = 8;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--bells") == 0)
      bells = std::max(1, std::atoi(argv[++i]));
  }
  QApplication app(argc, argv);
  return tollvane::Run(bells);
}

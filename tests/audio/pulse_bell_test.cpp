// Bells rung by the real engine through the real player into a real PulseAudio server: a private
// daemon with a null sink, whose monitor a recorder captures. The recorder's requested latency
// sets the sink's, so the same chimes are rung at a low and at a high server latency. Each
// chime starts and ends with a marker tone of its own, so the recording tells which end was lost.
#include <glib.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "audio/gst_sound_player.h"
#include "engine/bell_engine.h"
#include "engine/local_time.h"
#include "pulse_server.h"
#include "sound_files.h"
#include "support/fakes.h"
#include "support/scratch_folder.h"

namespace tollvane {
namespace {

using testing::MonitorRecorder;
using testing::nowUs;
using testing::PulseServer;
using testing::ScratchFolder;
using testing::SoundFormat;

const testing::MarkedChime kChime;
// Encoders pad or trim a frame at either end, which shortens the markers by a few ms.
constexpr int kMarkerHeardAtLeastMs = 90;
constexpr int kHeardToleranceMs = 100;
// How far the recorder's read of a sample may lag the moment the sink consumed it.
constexpr int kArrivalJitterMs = 25;
constexpr int kOffWithinMs = 100;

// A repeating window timer on the GLib main context, where the player's bus watch runs too.
class MainContextTimer : public BellTimer {
 public:
  explicit MainContextTimer(std::function<void()> fire) : fire_(std::move(fire)) {}
  ~MainContextTimer() override { cancel(); }
  void setInterval(int milliseconds) override {
    if (milliseconds == interval_)
      return;
    interval_ = milliseconds;
    restart();
  }
  int interval() const override { return interval_; }
  void setEnabled(bool enabled) override {
    if (enabled == enabled_)
      return;
    enabled_ = enabled;
    restart();
  }
  bool enabled() const override { return enabled_; }

 private:
  void cancel() {
    if (source_ != 0)
      g_source_remove(source_);
    source_ = 0;
  }
  void restart() {
    cancel();
    if (enabled_ && interval_ > 0)
      source_ = g_timeout_add(static_cast<guint>(interval_), &MainContextTimer::onTimeout, this);
  }
  static gboolean onTimeout(gpointer self) {
    auto* timer = static_cast<MainContextTimer*>(self);
    const guint firing = timer->source_;
    timer->fire_();
    // The handler may have restarted the timer, which removed this source already.
    return timer->source_ == firing ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
  }

  std::function<void()> fire_;
  int interval_ = 1000;
  bool enabled_ = false;
  guint source_ = 0;
};

class TimedBoard : public Board {
 public:
  void outputOn() override { onUs = nowUs(); }
  void outputOff() override { offUs = nowUs(); }
  int init() override { return 0; }
  int64_t onUs = 0, offUs = 0;
};

// The engine of the main window with the real player on PulseAudio.
struct PulseBellRig {
  PulseBellRig() {
    ResetWeekSchedule(data.weekSchedule);
    data.weekSchedule.at(kCommonTimetable, 1) = BellSlot{8, 30, 1};
  }
  // Rings slot 1 of a Monday: output-on at second 0, then the tick that replays second 5 at
  // once, so the chime starts without waiting out the lead-in.
  void ring(const std::string& file) {
    data.soundTable[1] = file;
    clock.time.localSeconds = LocalSecondsOf(2026, 12, 7, 8, 30, 0);
    engine.T1SecTimer();
    clock.time.localSeconds += 5;
    playUs = nowUs();
    engine.T1SecTimer();
  }
  // Runs the main context until the output went off, then on for lingerMs.
  bool runUntilOff(int timeoutMs, int lingerMs) {
    runMainContext([this] { return board.offUs != 0; }, timeoutMs);
    const bool off = board.offUs != 0;
    runMainContext([] { return false; }, lingerMs);
    return off;
  }
  // As the Qt event loop does: dispatches timers and the player's bus watch as they come.
  template <typename Done>
  static void runMainContext(Done done, int forMs) {
    bool expired = false;
    const guint timer = g_timeout_add(
        static_cast<guint>(forMs),
        [](gpointer flag) -> gboolean {
          *static_cast<bool*>(flag) = true;
          return G_SOURCE_REMOVE;
        },
        &expired);
    while (!done() && !expired)
      g_main_context_iteration(nullptr, TRUE);
    if (!expired)
      g_source_remove(timer);
  }

  ProgramData data;
  testing::FakeClock clock;
  TimedBoard board;
  GstSoundPlayer player{"pulsesink"};
  BellEngine* enginePtr = nullptr;
  MainContextTimer timer1{[this] { enginePtr->Timer1Timer(); }};
  MainContextTimer timer2{[this] { enginePtr->Timer2Timer(); }};
  testing::ScriptedPrompts prompts;
  testing::RecordingView view;
  testing::MapPageTexts pages;
  BellEngine engine{{data, clock, board, player, timer1, timer2, prompts, view, pages}};
  int64_t playUs = 0;
  bool wired = (enginePtr = &engine, true);
};

struct Bell {
  SoundFormat format;
  int latencyMs;
};

class PulseBell : public ::testing::TestWithParam<Bell> {
 protected:
  static void SetUpTestSuite() {
    server_ = new PulseServer;
    whyNot_ = server_->start();
    if (whyNot_.empty())
      setenv("PULSE_SERVER", server_->server().c_str(), 1);
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  static PulseServer* server_;
  static std::string whyNot_;
};
PulseServer* PulseBell::server_ = nullptr;
std::string PulseBell::whyNot_;

TEST_P(PulseBell, BothEndsOfTheChimeAreHeardAndTheOutputGoesOffRightAfterIt) {
  if (!whyNot_.empty())
    GTEST_SKIP() << "no PulseAudio server: " << whyNot_;
  const Bell bell = GetParam();
  ScratchFolder folder;
  const std::string file = folder.file(std::string("chime") + testing::extensionOf(bell.format));
  if (const std::string failure = testing::writeMarkedChime(bell.format, kChime, file);
      !failure.empty()) {
    GTEST_SKIP() << testing::formatName(bell.format) << " not encodable: " << failure;
  }

  MonitorRecorder recorder;
  if (const std::string failure = recorder.start(*server_, bell.latencyMs); !failure.empty())
    GTEST_SKIP() << failure;
  PulseBellRig rig;
  rig.ring(file);
  ASSERT_TRUE(rig.player.isOpen()) << rig.player.lastError();
  ASSERT_NE(rig.board.onUs, 0);
  ASSERT_TRUE(rig.runUntilOff(kChime.totalMs() + 7000, bell.latencyMs + 300))
      << "the output never went off";
  recorder.finish();

  const testing::ChimeHeard heard = testing::hearChime(kChime, recorder.samples());
  ASSERT_NE(heard.first, heard.npos) << "nothing was heard";
  const double heardMs =
      1000.0 * static_cast<double>(heard.last - heard.first + 1) / testing::kMonitorRate;
  const double startMs = (recorder.arrivalOf(heard.first) - rig.playUs) / 1000.0;
  const double offAfterLastMs = (rig.board.offUs - recorder.arrivalOf(heard.last)) / 1000.0;
  std::printf(
      "%s at %d ms: head %d, body %d, tail %d ms heard; first sound %.0f ms after play, output "
      "off %.0f ms after the last sample\n",
      testing::formatName(bell.format), bell.latencyMs, heard.headMs, heard.bodyMs, heard.tailMs,
      startMs, offAfterLastMs);

  EXPECT_GE(heard.headMs, kMarkerHeardAtLeastMs) << "the chime's start was cut";
  EXPECT_GE(heard.tailMs, kMarkerHeardAtLeastMs) << "the chime's end was cut";
  EXPECT_GE(heardMs, kChime.totalMs() - kHeardToleranceMs) << "the chime was cut";
  EXPECT_LE(heardMs, kChime.totalMs() + kHeardToleranceMs);
  EXPECT_GE(startMs, 0);
  EXPECT_LE(startMs, bell.latencyMs + 1000) << "the chime came late";
  EXPECT_GE(offAfterLastMs, -kArrivalJitterMs) << "the output went off under the chime";
  EXPECT_LE(offAfterLastMs, kOffWithinMs) << "the output stayed on after the chime";
  EXPECT_LE(rig.board.onUs, rig.playUs);
}

std::vector<Bell> allBells() {
  std::vector<Bell> bells;
  for (int latencyMs : {20, 200, 500}) {
    for (SoundFormat format : {SoundFormat::kWav, SoundFormat::kMp3WithHeader, SoundFormat::kWma})
      bells.push_back({format, latencyMs});
  }
  return bells;
}

std::string bellName(const Bell& bell) {
  static const char* const kNames[] = {"Wav", "Mp3", "Mp3Bare", "Wma"};
  return std::string(kNames[static_cast<int>(bell.format)]) + "At" +
         std::to_string(bell.latencyMs) + "ms";
}

INSTANTIATE_TEST_SUITE_P(FormatsAndLatencies, PulseBell, ::testing::ValuesIn(allBells()),
                         [](const auto& info) { return bellName(info.param); });

}  // namespace
}  // namespace tollvane

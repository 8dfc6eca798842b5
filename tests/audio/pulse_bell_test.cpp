// Bells rung by the real engine through the real player into a real PulseAudio server: a private
// daemon with a null sink, whose monitor a recorder captures. The recorder's requested latency
// sets the sink's, so the same chimes are rung at a low and at a high server latency.
#include <fcntl.h>
#include <glib.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/gst_sound_player.h"
#include "engine/bell_engine.h"
#include "engine/local_time.h"
#include "sound_files.h"
#include "support/fakes.h"
#include "support/scratch_folder.h"

namespace tollvane {
namespace {

using testing::ScratchFolder;
using testing::SoundFormat;

constexpr int kToneMs = 1000;
constexpr int kRate = 44100;
// |sample| above this is the chime (the test tone peaks near 26000); the null sink is silent.
constexpr int kLoudSample = 2000;
// Encoders pad or trim a frame at either end; and when its stream starts late on a busy
// machine, pulsesink drops up to several tens of milliseconds of the very start at a high
// latency. A cut tail at that latency loses hundreds.
constexpr int kHeardToleranceMs = 100;
// How far the recorder's read of a sample may lag the moment the sink consumed it.
constexpr int kArrivalJitterMs = 25;
constexpr int kOffWithinMs = 100;

int64_t nowUs() {
  return g_get_monotonic_time();
}

// A child process started without a shell; killed and reaped on destruction.
class Child {
 public:
  // Returns false with why not.
  bool start(const std::vector<std::string>& argv, const std::vector<std::string>& env,
             int* stdoutFd, std::string* whyNot) {
    std::vector<char*> args, envp;
    for (const std::string& a : argv)
      args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string& e : env)
      envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    GError* error = nullptr;
    const auto flags = static_cast<GSpawnFlags>(
        G_SPAWN_SEARCH_PATH_FROM_ENVP | G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_STDERR_TO_DEV_NULL |
        (stdoutFd == nullptr ? G_SPAWN_STDOUT_TO_DEV_NULL : 0));
    if (!g_spawn_async_with_pipes(nullptr, args.data(), envp.data(), flags, nullptr, nullptr, &pid_,
                                  nullptr, stdoutFd, nullptr, &error)) {
      *whyNot = argv[0] + ": " + (error != nullptr ? error->message : "cannot start");
      if (error != nullptr)
        g_error_free(error);
      return false;
    }
    return true;
  }
  bool running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }
  void stop() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
    pid_ = 0;
  }
  ~Child() { stop(); }

 private:
  GPid pid_ = 0;
};

// The daemon reads no configuration of this machine or user: -n skips the default script,
// and HOME and the XDG folders point into a scratch folder.
class PulseServer {
 public:
  std::string start() {
    const char* names[] = {"pulseaudio", "parec"};
    for (const char* name : names) {
      gchar* found = g_find_program_in_path(name);
      if (found == nullptr)
        return std::string(name) + " is not installed";
      g_free(found);
    }
    socket_ = folder_.file("native");
    env_ = {"HOME=" + folder_.path().string(), "XDG_RUNTIME_DIR=" + folder_.path().string(),
            "XDG_CONFIG_HOME=" + folder_.file("config"), "PATH=" + std::string(getenv("PATH")),
            "PULSE_SERVER=unix:" + socket_};
    std::string whyNot;
    // As root the daemon warns but runs when it is told this is no system instance.
    if (!daemon_.start(
            {"pulseaudio", "-n", "--daemonize=no", "--system=false", "--exit-idle-time=-1",
             "--use-pid-file=false", "--disable-shm=yes", "--load=module-null-sink sink_name=bells",
             "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket_},
            env_, nullptr, &whyNot)) {
      return whyNot;
    }
    const int64_t deadline = nowUs() + 10 * G_USEC_PER_SEC;
    while (nowUs() < deadline) {
      if (!daemon_.running())
        return "pulseaudio exited at start";
      if (accepts())
        return {};
      g_usleep(20 * 1000);
    }
    return "pulseaudio did not open its socket";
  }
  const std::vector<std::string>& env() const { return env_; }
  std::string server() const { return "unix:" + socket_; }

 private:
  bool accepts() const {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socket_.copy(address.sun_path, sizeof address.sun_path - 1);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
  }

  ScratchFolder folder_;
  std::string socket_;
  std::vector<std::string> env_;
  Child daemon_;
};

// Captures the null sink's monitor as mono 16-bit samples, noting when each read arrived.
class MonitorRecorder {
 public:
  struct Read {
    int64_t arrivedUs;
    size_t samplesSoFar;
  };

  std::string start(const PulseServer& server, int latencyMs) {
    int fd = -1;
    std::string whyNot;
    if (!child_.start({"parec", "--device=bells.monitor", "--raw", "--format=s16le",
                       "--rate=" + std::to_string(kRate), "--channels=1",
                       "--latency-msec=" + std::to_string(latencyMs)},
                      server.env(), &fd, &whyNot)) {
      return whyNot;
    }
    fd_ = fd;
    reader_ = std::thread([this] { readAll(); });
    // The null sink produces silence all the time, so data arrives once the stream is up.
    const int64_t deadline = nowUs() + 5 * G_USEC_PER_SEC;
    while (nowUs() < deadline) {
      if (samplesSoFar() > 0)
        return {};
      g_usleep(10 * 1000);
    }
    return "the recorder delivered nothing";
  }
  ~MonitorRecorder() { finish(); }
  void finish() {
    child_.stop();
    if (reader_.joinable())
      reader_.join();
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = -1;
  }
  size_t samplesSoFar() {
    std::lock_guard<std::mutex> lock(mutex_);
    return samples_.size();
  }
  // Valid after finish().
  const std::vector<int16_t>& samples() const { return samples_; }
  // When the read holding sample index i arrived.
  int64_t arrivalOf(size_t i) const {
    for (const Read& read : reads_) {
      if (i < read.samplesSoFar)
        return read.arrivedUs;
    }
    return reads_.empty() ? 0 : reads_.back().arrivedUs;
  }

 private:
  void readAll() {
    std::vector<char> buffer(8192);
    size_t carry = 0;  // a half sample from the last read
    for (;;) {
      const ssize_t got = ::read(fd_, buffer.data() + carry, buffer.size() - carry);
      if (got <= 0)
        return;
      const int64_t arrived = nowUs();
      const size_t bytes = carry + static_cast<size_t>(got);
      std::lock_guard<std::mutex> lock(mutex_);
      for (size_t i = 0; i + 1 < bytes; i += 2) {
        samples_.push_back(static_cast<int16_t>(static_cast<uint8_t>(buffer[i]) |
                                                (static_cast<uint8_t>(buffer[i + 1]) << 8)));
      }
      carry = bytes % 2;
      if (carry != 0)
        buffer[0] = buffer[bytes - 1];
      reads_.push_back({arrived, samples_.size()});
    }
  }

  Child child_;
  int fd_ = -1;
  std::thread reader_;
  std::mutex mutex_;
  std::vector<int16_t> samples_;
  std::vector<Read> reads_;
};

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

TEST_P(PulseBell, TheWholeChimeIsHeardAndTheOutputGoesOffRightAfterIt) {
  if (!whyNot_.empty())
    GTEST_SKIP() << "no PulseAudio server: " << whyNot_;
  const Bell bell = GetParam();
  ScratchFolder folder;
  const std::string file = folder.file(std::string("chime") + testing::extensionOf(bell.format));
  if (const std::string failure = testing::writeSound(bell.format, kToneMs, file);
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
  ASSERT_TRUE(rig.runUntilOff(kToneMs + 7000, bell.latencyMs + 300)) << "the output never went off";
  recorder.finish();

  const std::vector<int16_t>& samples = recorder.samples();
  size_t first = samples.size(), last = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    if (std::abs(samples[i]) > kLoudSample) {
      first = std::min(first, i);
      last = i;
    }
  }
  ASSERT_LT(first, samples.size()) << "nothing was heard";
  const double heardMs = 1000.0 * static_cast<double>(last - first + 1) / kRate;
  const double startMs = (recorder.arrivalOf(first) - rig.playUs) / 1000.0;
  const double offAfterLastMs = (rig.board.offUs - recorder.arrivalOf(last)) / 1000.0;
  std::printf(
      "%s at %d ms: heard %.0f ms, first sound %.0f ms after play, output off %.0f ms "
      "after the last sample\n",
      testing::formatName(bell.format), bell.latencyMs, heardMs, startMs, offAfterLastMs);

  EXPECT_GE(heardMs, kToneMs - kHeardToleranceMs) << "the chime was cut";
  EXPECT_LE(heardMs, kToneMs + kHeardToleranceMs);
  EXPECT_GE(startMs, 0);
  EXPECT_LE(startMs, bell.latencyMs + 1000) << "the chime came late";
  EXPECT_GE(offAfterLastMs, -kArrivalJitterMs) << "the output went off under the chime";
  EXPECT_LE(offAfterLastMs, kOffWithinMs) << "the output stayed on after the chime";
  EXPECT_LE(rig.board.onUs, rig.playUs);
}

std::string bellName(const Bell& bell) {
  static const char* const kNames[] = {"Wav", "Mp3", "Mp3Bare", "Wma"};
  return std::string(kNames[static_cast<int>(bell.format)]) + "At" +
         std::to_string(bell.latencyMs) + "ms";
}

INSTANTIATE_TEST_SUITE_P(
    FormatsAndLatencies, PulseBell,
    ::testing::Values(Bell{SoundFormat::kWav, 20}, Bell{SoundFormat::kMp3WithHeader, 20},
                      Bell{SoundFormat::kWma, 20}, Bell{SoundFormat::kWav, 500},
                      Bell{SoundFormat::kMp3WithHeader, 500}, Bell{SoundFormat::kWma, 500}),
    [](const auto& info) { return bellName(info.param); });

}  // namespace
}  // namespace tollvane

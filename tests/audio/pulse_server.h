// A private PulseAudio server with a null sink, and a recorder of its monitor: a real sound
// server for the tests and the benchmark, reading nothing of this machine's or user's setup.
#pragma once

#include <fcntl.h>
#include <glib.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/scratch_folder.h"

namespace tollvane::testing {

constexpr int kMonitorRate = 44100;

inline int64_t nowUs() {
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
                       "--rate=" + std::to_string(kMonitorRate), "--channels=1",
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

}  // namespace tollvane::testing

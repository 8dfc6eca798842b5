#include "desktop/session_end.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>
#include <stdexcept>

#include "desktop/desktop_texts.h"
#include "engine/texts.h"

namespace tollvane {
namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGHUP};

// The self-pipe: the handler only writes the signal's number, the notifier reads it in the
// event loop. Plain globals, as the handler may touch nothing else.
int signalPipe[2] = {-1, -1};
struct sigaction previousActions[std::size(kEndSignals)];
bool instanceAlive = false;

extern "C" void OnEndSignal(int signalNumber) {
  const int savedErrno = errno;
  const unsigned char byte = static_cast<unsigned char>(signalNumber);
  // A full pipe already holds an unread end: losing this byte loses nothing.
  [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
  errno = savedErrno;
}

std::string SignalName(int signalNumber) {
  switch (signalNumber) {
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "signal " + std::to_string(signalNumber);
  }
}

}  // namespace

SessionEnd::SessionEnd(Recorder& recorder, QObject* parent)
    : SessionEnd(recorder, QDBusConnection::systemBus(), kSystemBusTimeoutMs, parent) {}

SessionEnd::SessionEnd(Recorder& recorder, const QDBusConnection& bus, int timeoutMs,
                       QObject* parent)
    : QObject(parent), recorder_(recorder) {
  if (instanceAlive) {
    throw std::logic_error("SessionEnd exists already");
  }
  std::string whyNot;
  delay_ = TakeInhibitorLock(bus, QStringLiteral("shutdown"),
                             QString::fromUtf8(text::desktop::kShutdownReason),
                             QStringLiteral("delay"), timeoutMs, whyNot);
  if (!delay_.held()) {
    recorder_.record(text::record::kWarning,
                     text::Formatted(text::desktop::kNoShutdownDelay, whyNot.c_str()));
  }
  if (bus.isConnected()) {
    QDBusConnection(bus).connect(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForShutdown"),
        this, SLOT(onPrepareForShutdown(bool)));
  }

  // The handlers come last, so that a failure above leaves none of them behind.
  if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::runtime_error("SessionEnd: no pipe");
  }
  notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &SessionEnd::onSignalPipe);

  struct sigaction action = {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < std::size(kEndSignals); ++i) {
    ::sigaction(kEndSignals[i], nullptr, &previousActions[i]);
    // A signal ignored from the start (nohup) stays ignored, as its starter asked.
    if (previousActions[i].sa_handler != SIG_IGN) {
      ::sigaction(kEndSignals[i], &action, nullptr);
    }
  }
  instanceAlive = true;
}

SessionEnd::~SessionEnd() {
  for (std::size_t i = 0; i < std::size(kEndSignals); ++i) {
    ::sigaction(kEndSignals[i], &previousActions[i], nullptr);
  }
  notifier_.reset();
  ::close(signalPipe[0]);
  ::close(signalPipe[1]);
  signalPipe[0] = signalPipe[1] = -1;
  instanceAlive = false;
}

void SessionEnd::saved() {
  delay_.reset();
}

void SessionEnd::onSignalPipe() {
  try {
    unsigned char byte = 0;
    int last = 0;
    while (::read(signalPipe[0], &byte, 1) == 1) {
      last = byte;
    }
    if (last != 0) {
      announce(text::desktop::kEndAsked, SignalName(last));
    }
  } catch (...) {
    // Nothing may escape into the event loop; the end is announced at most once anyway.
  }
}

void SessionEnd::onPrepareForShutdown(bool starting) {
  try {
    if (starting) {
      announce(text::desktop::kShutdownComing, "logind PrepareForShutdown");
    }
  } catch (...) {
  }
}

void SessionEnd::announce(const std::string& cause, const std::string& detail) {
  if (announced_) {
    return;
  }
  announced_ = true;
  recorder_.record(text::record::kEnd,
                   text::Formatted(text::desktop::kSessionEnding, cause.c_str(), detail.c_str()));
  emit sessionEnding();
}

}  // namespace tollvane

// Tells the program that the desktop session is ending, so that the pages can be saved without
// a question: SIGTERM or SIGHUP (sent by the session manager at logout, by systemd at shutdown),
// or logind's PrepareForShutdown(true). While the object lives it holds a logind "delay" lock
// on shutdown, so that a shutdown waits (up to logind's InhibitDelayMaxSec) for saved().
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QSocketNotifier>
#include <memory>
#include <string>

#include "desktop/logind.h"
#include "engine/interfaces.h"

namespace tollvane {

class SessionEnd : public QObject {
  Q_OBJECT

 public:
  // On the system bus. Only one object may live at a time: the signal handlers are the
  // process's; a second one raises std::logic_error. A signal the program was started with
  // ignored (nohup) is left ignored.
  explicit SessionEnd(Recorder& recorder, QObject* parent = nullptr);
  SessionEnd(Recorder& recorder, const QDBusConnection& bus, int timeoutMs = kSystemBusTimeoutMs,
             QObject* parent = nullptr);
  // Puts the previous signal handlers back and releases the lock.
  ~SessionEnd() override;

  // The pages are saved: a waiting shutdown may go on.
  void saved();
  bool holdsShutdownDelay() const { return delay_.held(); }

 signals:
  // Emitted once, whichever way the end is announced first.
  void sessionEnding();

 private slots:
  void onSignalPipe();
  void onPrepareForShutdown(bool starting);

 private:
  void announce(const std::string& cause, const std::string& detail);

  Recorder& recorder_;
  InhibitorLock delay_;
  std::unique_ptr<QSocketNotifier> notifier_;
  bool announced_ = false;
};

}  // namespace tollvane

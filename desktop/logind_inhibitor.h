// Keeps the machine awake while the system is armed: a logind "block" lock on sleep and idle.
#pragma once

#include <QDBusConnection>
#include <string>

#include "desktop/logind.h"
#include "engine/interfaces.h"

namespace tollvane {

class LogindInhibitor : public SleepInhibitor {
 public:
  // On the system bus.
  explicit LogindInhibitor(Recorder& recorder);
  LogindInhibitor(Recorder& recorder, const QDBusConnection& bus,
                  int timeoutMs = kSystemBusTimeoutMs);
  ~LogindInhibitor() override = default;  // the lock's descriptor closes with it

  // Takes the lock unless it is held. A failure is recorded once (until a later success) and
  // the program goes on without the lock.
  void acquire() override;
  void release() override;
  bool held() const { return lock_.held(); }

 private:
  Recorder& recorder_;
  QDBusConnection bus_;
  int timeoutMs_;
  InhibitorLock lock_;
  bool failureRecorded_ = false;
};

}  // namespace tollvane

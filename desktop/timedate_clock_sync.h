// Asks timedated whether the system clock follows a time source (NTPSynchronized).
#pragma once

#include <QDBusConnection>
#include <optional>

#include "desktop/logind.h"
#include "engine/interfaces.h"

namespace tollvane {

class TimedateClockSync : public ClockSync {
 public:
  // On the system bus.
  TimedateClockSync();
  explicit TimedateClockSync(const QDBusConnection& bus, int timeoutMs = kSystemBusTimeoutMs);

  // Nothing when there is no bus, no timedated, or an answer that is not a truth value.
  std::optional<bool> synchronized() override;

 private:
  QDBusConnection bus_;
  int timeoutMs_;
};

}  // namespace tollvane

// Asks timedated whether the system clock follows a time source (NTPSynchronized), and passes
// on its PropertiesChanged reports of that property.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <optional>

#include "desktop/logind.h"
#include "engine/interfaces.h"

namespace tollvane {

class TimedateClockSync : public QObject, public ClockSync {
  Q_OBJECT

 public:
  // On the system bus.
  TimedateClockSync();
  explicit TimedateClockSync(const QDBusConnection& bus, int timeoutMs = kSystemBusTimeoutMs);

  // Nothing when there is no bus, no timedated, or an answer that is not a truth value.
  std::optional<bool> synchronized() override;
  // Subscribes on the first handler; reports come from the event loop.
  void setChangeHandler(std::function<void(std::optional<bool>)> handler) override;

 private slots:
  void onPropertiesChanged(const QString& interfaceName, const QVariantMap& changed,
                           const QStringList& invalidated);

 private:
  QDBusConnection bus_;
  int timeoutMs_;
  std::function<void(std::optional<bool>)> handler_;
  bool subscribed_ = false;
};

}  // namespace tollvane

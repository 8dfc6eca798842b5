#include "desktop/timedate_clock_sync.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QMetaType>
#include <QVariant>
#include <exception>

namespace tollvane {

namespace {

const QString kService = QStringLiteral("org.freedesktop.timedate1");
const QString kPath = QStringLiteral("/org/freedesktop/timedate1");
const QString kProperty = QStringLiteral("NTPSynchronized");

std::optional<bool> TruthValue(QVariant value) {
  if (value.metaType() == QMetaType::fromType<QDBusVariant>()) {
    value = qvariant_cast<QDBusVariant>(value).variant();
  }
  if (value.metaType() != QMetaType::fromType<bool>()) {
    return std::nullopt;
  }
  return value.toBool();
}

}  // namespace

TimedateClockSync::TimedateClockSync() : TimedateClockSync(QDBusConnection::systemBus()) {}

TimedateClockSync::TimedateClockSync(const QDBusConnection& bus, int timeoutMs)
    : bus_(bus), timeoutMs_(timeoutMs) {}

std::optional<bool> TimedateClockSync::synchronized() {
  if (!bus_.isConnected()) {
    return std::nullopt;
  }
  // A plain Properties.Get: QDBusInterface would introspect the service first, a second
  // blocking round trip.
  QDBusMessage call = QDBusMessage::createMethodCall(
      kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  call << kService << kProperty;
  const QDBusMessage reply = bus_.call(call, QDBus::Block, timeoutMs_);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
    return std::nullopt;
  }
  return TruthValue(reply.arguments().first());
}

void TimedateClockSync::setChangeHandler(std::function<void(std::optional<bool>)> handler) {
  handler_ = std::move(handler);
  if (handler_ && !subscribed_ && bus_.isConnected()) {
    subscribed_ = bus_.connect(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                               QStringLiteral("PropertiesChanged"), this,
                               SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
  }
}

void TimedateClockSync::onPropertiesChanged(const QString& interfaceName,
                                            const QVariantMap& changed,
                                            const QStringList& invalidated) {
  try {
    if (!handler_ || interfaceName != kService) {
      return;
    }
    if (changed.contains(kProperty)) {
      handler_(TruthValue(changed.value(kProperty)));
    } else if (invalidated.contains(kProperty)) {
      handler_(synchronized());
    }
  } catch (const std::exception&) {
    // Nothing may escape into the event loop; the next reading tells again.
  }
}

}  // namespace tollvane

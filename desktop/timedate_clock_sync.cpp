#include "desktop/timedate_clock_sync.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QMetaType>
#include <QVariant>

namespace tollvane {

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
      QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  call << QStringLiteral("org.freedesktop.timedate1") << QStringLiteral("NTPSynchronized");
  const QDBusMessage reply = bus_.call(call, QDBus::Block, timeoutMs_);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
    return std::nullopt;
  }
  QVariant value = reply.arguments().first();
  if (value.metaType() == QMetaType::fromType<QDBusVariant>()) {
    value = qvariant_cast<QDBusVariant>(value).variant();
  }
  if (value.metaType() != QMetaType::fromType<bool>()) {
    return std::nullopt;
  }
  return value.toBool();
}

}  // namespace tollvane

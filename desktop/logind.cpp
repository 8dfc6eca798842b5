#include "desktop/logind.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QVariant>

#include "desktop/desktop_texts.h"
#include "engine/texts.h"

namespace tollvane {

InhibitorLock& InhibitorLock::operator=(InhibitorLock&& other) noexcept {
  if (this != &other) {
    reset();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

void InhibitorLock::reset() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

InhibitorLock TakeInhibitorLock(const QDBusConnection& bus, const QString& what, const QString& why,
                                const QString& mode, int timeoutMs, std::string& whyNot) {
  if (!bus.isConnected()) {
    whyNot = text::desktop::kNoBus;
    return {};
  }
  if (!(bus.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing)) {
    whyNot = text::desktop::kNoFdPassing;
    return {};
  }
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
      QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
  call << what << QStringLiteral("Tollvane") << why << mode;
  // Block, not BlockWithGui: no other handler may run inside the caller's handler.
  const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage) {
    whyNot = text::Formatted(text::desktop::kRefusedBy, reply.errorName().toStdString().c_str(),
                             reply.errorMessage().toStdString().c_str());
    return {};
  }
  const QDBusUnixFileDescriptor received =
      qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().value(0));
  if (!received.isValid()) {
    whyNot = text::desktop::kNoFdInReply;
    return {};
  }
  // An own copy, closed on exec so that no child process keeps the lock alive; Qt's copy is
  // closed with the reply.
  const int fd = ::fcntl(received.fileDescriptor(), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) {
    whyNot = text::desktop::kCannotDuplicate;
    return {};
  }
  return InhibitorLock(fd);
}

}  // namespace tollvane

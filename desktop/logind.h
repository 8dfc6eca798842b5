// logind's inhibitor locks on the system bus. A lock lasts as long as the file descriptor
// logind hands out stays open, so the lock is an owned descriptor.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <string>

namespace tollvane {

// Short, so that a hung bus or a slow polkit answer costs the window at most a second.
inline constexpr int kSystemBusTimeoutMs = 1000;

class InhibitorLock {
 public:
  InhibitorLock() = default;
  explicit InhibitorLock(int fd) : fd_(fd) {}
  InhibitorLock(InhibitorLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  InhibitorLock& operator=(InhibitorLock&& other) noexcept;
  InhibitorLock(const InhibitorLock&) = delete;
  InhibitorLock& operator=(const InhibitorLock&) = delete;
  ~InhibitorLock() { reset(); }

  bool held() const { return fd_ >= 0; }
  // Closes the descriptor, which ends the lock.
  void reset();

 private:
  int fd_ = -1;
};

// Calls org.freedesktop.login1.Manager.Inhibit(what, "Tollvane", why, mode) and waits at most
// timeoutMs for the answer. On failure the lock is not held and whyNot says, in Japanese, what
// went wrong (for the bell record).
InhibitorLock TakeInhibitorLock(const QDBusConnection& bus, const QString& what, const QString& why,
                                const QString& mode, int timeoutMs, std::string& whyNot);

}  // namespace tollvane

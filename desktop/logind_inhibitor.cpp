#include "desktop/logind_inhibitor.h"

#include "desktop/desktop_texts.h"
#include "engine/texts.h"

namespace tollvane {

LogindInhibitor::LogindInhibitor(Recorder& recorder)
    : LogindInhibitor(recorder, QDBusConnection::systemBus()) {}

LogindInhibitor::LogindInhibitor(Recorder& recorder, const QDBusConnection& bus, int timeoutMs)
    : recorder_(recorder), bus_(bus), timeoutMs_(timeoutMs) {}

void LogindInhibitor::acquire() {
  if (lock_.held()) {
    return;
  }
  std::string whyNot;
  lock_ = TakeInhibitorLock(bus_, QStringLiteral("sleep:idle"),
                            QString::fromUtf8(text::desktop::kSleepReason), QStringLiteral("block"),
                            timeoutMs_, whyNot);
  if (lock_.held()) {
    failureRecorded_ = false;
  } else if (!failureRecorded_) {
    failureRecorded_ = true;
    recorder_.record(text::record::kWarning,
                     text::Formatted(text::desktop::kNoSleepLock, whyNot.c_str()));
  }
}

void LogindInhibitor::release() {
  lock_.reset();
}

}  // namespace tollvane

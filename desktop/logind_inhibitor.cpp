#include "desktop/logind_inhibitor.h"

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
                            QStringLiteral("チャイムの時刻を待っています"), QStringLiteral("block"),
                            timeoutMs_, whyNot);
  if (lock_.held()) {
    failureRecorded_ = false;
  } else if (!failureRecorded_) {
    failureRecorded_ = true;
    recorder_.record(
        "警告",
        "パソコンのスリープを止められませんでした。スリープするとチャイムは鳴りません。"
        "電源の設定で自動のスリープを切ってください。(詳細: " +
            whyNot + ")");
  }
}

void LogindInhibitor::release() {
  lock_.reset();
}

}  // namespace tollvane

// A private bus standing in for the system bus: a dbus-daemon of the test's own, and dbusmock
// templates (logind, timedated) serving on it, so no test touches the machine's real services.
#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <memory>
#include <string>
#include <vector>

#include "engine/interfaces.h"
#include "support/scratch_folder.h"

namespace tollvane::testing {

struct Recorded {
  std::string kind;
  std::string text;
};

class ListRecorder : public Recorder {
 public:
  void record(std::string_view kind, std::string_view text) override {
    lines.push_back({std::string(kind), std::string(text)});
  }
  std::vector<Recorded> lines;
};

struct Inhibitor {
  QString what, who, why, mode;
};

class PrivateBus {
 public:
  // Empty when the bus runs; otherwise why it does not (the test skips with it).
  std::string start() {
    if (QString(DBUS_DAEMON_PROGRAM).isEmpty() || QString(SYSTEM_PYTHON_PROGRAM).isEmpty()) {
      return "dbus-daemon or /usr/bin/python3 missing";
    }
    QProcess probe;
    probe.start(SYSTEM_PYTHON_PROGRAM, {"-c", "import dbusmock"});
    if (!probe.waitForFinished(20000) || probe.exitCode() != 0) {
      return "python3-dbusmock missing";
    }
    const QString config = QString::fromStdString(folder_.file("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
      return "cannot write the bus configuration";
    }
    file.write("<busconfig><type>system</type><listen>unix:dir=" +
               QByteArray::fromStdString(folder_.path().string()) +
               "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
               "<allow user=\"*\"/><allow own=\"*\"/><allow send_destination=\"*\"/>"
               "<allow receive_sender=\"*\"/></policy></busconfig>\n");
    file.close();
    daemon_.start(DBUS_DAEMON_PROGRAM,
                  {"--config-file=" + config, "--nofork", "--print-address=1"});
    if (!daemon_.waitForReadyRead(10000)) {
      return "dbus-daemon did not start";
    }
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    bus_ = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(address_, "private-" + QString::number(++connections_)));
    return bus_->isConnected() ? "" : "cannot connect to the private bus";
  }

  ~PrivateBus() {
    for (auto& mock : mocks_) {
      mock->kill();
      mock->waitForFinished(5000);
    }
    if (bus_) {
      QDBusConnection::disconnectFromBus(bus_->name());
    }
    daemon_.kill();
    daemon_.waitForFinished(5000);
  }

  const QDBusConnection& bus() const { return *bus_; }

  // Starts a dbusmock template and returns once its name is on the bus (false after 20 s).
  bool startMock(const QString& templateName, const QString& service,
                 const QString& parameters = "{}") {
    auto mock = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SYSTEM_BUS_ADDRESS", address_);
    mock->setProcessEnvironment(environment);
    mock->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QDBusServiceWatcher watcher(service, *bus_, QDBusServiceWatcher::WatchForRegistration);
    QSignalSpy registered(&watcher, &QDBusServiceWatcher::serviceRegistered);
    mock->start(SYSTEM_PYTHON_PROGRAM,
                {"-m", "dbusmock", "--system", "--template", templateName, "-p", parameters});
    mocks_.push_back(std::move(mock));
    return bus_->interface()->isServiceRegistered(service) || registered.wait(20000);
  }

  // logind stand-in's current locks, read through its ListInhibitors.
  std::vector<Inhibitor> inhibitors() const {
    const QDBusMessage reply = bus_->call(
        QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                       "org.freedesktop.login1.Manager", "ListInhibitors"));
    std::vector<Inhibitor> result;
    if (reply.type() != QDBusMessage::ReplyMessage) {
      ADD_FAILURE() << reply.errorMessage().toStdString();
      return result;
    }
    const QDBusArgument list = qvariant_cast<QDBusArgument>(reply.arguments().value(0));
    list.beginArray();
    while (!list.atEnd()) {
      Inhibitor inhibitor;
      uint uid = 0, pid = 0;
      list.beginStructure();
      list >> inhibitor.what >> inhibitor.who >> inhibitor.why >> inhibitor.mode >> uid >> pid;
      list.endStructure();
      result.push_back(inhibitor);
    }
    list.endArray();
    return result;
  }

  // The stand-in learns of a closed lock from its own event loop; ask again until it has, up
  // to a bound, each question a round trip over the bus.
  std::size_t inhibitorCountSettled(std::size_t expected) const {
    std::size_t count = 0;
    for (int attempt = 0; attempt < 200; ++attempt) {
      count = inhibitors().size();
      if (count == expected) {
        break;
      }
    }
    return count;
  }

 private:
  static inline int connections_ = 0;
  ScratchFolder folder_;
  QProcess daemon_;
  QString address_;
  std::unique_ptr<QDBusConnection> bus_;
  std::vector<std::unique_ptr<QProcess>> mocks_;
};

// A connection that never reached a bus.
inline QDBusConnection NoBus() {
  return QDBusConnection::connectToBus("unix:path=/nonexistent/tollvane-bus", "no-bus");
}

}  // namespace tollvane::testing

#define START_PRIVATE_BUS(bus)                                   \
  ::tollvane::testing::PrivateBus bus;                           \
  if (const std::string whyNot = bus.start(); !whyNot.empty()) { \
    GTEST_SKIP() << whyNot;                                      \
  }

#include "desktop/session_end.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <stdexcept>

#include "private_bus.h"

namespace tollvane {
namespace {

using testing::ListRecorder;
using testing::NoBus;

TEST(SessionEnd, TermAndHangupAnnounceTheEndOnce) {
  for (const int first : {SIGTERM, SIGHUP}) {
    ListRecorder recorder;
    SessionEnd sessionEnd(recorder, NoBus());
    QSignalSpy ending(&sessionEnd, &SessionEnd::sessionEnding);
    ASSERT_EQ(::raise(first), 0);
    ASSERT_TRUE(ending.wait(5000)) << first;
    ASSERT_EQ(::raise(first == SIGTERM ? SIGHUP : SIGTERM), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(ending.count(), 1);
    ASSERT_EQ(recorder.lines.size(), 2u);  // no bus, then the end
    EXPECT_EQ(recorder.lines[1].kind, "終了");
    EXPECT_EQ(recorder.lines[1].text,
              std::string("終了の指示を受けました。チャイム表を保存して終了します。(詳細: ") +
                  (first == SIGTERM ? "SIGTERM" : "SIGHUP") + ")");
  }
}

TEST(SessionEnd, AHangupIgnoredFromTheStartStaysIgnored) {
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGHUP, &ignore, nullptr), 0);
  ListRecorder recorder;
  {
    SessionEnd sessionEnd(recorder, NoBus());
    QSignalSpy ending(&sessionEnd, &SessionEnd::sessionEnding);
    ASSERT_EQ(::raise(SIGHUP), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(ending.count(), 0);
    ASSERT_EQ(::raise(SIGTERM), 0);
    EXPECT_TRUE(ending.wait(5000));
  }
  struct sigaction now = {};
  ASSERT_EQ(::sigaction(SIGHUP, nullptr, &now), 0);
  EXPECT_EQ(now.sa_handler, SIG_IGN);
  ::signal(SIGHUP, SIG_DFL);
}

void EarlierHandler(int) {}

TEST(SessionEnd, DestructionRestoresTheEarlierHandlersAndAllowsANewObject) {
  struct sigaction earlier = {};
  earlier.sa_handler = EarlierHandler;
  ASSERT_EQ(::sigaction(SIGTERM, &earlier, nullptr), 0);
  ListRecorder recorder;
  {
    SessionEnd sessionEnd(recorder, NoBus());
    EXPECT_THROW(SessionEnd(recorder, NoBus()), std::logic_error);
  }
  struct sigaction now = {};
  ASSERT_EQ(::sigaction(SIGTERM, nullptr, &now), 0);
  EXPECT_EQ(now.sa_handler, &EarlierHandler);
  SessionEnd again(recorder, NoBus());
  QSignalSpy ending(&again, &SessionEnd::sessionEnding);
  ASSERT_EQ(::raise(SIGTERM), 0);
  EXPECT_TRUE(ending.wait(5000));
}

TEST(SessionEnd, ShutdownWaitsForTheSaveThroughADelayLock) {
  START_PRIVATE_BUS(privateBus);
  ASSERT_TRUE(privateBus.startMock("logind", "org.freedesktop.login1"));
  ListRecorder recorder;
  SessionEnd sessionEnd(recorder, privateBus.bus());
  EXPECT_TRUE(sessionEnd.holdsShutdownDelay());
  const auto locks = privateBus.inhibitors();
  ASSERT_EQ(locks.size(), 1u);
  EXPECT_EQ(locks[0].what, "shutdown");
  EXPECT_EQ(locks[0].mode, "delay");
  EXPECT_EQ(locks[0].who, "Tollvane");

  QSignalSpy ending(&sessionEnd, &SessionEnd::sessionEnding);
  QDBusMessage emitSignal =
      QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                     "org.freedesktop.DBus.Mock", "EmitSignal");
  emitSignal << "org.freedesktop.login1.Manager"
             << "PrepareForShutdown"
             << "b" << QVariantList{false};  // a cancelled shutdown is no end
  ASSERT_EQ(privateBus.bus().call(emitSignal).type(), QDBusMessage::ReplyMessage);
  emitSignal.setArguments(
      {"org.freedesktop.login1.Manager", "PrepareForShutdown", "b", QVariantList{true}});
  ASSERT_EQ(privateBus.bus().call(emitSignal).type(), QDBusMessage::ReplyMessage);
  ASSERT_TRUE(ending.wait(5000));
  EXPECT_EQ(ending.count(), 1);
  ASSERT_EQ(recorder.lines.size(), 1u);
  EXPECT_EQ(recorder.lines[0].text,
            "シャットダウンの知らせを受けました。チャイム表を保存して終了します。(詳細: logind "
            "PrepareForShutdown)");

  sessionEnd.saved();
  EXPECT_FALSE(sessionEnd.holdsShutdownDelay());
  EXPECT_EQ(privateBus.inhibitorCountSettled(0), 0u);
}

}  // namespace
}  // namespace tollvane

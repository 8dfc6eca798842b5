#include "desktop/timedate_clock_sync.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusMessage>
#include <QTest>
#include <vector>

#include "private_bus.h"

namespace tollvane {
namespace {

TEST(TimedateClockSync, ReadsNtpSynchronized) {
  struct Case {
    const char* parameters;
    bool expected;
  };
  // The stand-in sets NTPSynchronized from its "NTP" parameter.
  for (const Case& c : {Case{"{\"NTP\": true}", true}, Case{"{\"NTP\": false}", false}}) {
    START_PRIVATE_BUS(privateBus);
    ASSERT_TRUE(privateBus.startMock("timedated", "org.freedesktop.timedate1", c.parameters));
    TimedateClockSync clockSync(privateBus.bus());
    EXPECT_EQ(clockSync.synchronized(), std::optional<bool>(c.expected)) << c.parameters;
  }
}

TEST(TimedateClockSync, NothingWithoutTimedatedOrWithoutABus) {
  START_PRIVATE_BUS(privateBus);
  EXPECT_EQ(TimedateClockSync(privateBus.bus()).synchronized(), std::nullopt);
  EXPECT_EQ(TimedateClockSync(testing::NoBus()).synchronized(), std::nullopt);
}

TEST(TimedateClockSync, NothingWhenTheAnswerIsNoTruthValue) {
  START_PRIVATE_BUS(privateBus);
  ASSERT_TRUE(privateBus.startMock("timedated", "org.freedesktop.timedate1", "{\"NTP\": \"yes\"}"));
  EXPECT_EQ(TimedateClockSync(privateBus.bus()).synchronized(), std::nullopt);
}

// timedated's own change reports reach the handler, each once, without a reading of ours.
TEST(TimedateClockSync, PassesOnEachChangeOfNtpSynchronized) {
  START_PRIVATE_BUS(privateBus);
  ASSERT_TRUE(privateBus.startMock("timedated", "org.freedesktop.timedate1", "{\"NTP\": false}"));
  TimedateClockSync clockSync(privateBus.bus());
  std::vector<std::optional<bool>> reports;
  clockSync.setChangeHandler([&reports](std::optional<bool> value) { reports.push_back(value); });
  for (const bool on : {true, false}) {
    QDBusMessage setNtp =
        QDBusMessage::createMethodCall("org.freedesktop.timedate1", "/org/freedesktop/timedate1",
                                       "org.freedesktop.timedate1", "SetNTP");
    setNtp << on << false;
    ASSERT_EQ(privateBus.bus().call(setNtp).type(), QDBusMessage::ReplyMessage);
    // SetNTP changes two properties, each with its own report; only one names ours.
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports.size() == (on ? 1u : 2u); }, 5000));
  }
  EXPECT_EQ(reports, (std::vector<std::optional<bool>>{true, false}));
  clockSync.setChangeHandler({});
  QDBusMessage setNtp =
      QDBusMessage::createMethodCall("org.freedesktop.timedate1", "/org/freedesktop/timedate1",
                                     "org.freedesktop.timedate1", "SetNTP");
  setNtp << true << false;
  // Its reports come before its reply, so they are queued by now.
  ASSERT_EQ(privateBus.bus().call(setNtp).type(), QDBusMessage::ReplyMessage);
  QCoreApplication::processEvents();
  EXPECT_EQ(reports.size(), 2u);  // no handler, no reports
}

}  // namespace
}  // namespace tollvane

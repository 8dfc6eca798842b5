#include "desktop/timedate_clock_sync.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tollvane

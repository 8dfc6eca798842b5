#include "desktop/logind_inhibitor.h"

#include <gtest/gtest.h>

#include "private_bus.h"

namespace tollvane {
namespace {

using testing::ListRecorder;
using testing::NoBus;

TEST(LogindInhibitor, TakesTheSleepLockAtAcquireAndDropsItAtRelease) {
  START_PRIVATE_BUS(privateBus);
  ASSERT_TRUE(privateBus.startMock("logind", "org.freedesktop.login1"));
  ListRecorder recorder;
  LogindInhibitor inhibitor(recorder, privateBus.bus());
  EXPECT_TRUE(privateBus.inhibitors().empty());

  inhibitor.acquire();
  inhibitor.acquire();  // a second arming takes no second lock
  EXPECT_TRUE(inhibitor.held());
  const auto locks = privateBus.inhibitors();
  ASSERT_EQ(locks.size(), 1u);
  EXPECT_EQ(locks[0].what, "sleep:idle");
  EXPECT_EQ(locks[0].who, "Tollvane");
  EXPECT_EQ(locks[0].why, "チャイムの時刻を待っています");
  EXPECT_EQ(locks[0].mode, "block");

  inhibitor.release();
  EXPECT_FALSE(inhibitor.held());
  EXPECT_EQ(privateBus.inhibitorCountSettled(0), 0u);
  inhibitor.release();

  inhibitor.acquire();  // armed again
  EXPECT_EQ(privateBus.inhibitorCountSettled(1), 1u);
  EXPECT_TRUE(recorder.lines.empty());
}

TEST(LogindInhibitor, DestructionDropsTheLock) {
  START_PRIVATE_BUS(privateBus);
  ASSERT_TRUE(privateBus.startMock("logind", "org.freedesktop.login1"));
  ListRecorder recorder;
  {
    LogindInhibitor inhibitor(recorder, privateBus.bus());
    inhibitor.acquire();
    ASSERT_EQ(privateBus.inhibitors().size(), 1u);
  }
  EXPECT_EQ(privateBus.inhibitorCountSettled(0), 0u);
}

TEST(LogindInhibitor, WithoutLogindTheFailureIsRecordedOnceAndArmingGoesOn) {
  START_PRIVATE_BUS(privateBus);  // a bus with nobody serving logind
  ListRecorder recorder;
  LogindInhibitor inhibitor(recorder, privateBus.bus());
  for (int arming = 0; arming < 3; ++arming) {
    inhibitor.acquire();
    inhibitor.release();
  }
  EXPECT_FALSE(inhibitor.held());
  ASSERT_EQ(recorder.lines.size(), 1u);
  EXPECT_EQ(recorder.lines[0].kind, "警告");
  EXPECT_NE(recorder.lines[0].text.find("org.freedesktop.DBus.Error.ServiceUnknown"),
            std::string::npos)
      << recorder.lines[0].text;
}

TEST(LogindInhibitor, WithoutABusTheFailureIsRecordedOnce) {
  ListRecorder recorder;
  LogindInhibitor inhibitor(recorder, NoBus());
  inhibitor.acquire();
  inhibitor.acquire();
  EXPECT_FALSE(inhibitor.held());
  ASSERT_EQ(recorder.lines.size(), 1u);
  EXPECT_EQ(recorder.lines[0].text,
            "パソコンのスリープを止められませんでした。スリープするとチャイムは鳴りません。"
            "電源の設定で自動のスリープを切ってください。(詳細: システムバスにつながりません)");
}

}  // namespace
}  // namespace tollvane

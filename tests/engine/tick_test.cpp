#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "engine/bell_engine.h"
#include "engine/local_time.h"
#include "engine_rig.h"

namespace tollvane {
namespace {

using ::testing::ElementsAre;
using testing::EngineRig;
using ::testing::IsEmpty;

class Tick : public ::testing::Test {
 protected:
  // Sets the wall clock the engine reads, without the loop: each call of TickAt is one
  // T1Sec event delivered at that moment, however late or early.
  void TickAt(int year, int month, int day, int hour, int minute, int second, int ms = 5) {
    rig.clock.startMs = LocalSecondsOf(year, month, day, hour, minute, second) * 1000 + ms;
    rig.clock.elapsedMs = 0;
    rig.clock.jumpMs = 0;
    rig.engine.T1SecTimer();
  }
  // Monday 2027-01-04.
  void MondayTick(int hour, int minute, int second, int ms = 5) {
    TickAt(2027, 1, 4, hour, minute, second, ms);
  }
  std::vector<std::string> TakeTimes() {
    std::vector<std::string> times;
    times.swap(rig.view.shownTimes);
    return times;
  }

  EngineRig rig;
};

TEST_F(Tick, LabelsShowDateAndTimeWithoutLeadingZeros) {
  TickAt(2011, 4, 1, 8, 5, 3, 999);
  EXPECT_EQ(rig.view.label3, "2011年4月1日金曜日");
  EXPECT_EQ(rig.view.label61, "8時5分3秒");
  const CurrentClock& c = rig.data.currentClock;
  EXPECT_EQ(c.year, 2011);
  EXPECT_EQ(c.month, 4);
  EXPECT_EQ(c.day, 1);
  EXPECT_EQ(c.weekday, 6);
  EXPECT_EQ(c.hour, 8);
  EXPECT_EQ(c.minute, 5);
  EXPECT_EQ(c.second, 3);

  TickAt(2026, 12, 27, 23, 59, 59);
  EXPECT_EQ(rig.view.label3, "2026年12月27日日曜日");
  EXPECT_EQ(rig.view.label61, "23時59分59秒");
  TickAt(1999, 1, 2, 0, 0, 0);
  EXPECT_EQ(rig.view.label3, "1999年1月2日土曜日");
  EXPECT_EQ(rig.view.label61, "0時0分0秒");
}

TEST_F(Tick, SlotsMatchOnHourAndMinuteAndActOnlyAtSecondsZeroAndFive) {
  rig.data.weekSchedule.at(2, 1) = {0, 20, 2};  // hour 0 with a minute rings like any slot
  for (int second = 0; second < 60; ++second) {
    MondayTick(0, 20, second);
  }
  EXPECT_THAT(rig.board.events, ElementsAre("on"));
  EXPECT_THAT(rig.player.calls, ElementsAre("open gong.mp3", "play gong.mp3"));
  EXPECT_THAT(rig.loop.errors, IsEmpty());
}

TEST_F(Tick, LockedTicksHandleEverySecondOfADayExactlyOnce) {
  rig.clock.startAt(2027, 1, 4, 0, 0, 0, 700);
  rig.loop.start();
  rig.loop.runUntil(0, 0, 0, 500, 1);
  const std::vector<std::string> times = TakeTimes();
  ASSERT_EQ(times.size(), 86400u);
  EXPECT_EQ(times.front(), "0時0分1秒");
  EXPECT_EQ(times[86398], "23時59分59秒");
  EXPECT_EQ(times.back(), "0時0分0秒");
  EXPECT_EQ(rig.loop.ticks, 86400);
}

TEST_F(Tick, LateTickFirstHandlesTheSkippedSecondsInOrder) {
  rig.data.weekSchedule.at(8, 1) = {8, 30, 1};
  MondayTick(8, 29, 58);
  TakeTimes();
  // Eight seconds late: the output goes on for second 0 before the sound of second 5.
  MondayTick(8, 30, 6, 400);
  EXPECT_THAT(TakeTimes(), ElementsAre("8時29分59秒", "8時30分0秒", "8時30分1秒", "8時30分2秒",
                                       "8時30分3秒", "8時30分4秒", "8時30分5秒", "8時30分6秒"));
  EXPECT_THAT(rig.board.events, ElementsAre("on"));
  EXPECT_THAT(rig.player.calls, ElementsAre("open chime.wav", "play chime.wav"));
  EXPECT_EQ(rig.data.currentClock.second, 6);
  EXPECT_EQ(rig.view.label61, "8時30分6秒");
}

TEST_F(Tick, SecondTickInTheSameSecondHandlesNothing) {
  rig.data.weekSchedule.at(8, 1) = {8, 30, 1};
  MondayTick(8, 30, 5, 1);
  MondayTick(8, 30, 5, 998);
  EXPECT_THAT(TakeTimes(), ElementsAre("8時30分5秒"));
  EXPECT_THAT(rig.player.calls, ElementsAre("open chime.wav", "play chime.wav"));
}

TEST_F(Tick, CatchUpReachesTenSecondsAndNoFurther) {
  rig.data.weekSchedule.at(8, 1) = {8, 30, 1};
  MondayTick(8, 29, 55);
  MondayTick(8, 30, 5);  // 10 s on: still a late tick
  EXPECT_EQ(TakeTimes().size(), 11u);
  EXPECT_THAT(rig.board.events, ElementsAre("on"));
  EXPECT_EQ(rig.player.calls.size(), 2u);

  // 11 s on counts as a jump (suspend, clock set): the bell of the skipped minute is lost.
  rig.data.weekSchedule.at(8, 2) = {8, 31, 1};
  rig.board.events.clear();
  MondayTick(8, 30, 54);
  TakeTimes();
  MondayTick(8, 31, 5);
  EXPECT_THAT(TakeTimes(), ElementsAre("8時31分5秒"));
  EXPECT_THAT(rig.board.events, IsEmpty());
}

TEST_F(Tick, ClockSetBackHandlesOnlyTheCurrentSecondAndThenGoesOn) {
  rig.data.weekSchedule.at(8, 1) = {8, 30, 1};
  MondayTick(8, 30, 10);
  MondayTick(8, 29, 59);
  MondayTick(8, 30, 0);
  EXPECT_THAT(TakeTimes(), ElementsAre("8時30分10秒", "8時29分59秒", "8時30分0秒"));
  EXPECT_THAT(rig.board.events, ElementsAre("on"));

  // Back by exactly one second (a leap second smeared badly, an NTP step): no replay.
  MondayTick(8, 29, 59);
  EXPECT_THAT(TakeTimes(), ElementsAre("8時29分59秒"));
}

TEST_F(Tick, ErrorInACatchUpSecondEndsTheTickAndTheNextTickGoesOnAfterIt) {
  rig.data.soundTable[4] = "missing.mp3";
  rig.data.weekSchedule.at(8, 1) = {8, 30, 4};
  rig.data.weekSchedule.at(8, 2) = {8, 30, 1};
  MondayTick(8, 30, 3);
  TakeTimes();
  EXPECT_THROW(MondayTick(8, 30, 7), EMCIDeviceError);
  EXPECT_THAT(TakeTimes(), ElementsAre("8時30分4秒", "8時30分5秒"));
  MondayTick(8, 30, 8);
  EXPECT_THAT(TakeTimes(), ElementsAre("8時30分6秒", "8時30分7秒", "8時30分8秒"));
  EXPECT_THAT(rig.player.calls, ElementsAre("open missing.mp3"));
}

TEST_F(Tick, LoopStaysLockedAcrossClockJumps) {
  rig.data.weekSchedule.at(2, 1) = {9, 0, 1};
  rig.data.weekSchedule.at(2, 2) = {10, 0, 2};
  rig.clock.startAt(2027, 1, 4, 8, 59, 50, 300);
  rig.loop.start();
  // The clock is set 3 s back just before the bell: it still rings once per second step.
  rig.loop.runUntil(8, 59, 58, 500);
  rig.clock.jumpMs = -3000;
  rig.loop.runFor(30000);
  EXPECT_THAT(rig.board.events, ElementsAre("on", "off"));
  EXPECT_THAT(rig.player.calls, ElementsAre("open chime.wav", "play chime.wav", "stop"));

  // Set forward by an hour: the 10:00 bell that was jumped over does not ring late.
  rig.loop.runUntil(9, 59, 0);
  rig.clock.jumpMs += 3600 * 1000;
  rig.loop.runFor(60000);
  EXPECT_EQ(rig.board.events.size(), 2u);
  EXPECT_THAT(rig.loop.errors, IsEmpty());
}

}  // namespace
}  // namespace tollvane

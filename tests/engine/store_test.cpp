#include <gtest/gtest.h>

#include "engine/week_schedule.h"

namespace tollvane {
namespace {

TEST(WeekScheduleStore, HasTheFixedSizesTheFilesAndTheTickRelyOn) {
  static_assert(sizeof(BellSlot) == 3 * sizeof(int32_t));
  static_assert(sizeof(CurrentClock) == 7 * sizeof(int32_t));
  ProgramData data;
  EXPECT_EQ(data.weekSchedule.timetables.size(), 8u);
  EXPECT_EQ(data.weekSchedule.timetables[0].size(), 24u);
  EXPECT_EQ(data.soundTable.size(), 50u);
  EXPECT_EQ(data.holidayList.entries.size(), 49u);  // 1..48
  // Before the reset everything is zero, sound numbers included.
  EXPECT_EQ(data.weekSchedule.at(8, 24).sound, 0);
}

TEST(WeekScheduleStore, ResetPutsEverySlotToMidnightWithSoundOne) {
  WeekSchedule schedule;
  schedule.at(3, 7) = {8, 30, 4};
  schedule.at(8, 24) = {-1, 99, 0};
  ResetWeekSchedule(schedule);
  for (int t = 1; t <= kTimetableCount; ++t) {
    for (int n = 1; n <= kSlotsPerTimetable; ++n) {
      const BellSlot& slot = schedule.at(t, n);
      EXPECT_EQ(slot.hour, 0);
      EXPECT_EQ(slot.minute, 0);
      EXPECT_EQ(slot.sound, 1);
    }
  }
}

}  // namespace
}  // namespace tollvane

// The program-wide data the bell engine works on. One instance of ProgramData exists per
// process, owned by the main window; everything runs on the UI thread, so nothing locks.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tollvane {

inline constexpr int kTimetableCount = 8;  // 1..7 = Sunday..Saturday, 8 = common
inline constexpr int kCommonTimetable = 8;
inline constexpr int kSlotsPerTimetable = 24;
inline constexpr int kSoundTableSize = 50;  // entries 0..49; 1..10 are registered
inline constexpr int kRegisteredSounds = 10;
inline constexpr int kHolidayCapacity = 48;  // entries 1..48

struct BellSlot {
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t sound = 0;
};

// Eight timetables of 24 slots, addressed 1-based as the rest of the program counts them.
struct WeekSchedule {
  std::array<std::array<BellSlot, kSlotsPerTimetable>, kTimetableCount> timetables{};

  BellSlot& at(int timetable, int slot) { return timetables[timetable - 1][slot - 1]; }
  const BellSlot& at(int timetable, int slot) const { return timetables[timetable - 1][slot - 1]; }
};

// Entry n is the file registered for sound number n; entry 0 and 11..49 stay empty.
using SoundTable = std::array<std::string, kSoundTableSize>;

struct Holiday {
  int32_t month = 0;
  int32_t day = 0;
  std::string text;  // the settings value as read, "month/day"
};

struct HolidayList {
  int32_t count = 0;
  std::array<Holiday, kHolidayCapacity + 1> entries{};  // 1..48 used

  Holiday& at(int n) { return entries[n]; }
  const Holiday& at(int n) const { return entries[n]; }
};

// Snapshot of the local date and time taken at the start of every tick.
struct CurrentClock {
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t second = 0;
  int32_t weekday = 0;  // 1 = Sunday .. 7 = Saturday
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
};

struct ProgramData {
  WeekSchedule weekSchedule;
  SoundTable soundTable;
  HolidayList holidayList;
  CurrentClock currentClock;
  uint8_t soundPlaying = 0;
};

// Every slot of all eight timetables back to 0:00 with sound 1: the state that rings nothing.
inline void ResetWeekSchedule(WeekSchedule& schedule) {
  for (auto& timetable : schedule.timetables) {
    for (auto& slot : timetable) {
      slot = BellSlot{0, 0, 1};
    }
  }
}

}  // namespace tollvane

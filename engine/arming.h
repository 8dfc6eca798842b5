// The arm state lives only in Button2's caption; these read and clear it the same way for
// the arm button and the file commands.
#pragma once

#include "engine/interfaces.h"
#include "engine/texts.h"
#include "engine/week_schedule.h"

namespace tollvane {

// What follows the arm state besides the caption: the sleep lock and the bell record. Both
// are optional; without them arming and disarming do exactly what the caption and the
// WeekSchedule show.
struct ArmWatchers {
  Recorder* recorder = nullptr;
  SleepInhibitor* inhibitor = nullptr;
};

inline bool IsArmed(const MainView& view) {
  return view.button2Caption() != text::kArm;
}

inline void Disarm(WeekSchedule& schedule, MainView& view, const ArmWatchers& watchers = {}) {
  view.setButton2Caption(text::kArm);
  ResetWeekSchedule(schedule);
  view.clearMemo1();
  if (watchers.inhibitor != nullptr) {
    watchers.inhibitor->release();
  }
  if (watchers.recorder != nullptr) {
    watchers.recorder->record(text::record::kDisarm, text::line::kDisarmed);
  }
}

}  // namespace tollvane

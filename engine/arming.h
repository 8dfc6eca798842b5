// The arm state lives only in Button2's caption; these read and clear it the same way for
// the arm button and the file commands.
#pragma once

#include "engine/interfaces.h"
#include "engine/texts.h"
#include "engine/week_schedule.h"

namespace tollvane {

inline bool IsArmed(const MainView& view) { return view.button2Caption() != text::kArm; }

inline void Disarm(WeekSchedule& schedule, MainView& view) {
  view.setButton2Caption(text::kArm);
  ResetWeekSchedule(schedule);
  view.clearMemo1();
}

}  // namespace tollvane

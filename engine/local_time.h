// Calendar arithmetic on local seconds, and the real local clock.
#pragma once

#include "engine/interfaces.h"
#include "engine/week_schedule.h"

namespace tollvane {

// Year, month, day, hour, minute, second and weekday (1 = Sunday) of a local-seconds count.
CurrentClock BreakDown(int64_t localSeconds);

// Local seconds of a calendar date and time (for tests and tools).
int64_t LocalSecondsOf(int year, int month, int day, int hour, int minute, int second);

// Milliseconds from now until slackMs past the next local second boundary; the T1Sec timer is
// re-armed with this after every tick so that it stays locked to the clock's seconds.
int MillisecondsToNextTick(const LocalTime& now, int slackMs);

class SystemClock : public Clock {
 public:
  LocalTime now() const override;
};

}  // namespace tollvane

// What every calendar reader's result must hold, whatever the input: either days or one
// error, never both; at most the cap of days, each a real date once, each name on one line.
#pragma once

#include <set>

#include "calendar/day_import.h"
#include "fuzz_check.h"

namespace tollvane::fuzz {

// A clock that never moves, so that a run depends on the input alone.
inline ImportLimits StillLimits() {
  ImportLimits limits;
  limits.clock = [] { return std::chrono::steady_clock::time_point(); };
  return limits;
}

inline void CheckOutcome(const ImportOutcome& outcome, const ImportLimits& limits) {
  FUZZ_CHECK(outcome.ok == outcome.error.empty());
  FUZZ_CHECK(outcome.ok == !outcome.days.empty());
  FUZZ_CHECK(outcome.days.size() <= static_cast<std::size_t>(limits.maxDays));
  std::set<CivilDate> seen;
  for (const NamedDay& day : outcome.days) {
    FUZZ_CHECK(IsValidDate(day.date));
    FUZZ_CHECK(seen.insert(day.date).second);
    FUZZ_CHECK(day.name.find_first_of("\r\n") == std::string::npos);
  }
}

}  // namespace tollvane::fuzz

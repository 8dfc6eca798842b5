// What every calendar reader's result must hold, whatever the input: either days or one
// error, never both; at most the cap of days, each a real date once, each name on one line.
#pragma once

#include <set>

#include "calendar/day_import.h"
#include "fuzz_check.h"

namespace tollvane::fuzz {

// The program's limits, with less time for laying out rules so that the runs stay quick. The
// time limit is what bounds a rule libical searches long for, so the clock is the real one.
inline ImportLimits FuzzLimits() {
  ImportLimits limits;
  limits.expansionTime = std::chrono::milliseconds(100);
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

// The clock watch while armed: one line per change, none for a clock set soon after boot.
#include "engine/clock_watch.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/texts.h"

namespace tollvane {
namespace {

constexpr int64_t kGrace = ClockSyncWatch::kGraceSeconds;

struct Reading {
  int64_t at;  // seconds after arming
  std::optional<bool> value;
};

struct WatchCase {
  const char* what;
  std::optional<bool> atArming;
  std::vector<Reading> readings;
  std::vector<std::string> kinds;  // of the lines recorded, in order
  bool unsynchronised;             // what the next-bell line shows at the end
};

TEST(ClockSyncWatch, RecordsEachChangeOnce) {
  using text::record::kClockSync;
  using text::record::kWarning;
  const WatchCase cases[] = {
      {"set at arming", true, {}, {}, false},
      {"set a minute after boot", false, {{60, true}, {kGrace, true}}, {}, false},
      {"unset past the grace",
       false,
       {{60, false}, {kGrace, false}, {2 * kGrace, false}},
       {kWarning},
       true},
      {"lost, then regained",
       true,
       {{100, false}, {200, false}, {300, true}},
       {kWarning, kClockSync},
       false},
      {"unset, then set late",
       false,
       {{kGrace, false}, {kGrace + 60, true}},
       {kWarning, kClockSync},
       false},
      {"cannot be told, once", std::nullopt, {{kGrace, std::nullopt}}, {kWarning}, false},
      {"a failed reading changes nothing", true, {{100, std::nullopt}}, {}, false},
  };
  for (const WatchCase& c : cases) {
    SCOPED_TRACE(c.what);
    ClockSyncWatch watch;
    std::vector<std::string> kinds;
    auto note = [&kinds](const std::optional<ClockSyncWatch::Note>& n) {
      if (n) {
        kinds.push_back(n->kind);
      }
    };
    const int64_t armedAt = 1000;
    note(watch.armed(armedAt, c.atArming));
    for (const Reading& r : c.readings) {
      note(watch.reading(armedAt + r.at, r.value));
    }
    EXPECT_EQ(kinds, c.kinds);
    EXPECT_EQ(watch.unsynchronised(), c.unsynchronised);
  }
}

}  // namespace
}  // namespace tollvane

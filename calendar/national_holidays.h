// Japan's national holidays as the national holidays law (1948-07-20 on) and its amendments
// and the special laws of the imperial days define them, computed from the date alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tollvane {

// The holiday's Japanese name ("元日", "振替休日", "国民の休日", ...) when the date is a
// national holiday by the rules in force in its year, else nothing (also for an impossible
// date and for dates before the law). The equinox days come from the usual astronomical
// approximation, which covers 1900..2150; after 2150 they are not given.
std::optional<std::string_view> JapaneseNationalHoliday(int32_t year, int32_t month, int32_t day);

}  // namespace tollvane

// What the school calendar assigns to dates besides silence: a day plan for a date or a range,
// a weekday swap (a date rings another weekday's pages) and extra one-off bells (臨時). Kept in
// the settings file's "CALENDAR" section next to the Closed and Open keys, values in UTF-8:
//
//   Plan1=2027/02/15-2027/02/17 テスト日課    a date or a range, both ends included
//   Swap1=2027/03/01 金                       that weekday's page, and the common page when it
//                                             is Monday to Friday
//   Extra1=2027/03/01 10:35 2                 date, time, sound
//
// Plan1..Plan99, Swap1..Swap99, Extra1..Extra99; gaps are allowed. Where entries of one kind
// overlap, the later one counts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/civil_date.h"
#include "plans/day_plan.h"

namespace tollvane {

struct PlanDays {
  CivilDate first;
  CivilDate last;
  std::string plan;  // the plan's name; a name no plan has is reported and rings normally
  bool operator==(const PlanDays&) const = default;
};

struct WeekdaySwap {
  CivilDate date;
  int weekday = 0;  // 1 = Sunday .. 7 = Saturday: whose page rings
  bool operator==(const WeekdaySwap&) const = default;
};

struct ExtraBell {
  CivilDate date;
  PlanBell bell;
  bool operator==(const ExtraBell&) const = default;
};

// A key's value that could not be read, kept so that a save writes it back unchanged.
struct KeptValue {
  std::string key;  // "Plan3"
  std::string text;
  bool operator==(const KeptValue&) const = default;
};

struct DayAssignments {
  std::vector<PlanDays> planDays;
  std::vector<WeekdaySwap> swaps;
  std::vector<ExtraBell> extraBells;
  std::vector<KeptValue> unreadable;  // written back after the readable entries of their kind
  bool empty() const { return planDays.empty() && swaps.empty() && extraBells.empty(); }
  bool operator==(const DayAssignments&) const = default;
};

// The texts as stored ("2027/02/15-2027/02/17 テスト日課", a single day without the range,
// "2027/03/01 金", "2027/03/01 10:35 2") and back. Nothing for a text that does not fit: an
// impossible date, an end before the start, no plan name or a name the plan file cannot hold,
// a weekday other than 日 月 火 水 木 金 土 (a trailing 曜 or 曜日 is allowed), a bell that cannot
// ring.
std::string FormatPlanDays(const PlanDays& days);
std::string FormatWeekdaySwap(const WeekdaySwap& swap);
std::string FormatExtraBell(const ExtraBell& extra);
std::optional<PlanDays> ParsePlanDays(std::string_view text);
std::optional<WeekdaySwap> ParseWeekdaySwap(std::string_view text);
std::optional<ExtraBell> ParseExtraBell(std::string_view text);

// 1..7 for "日" .. "土", "金曜", "金曜日"; nothing otherwise.
std::optional<int> ParseWeekdayName(std::string_view text);

}  // namespace tollvane

// Day plans (日課): a named list of bells a school rings on the days assigned to it instead of
// the weekday's pages (短縮日課, テスト日課, 行事 days). A plan without bells is a ノーチャイム
// day: silent, with the plan's name as the reason.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tollvane {

// What one weekday can ring today: its own page and the common page.
inline constexpr int kMaxPlanBells = 48;
inline constexpr int kMaxPlanNameChars = 32;
inline constexpr int kMaxPlans = 99;

// The three values of a page slot. A plan bell always lies on the clock (0:01 .. 23:59; 0:00 is
// the midnight rule's and never rings) and names a registered sound, 1..10.
struct PlanBell {
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t sound = 1;
  auto operator<=>(const PlanBell&) const = default;
};

struct DayPlan {
  std::string name;
  std::vector<PlanBell> bells;  // in the editor's order; they ring by time
  bool silent() const { return bells.empty(); }
  bool operator==(const DayPlan&) const = default;
};

// The plans in the operator's order; names are unique.
struct PlanBook {
  std::vector<DayPlan> plans;
  // The plan of that name (compared after trimming blanks), or null.
  const DayPlan* find(std::string_view name) const;
  bool operator==(const PlanBook&) const = default;
};

// The name as stored: blanks and tabs at either end removed.
std::string NormalizedPlanName(std::string_view name);

// Empty when the (normalized) name can be a plan's name; else why not, as a sentence for the
// operator: empty, longer than 32 characters, not UTF-8, a control character or line break,
// or a "[" at the start (the plan file's section mark).
std::string PlanNameProblem(std::string_view name);

// Empty when the bell can ring; else why not ("23:60" is no time, 0:00 never rings, sound 11).
std::string PlanBellProblem(const PlanBell& bell);

// The slot editor's three drop-down texts, converted as a page's are (empty hour and minute
// read 0, an empty sound or 0 reads 1). Nothing, with the problem in *problem, when a text is
// no number or the bell cannot ring. Both texts of hour and minute empty means no bell: the
// result is nothing and *problem stays empty.
std::optional<PlanBell> PlanBellFromTexts(const std::string& hour, const std::string& minute,
                                          const std::string& sound, std::string* problem);

// Empty when the whole book can be stored: every name valid and unique, at most 99 plans, at most
// 48 bells each, every bell able to ring.
std::string PlanBookProblem(const PlanBook& book);

// The bells by time (stable: bells of one minute keep the editor's order).
std::vector<PlanBell> BellsByTime(const std::vector<PlanBell>& bells);

// "8:30 1" as the plan file and the settings keys store a bell, and back: the time "H:MM" (one
// or two digits each), blanks, the sound. Parsing checks the form only (see PlanBellProblem).
std::string FormatPlanBellLine(const PlanBell& bell);
std::optional<PlanBell> ParsePlanBellLine(std::string_view text);

// "8時30分 (音1)" as windows show a bell.
std::string PlanBellText(const PlanBell& bell);

}  // namespace tollvane

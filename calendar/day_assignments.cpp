#include "calendar/day_assignments.h"

#include "fileio/text_bytes.h"

namespace tollvane {

std::optional<int> ParseWeekdayName(std::string_view text) {
  text = Trim(text);
  for (std::string_view suffix : {std::string_view("曜日"), std::string_view("曜")}) {
    if (text.size() > suffix.size() && text.substr(text.size() - suffix.size()) == suffix) {
      text.remove_suffix(suffix.size());
      break;
    }
  }
  for (int weekday = 1; weekday <= 7; ++weekday) {
    if (text == WeekdayName(weekday)) {
      return weekday;
    }
  }
  return std::nullopt;
}

std::string FormatPlanDays(const PlanDays& days) {
  std::string text = FormatDate(days.first);
  if (days.last != days.first) {
    text += "-" + FormatDate(days.last);
  }
  return text + " " + days.plan;
}

std::string FormatWeekdaySwap(const WeekdaySwap& swap) {
  return FormatDate(swap.date) + " " + std::string(WeekdayName(swap.weekday));
}

std::string FormatExtraBell(const ExtraBell& extra) {
  return FormatDate(extra.date) + " " + FormatPlanBellLine(extra.bell);
}

std::optional<PlanDays> ParsePlanDays(std::string_view text) {
  const auto [range, name] = SplitAtFirstBlank(text);
  const std::size_t dash = range.find('-');
  const auto first = ParseDate(range.substr(0, dash));
  const auto last = dash == std::string_view::npos ? first : ParseDate(range.substr(dash + 1));
  if (!first || !last || *last < *first || !PlanNameProblem(name).empty()) {
    return std::nullopt;
  }
  return PlanDays{*first, *last, NormalizedPlanName(name)};
}

std::optional<WeekdaySwap> ParseWeekdaySwap(std::string_view text) {
  const auto [dateText, weekdayText] = SplitAtFirstBlank(text);
  const auto date = ParseDate(dateText);
  const auto weekday = ParseWeekdayName(weekdayText);
  if (!date || !weekday) {
    return std::nullopt;
  }
  return WeekdaySwap{*date, *weekday};
}

std::optional<ExtraBell> ParseExtraBell(std::string_view text) {
  const auto [dateText, bellText] = SplitAtFirstBlank(text);
  const auto date = ParseDate(dateText);
  const auto bell = ParsePlanBellLine(bellText);
  if (!date || !bell || !PlanBellProblem(*bell).empty()) {
    return std::nullopt;
  }
  return ExtraBell{*date, *bell};
}

}  // namespace tollvane

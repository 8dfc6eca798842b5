#include "plans/day_plan.h"

#include <algorithm>
#include <set>

#include "engine/errors.h"
#include "engine/texts.h"
#include "engine/week_schedule.h"
#include "plans/plan_texts.h"
#include "schedule/text_encoding.h"
#include "schedule/text_number.h"

namespace tollvane {
namespace {

// Code points of well-formed UTF-8; C0 and C1 controls and DEL count as controls.
bool HasControl(std::string_view text, std::size_t& characters) {
  characters = 0;
  for (std::size_t i = 0; i < text.size(); ++characters) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) {
      return true;
    }
    // U+0080..U+009F are C2 80..C2 9F.
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      return true;
    }
    i += c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  }
  return false;
}

// Decimal digits only, 1 to maxDigits of them.
std::optional<int32_t> Digits(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) {
    return std::nullopt;
  }
  int32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

const DayPlan* PlanBook::find(std::string_view name) const {
  const std::string wanted = NormalizedPlanName(name);
  for (const DayPlan& plan : plans) {
    if (plan.name == wanted) {
      return &plan;
    }
  }
  return nullptr;
}

std::string NormalizedPlanName(std::string_view name) {
  return std::string(Trim(name));
}

std::string PlanNameProblem(std::string_view raw) {
  const std::string name = NormalizedPlanName(raw);
  if (name.empty()) {
    return text::plans::kNameMissing;
  }
  if (!IsValidUtf8(name)) {
    return text::plans::kNameUnreadable;
  }
  std::size_t characters = 0;
  if (HasControl(name, characters)) {
    return text::plans::kNameWithControl;
  }
  if (characters > static_cast<std::size_t>(kMaxPlanNameChars)) {
    return text::Formatted(text::plans::kNameTooLong, kMaxPlanNameChars);
  }
  // "[" starts a plan in the plan file.
  if (name.front() == '[' || name.front() == ']') {
    return text::plans::kNameBracket;
  }
  return {};
}

std::string PlanBellProblem(const PlanBell& bell) {
  if (bell.hour < 0 || bell.hour > 23 || bell.minute < 0 || bell.minute > 59) {
    return text::plans::kTimeRange;
  }
  if (bell.hour == 0 && bell.minute == 0) {
    return text::plans::kMidnight;
  }
  if (bell.sound < 1 || bell.sound > kRegisteredSounds) {
    return text::Formatted(text::plans::kSoundRange, kRegisteredSounds);
  }
  return {};
}

std::optional<PlanBell> PlanBellFromTexts(const std::string& hour, const std::string& minute,
                                          const std::string& sound, std::string* problem) {
  std::string ignored;
  std::string& why = problem != nullptr ? *problem : ignored;
  why.clear();
  if (Trim(hour).empty() && Trim(minute).empty()) {
    return std::nullopt;
  }
  PlanBell bell;
  try {
    bell = {TextToNumber(hour), TextToNumber(minute), TextToSoundNumber(sound)};
  } catch (const ConversionError& error) {
    why = error.what();
    return std::nullopt;
  }
  why = PlanBellProblem(bell);
  if (!why.empty()) {
    return std::nullopt;
  }
  return bell;
}

std::string PlanBookProblem(const PlanBook& book) {
  if (book.plans.size() > static_cast<std::size_t>(kMaxPlans)) {
    return text::Formatted(text::plans::kTooManyPlans, kMaxPlans);
  }
  std::set<std::string> names;
  for (const DayPlan& plan : book.plans) {
    if (std::string problem = PlanNameProblem(plan.name); !problem.empty()) {
      return problem;
    }
    if (plan.name != NormalizedPlanName(plan.name) || !names.insert(plan.name).second) {
      return text::Formatted(text::plans::kSameName, plan.name.c_str());
    }
    if (plan.bells.size() > static_cast<std::size_t>(kMaxPlanBells)) {
      return text::Formatted(text::plans::kTooManyBells, plan.name.c_str(), kMaxPlanBells);
    }
    for (const PlanBell& bell : plan.bells) {
      if (std::string problem = PlanBellProblem(bell); !problem.empty()) {
        return text::Formatted(text::plans::kPlanProblem, plan.name.c_str(), problem.c_str());
      }
    }
  }
  return {};
}

std::vector<PlanBell> BellsByTime(const std::vector<PlanBell>& bells) {
  std::vector<PlanBell> sorted = bells;
  std::stable_sort(sorted.begin(), sorted.end(), [](const PlanBell& a, const PlanBell& b) {
    return a.hour != b.hour ? a.hour < b.hour : a.minute < b.minute;
  });
  return sorted;
}

std::string FormatPlanBellLine(const PlanBell& bell) {
  std::string minute = std::to_string(bell.minute);
  if (minute.size() < 2) {
    minute.insert(0, 1, '0');
  }
  return std::to_string(bell.hour) + ":" + minute + " " + std::to_string(bell.sound);
}

std::optional<PlanBell> ParsePlanBellLine(std::string_view text) {
  text = Trim(text);
  const std::size_t colon = text.find(':');
  const std::size_t blank = text.find_first_of(" \t");
  if (colon == std::string_view::npos || blank == std::string_view::npos || blank < colon) {
    return std::nullopt;
  }
  const auto hour = Digits(text.substr(0, colon), 2);
  const auto minute = Digits(text.substr(colon + 1, blank - colon - 1), 2);
  const auto sound = Digits(Trim(text.substr(blank)), 2);
  if (!hour || !minute || !sound) {
    return std::nullopt;
  }
  return PlanBell{*hour, *minute, *sound};
}

std::string PlanBellText(const PlanBell& bell) {
  return text::Formatted(text::plans::kBell, bell.hour, bell.minute, bell.sound);
}

}  // namespace tollvane

#include "calendar/plan_edit.h"

#include <algorithm>

#include "calendar/calendar_texts.h"

#include "plans/plan_file.h"
#include "schedule/text_encoding.h"

namespace tollvane {
namespace {

using text::calendar::kDateForm;
using text::calendar::kFull;

std::string WriteFailure(const std::string& path) {
  return path + " に書き込めません";
}

EditError StoreSettings(SchoolCalendar& calendar, const std::string& settingsPath,
                        SchoolCalendar changed) {
  if (!WriteCalendarSettings(settingsPath, changed)) {
    return WriteFailure(settingsPath);
  }
  calendar = std::move(changed);
  return {};
}

// The plan file first; when the assignments changed too, the settings after it, and the plan
// file back as it was if they cannot be written.
EditError StorePlans(SchoolCalendar& calendar, const std::string& settingsPath,
                     SchoolCalendar changed) {
  if (!calendar.planFileError.empty()) {
    return calendar.planFileError;
  }
  if (std::string problem = PlanBookProblem(changed.plans); !problem.empty()) {
    return problem;
  }
  const std::string planPath = PlanFilePath(settingsPath);
  if (!WritePlanFile(planPath, changed.plans)) {
    return WriteFailure(planPath);
  }
  if (!(changed.assignments == calendar.assignments) &&
      !WriteCalendarSettings(settingsPath, changed)) {
    WritePlanFile(planPath, calendar.plans);
    return WriteFailure(settingsPath);
  }
  calendar = std::move(changed);
  return {};
}

std::optional<CivilDate> TypedDate(std::string_view text) {
  return ParseDate(Trim(text));
}

bool Full(std::size_t entries) {
  return entries >= static_cast<std::size_t>(kMaxCalendarEntries);
}

}  // namespace

EditError AddPlan(SchoolCalendar& calendar, const std::string& settingsPath, std::string_view name,
                  const std::vector<PlanBell>& bells) {
  if (std::string problem = PlanNameProblem(name); !problem.empty()) {
    return problem;
  }
  SchoolCalendar changed = calendar;
  changed.plans.plans.push_back({NormalizedPlanName(name), bells});
  return StorePlans(calendar, settingsPath, std::move(changed));
}

EditError RenamePlan(SchoolCalendar& calendar, const std::string& settingsPath, std::size_t index,
                     std::string_view newName) {
  if (index >= calendar.plans.plans.size()) {
    return {};
  }
  if (std::string problem = PlanNameProblem(newName); !problem.empty()) {
    return problem;
  }
  SchoolCalendar changed = calendar;
  const std::string oldName = changed.plans.plans[index].name;
  const std::string name = NormalizedPlanName(newName);
  changed.plans.plans[index].name = name;
  for (PlanDays& days : changed.assignments.planDays) {
    if (days.plan == oldName) {
      days.plan = name;
    }
  }
  return StorePlans(calendar, settingsPath, std::move(changed));
}

EditError SetPlanBells(SchoolCalendar& calendar, const std::string& settingsPath, std::size_t index,
                       const std::vector<PlanBell>& bells) {
  if (index >= calendar.plans.plans.size()) {
    return {};
  }
  SchoolCalendar changed = calendar;
  changed.plans.plans[index].bells = bells;
  return StorePlans(calendar, settingsPath, std::move(changed));
}

EditError RemovePlan(SchoolCalendar& calendar, const std::string& settingsPath, std::size_t index,
                     bool removeAssignments) {
  if (index >= calendar.plans.plans.size()) {
    return {};
  }
  SchoolCalendar changed = calendar;
  const std::string name = changed.plans.plans[index].name;
  changed.plans.plans.erase(changed.plans.plans.begin() + static_cast<std::ptrdiff_t>(index));
  if (removeAssignments) {
    std::erase_if(changed.assignments.planDays,
                  [&](const PlanDays& days) { return days.plan == name; });
  }
  return StorePlans(calendar, settingsPath, std::move(changed));
}

int AssignmentsOfPlan(const SchoolCalendar& calendar, std::string_view name) {
  const std::string wanted = NormalizedPlanName(name);
  return static_cast<int>(std::count_if(calendar.assignments.planDays.begin(),
                                        calendar.assignments.planDays.end(),
                                        [&](const PlanDays& days) { return days.plan == wanted; }));
}

std::vector<PlanBell> PlanBellsOfWeekday(const WeekSchedule& schedule, int weekday) {
  std::vector<PlanBell> bells;
  for (const RingingBell& bell : BellsOfWeekday(schedule, weekday)) {
    const PlanBell planBell{bell.hour, bell.minute, bell.sound};
    if (PlanBellProblem(planBell).empty() &&
        bells.size() < static_cast<std::size_t>(kMaxPlanBells)) {
      bells.push_back(planBell);
    }
  }
  return bells;
}

EditError SetAsideDamagedPlans(SchoolCalendar& calendar, const std::string& settingsPath) {
  if (calendar.planFileError.empty()) {
    return {};
  }
  const std::string planPath = PlanFilePath(settingsPath);
  if (!SetAsideDamagedPlanFile(planPath)) {
    return text::Formatted(text::calendar::kCannotSetAside, planPath.c_str());
  }
  calendar.planFileError.clear();
  calendar.plans = {};
  return {};
}

EditError AssignPlan(SchoolCalendar& calendar, const std::string& settingsPath,
                     std::string_view first, std::string_view last, std::string_view plan) {
  const auto from = TypedDate(first);
  const auto to = Trim(last).empty() ? from : TypedDate(last);
  if (!from || !to) {
    return kDateForm;
  }
  if (*to < *from) {
    return text::calendar::kEndBeforeStartShort;
  }
  if (calendar.plans.find(plan) == nullptr) {
    return text::Formatted(text::calendar::kNoSuchPlan, NormalizedPlanName(plan).c_str());
  }
  if (Full(calendar.assignments.planDays.size())) {
    return kFull;
  }
  SchoolCalendar changed = calendar;
  changed.assignments.planDays.push_back({*from, *to, NormalizedPlanName(plan)});
  return StoreSettings(calendar, settingsPath, std::move(changed));
}

EditError AssignSwap(SchoolCalendar& calendar, const std::string& settingsPath,
                     std::string_view date, int weekday) {
  const auto day = TypedDate(date);
  if (!day) {
    return kDateForm;
  }
  if (weekday < 1 || weekday > 7) {
    return text::calendar::kChooseWeekday;
  }
  if (Full(calendar.assignments.swaps.size())) {
    return kFull;
  }
  SchoolCalendar changed = calendar;
  changed.assignments.swaps.push_back({*day, weekday});
  return StoreSettings(calendar, settingsPath, std::move(changed));
}

EditError AddExtraBell(SchoolCalendar& calendar, const std::string& settingsPath,
                       std::string_view date, const PlanBell& bell) {
  const auto day = TypedDate(date);
  if (!day) {
    return kDateForm;
  }
  if (std::string problem = PlanBellProblem(bell); !problem.empty()) {
    return problem;
  }
  if (Full(calendar.assignments.extraBells.size())) {
    return kFull;
  }
  SchoolCalendar changed = calendar;
  changed.assignments.extraBells.push_back({*day, bell});
  return StoreSettings(calendar, settingsPath, std::move(changed));
}

namespace {

template <typename T>
EditError RemoveAt(SchoolCalendar& calendar, const std::string& settingsPath,
                   std::vector<T> DayAssignments::*list, std::size_t index) {
  if (index >= (calendar.assignments.*list).size()) {
    return {};
  }
  SchoolCalendar changed = calendar;
  auto& entries = changed.assignments.*list;
  entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(index));
  return StoreSettings(calendar, settingsPath, std::move(changed));
}

}  // namespace

EditError RemovePlanDays(SchoolCalendar& calendar, const std::string& settingsPath,
                         std::size_t index) {
  return RemoveAt(calendar, settingsPath, &DayAssignments::planDays, index);
}

EditError RemoveSwap(SchoolCalendar& calendar, const std::string& settingsPath, std::size_t index) {
  return RemoveAt(calendar, settingsPath, &DayAssignments::swaps, index);
}

EditError RemoveExtraBell(SchoolCalendar& calendar, const std::string& settingsPath,
                          std::size_t index) {
  return RemoveAt(calendar, settingsPath, &DayAssignments::extraBells, index);
}

EditError ClearAssignmentsOn(SchoolCalendar& calendar, const std::string& settingsPath,
                             CivilDate date) {
  SchoolCalendar changed = calendar;
  DayAssignments& a = changed.assignments;
  std::erase_if(a.swaps, [&](const WeekdaySwap& swap) { return swap.date == date; });
  std::erase_if(a.extraBells, [&](const ExtraBell& extra) { return extra.date == date; });
  std::vector<PlanDays> kept;
  for (const PlanDays& days : a.planDays) {
    if (date < days.first || days.last < date) {
      kept.push_back(days);
      continue;
    }
    if (days.first < date) {
      kept.push_back({days.first, AddDays(date, -1), days.plan});
    }
    if (date < days.last) {
      kept.push_back({AddDays(date, 1), days.last, days.plan});
    }
  }
  if (kept.size() > static_cast<std::size_t>(kMaxCalendarEntries)) {
    return kFull;
  }
  a.planDays = std::move(kept);
  if (changed.assignments == calendar.assignments) {
    return {};
  }
  return StoreSettings(calendar, settingsPath, std::move(changed));
}

std::vector<std::string> AssignmentNotes(const SchoolCalendar& calendar) {
  std::vector<std::string> notes;
  const auto& plans = calendar.assignments.planDays;
  for (std::size_t later = 0; later < plans.size(); ++later) {
    for (std::size_t earlier = 0; earlier < later; ++earlier) {
      const PlanDays& a = plans[earlier];
      const PlanDays& b = plans[later];
      if (a.first <= b.last && b.first <= a.last) {
        notes.push_back(text::Formatted(text::calendar::kPlanDaysOverlap, FormatPlanDays(a).c_str(),
                                        FormatPlanDays(b).c_str(), b.plan.c_str()));
      }
    }
    if (calendar.plans.find(plans[later].plan) == nullptr) {
      notes.push_back(text::Formatted(text::calendar::kPlanMissing, plans[later].plan.c_str(),
                                      FormatPlanDays(plans[later]).c_str()));
    }
  }
  for (const WeekdaySwap& swap : calendar.assignments.swaps) {
    for (const PlanDays& days : plans) {
      if (days.first <= swap.date && swap.date <= days.last) {
        notes.push_back(text::Formatted(text::calendar::kSwapOverridden,
                                        FormatDate(swap.date).c_str(), days.plan.c_str()));
        break;
      }
    }
  }
  return notes;
}

std::vector<std::string> BellTexts(const DayAnswer& answer) {
  std::vector<std::string> texts;
  texts.reserve(answer.bells.size());
  for (const SourcedBell& bell : answer.bells) {
    std::string text = PlanBellText({bell.bell.hour, bell.bell.minute, bell.bell.sound});
    if (bell.source != BellSource::kPage) {
      text += " " + bell.sourceName;
    }
    texts.push_back(std::move(text));
  }
  return texts;
}

}  // namespace tollvane

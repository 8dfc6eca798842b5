#include "calendar/day_verdict.h"

#include <algorithm>

#include "calendar/calendar_texts.h"
#include "calendar/day_rule.h"
#include "calendar/national_holidays.h"
#include "engine/texts.h"

namespace tollvane {
namespace {

constexpr const char* kClosedPeriodFallback = "休業期間";
constexpr const char* kImportedFallback = "休日";

void SortByTime(std::vector<SourcedBell>& bells) {
  std::stable_sort(bells.begin(), bells.end(), [](const SourcedBell& a, const SourcedBell& b) {
    return a.bell.hour != b.bell.hour ? a.bell.hour < b.bell.hour : a.bell.minute < b.bell.minute;
  });
}

std::string SwapName(int weekday) {
  return std::string(WeekdayName(weekday)) + "曜日のチャイム";
}

// The latest plan entry holding the date, whether or not its plan exists.
const PlanDays* PlanEntryOn(const SchoolCalendar& calendar, CivilDate date) {
  const auto& entries = calendar.assignments.planDays;
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (it->first <= date && date <= it->last) {
      return &*it;
    }
  }
  return nullptr;
}

const WeekdaySwap* SwapOn(const SchoolCalendar& calendar, CivilDate date) {
  const auto& swaps = calendar.assignments.swaps;
  for (auto it = swaps.rbegin(); it != swaps.rend(); ++it) {
    if (it->date == date && it->weekday >= 1 && it->weekday <= 7) {
      return &*it;
    }
  }
  return nullptr;
}

bool HasExtraOn(const SchoolCalendar& calendar, CivilDate date) {
  for (const ExtraBell& extra : calendar.assignments.extraBells) {
    if (extra.date == date) {
      return true;
    }
  }
  return false;
}

// What an assignment makes of the date, or nothing when none counts there.
std::optional<DayVerdict> AssignedVerdict(const SchoolCalendar& calendar, CivilDate date) {
  if (calendar.assignments.empty()) {
    return std::nullopt;
  }
  const bool extras = HasExtraOn(calendar, date);
  if (const PlanDays* entry = PlanEntryOn(calendar, date)) {
    if (const DayPlan* plan = calendar.plans.find(entry->plan)) {
      return DayVerdict{plan->silent() && !extras, DayReason::kPlan, plan->name};
    }
  }
  if (const WeekdaySwap* swap = SwapOn(calendar, date)) {
    return DayVerdict{false, DayReason::kSwap, SwapName(swap->weekday)};
  }
  if (extras) {
    return DayVerdict{false, DayReason::kExtraBells, kExtraBellName};
  }
  return std::nullopt;
}

std::string PageName(int timetable) {
  return timetable == kCommonTimetable ? std::string("朝・夕共通")
                                       : std::string(WeekdayName(timetable)) + "曜";
}

// The pages' bells of a weekday in the tick's order, each with its page and slot.
std::vector<SourcedBell> PageBells(const WeekSchedule& schedule, int weekday, BellSource source,
                                   const std::string& sourceName) {
  std::vector<SourcedBell> bells;
  if (weekday < 1 || weekday > 7) {
    return bells;
  }
  const auto take = [&](int timetable) {
    for (int n = 1; n <= kSlotsPerTimetable; ++n) {
      const BellSlot& slot = schedule.at(timetable, n);
      const bool onClock =
          slot.hour >= 0 && slot.hour <= 23 && slot.minute >= 0 && slot.minute <= 59;
      // 0:00 is the midnight rule's: suppressed whatever the day.
      if (onClock && !(slot.hour == 0 && slot.minute == 0)) {
        bells.push_back({{slot.hour, slot.minute, slot.sound}, source, sourceName, timetable, n});
      }
    }
  };
  if (weekday >= 2 && weekday <= 6) {
    take(kCommonTimetable);
  }
  take(weekday);
  SortByTime(bells);
  return bells;
}

}  // namespace

DayVerdict JudgeDay(const SchoolCalendar& calendar, const HolidayList& holidays, CivilDate date) {
  // The same walk as the engine's holiday test: entries 1..count, never past the table.
  const int32_t count = std::min(holidays.count, kHolidayCapacity);
  for (int32_t n = 1; n <= count; ++n) {
    if (holidays.at(n).month == date.month && holidays.at(n).day == date.day) {
      return {true, DayReason::kHolidayList, kHolidayListReason};
    }
  }
  if (std::optional<DayVerdict> assigned = AssignedVerdict(calendar, date)) {
    return std::move(*assigned);
  }
  for (const NamedDay& open : calendar.openDays) {
    if (open.date == date) {
      return {false, DayReason::kOpenDay, open.name};
    }
  }
  if (calendar.nationalHolidays) {
    if (const auto name = JapaneseNationalHoliday(date.year, date.month, date.day)) {
      return {true, DayReason::kNationalHoliday, std::string(*name)};
    }
  }
  for (const ClosedPeriod& period : calendar.closedPeriods) {
    if (period.first <= date && date <= period.last) {
      return {true, DayReason::kClosedPeriod,
              period.name.empty() ? kClosedPeriodFallback : period.name};
    }
  }
  const auto imported =
      std::lower_bound(calendar.importedDays.begin(), calendar.importedDays.end(), date,
                       [](const NamedDay& day, const CivilDate& d) { return day.date < d; });
  if (imported != calendar.importedDays.end() && imported->date == date) {
    return {true, DayReason::kImportedDay,
            imported->name.empty() ? kImportedFallback : imported->name};
  }
  return {};
}

std::vector<RingingBell> BellsOfWeekday(const WeekSchedule& schedule, int weekday) {
  std::vector<RingingBell> bells;
  for (const SourcedBell& bell : PageBells(schedule, weekday, BellSource::kPage, {})) {
    bells.push_back(bell.bell);
  }
  return bells;
}

DayAnswer AnswerDay(const WeekSchedule& schedule, const HolidayList& holidays,
                    const SchoolCalendar& calendar, CivilDate date) {
  DayAnswer answer;
  answer.date = date;
  answer.weekday = Weekday(date);
  answer.verdict = JudgeDay(calendar, holidays, date);
  if (const PlanDays* entry = PlanEntryOn(calendar, date);
      entry != nullptr && calendar.plans.find(entry->plan) == nullptr) {
    answer.problem = text::Formatted(text::calendar::kPlanMissingOn, entry->plan.c_str(),
                                     FormatDate(date).c_str());
  }
  const DayReason reason = answer.verdict.reason;
  answer.assigned =
      reason == DayReason::kPlan || reason == DayReason::kSwap || reason == DayReason::kExtraBells;
  if (answer.verdict.silent) {
    return answer;
  }
  if (!answer.assigned) {
    answer.bells = PageBells(schedule, answer.weekday, BellSource::kPage, {});
    return answer;
  }
  std::vector<SourcedBell>& bells = answer.bells;
  if (reason == DayReason::kPlan) {
    const DayPlan* plan = calendar.plans.find(answer.verdict.name);
    for (std::size_t i = 0; plan != nullptr && i < plan->bells.size(); ++i) {
      const PlanBell& b = plan->bells[i];
      bells.push_back(
          {{b.hour, b.minute, b.sound}, BellSource::kPlan, plan->name, 0, static_cast<int>(i + 1)});
    }
  } else if (reason == DayReason::kSwap) {
    bells = PageBells(schedule, SwapOn(calendar, date)->weekday, BellSource::kSwap,
                      answer.verdict.name);
  } else {
    bells = PageBells(schedule, answer.weekday, BellSource::kPage, {});
  }
  int extraIndex = 0;
  for (const ExtraBell& extra : calendar.assignments.extraBells) {
    if (extra.date == date) {
      const PlanBell& b = extra.bell;
      bells.push_back(
          {{b.hour, b.minute, b.sound}, BellSource::kExtra, kExtraBellName, 0, ++extraIndex});
    }
  }
  SortByTime(bells);
  // One bell a minute: the last of a minute is the one a page day lets you hear.
  std::vector<SourcedBell> merged;
  merged.reserve(bells.size());
  for (SourcedBell& bell : bells) {
    if (!merged.empty() && merged.back().bell.hour == bell.bell.hour &&
        merged.back().bell.minute == bell.bell.minute) {
      merged.back() = std::move(bell);
    } else {
      merged.push_back(std::move(bell));
    }
  }
  bells = std::move(merged);
  return answer;
}

namespace {

// Every day from first up to, not including, end.
std::vector<DayAnswer> AnswersFrom(const WeekSchedule& schedule, const HolidayList& holidays,
                                   const SchoolCalendar& calendar, CivilDate first, CivilDate end) {
  std::vector<DayAnswer> days;
  days.reserve(366);
  for (CivilDate date = first; date < end; date = AddDays(date, 1)) {
    days.push_back(AnswerDay(schedule, holidays, calendar, date));
  }
  return days;
}

}  // namespace

std::vector<DayAnswer> YearAnswers(const WeekSchedule& schedule, const HolidayList& holidays,
                                   const SchoolCalendar& calendar, int year) {
  if (year < 1 || year > 9999) {
    return {};
  }
  return AnswersFrom(schedule, holidays, calendar, {year, 1, 1}, {year + 1, 1, 1});
}

std::vector<DayAnswer> SchoolYearAnswers(const WeekSchedule& schedule, const HolidayList& holidays,
                                         const SchoolCalendar& calendar, int firstYear) {
  if (firstYear < 1 || firstYear > 9998) {
    return {};
  }
  return AnswersFrom(schedule, holidays, calendar, {firstYear, 4, 1}, {firstYear + 1, 4, 1});
}

std::string DayPlanLabel(const DayAnswer& answer) {
  switch (answer.verdict.reason) {
    case DayReason::kPlan:
    case DayReason::kSwap:
      return answer.verdict.name;
    case DayReason::kExtraBells:
      return std::string(kNormalPlanName) + "・" + kExtraBellName;
    default:
      return answer.verdict.silent ? answer.verdict.name : std::string(kNormalPlanName);
  }
}

bool CalendarDayRule::assignedBells(const HolidayList& holidays, const WeekSchedule& schedule,
                                    int year, int month, int day, std::vector<Bell>& bells) const {
  bells.clear();
  const CivilDate date{year, month, day};
  if (calendar_.assignments.empty() || !IsValidDate(date)) {
    return false;
  }
  const DayAnswer answer = AnswerDay(schedule, holidays, calendar_, date);
  if (!answer.assigned || answer.verdict.silent) {
    return false;
  }
  for (const SourcedBell& bell : answer.bells) {
    if (bells.size() >= DayRule::kMaxBellsOfADay) {
      break;
    }
    std::string origin;
    switch (bell.source) {
      case BellSource::kPage:
        origin = PageName(bell.timetable);
        break;
      case BellSource::kSwap:
        origin = bell.sourceName + " " + PageName(bell.timetable);
        break;
      case BellSource::kPlan:
      case BellSource::kExtra:
        origin = bell.sourceName;
        break;
    }
    origin += " " + std::to_string(bell.index) + "番目";
    Bell& out = bells.emplace_back();
    out.hour = bell.bell.hour;
    out.minute = bell.bell.minute;
    out.sound = bell.bell.sound;
    // Names are at most 32 characters, so this always fits.
    origin.copy(out.origin, sizeof out.origin - 1);
  }
  return true;
}

std::vector<PreviewDay> PreviewDays(const WeekSchedule& schedule, const HolidayList& holidays,
                                    const SchoolCalendar& calendar, CivilDate from, int days) {
  std::vector<PreviewDay> preview;
  preview.reserve(static_cast<std::size_t>(std::max(days, 0)));
  for (int i = 0; i < days; ++i) {
    DayAnswer answer = AnswerDay(schedule, holidays, calendar, AddDays(from, i));
    PreviewDay day;
    day.date = answer.date;
    day.weekday = answer.weekday;
    day.verdict = std::move(answer.verdict);
    for (const SourcedBell& bell : answer.bells) {
      day.bells.push_back(bell.bell);
    }
    day.sourced = std::move(answer.bells);
    day.problem = std::move(answer.problem);
    preview.push_back(std::move(day));
  }
  return preview;
}

NextBellAnswer NextBell(const WeekSchedule& schedule, const HolidayList& holidays,
                        const SchoolCalendar& calendar, const CurrentClock& now) {
  NextBellAnswer answer;
  const CivilDate today{now.year, now.month, now.day};
  if (!IsValidDate(today)) {
    return answer;
  }
  for (int i = 0; i <= kNextBellHorizonDays; ++i) {
    const DayAnswer day = AnswerDay(schedule, holidays, calendar, AddDays(today, i));
    if (i == 0) {
      answer.today = day.verdict;
    }
    for (const SourcedBell& sourced : day.bells) {
      const RingingBell& bell = sourced.bell;
      const bool later =
          i > 0 || bell.hour > now.hour || (bell.hour == now.hour && bell.minute > now.minute);
      if (later) {
        answer.bell = UpcomingBell{day.date, day.weekday, bell};
        answer.source = sourced.sourceName;
        return answer;
      }
    }
  }
  return answer;
}

std::string BellText(const RingingBell& bell) {
  return text::Formatted(text::calendar::kBell, bell.hour, bell.minute, bell.sound);
}

std::string PreviewDateText(const PreviewDay& day) {
  return ShownDate(day.date);
}

std::string NextBellText(const NextBellAnswer& answer, const CurrentClock& now) {
  std::string text;
  if (answer.today.silent) {
    text = text::Formatted(text::calendar::kTodaySilent, answer.today.name.c_str());
  }
  if (!answer.bell) {
    return text + text::Formatted(text::calendar::kNoBellWithin, kNextBellHorizonDays);
  }
  const UpcomingBell& next = *answer.bell;
  text += text::calendar::kNextBell;
  if (next.date != CivilDate{now.year, now.month, now.day}) {
    text += ShownDate(next.date) + " ";
  }
  text += BellText(next.bell);
  if (!answer.source.empty()) {
    text += " " + answer.source;
  }
  return text;
}

}  // namespace tollvane

#include "calendar/day_verdict.h"

#include <algorithm>

#include "calendar/calendar_texts.h"
#include "calendar/national_holidays.h"
#include "engine/texts.h"

namespace tollvane {
namespace {

constexpr const char* kClosedPeriodFallback = "休業期間";
constexpr const char* kImportedFallback = "休日";

std::string DateText(CivilDate date, int weekday) {
  return text::Formatted(text::calendar::kDate, date.year, date.month, date.day,
                         std::string(WeekdayName(weekday)).c_str());
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
        bells.push_back({slot.hour, slot.minute, slot.sound});
      }
    }
  };
  if (weekday >= 2 && weekday <= 6) {
    take(kCommonTimetable);
  }
  take(weekday);
  std::stable_sort(bells.begin(), bells.end(), [](const RingingBell& a, const RingingBell& b) {
    return a.hour != b.hour ? a.hour < b.hour : a.minute < b.minute;
  });
  return bells;
}

std::vector<PreviewDay> PreviewDays(const WeekSchedule& schedule, const HolidayList& holidays,
                                    const SchoolCalendar& calendar, CivilDate from, int days) {
  std::vector<PreviewDay> preview;
  preview.reserve(static_cast<std::size_t>(std::max(days, 0)));
  for (int i = 0; i < days; ++i) {
    PreviewDay day;
    day.date = AddDays(from, i);
    day.weekday = Weekday(day.date);
    day.verdict = JudgeDay(calendar, holidays, day.date);
    if (!day.verdict.silent) {
      day.bells = BellsOfWeekday(schedule, day.weekday);
    }
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
  answer.today = JudgeDay(calendar, holidays, today);
  for (int i = 0; i <= kNextBellHorizonDays; ++i) {
    const CivilDate date = AddDays(today, i);
    const DayVerdict verdict = i == 0 ? answer.today : JudgeDay(calendar, holidays, date);
    if (verdict.silent) {
      continue;
    }
    const int weekday = Weekday(date);
    for (const RingingBell& bell : BellsOfWeekday(schedule, weekday)) {
      const bool later =
          i > 0 || bell.hour > now.hour || (bell.hour == now.hour && bell.minute > now.minute);
      if (later) {
        answer.bell = UpcomingBell{date, weekday, bell};
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
  return DateText(day.date, day.weekday);
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
    text += DateText(next.date, next.weekday) + " ";
  }
  return text + BellText(next.bell);
}

}  // namespace tollvane

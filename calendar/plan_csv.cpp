#include "calendar/plan_csv.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "calendar/calendar_texts.h"
#include "calendar/csv_lines.h"

#include "fileio/file_io.h"

namespace tollvane {
namespace {

PlanCsvPreview Failure(std::string error) {
  PlanCsvPreview preview;
  preview.error = std::move(error);
  return preview;
}

std::optional<std::pair<CivilDate, CivilDate>> DateRange(std::string_view text) {
  const std::size_t dash = text.find('-');
  const auto first = ParseDate(Trim(text.substr(0, dash)));
  const auto last = dash == std::string_view::npos ? first : ParseDate(Trim(text.substr(dash + 1)));
  if (!first || !last || *last < *first) {
    return std::nullopt;
  }
  return std::make_pair(*first, *last);
}

// A school year's file spans two calendar years; a longer range is a typing error.
constexpr int64_t kMaxRangeDays = 400;

std::string Time(const RingingBell& bell) {
  char text[16];
  std::snprintf(text, sizeof text, "%d:%02d", static_cast<int>(bell.hour),
                static_cast<int>(bell.minute));
  return text;
}

}  // namespace

PlanCsvPreview ReadPlanCsv(std::string_view bytes, const SchoolCalendar& calendar,
                           const WeekSchedule& schedule, const HolidayList& holidays) {
  if (bytes.size() > kMaxPlanCsvBytes) {
    return Failure(text::calendar::kCsvTooLarge);
  }
  PlanCsvPreview preview;
  CsvLines lines(bytes);
  while (lines.next()) {
    if (lines.number() > kMaxPlanCsvLines) {
      return Failure(
          text::Formatted(text::calendar::kCsvTooManyLines, static_cast<int>(kMaxPlanCsvLines)));
    }
    if (lines.header()) {
      continue;
    }
    const auto range = DateRange(lines.first());
    if (!range) {
      return Failure(ImportLineError(
          lines.number(), text::Formatted(text::calendar::kLineDate, lines.text().c_str())));
    }
    if (DaysFromCivil(range->second) - DaysFromCivil(range->first) >= kMaxRangeDays) {
      return Failure(ImportLineError(
          lines.number(),
          text::Formatted(text::calendar::kLinePeriodTooLong, lines.text().c_str())));
    }
    const std::string_view name = lines.rest();
    if (name.empty()) {
      return Failure(ImportLineError(
          lines.number(), text::Formatted(text::calendar::kLineNoPlanName, lines.text().c_str())));
    }
    if (calendar.plans.find(name) == nullptr) {
      return Failure(ImportLineError(
          lines.number(),
          text::Formatted(text::calendar::kLineUnknownPlan, std::string(name).c_str())));
    }
    preview.planDays.push_back({range->first, range->second, NormalizedPlanName(name)});
  }
  if (!lines.error().empty()) {
    return Failure(lines.error());
  }
  if (preview.planDays.empty()) {
    return Failure(text::calendar::kNoDateLines);
  }
  SchoolCalendar after = calendar;
  after.assignments.planDays.insert(after.assignments.planDays.end(), preview.planDays.begin(),
                                    preview.planDays.end());
  std::set<CivilDate> dates;
  for (const PlanDays& days : preview.planDays) {
    for (CivilDate d = days.first; d <= days.last; d = AddDays(d, 1)) {
      dates.insert(d);
    }
  }
  for (const CivilDate& date : dates) {
    preview.days.push_back(AnswerDay(schedule, holidays, after, date));
  }
  preview.ok = true;
  return preview;
}

PlanCsvPreview ReadPlanCsvFile(const std::string& filePath, const SchoolCalendar& calendar,
                               const WeekSchedule& schedule, const HolidayList& holidays) {
  std::string bytes;
  switch (ReadFileUpTo(filePath, kMaxPlanCsvBytes, bytes)) {
    case BoundedRead::kOk:
      break;
    case BoundedRead::kTooLarge:
      return Failure(text::Formatted(text::calendar::kFileTooLarge, filePath.c_str()));
    case BoundedRead::kMissing:
    case BoundedRead::kFailed:
      return Failure("ファイル " + filePath + " は開けません");
  }
  return ReadPlanCsv(bytes, calendar, schedule, holidays);
}

EditError ApplyPlanCsv(SchoolCalendar& calendar, const std::string& settingsPath,
                       const PlanCsvPreview& preview) {
  if (!preview.ok) {
    return preview.error;
  }
  SchoolCalendar changed = calendar;
  auto& entries = changed.assignments.planDays;
  entries.insert(entries.end(), preview.planDays.begin(), preview.planDays.end());
  if (entries.size() > static_cast<std::size_t>(kMaxCalendarEntries)) {
    return text::Formatted(text::calendar::kTooManyPlanDays, kMaxCalendarEntries);
  }
  if (!WriteCalendarSettings(settingsPath, changed)) {
    return settingsPath + " に書き込めません";
  }
  calendar = std::move(changed);
  return {};
}

std::string YearCsv(const std::vector<DayAnswer>& year) {
  std::string csv = text::calendar::kYearCsvHeading;
  for (const DayAnswer& day : year) {
    csv += FormatDate(day.date) + "," + std::string(WeekdayName(day.weekday)) + ",";
    std::string label = DayPlanLabel(day);
    // A name holding the separator is quoted, as spreadsheet programs read it.
    if (label.find_first_of(",\"") != std::string::npos) {
      std::string quoted = "\"";
      for (char c : label) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
      }
      label = quoted + "\"";
    }
    csv += label + "," + std::to_string(day.bells.size()) + ",";
    if (!day.bells.empty()) {
      csv += Time(day.bells.front().bell) + "," + Time(day.bells.back().bell);
    } else {
      csv += ",";
    }
    csv += "\n";
  }
  return csv;
}

}  // namespace tollvane

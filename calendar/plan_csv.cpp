#include "calendar/plan_csv.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "calendar/calendar_texts.h"

#include "fileio/file_io.h"
#include "schedule/text_encoding.h"

namespace tollvane {
namespace {

PlanCsvPreview Failure(std::string error) {
  PlanCsvPreview preview;
  preview.error = std::move(error);
  return preview;
}

std::string LineError(int line, const std::string& what) {
  return text::Formatted(text::calendar::kAtLine, line, what.c_str()) +
         text::calendar::kNotImported;
}

std::string_view Unquote(std::string_view s) {
  s = Trim(s);
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') {
    s = s.substr(1, s.size() - 2);
  }
  return Trim(s);
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
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    bytes.remove_prefix(kUtf8Bom.size());
  }
  const bool utf8 = IsValidUtf8(bytes);
  PlanCsvPreview preview;
  bool headerAllowed = true;
  std::size_t start = 0;
  for (int lineNumber = 1; start < bytes.size(); ++lineNumber) {
    if (lineNumber > kMaxPlanCsvLines) {
      return Failure(
          text::Formatted(text::calendar::kCsvTooManyLines, static_cast<int>(kMaxPlanCsvLines)));
    }
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) {
      end = bytes.size();
    }
    const std::string_view raw = bytes.substr(start, end - start);
    start = end + 1;
    std::string line(raw);
    if (!utf8) {
      // Shift_JIS trail bytes never take the value of LF, so lines split safely first.
      std::optional<std::string> decoded = Cp932ToUtf8(raw);
      if (!decoded) {
        return Failure(LineError(lineNumber, text::calendar::kLineCharacters));
      }
      line = std::move(*decoded);
    }
    if (Trim(line).empty()) {
      continue;
    }
    const std::size_t comma = line.find(',');
    const std::string_view dateText =
        Unquote(std::string_view(line).substr(0, comma == std::string::npos ? line.size() : comma));
    const auto range = DateRange(dateText);
    const bool firstLine = headerAllowed;
    headerAllowed = false;
    if (!range) {
      if (firstLine) {
        continue;  // the header line
      }
      return Failure(LineError(
          lineNumber, text::Formatted(text::calendar::kLineDate, std::string(line).c_str())));
    }
    if (DaysFromCivil(range->second) - DaysFromCivil(range->first) >= kMaxRangeDays) {
      return Failure(LineError(lineNumber, text::Formatted(text::calendar::kLinePeriodTooLong,
                                                           std::string(line).c_str())));
    }
    const std::string_view name = comma == std::string::npos
                                      ? std::string_view()
                                      : Unquote(std::string_view(line).substr(comma + 1));
    if (name.empty()) {
      return Failure(LineError(
          lineNumber, text::Formatted(text::calendar::kLineNoPlanName, std::string(line).c_str())));
    }
    if (calendar.plans.find(name) == nullptr) {
      return Failure(LineError(lineNumber, text::Formatted(text::calendar::kLineUnknownPlan,
                                                           std::string(name).c_str())));
    }
    preview.planDays.push_back({range->first, range->second, NormalizedPlanName(name)});
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
  FileDescriptor file;
  struct stat info {};
  if (OpenRegularFile(filePath, file) != FileStatus::kOk || fstat(file.get(), &info) != 0) {
    return Failure("ファイル " + filePath + " は開けません");
  }
  if (info.st_size > static_cast<off_t>(kMaxPlanCsvBytes)) {
    return Failure(text::Formatted(text::calendar::kFileTooLarge, filePath.c_str()));
  }
  std::string bytes(kMaxPlanCsvBytes + 1, '\0');
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = ReadSome(file.get(), bytes.data() + filled, bytes.size() - filled);
    if (got < 0) {
      return Failure("ファイル " + filePath + " は開けません");
    }
    if (got == 0) {
      break;
    }
    filled += static_cast<std::size_t>(got);
  }
  bytes.resize(filled);
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

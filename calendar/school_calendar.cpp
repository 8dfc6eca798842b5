#include "calendar/school_calendar.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "calendar/calendar_texts.h"
#include "engine/texts.h"
#include "fileio/file_io.h"
#include "fileio/text_bytes.h"
#include "settings/profile.h"

namespace tollvane {
namespace {

constexpr const char* kSection = "CALENDAR";
constexpr const char* kNationalHolidaysKey = "NationalHolidays";
constexpr const char* kClosedPrefix = "Closed";
constexpr const char* kOpenPrefix = "Open";
constexpr const char* kImportedHeader = "# Tollvane imported days: YYYY/MM/DD name";

// Splits "date name" at the first blank; the name may be empty or hold blanks of its own.
std::pair<std::string_view, std::string_view> SplitName(std::string_view text) {
  text = Trim(text);
  const std::size_t blank = text.find_first_of(" \t");
  if (blank == std::string_view::npos) {
    return {text, {}};
  }
  return {text.substr(0, blank), Trim(text.substr(blank + 1))};
}

template <typename T, typename Parse>
void ReadNumbered(const Profile& profile, const char* prefix, Parse parse, std::vector<T>& out,
                  std::vector<CalendarProblem>& problems) {
  for (int n = 1; n <= kMaxCalendarEntries; ++n) {
    const std::string key = prefix + std::to_string(n);
    const std::optional<std::string> value = profile.value(kSection, key);
    if (!value || value->empty()) {
      continue;
    }
    if (std::optional<T> entry = parse(*value)) {
      out.push_back(std::move(*entry));
    } else {
      problems.push_back({key, *value});
    }
  }
}

// The number after a prefix ("Closed12" -> 12, ":40" -> 40), or 0 when where is no such name.
int KeyNumber(const std::string& where, std::string_view prefix) {
  if (where.size() <= prefix.size() || where.compare(0, prefix.size(), prefix) != 0) {
    return 0;
  }
  int number = 0;
  for (std::size_t i = prefix.size(); i < where.size(); ++i) {
    if (where[i] < '0' || where[i] > '9' || number > 99999999) {
      return 0;
    }
    number = number * 10 + (where[i] - '0');
  }
  return number;
}

// One problem as the operator reads it: the dialog's names instead of the keys, the
// imported-days file by its path and line.
std::string ProblemLine(const CalendarProblem& problem) {
  namespace t = text::calendar;
  const char* value = problem.text.c_str();
  if (problem.where == kNationalHolidaysKey) {
    return text::Formatted(t::kUnreadableNationalHolidays, value);
  }
  if (const int n = KeyNumber(problem.where, kClosedPrefix); n > 0) {
    return text::Formatted(t::kUnreadableClosed, n, value);
  }
  if (const int n = KeyNumber(problem.where, kOpenPrefix); n > 0) {
    return text::Formatted(t::kUnreadableOpen, n, value);
  }
  // "path:line" for a line of the imported-days file, whose path ends in ".days".
  const std::size_t colon = problem.where.rfind(':');
  if (colon != std::string::npos) {
    if (const int line = KeyNumber(problem.where.substr(colon), ":"); line > 0) {
      return text::Formatted(t::kUnreadableImportedLine, problem.where.substr(0, colon).c_str(),
                             line, value);
    }
  }
  return text::Formatted(t::kUnreadableImportedFile, problem.where.c_str());
}

}  // namespace

std::string FormatClosedPeriod(const ClosedPeriod& period) {
  std::string text = FormatDate(period.first) + "-" + FormatDate(period.last);
  if (!period.name.empty()) {
    text += " " + period.name;
  }
  return text;
}

std::string FormatNamedDay(const NamedDay& day) {
  std::string text = FormatDate(day.date);
  if (!day.name.empty()) {
    text += " " + day.name;
  }
  return text;
}

std::optional<ClosedPeriod> ParseClosedPeriod(std::string_view text) {
  const auto [range, name] = SplitName(text);
  const std::size_t dash = range.find('-');
  if (dash == std::string_view::npos) {
    return std::nullopt;
  }
  const auto first = ParseDate(range.substr(0, dash));
  const auto last = ParseDate(range.substr(dash + 1));
  if (!first || !last || *last < *first) {
    return std::nullopt;
  }
  return ClosedPeriod{*first, *last, std::string(name)};
}

std::optional<NamedDay> ParseNamedDay(std::string_view text) {
  const auto [dateText, name] = SplitName(text);
  const auto date = ParseDate(dateText);
  if (!date) {
    return std::nullopt;
  }
  return NamedDay{*date, std::string(name)};
}

std::string ProblemReport(const std::vector<CalendarProblem>& problems) {
  if (problems.empty()) {
    return {};
  }
  std::string report = text::calendar::kUnreadable;
  for (const CalendarProblem& problem : problems) {
    report += "\n" + ProblemLine(problem);
  }
  return report;
}

std::string ImportedDaysPath(const std::string& settingsPath) {
  const std::size_t slash = settingsPath.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = settingsPath.rfind('.');
  if (dot == std::string::npos || dot < nameStart) {
    return settingsPath + ".days";
  }
  return settingsPath.substr(0, dot) + ".days";
}

CalendarReading ReadSchoolCalendar(const std::string& settingsPath) {
  CalendarReading reading;
  SchoolCalendar& calendar = reading.calendar;
  const Profile profile = Profile::Load(settingsPath);

  if (const auto value = profile.value(kSection, kNationalHolidaysKey)) {
    if (*value == "1") {
      calendar.nationalHolidays = true;
    } else if (*value != "0" && !value->empty()) {
      reading.problems.push_back({kNationalHolidaysKey, *value});
    }
  }
  ReadNumbered(profile, kClosedPrefix, ParseClosedPeriod, calendar.closedPeriods, reading.problems);
  ReadNumbered(profile, kOpenPrefix, ParseNamedDay, calendar.openDays, reading.problems);

  const std::string daysPath = ImportedDaysPath(settingsPath);
  std::string bytes;
  const FileStatus status = ReadFileBytes(daysPath, bytes);
  // No folder to hold the file (the settings' folder does not exist, or is no folder) means
  // nothing was ever imported, as a missing settings file means nothing was set.
  std::error_code noFolder;
  if (status == FileStatus::kFailed &&
      std::filesystem::is_directory(std::filesystem::path(daysPath).parent_path(), noFolder)) {
    reading.problems.push_back({daysPath, "読み込めません"});
  }
  if (status != FileStatus::kOk) {
    return reading;
  }
  std::vector<NamedDay> days;
  std::size_t lineStart = 0;
  for (int lineNumber = 1; lineStart < bytes.size(); ++lineNumber) {
    std::size_t lineEnd = bytes.find('\n', lineStart);
    if (lineEnd == std::string::npos) {
      lineEnd = bytes.size();
    }
    const std::string_view line =
        Trim(std::string_view(bytes).substr(lineStart, lineEnd - lineStart));
    lineStart = lineEnd + 1;
    if (line.empty() || line.front() == '#') {
      continue;
    }
    if (auto day = ParseNamedDay(line)) {
      days.push_back(std::move(*day));
    } else {
      reading.problems.push_back({daysPath + ":" + std::to_string(lineNumber), std::string(line)});
    }
  }
  // A hand edit may have left the lines out of order or doubled.
  MergeDays(calendar.importedDays, days);
  return reading;
}

bool WriteCalendarSettings(const std::string& settingsPath, const SchoolCalendar& calendar) {
  return UpdateProfile(settingsPath, [&](Profile& profile) {
    if (!profile.set(kSection, kNationalHolidaysKey, calendar.nationalHolidays ? "1" : "0")) {
      return false;
    }
    const auto writeNumbered = [&](const char* prefix, std::size_t count, auto text) {
      for (int n = 1; n <= kMaxCalendarEntries; ++n) {
        const std::string key = prefix + std::to_string(n);
        if (static_cast<std::size_t>(n) <= count) {
          if (!profile.set(kSection, key, text(static_cast<std::size_t>(n - 1)))) {
            return false;
          }
        } else {
          profile.remove(kSection, key);
        }
      }
      return true;
    };
    if (calendar.closedPeriods.size() > kMaxCalendarEntries ||
        calendar.openDays.size() > kMaxCalendarEntries) {
      return false;
    }
    return writeNumbered(
               kClosedPrefix, calendar.closedPeriods.size(),
               [&](std::size_t i) { return FormatClosedPeriod(calendar.closedPeriods[i]); }) &&
           writeNumbered(kOpenPrefix, calendar.openDays.size(),
                         [&](std::size_t i) { return FormatNamedDay(calendar.openDays[i]); });
  });
}

bool WriteImportedDays(const std::string& settingsPath, const std::vector<NamedDay>& days) {
  std::string bytes = std::string(kImportedHeader) + "\n";
  for (const NamedDay& day : days) {
    if (day.name.find_first_of("\r\n") != std::string::npos) {
      return false;
    }
    bytes += FormatNamedDay(day);
    bytes += '\n';
  }
  return SaveFileBytes(ImportedDaysPath(settingsPath), bytes);
}

int MergeDays(std::vector<NamedDay>& into, const std::vector<NamedDay>& days) {
  int added = 0;
  for (const NamedDay& day : days) {
    const auto at = std::lower_bound(
        into.begin(), into.end(), day.date,
        [](const NamedDay& entry, const CivilDate& date) { return entry.date < date; });
    if (at != into.end() && at->date == day.date) {
      continue;
    }
    into.insert(at, day);
    ++added;
  }
  return added;
}

}  // namespace tollvane

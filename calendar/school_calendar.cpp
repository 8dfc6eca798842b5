#include "calendar/school_calendar.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <system_error>

#include "calendar/calendar_texts.h"
#include "engine/texts.h"
#include "fileio/file_io.h"
#include "fileio/text_bytes.h"
#include "plans/plan_file.h"
#include "settings/profile.h"
#include "settings/settings_location.h"

namespace tollvane {
namespace {

constexpr const char* kSection = "CALENDAR";
constexpr const char* kNationalHolidaysKey = "NationalHolidays";
constexpr const char* kClosedPrefix = "Closed";
constexpr const char* kPlanPrefix = "Plan";
constexpr const char* kSwapPrefix = "Swap";
constexpr const char* kExtraPrefix = "Extra";
constexpr const char* kOpenPrefix = "Open";
constexpr int kReportedDayLines = 10;
constexpr const char* kImportedHeader = "# Tollvane imported days: YYYY/MM/DD name";

// A value a hand edit left that the calendar cannot use: kept by every rewrite.
template <typename Parse>
bool Unreadable(const Profile& profile, const std::string& key, Parse parse) {
  const std::optional<std::string> value = profile.value(kSection, key);
  return value && !value->empty() && !parse(*value);
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
  if (const int n = KeyNumber(problem.where, kPlanPrefix); n > 0) {
    return text::Formatted(t::kUnreadablePlanDays, n, value);
  }
  if (const int n = KeyNumber(problem.where, kSwapPrefix); n > 0) {
    return text::Formatted(t::kUnreadableSwap, n, value);
  }
  if (const int n = KeyNumber(problem.where, kExtraPrefix); n > 0) {
    return text::Formatted(t::kUnreadableExtra, n, value);
  }
  // The plan file's own message names its line.
  if (problem.where.size() > 6 && problem.where.ends_with(".plans")) {
    return problem.text;
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

// The assignment keys, in the order of the settings file; a value that cannot be read is kept
// (reported, and written back after the readable ones) so that a save loses nothing.

template <typename T, typename Parse>
void ReadKept(const Profile& profile, const char* prefix, Parse parse, std::vector<T>& out,
              CalendarReading& reading) {
  const std::size_t known = reading.problems.size();
  ReadNumbered(profile, prefix, parse, out, reading.problems);
  for (std::size_t i = known; i < reading.problems.size(); ++i) {
    reading.calendar.assignments.unreadable.push_back(
        {reading.problems[i].where, reading.problems[i].text});
  }
}

void ReadDayPlans(const std::string& settingsPath, const Profile& profile,
                  CalendarReading& reading) {
  DayAssignments& assignments = reading.calendar.assignments;
  ReadKept(profile, kPlanPrefix, ParsePlanDays, assignments.planDays, reading);
  ReadKept(profile, kSwapPrefix, ParseWeekdaySwap, assignments.swaps, reading);
  ReadKept(profile, kExtraPrefix, ParseExtraBell, assignments.extraBells, reading);
  const std::string planPath = PlanFilePath(settingsPath);
  PlanFileReading plans = ReadPlanFile(planPath);
  if (plans.status == PlanFileReading::Status::kDamaged) {
    reading.calendar.planFileError = plans.error;
    reading.problems.push_back({planPath, plans.error});
  } else {
    reading.calendar.plans = std::move(plans.book);
  }
}

bool StartsWithPrefix(const std::string& key, std::string_view prefix) {
  return key.size() > prefix.size() && std::string_view(key).substr(0, prefix.size()) == prefix &&
         key[prefix.size()] >= '0' && key[prefix.size()] <= '9';
}

bool WriteAssignmentKeys(Profile& profile, const DayAssignments& assignments) {
  const auto write = [&](const char* prefix, std::vector<std::string> values) {
    for (const KeptValue& kept : assignments.unreadable) {
      if (StartsWithPrefix(kept.key, prefix)) {
        values.push_back(kept.text);
      }
    }
    if (values.size() > static_cast<std::size_t>(kMaxCalendarEntries)) {
      return false;
    }
    for (int n = 1; n <= kMaxCalendarEntries; ++n) {
      const std::string key = prefix + std::to_string(n);
      if (static_cast<std::size_t>(n) <= values.size()) {
        const std::string& value = values[static_cast<std::size_t>(n - 1)];
        if (value.find_first_of("\r\n") != std::string::npos ||
            !profile.set(kSection, key, value)) {
          return false;
        }
      } else {
        profile.remove(kSection, key);
      }
    }
    return true;
  };
  std::vector<std::string> plans;
  for (const PlanDays& days : assignments.planDays) {
    plans.push_back(FormatPlanDays(days));
  }
  std::vector<std::string> swaps;
  for (const WeekdaySwap& swap : assignments.swaps) {
    swaps.push_back(FormatWeekdaySwap(swap));
  }
  std::vector<std::string> extras;
  for (const ExtraBell& extra : assignments.extraBells) {
    extras.push_back(FormatExtraBell(extra));
  }
  return write(kPlanPrefix, std::move(plans)) && write(kSwapPrefix, std::move(swaps)) &&
         write(kExtraPrefix, std::move(extras));
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
  const auto [range, name] = SplitAtFirstBlank(text);
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
  const auto [dateText, name] = SplitAtFirstBlank(text);
  const auto date = ParseDate(dateText);
  if (!date) {
    return std::nullopt;
  }
  return NamedDay{*date, std::string(name)};
}

std::string QuotedLine(std::string_view line) {
  constexpr std::size_t kShown = 80;
  std::string text(line);
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      c = ' ';
    }
  }
  text = std::string(Trim(text));
  if (text.size() <= kShown) {
    return text;
  }
  std::size_t cut = kShown;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
    --cut;  // not inside a character
  }
  return text.substr(0, cut) + "…";
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
  return BesideSettings(settingsPath, ".days");
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
  ReadDayPlans(settingsPath, profile, reading);

  const std::string daysPath = ImportedDaysPath(settingsPath);
  std::string bytes;
  const BoundedRead status = ReadFileUpTo(daysPath, kMaxCalendarFileBytes, bytes);
  // No folder to hold the file (the settings' folder does not exist, or is no folder) means
  // nothing was ever imported, as a missing settings file means nothing was set.
  std::error_code noFolder;
  if (status == BoundedRead::kFailed &&
      std::filesystem::is_directory(std::filesystem::path(daysPath).parent_path(), noFolder)) {
    reading.problems.push_back({daysPath, text::calendar::kDaysFileUnreadable});
  }
  if (status == BoundedRead::kTooLarge) {
    reading.problems.push_back({daysPath, text::calendar::kDaysFileTooLarge});
  }
  if (status != BoundedRead::kOk) {
    return reading;
  }
  std::vector<NamedDay> days;
  int unreadable = 0;
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
    } else if (++unreadable <= kReportedDayLines) {
      reading.problems.push_back({daysPath + ":" + std::to_string(lineNumber), QuotedLine(line)});
    }
  }
  // A file of garbage must not become a message of megabytes.
  if (unreadable > kReportedDayLines) {
    reading.problems.push_back({daysPath, text::Formatted(text::calendar::kMoreUnreadableLines,
                                                          unreadable - kReportedDayLines)});
  }
  // A hand edit may have left the lines out of order or doubled.
  MergeDays(calendar.importedDays, days);
  return reading;
}

bool WriteCalendarSettings(const std::string& settingsPath, const SchoolCalendar& calendar) {
  return UpdateProfile(settingsPath, [&](Profile& profile) {
    const bool keepSwitch =
        !calendar.nationalHolidays &&
        Unreadable(profile, kNationalHolidaysKey, [](auto& v) { return v == "0" || v == "1"; });
    if (!keepSwitch &&
        !profile.set(kSection, kNationalHolidaysKey, calendar.nationalHolidays ? "1" : "0")) {
      return false;
    }
    const auto writeNumbered = [&](const char* prefix, std::size_t count, auto parse, auto text) {
      std::size_t next = 0;
      for (int n = 1; n <= kMaxCalendarEntries; ++n) {
        const std::string key = prefix + std::to_string(n);
        if (Unreadable(profile, key, parse)) {
          continue;
        }
        if (next < count) {
          if (!profile.set(kSection, key, text(next++))) {
            return false;
          }
        } else {
          profile.remove(kSection, key);
        }
      }
      return next == count;
    };
    if (calendar.closedPeriods.size() > kMaxCalendarEntries ||
        calendar.openDays.size() > kMaxCalendarEntries) {
      return false;
    }
    if (!WriteAssignmentKeys(profile, calendar.assignments)) {
      return false;
    }
    return writeNumbered(
               kClosedPrefix, calendar.closedPeriods.size(), ParseClosedPeriod,
               [&](std::size_t i) { return FormatClosedPeriod(calendar.closedPeriods[i]); }) &&
           writeNumbered(kOpenPrefix, calendar.openDays.size(), ParseNamedDay,
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
  const auto byDate = [](const NamedDay& a, const NamedDay& b) { return a.date < b.date; };
  const auto sameDate = [](const NamedDay& a, const NamedDay& b) { return a.date == b.date; };
  std::vector<NamedDay> fresh = days;
  std::stable_sort(fresh.begin(), fresh.end(), byDate);
  fresh.erase(std::unique(fresh.begin(), fresh.end(), sameDate), fresh.end());
  std::vector<NamedDay> merged;
  merged.reserve(into.size() + fresh.size());
  int added = 0;
  auto have = into.begin();
  for (NamedDay& day : fresh) {
    while (have != into.end() && have->date < day.date) {
      merged.push_back(std::move(*have++));
    }
    if (have == into.end() || have->date != day.date) {
      merged.push_back(std::move(day));
      ++added;
    }
  }
  std::move(have, into.end(), std::back_inserter(merged));
  into = std::move(merged);
  return added;
}

}  // namespace tollvane

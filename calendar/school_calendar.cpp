#include "calendar/school_calendar.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "plans/plan_file.h"
#include "schedule/file_io.h"
#include "settings/profile.h"
#include "settings/settings_location.h"

namespace tollvane {
namespace {

constexpr const char* kSection = "CALENDAR";
constexpr const char* kNationalHolidaysKey = "NationalHolidays";
constexpr const char* kImportedHeader = "# Tollvane imported days: YYYY/MM/DD name";

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

// Splits "date name" at the first blank; the name may be empty or hold blanks of its own.
std::pair<std::string_view, std::string_view> SplitName(std::string_view text) {
  text = TrimBlanks(text);
  const std::size_t blank = text.find_first_of(" \t");
  if (blank == std::string_view::npos) {
    return {text, {}};
  }
  return {text.substr(0, blank), TrimBlanks(text.substr(blank + 1))};
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

// The assignment keys, in the order of the settings file; a value that cannot be read is kept
// (reported, and written back after the readable ones) so that a save loses nothing.
constexpr const char* kPlanPrefix = "Plan";
constexpr const char* kSwapPrefix = "Swap";
constexpr const char* kExtraPrefix = "Extra";

template <typename T, typename Parse>
void ReadKept(const Profile& profile, const char* prefix, Parse parse, std::vector<T>& out,
              CalendarReading& reading) {
  for (int n = 1; n <= kMaxCalendarEntries; ++n) {
    const std::string key = prefix + std::to_string(n);
    const std::optional<std::string> value = profile.value(kSection, key);
    if (!value || value->empty()) {
      continue;
    }
    if (std::optional<T> entry = parse(*value)) {
      out.push_back(std::move(*entry));
    } else {
      reading.problems.push_back({key, *value});
      reading.calendar.assignments.unreadable.push_back({key, *value});
    }
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
  std::string report =
      "学校カレンダーの設定に読み取れない値があったため、その値を使わずに始めます。";
  for (const CalendarProblem& problem : problems) {
    report += "\n" + problem.where + ": " + problem.text;
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
  ReadNumbered(profile, "Closed", ParseClosedPeriod, calendar.closedPeriods, reading.problems);
  ReadNumbered(profile, "Open", ParseNamedDay, calendar.openDays, reading.problems);
  ReadDayPlans(settingsPath, profile, reading);

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
        TrimBlanks(std::string_view(bytes).substr(lineStart, lineEnd - lineStart));
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
    if (!WriteAssignmentKeys(profile, calendar.assignments)) {
      return false;
    }
    return writeNumbered(
               "Closed", calendar.closedPeriods.size(),
               [&](std::size_t i) { return FormatClosedPeriod(calendar.closedPeriods[i]); }) &&
           writeNumbered("Open", calendar.openDays.size(),
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
  return ReplaceFileAtomically(ImportedDaysPath(settingsPath), bytes);
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

#include "calendar/day_import.h"

#include <libical/ical.h>

#include <map>
#include <memory>
#include <set>

#include "schedule/file_io.h"
#include "schedule/text_encoding.h"

namespace tollvane {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
// An unbounded daily rule must not expand into millions of days.
constexpr int kMaxOccurrences = 5000;
// Holiday lists are a few kilobytes; anything far larger is not one.
constexpr std::size_t kMaxFileBytes = 4 * 1024 * 1024;

ImportOutcome Failure(std::string error) {
  ImportOutcome outcome;
  outcome.error = std::move(error);
  return outcome;
}

std::string LineError(int line, std::string_view what) {
  return std::to_string(line) + "行目" + std::string(what) + "取り込みは行いませんでした。";
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

std::string_view Unquote(std::string_view s) {
  s = Trim(s);
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') {
    s = s.substr(1, s.size() - 2);
  }
  return Trim(s);
}

struct ComponentFree {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

struct RecurFree {
  void operator()(icalrecur_iterator* r) const { icalrecur_iterator_free(r); }
};

CivilDate DateOf(const icaltimetype& t) {
  return {t.year, t.month, t.day};
}

// Whether text starts with upper, compared without regard to ASCII case (iCalendar names).
bool StartsWithUpper(std::string_view text, std::string_view upper) {
  if (text.size() < upper.size()) {
    return false;
  }
  for (std::size_t i = 0; i < upper.size(); ++i) {
    const char c =
        text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 'a' + 'A') : text[i];
    if (c != upper[i]) {
      return false;
    }
  }
  return true;
}

// The line numbers of the "BEGIN:VEVENT" lines, in order, so that an event's error can name
// where it starts.
std::vector<int> EventLines(std::string_view text) {
  std::vector<int> lines;
  int line = 1;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      end = text.size();
    }
    std::string_view content = Trim(text.substr(start, end - start));
    if (content.size() == 12 && StartsWithUpper(content, "BEGIN:VEVENT")) {
      lines.push_back(line);
    }
    ++line;
    start = end + 1;
  }
  return lines;
}

std::string OneLine(const char* summary) {
  std::string name = summary != nullptr ? summary : "";
  for (char& c : name) {
    if (c == '\r' || c == '\n' || c == '\t') {
      c = ' ';
    }
  }
  return std::string(Trim(name));
}

}  // namespace

ImportOutcome ReadHolidayCsv(std::string_view bytes) {
  if (bytes.substr(0, kBom.size()) == kBom) {
    bytes.remove_prefix(kBom.size());
  }
  const bool utf8 = IsValidUtf8(bytes);
  ImportOutcome outcome;
  bool headerAllowed = true;
  int lineNumber = 0;
  std::size_t start = 0;
  while (start < bytes.size()) {
    ++lineNumber;
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) {
      end = bytes.size();
    }
    std::string_view raw = bytes.substr(start, end - start);
    start = end + 1;
    if (!raw.empty() && raw.back() == '\r') {
      raw.remove_suffix(1);
    }
    std::string line(raw);
    if (!utf8) {
      // Shift_JIS trail bytes never take the value of LF, so lines split safely first.
      std::optional<std::string> decoded = Cp932ToUtf8(raw);
      if (!decoded) {
        return Failure(LineError(lineNumber, "の文字を読み取れません。"));
      }
      line = std::move(*decoded);
    }
    if (Trim(line).empty()) {
      continue;
    }
    const std::size_t comma = line.find(',');
    const std::string_view dateText =
        Unquote(std::string_view(line).substr(0, comma == std::string::npos ? line.size() : comma));
    const std::optional<CivilDate> date = ParseDate(dateText);
    const bool firstLine = headerAllowed;
    headerAllowed = false;
    if (!date) {
      if (firstLine) {
        continue;  // the header line
      }
      return Failure(LineError(lineNumber, "の日付を読み取れません (" + line + ")。"));
    }
    const std::string_view name = comma == std::string::npos
                                      ? std::string_view()
                                      : Unquote(std::string_view(line).substr(comma + 1));
    if (name.empty()) {
      return Failure(LineError(lineNumber, "に名称がありません (" + line + ")。"));
    }
    outcome.days.push_back({*date, std::string(name)});
  }
  if (outcome.days.empty()) {
    return Failure("日付の行がひとつもありません。取り込みは行いませんでした。");
  }
  outcome.ok = true;
  return outcome;
}

ImportOutcome ReadICalendar(std::string_view bytes, CivilDate expandThrough) {
  if (bytes.substr(0, kBom.size()) == kBom) {
    bytes.remove_prefix(kBom.size());
  }
  if (!IsValidUtf8(bytes) || bytes.find('\0') != std::string_view::npos) {
    return Failure(
        "iCalendar ファイルの文字を読み取れません (UTF-8 ではありません)。"
        "取り込みは行いませんでした。");
  }
  const std::string text(bytes);
  const std::vector<int> eventLines = EventLines(text);
  Component root(icalparser_parse_string(text.c_str()));
  // libical keeps a global error state; what counts here is what it put into the tree.
  icalerror_clear_errno();
  if (!root) {
    return Failure(LineError(1, "から iCalendar として読み取れません。"));
  }
  icalcomponent* calendar = root.get();
  if (icalcomponent_isa(calendar) != ICAL_VCALENDAR_COMPONENT) {
    calendar = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
  }
  if (calendar == nullptr) {
    return Failure(LineError(1, "から iCalendar として読み取れません。"));
  }

  // Occurrences that a rule must not produce: its EXDATEs and the dates of instances moved
  // by a RECURRENCE-ID event of the same UID (which is imported as an event of its own).
  std::map<std::string, std::set<CivilDate>> movedInstances;
  for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
       event != nullptr;
       event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
    const icaltimetype moved = icalcomponent_get_recurrenceid(event);
    const char* uid = icalcomponent_get_uid(event);
    if (!icaltime_is_null_time(moved) && uid != nullptr) {
      movedInstances[uid].insert(DateOf(moved));
    }
  }

  ImportOutcome outcome;
  std::size_t index = 0;
  for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
       event != nullptr;
       event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT), ++index) {
    const int line = index < eventLines.size() ? eventLines[index] : 1;
    const icaltimetype start = icalcomponent_get_dtstart(event);
    if (icalcomponent_count_errors(event) > 0 || icaltime_is_null_time(start) ||
        !IsValidDate(DateOf(start))) {
      return Failure(LineError(line, "から始まる予定を読み取れません。"));
    }
    if (!start.is_date) {
      ++outcome.skippedTimedEvents;
      continue;
    }
    // A cancelled day is a school day after all.
    if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED) {
      continue;
    }
    const std::string name = OneLine(icalcomponent_get_summary(event));
    icaltimetype end = icalcomponent_get_dtend(event);
    // DTEND of an all-day event is the day after its last day.
    int64_t length = 1;
    if (!icaltime_is_null_time(end) && IsValidDate(DateOf(end))) {
      length = std::max<int64_t>(1, DaysFromCivil(DateOf(end)) - DaysFromCivil(DateOf(start)));
    }
    if (length > 366) {
      return Failure(LineError(line, "から始まる予定が長すぎます (1年を超えます)。"));
    }
    const auto addSpan = [&](CivilDate first) {
      for (int64_t i = 0; i < length; ++i) {
        outcome.days.push_back({AddDays(first, i), name});
      }
    };
    icalproperty* rrule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
    if (rrule == nullptr) {
      addSpan(DateOf(start));
      continue;
    }
    std::unique_ptr<icalrecur_iterator, RecurFree> occurrences(
        icalrecur_iterator_new(icalproperty_get_rrule(rrule), start));
    if (!occurrences) {
      return Failure(LineError(line, "から始まる予定の繰り返しを読み取れません。"));
    }
    const char* uid = icalcomponent_get_uid(event);
    std::set<CivilDate> excluded;
    if (uid != nullptr) {
      if (const auto found = movedInstances.find(uid); found != movedInstances.end()) {
        excluded = found->second;
      }
    }
    for (icalproperty* exdate = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY);
         exdate != nullptr; exdate = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
      excluded.insert(DateOf(icalproperty_get_exdate(exdate)));
    }
    int count = 0;
    for (icaltimetype next = icalrecur_iterator_next(occurrences.get());
         !icaltime_is_null_time(next) && DateOf(next) <= expandThrough;
         next = icalrecur_iterator_next(occurrences.get())) {
      if (++count > kMaxOccurrences) {
        return Failure(LineError(line, "から始まる予定の繰り返しが多すぎます。"));
      }
      if (!excluded.contains(DateOf(next))) {
        addSpan(DateOf(next));
      }
    }
  }
  if (outcome.days.empty()) {
    return Failure("終日の予定がひとつもありません。取り込みは行いませんでした。");
  }
  outcome.ok = true;
  return outcome;
}

ImportOutcome ReadDayFile(std::string_view bytes, CivilDate expandThrough) {
  std::string_view head = bytes;
  if (head.substr(0, kBom.size()) == kBom) {
    head.remove_prefix(kBom.size());
  }
  while (!head.empty() && (head.front() == ' ' || head.front() == '\r' || head.front() == '\n')) {
    head.remove_prefix(1);
  }
  if (StartsWithUpper(head, "BEGIN:VCALENDAR")) {
    return ReadICalendar(bytes, expandThrough);
  }
  return ReadHolidayCsv(bytes);
}

ImportOutcome ImportDayFile(SchoolCalendar& calendar, const std::string& settingsPath,
                            const std::string& filePath, CivilDate expandThrough) {
  std::string bytes;
  if (ReadFileBytes(filePath, bytes) != FileStatus::kOk) {
    return Failure("ファイル " + filePath + " は開けません");
  }
  if (bytes.size() > kMaxFileBytes) {
    return Failure("ファイル " + filePath + " は大きすぎるため、取り込みは行いませんでした。");
  }
  ImportOutcome outcome = ReadDayFile(bytes, expandThrough);
  if (!outcome.ok) {
    return outcome;
  }
  std::vector<NamedDay> merged = calendar.importedDays;
  std::vector<NamedDay> added;
  for (const NamedDay& day : outcome.days) {
    if (MergeDays(merged, {day}) > 0) {
      added.push_back(day);
    }
  }
  if (!added.empty() && !WriteImportedDays(settingsPath, merged)) {
    return Failure(ImportedDaysPath(settingsPath) + " に書き込めません");
  }
  calendar.importedDays = std::move(merged);
  outcome.days = std::move(added);
  return outcome;
}

}  // namespace tollvane

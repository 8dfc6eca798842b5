#include "calendar/day_import.h"

#include <libical/ical.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "calendar/calendar_texts.h"
#include "calendar/csv_lines.h"
#include "calendar/day_verdict.h"
#include "fileio/file_io.h"
#include "fileio/text_bytes.h"
#include "schedule/text_encoding.h"

namespace tollvane {
namespace {

// libical frees its tree recursively: a deep nest would overflow the stack. A calendar needs
// three levels (VCALENDAR, VTIMEZONE, STANDARD), an alarm in an event as many.
constexpr int kMaxNesting = 4;
// libical spends time and memory per line and, within a line, per parameter and value far
// beyond the text's size; the lines it is given are bounded so that a 4 MiB file stays cheap.
constexpr int kMaxICalendarLines = 100000;
constexpr std::size_t kMaxLineBytes = 8192;
constexpr int kMaxParameters = 16;
constexpr std::size_t kMaxComponentLineBytes = 100;
// Dates that a day count and a four-digit year can hold, from the first year of a modern
// calendar on.
constexpr int kFirstYear = 1900;
constexpr int kLastStartYear = 9998;

ImportOutcome Failure(std::string error) {
  ImportOutcome outcome;
  outcome.error = std::move(error);
  return outcome;
}

// The distinct days of a file in the order they first appear, at most a cap of them. Each
// span costs a logarithm of the spans before it plus its new days, so a file of long
// overlapping events stays as cheap as its distinct days.
class DayCollector {
 public:
  explicit DayCollector(int maxDays) : maxDays_(maxDays) {}

  // False, when the span would bring the days past the cap.
  bool add(CivilDate firstDate, int64_t length, const std::string& name) {
    const int64_t first = DaysFromCivil(firstDate);
    const int64_t last = first + length - 1;
    auto it = covered_.upper_bound(first);
    if (it != covered_.begin() && std::prev(it)->second >= first) {
      --it;
    }
    int64_t cursor = first;
    int64_t joinedFirst = first;
    int64_t joinedLast = last;
    while (it != covered_.end() && it->first <= last) {
      if (!emit(cursor, it->first - 1, name)) {
        return false;
      }
      cursor = std::max(cursor, it->second + 1);
      joinedFirst = std::min(joinedFirst, it->first);
      joinedLast = std::max(joinedLast, it->second);
      it = covered_.erase(it);
    }
    if (!emit(cursor, last, name)) {
      return false;
    }
    covered_[joinedFirst] = joinedLast;
    return true;
  }

  std::vector<NamedDay> take() { return std::move(days_); }

 private:
  bool emit(int64_t first, int64_t last, const std::string& name) {
    if (last >= first && static_cast<int64_t>(days_.size()) + (last - first + 1) > maxDays_) {
      return false;
    }
    for (int64_t day = first; day <= last; ++day) {
      days_.push_back({CivilFromDays(day), name});
    }
    return true;
  }

  int maxDays_;
  std::map<int64_t, int64_t> covered_;  // first day -> last day, disjoint
  std::vector<NamedDay> days_;
};

std::string TooManyDays(const ImportLimits& limits) {
  return text::Formatted(text::calendar::kTooManyDays, limits.maxDays);
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

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return upper;
}

// The part of an iCalendar file libical is given: the VCALENDARs with their events and, in
// the events, only the properties that decide their days. The rest (time zones, alarms,
// descriptions, attendees, foreign components) closes no day and is never parsed.
struct ICalendarText {
  std::string kept;
  std::vector<int> eventLines;  // the line of each kept "BEGIN:VEVENT", in order
  std::string error;
};

bool DecidesDays(std::string_view name) {
  static const char* const kNames[] = {"UID",   "DTSTART", "DTEND",         "DURATION", "RRULE",
                                       "RDATE", "EXDATE",  "RECURRENCE-ID", "STATUS",   "SUMMARY"};
  for (const char* known : kNames) {
    if (name == known) {
      return true;
    }
  }
  return false;
}

// One pass over the lines, with the nesting counted before libical sees anything.
ICalendarText KeepDayLines(std::string_view text) {
  ICalendarText out;
  std::vector<std::string> open;  // the components the line is in
  struct Logical {
    int line = 0;
    std::size_t begin = 0, end = 0;  // physical lines [begin, end) of the text
    std::size_t bytes = 0;
    int parameters = 0;
    bool valueStarted = false;
    std::string name;
  } current;
  int keptLines = 0;

  const auto finish = [&](const Logical& logical) -> bool {
    if (logical.end == 0) {
      return true;
    }
    const std::string_view raw = text.substr(logical.begin, logical.end - logical.begin);
    const std::string& name = logical.name;
    bool keep = false;
    if (name == "BEGIN" || name == "END") {
      // Component names are short words; anything longer is no component.
      if (logical.bytes > kMaxComponentLineBytes) {
        out.error = ImportLineError(
            logical.line, text::Formatted(text::calendar::kLineUnreadableName, name.c_str()));
        return false;
      }
      const std::size_t colon = raw.find(':');
      const std::string component =
          colon == std::string_view::npos
              ? std::string()
              : Upper(Trim(raw.substr(colon + 1, raw.find_first_of("\r\n", colon) - colon - 1)));
      if (name == "BEGIN") {
        if (open.empty() && component != "VCALENDAR") {
          out.error = ImportLineError(
              logical.line, text::Formatted(text::calendar::kLineBeginOutside, component.c_str()));
          return false;
        }
        keep =
            open.empty() || (open.size() == 1 && open[0] == "VCALENDAR" && component == "VEVENT");
        open.push_back(component);
        if (static_cast<int>(open.size()) > kMaxNesting) {
          out.error = ImportLineError(logical.line,
                                      text::Formatted(text::calendar::kLineTooDeep, kMaxNesting));
          return false;
        }
        if (keep && component == "VEVENT") {
          out.eventLines.push_back(logical.line);
        }
      } else {
        if (open.empty() || open.back() != component) {
          out.error = ImportLineError(
              logical.line, text::Formatted(text::calendar::kLineEndUnmatched, component.c_str()));
          return false;
        }
        keep = open.size() == 1 ||
               (open.size() == 2 && component == "VEVENT" && open[0] == "VCALENDAR");
        open.pop_back();
      }
    } else if (open.size() == 2 && open[1] == "VEVENT") {
      if (name == "EXRULE") {
        out.error = ImportLineError(logical.line, text::calendar::kLineExrule);
        return false;
      }
      keep = DecidesDays(name);
    }
    if (keep) {
      if (logical.bytes > kMaxLineBytes) {
        out.error = ImportLineError(logical.line, text::Formatted(text::calendar::kLineTooLong,
                                                                  static_cast<int>(kMaxLineBytes)));
        return false;
      }
      if (logical.parameters > kMaxParameters) {
        out.error = ImportLineError(logical.line, text::calendar::kLineTooManyParameters);
        return false;
      }
      if (++keptLines > kMaxICalendarLines) {
        out.error = text::Formatted(text::calendar::kICalendarTooManyLines,
                                    static_cast<int>(kMaxICalendarLines));
        return false;
      }
      out.kept.append(raw);
      out.kept += "\r\n";
    }
    return true;
  };

  int line = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    ++line;
    std::size_t end = text.find('\n', start);
    const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) {
      end = text.size();
    }
    std::string_view physical = text.substr(start, end - start);
    if (!physical.empty() && physical.back() == '\r') {
      physical.remove_suffix(1);
    }
    const bool continuation =
        !physical.empty() && (physical.front() == ' ' || physical.front() == '\t');
    if (!continuation) {
      if (!finish(current)) {
        return out;
      }
      current = Logical{};
      if (Trim(physical).empty()) {
        start = next;
        continue;
      }
      current.line = line;
      current.begin = start;
      current.name = Upper(physical.substr(0, physical.find_first_of(";:")));
    } else if (current.end == 0) {
      start = next;
      continue;  // a continuation of nothing
    }
    current.end = start + physical.size();
    current.bytes += physical.size();
    for (const char c : physical) {
      if (current.valueStarted) {
        break;
      }
      if (c == ':') {
        current.valueStarted = true;
      } else if (c == ';') {
        ++current.parameters;
      }
    }
    start = next;
  }
  if (!finish(current)) {
    return out;
  }
  if (!open.empty()) {
    out.error = text::Formatted(text::calendar::kICalendarCut, open.back().c_str());
  }
  return out;
}

// A rule that names only month days no listed month has (February 30th) yields nothing,
// however long libical would look for one.
bool NeverOccurs(const icalrecurrencetype& rule) {
  if (rule.by_month[0] == ICAL_RECURRENCE_ARRAY_MAX ||
      rule.by_month_day[0] == ICAL_RECURRENCE_ARRAY_MAX) {
    return false;
  }
  static const int kLongest[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int m = 0; m < ICAL_BY_MONTH_SIZE && rule.by_month[m] != ICAL_RECURRENCE_ARRAY_MAX; ++m) {
    const int month = rule.by_month[m];
    if (month < 1 || month > 12) {
      return false;
    }
    for (int d = 0; d < ICAL_BY_MONTHDAY_SIZE && rule.by_month_day[d] != ICAL_RECURRENCE_ARRAY_MAX;
         ++d) {
      if (std::abs(rule.by_month_day[d]) <= kLongest[month - 1]) {
        return false;
      }
    }
  }
  return true;
}

bool FinerThanADay(icalrecurrencetype_frequency frequency) {
  return frequency == ICAL_SECONDLY_RECURRENCE || frequency == ICAL_MINUTELY_RECURRENCE ||
         frequency == ICAL_HOURLY_RECURRENCE;
}

// A name as one line of the imported-days file: control characters (a line break, a stray
// CR inside a CSV line) become blanks.
std::string OneLine(std::string_view text) {
  std::string name(text);
  for (char& c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      c = ' ';
    }
  }
  return std::string(Trim(name));
}

}  // namespace

ImportOutcome ReadHolidayCsv(std::string_view bytes, const ImportLimits& limits) {
  DayCollector collector(limits.maxDays);
  CsvLines lines(bytes);
  while (lines.next()) {
    if (lines.header()) {
      continue;
    }
    const std::optional<CivilDate> date = ParseDate(lines.first());
    if (!date) {
      return Failure(ImportLineError(
          lines.number(),
          text::Formatted(text::calendar::kLineDate, QuotedLine(lines.text()).c_str())));
    }
    const std::string name = OneLine(lines.rest());
    if (name.empty()) {
      return Failure(ImportLineError(
          lines.number(),
          text::Formatted(text::calendar::kLineNoName, QuotedLine(lines.text()).c_str())));
    }
    if (!collector.add(*date, 1, name)) {
      return Failure(TooManyDays(limits));
    }
  }
  if (!lines.error().empty()) {
    return Failure(lines.error());
  }
  ImportOutcome outcome;
  outcome.days = collector.take();
  if (outcome.days.empty()) {
    return Failure(text::calendar::kNoDateLines);
  }
  outcome.ok = true;
  return outcome;
}

ImportOutcome ReadICalendar(std::string_view bytes, CivilDate expandThrough,
                            const ImportLimits& limits) {
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    bytes.remove_prefix(kUtf8Bom.size());
  }
  if (!IsValidUtf8(bytes) || bytes.find('\0') != std::string_view::npos) {
    return Failure(text::calendar::kICalendarNotUtf8);
  }
  const ICalendarText text = KeepDayLines(bytes);
  if (!text.error.empty()) {
    return Failure(text.error);
  }
  Component root(icalparser_parse_string(text.kept.c_str()));
  // libical keeps a global error state; what counts here is what it put into the tree.
  icalerror_clear_errno();
  if (!root) {
    return Failure(ImportLineError(1, text::calendar::kLineNotICalendar));
  }
  // Several calendars in one file come as children of one root.
  std::vector<icalcomponent*> calendars;
  if (icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
    calendars.push_back(root.get());
  } else {
    for (icalcomponent* c = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
         c != nullptr; c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT)) {
      calendars.push_back(c);
    }
  }
  if (calendars.empty()) {
    return Failure(ImportLineError(1, text::calendar::kLineNotICalendar));
  }
  std::vector<icalcomponent*> events;
  for (icalcomponent* calendar : calendars) {
    for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
         event != nullptr;
         event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
      events.push_back(event);
    }
  }

  // Occurrences that a rule must not produce: its EXDATEs and the dates of instances moved
  // by a RECURRENCE-ID event of the same UID (which is imported as an event of its own).
  std::map<std::string, std::set<CivilDate>> movedInstances;
  for (icalcomponent* event : events) {
    const icaltimetype moved = icalcomponent_get_recurrenceid(event);
    const char* uid = icalcomponent_get_uid(event);
    if (!icaltime_is_null_time(moved) && uid != nullptr) {
      movedInstances[uid].insert(DateOf(moved));
    }
  }

  ImportOutcome outcome;
  outcome.expandedThrough = expandThrough;
  DayCollector collector(limits.maxDays);
  const auto began = limits.clock();
  int steps = 0;
  for (std::size_t index = 0; index < events.size(); ++index) {
    icalcomponent* event = events[index];
    const int line = index < text.eventLines.size() ? text.eventLines[index] : 1;
    const icaltimetype start = icalcomponent_get_dtstart(event);
    if (icalcomponent_count_errors(event) > 0 || icaltime_is_null_time(start) ||
        !IsValidDate(DateOf(start))) {
      return Failure(ImportLineError(line, text::calendar::kEventUnreadable));
    }
    if (!start.is_date) {
      ++outcome.skippedTimedEvents;
      continue;
    }
    if (start.year < kFirstYear || start.year > kLastStartYear) {
      return Failure(ImportLineError(
          line, text::Formatted(text::calendar::kEventYears, kFirstYear, kLastStartYear)));
    }
    // A cancelled day is a school day after all.
    if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED) {
      continue;
    }
    const char* summary = icalcomponent_get_summary(event);
    const std::string name = OneLine(summary != nullptr ? summary : "");
    icaltimetype end = icalcomponent_get_dtend(event);
    // DTEND of an all-day event is the day after its last day.
    int64_t length = 1;
    if (!icaltime_is_null_time(end) && IsValidDate(DateOf(end))) {
      length = std::max<int64_t>(1, DaysFromCivil(DateOf(end)) - DaysFromCivil(DateOf(start)));
    }
    if (length > 366) {
      return Failure(ImportLineError(line, text::calendar::kEventTooLong));
    }
    const auto addSpan = [&](CivilDate first) { return collector.add(first, length, name); };
    static const std::set<CivilDate> kNoneMoved;
    const std::set<CivilDate>* moved = &kNoneMoved;
    if (const char* uid = icalcomponent_get_uid(event)) {
      if (const auto found = movedInstances.find(uid); found != movedInstances.end()) {
        moved = &found->second;
      }
    }
    std::set<CivilDate> excluded;
    for (icalproperty* exdate = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY);
         exdate != nullptr; exdate = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
      excluded.insert(DateOf(icalproperty_get_exdate(exdate)));
    }
    const auto addOccurrence = [&](CivilDate day) {
      return excluded.contains(day) || moved->contains(day) || addSpan(day);
    };
    const auto tooMuch = [&]() -> std::optional<std::string> {
      if (++steps > limits.maxSteps || limits.clock() - began > limits.expansionTime) {
        return ImportLineError(line, text::calendar::kEventTooSlow);
      }
      return std::nullopt;
    };
    icalproperty* rrule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
    icalproperty* rdate = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY);
    if (rrule == nullptr) {
      // Without a rule the event's own day counts as its first, dates or not; an event that
      // only moves one instance of another keeps its day whatever that instance was.
      if (!(rdate == nullptr ? addSpan(DateOf(start)) : addOccurrence(DateOf(start)))) {
        return Failure(TooManyDays(limits));
      }
    }
    const auto addDates = [&]() -> std::optional<std::string> {
      for (; rdate != nullptr;
           rdate = icalcomponent_get_next_property(event, ICAL_RDATE_PROPERTY)) {
        const icaldatetimeperiodtype value = icalproperty_get_rdate(rdate);
        const icaltimetype when =
            icaltime_is_null_time(value.time) ? value.period.start : value.time;
        if (icaltime_is_null_time(when) || !IsValidDate(DateOf(when)) || when.year < kFirstYear ||
            when.year > kLastStartYear) {
          return ImportLineError(line, text::calendar::kEventRdate);
        }
        if (auto error = tooMuch()) {
          return error;
        }
        if (!addOccurrence(DateOf(when))) {
          return TooManyDays(limits);
        }
      }
      return std::nullopt;
    };
    if (rrule == nullptr) {
      if (const auto error = addDates()) {
        return Failure(*error);
      }
      continue;
    }
    icalrecurrencetype rule = icalproperty_get_rrule(rrule);
    if (rule.freq == ICAL_NO_RECURRENCE) {
      return Failure(ImportLineError(line, text::calendar::kEventRule));
    }
    if (FinerThanADay(rule.freq)) {
      return Failure(ImportLineError(line, text::calendar::kEventSubDaily));
    }
    // The rule ends at expandThrough at the latest, so that libical never looks past it.
    icaltimetype horizon = icaltime_null_date();
    horizon.year = expandThrough.year;
    horizon.month = expandThrough.month;
    horizon.day = expandThrough.day;
    const bool ownEnd = !icaltime_is_null_time(rule.until) && DateOf(rule.until) <= expandThrough;
    if (!ownEnd) {
      rule.until = horizon;
    }
    if (NeverOccurs(rule)) {  // as libical itself would find after a long search: no day
      if (const auto error = addDates()) {
        return Failure(*error);
      }
      continue;
    }
    std::unique_ptr<icalrecur_iterator, RecurFree> occurrences(icalrecur_iterator_new(rule, start));
    if (!occurrences) {
      return Failure(ImportLineError(line, text::calendar::kEventRule));
    }
    if (const auto error = tooMuch()) {
      return Failure(*error);
    }
    int count = 0;
    for (icaltimetype next = icalrecur_iterator_next(occurrences.get());
         !icaltime_is_null_time(next) && DateOf(next) <= expandThrough;
         next = icalrecur_iterator_next(occurrences.get())) {
      if (++count > limits.maxOccurrences) {
        return Failure(ImportLineError(line, text::calendar::kEventTooManyRepeats));
      }
      if (const auto error = tooMuch()) {
        return Failure(*error);
      }
      if (!addOccurrence(DateOf(next))) {
        return Failure(TooManyDays(limits));
      }
    }
    if (!ownEnd && (rule.count == 0 || count < rule.count)) {
      ++outcome.cutRecurrences;
    }
    if (const auto error = addDates()) {
      return Failure(*error);
    }
  }
  outcome.days = collector.take();
  if (outcome.days.empty()) {
    return Failure(text::calendar::kNoAllDayEvents);
  }
  outcome.ok = true;
  return outcome;
}

ImportOutcome ReadDayFile(std::string_view bytes, CivilDate expandThrough,
                          const ImportLimits& limits) {
  std::string_view head = bytes;
  if (head.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    head.remove_prefix(kUtf8Bom.size());
  }
  while (!head.empty() && (head.front() == ' ' || head.front() == '\r' || head.front() == '\n')) {
    head.remove_prefix(1);
  }
  if (StartsWithUpper(head, "BEGIN:VCALENDAR")) {
    return ReadICalendar(bytes, expandThrough, limits);
  }
  return ReadHolidayCsv(bytes, limits);
}

ImportOutcome ReadDayFileAt(const std::string& filePath, CivilDate expandThrough,
                            const ImportLimits& limits) {
  std::string bytes;
  switch (ReadFileUpTo(filePath, kMaxCalendarFileBytes, bytes)) {
    case BoundedRead::kOk:
      return ReadDayFile(bytes, expandThrough, limits);
    case BoundedRead::kTooLarge:
      return Failure(text::Formatted(text::calendar::kFileTooLarge, filePath.c_str()));
    case BoundedRead::kMissing:
    case BoundedRead::kFailed:
      break;
  }
  return Failure("ファイル " + filePath + " は開けません");
}

ImportPlan PlanDayImport(const SchoolCalendar& calendar, const HolidayList& holidays,
                         ImportOutcome read) {
  ImportPlan plan;
  if (read.ok) {
    std::vector<NamedDay> fresh;
    MergeDays(fresh, read.days);
    read.days.clear();
    auto have = calendar.importedDays.begin();
    for (NamedDay& day : fresh) {
      while (have != calendar.importedDays.end() && have->date < day.date) {
        ++have;
      }
      if (have == calendar.importedDays.end() || have->date != day.date) {
        plan.ringsToday.push_back(!JudgeDay(calendar, holidays, day.date).silent);
        read.days.push_back(std::move(day));
      }
    }
  }
  plan.outcome = std::move(read);
  return plan;
}

std::string ImportPlanQuestion(const ImportPlan& plan) {
  const auto ringing = std::count(plan.ringsToday.begin(), plan.ringsToday.end(), true);
  std::string question =
      text::Formatted(text::calendar::kImportDays, static_cast<int>(plan.outcome.days.size()));
  if (ringing > 0) {
    question += text::Formatted(text::calendar::kImportRinging, static_cast<int>(ringing));
  }
  return question + text::calendar::kImportCheckList;
}

std::vector<std::string> ImportPlanLines(const ImportPlan& plan) {
  std::vector<std::string> lines;
  lines.reserve(plan.outcome.days.size());
  for (std::size_t i = 0; i < plan.outcome.days.size(); ++i) {
    const NamedDay& day = plan.outcome.days[i];
    std::string line = ShownDate(day.date);
    if (!day.name.empty()) {
      line += " " + day.name;
    }
    if (i < plan.ringsToday.size() && plan.ringsToday[i]) {
      line += text::calendar::kImportRowRinging;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string ApplyDayImport(SchoolCalendar& calendar, const std::string& settingsPath,
                           const ImportPlan& plan) {
  if (!plan.outcome.ok) {
    return plan.outcome.error;
  }
  if (plan.outcome.days.empty()) {
    return {};
  }
  std::vector<NamedDay> merged = calendar.importedDays;
  MergeDays(merged, plan.outcome.days);
  if (!WriteImportedDays(settingsPath, merged)) {
    return ImportedDaysPath(settingsPath) + " に書き込めません";
  }
  calendar.importedDays = std::move(merged);
  return {};
}

ImportOutcome ImportDayFile(SchoolCalendar& calendar, const std::string& settingsPath,
                            const std::string& filePath, CivilDate expandThrough,
                            const ImportLimits& limits) {
  ImportPlan plan =
      PlanDayImport(calendar, HolidayList{}, ReadDayFileAt(filePath, expandThrough, limits));
  if (const std::string error = ApplyDayImport(calendar, settingsPath, plan); !error.empty()) {
    return Failure(error);
  }
  return std::move(plan.outcome);
}

}  // namespace tollvane

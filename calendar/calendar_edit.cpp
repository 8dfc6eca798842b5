#include "calendar/calendar_edit.h"

#include "calendar/calendar_texts.h"
#include "engine/texts.h"
#include "fileio/text_bytes.h"

namespace tollvane {
namespace {

std::string WriteFailure(const std::string& path) {
  return text::Formatted(text::calendar::kCannotWrite, path.c_str());
}

EditError Store(SchoolCalendar& calendar, const std::string& settingsPath, SchoolCalendar changed) {
  if (!WriteCalendarSettings(settingsPath, changed)) {
    return WriteFailure(settingsPath);
  }
  calendar = std::move(changed);
  return {};
}

std::optional<CivilDate> TypedDate(std::string_view text) {
  return ParseDate(Trim(text));
}

EditError CheckName(std::string_view name) {
  if (name.find_first_of("\r\n") != std::string_view::npos) {
    return text::calendar::kNameWithBreak;
  }
  return {};
}

using text::calendar::kDateForm;
using text::calendar::kFull;

}  // namespace

EditError SetNationalHolidays(SchoolCalendar& calendar, const std::string& settingsPath, bool on) {
  SchoolCalendar changed = calendar;
  changed.nationalHolidays = on;
  return Store(calendar, settingsPath, std::move(changed));
}

EditError AddClosedPeriod(SchoolCalendar& calendar, const std::string& settingsPath,
                          std::string_view first, std::string_view last, std::string_view name) {
  const auto from = TypedDate(first);
  // An empty end means a single day.
  const auto to = Trim(last).empty() ? from : TypedDate(last);
  if (!from || !to) {
    return kDateForm;
  }
  if (*to < *from) {
    return text::calendar::kEndBeforeStart;
  }
  if (EditError error = CheckName(name); !error.empty()) {
    return error;
  }
  if (calendar.closedPeriods.size() >= kMaxCalendarEntries) {
    return kFull;
  }
  SchoolCalendar changed = calendar;
  changed.closedPeriods.push_back({*from, *to, std::string(Trim(name))});
  return Store(calendar, settingsPath, std::move(changed));
}

EditError RemoveClosedPeriod(SchoolCalendar& calendar, const std::string& settingsPath,
                             std::size_t index) {
  if (index >= calendar.closedPeriods.size()) {
    return {};
  }
  SchoolCalendar changed = calendar;
  changed.closedPeriods.erase(changed.closedPeriods.begin() + static_cast<std::ptrdiff_t>(index));
  return Store(calendar, settingsPath, std::move(changed));
}

EditError AddOpenDay(SchoolCalendar& calendar, const std::string& settingsPath,
                     std::string_view date, std::string_view name) {
  const auto day = TypedDate(date);
  if (!day) {
    return kDateForm;
  }
  if (EditError error = CheckName(name); !error.empty()) {
    return error;
  }
  if (calendar.openDays.size() >= kMaxCalendarEntries) {
    return kFull;
  }
  SchoolCalendar changed = calendar;
  changed.openDays.push_back({*day, std::string(Trim(name))});
  return Store(calendar, settingsPath, std::move(changed));
}

EditError RemoveOpenDay(SchoolCalendar& calendar, const std::string& settingsPath,
                        std::size_t index) {
  if (index >= calendar.openDays.size()) {
    return {};
  }
  SchoolCalendar changed = calendar;
  changed.openDays.erase(changed.openDays.begin() + static_cast<std::ptrdiff_t>(index));
  return Store(calendar, settingsPath, std::move(changed));
}

EditError ClearImportedDays(SchoolCalendar& calendar, const std::string& settingsPath) {
  if (!WriteImportedDays(settingsPath, {})) {
    return WriteFailure(ImportedDaysPath(settingsPath));
  }
  calendar.importedDays.clear();
  return {};
}

std::string ImportReport(const ImportOutcome& outcome) {
  std::string report =
      outcome.days.empty()
          ? std::string(text::calendar::kNothingNew)
          : text::Formatted(text::calendar::kImported, static_cast<int>(outcome.days.size()));
  if (outcome.skippedTimedEvents > 0) {
    report += text::Formatted(text::calendar::kTimedSkipped,
                              static_cast<int>(outcome.skippedTimedEvents));
  }
  if (outcome.cutRecurrences > 0) {
    report +=
        text::Formatted(text::calendar::kRepeatsCut, ShownDate(outcome.expandedThrough).c_str());
  }
  return report;
}

std::vector<PreviewRow> PreviewRows(const std::vector<PreviewDay>& days) {
  std::vector<PreviewRow> rows;
  rows.reserve(days.size());
  for (const PreviewDay& day : days) {
    PreviewRow row{PreviewDateText(day), {}, {}};
    if (day.verdict.silent) {
      row.summary = text::Formatted(text::calendar::kSilentDay, day.verdict.name.c_str());
    } else if (day.bells.empty()) {
      row.summary = text::calendar::kNoBells;
    } else {
      row.summary = text::Formatted(text::calendar::kBellCount, static_cast<int>(day.bells.size()));
      for (const RingingBell& bell : day.bells) {
        row.bells.push_back(BellText(bell));
      }
    }
    // Where a plan's, swap's or extra's bell comes from, after the bell.
    for (std::size_t i = 0; i < row.bells.size() && i < day.sourced.size(); ++i) {
      if (day.sourced[i].source != BellSource::kPage) {
        row.bells[i] += " " + day.sourced[i].sourceName;
      }
    }
    const bool assigned = day.verdict.reason == DayReason::kPlan ||
                          day.verdict.reason == DayReason::kSwap ||
                          day.verdict.reason == DayReason::kExtraBells;
    if ((day.verdict.reason == DayReason::kOpenDay || (assigned && !day.verdict.silent)) &&
        !day.verdict.name.empty()) {
      row.summary =
          text::Formatted(text::calendar::kOpenDayMark, day.verdict.name.c_str()) + row.summary;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace tollvane

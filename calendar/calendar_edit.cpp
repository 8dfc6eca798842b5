#include "calendar/calendar_edit.h"

namespace tollvane {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
    s.remove_suffix(1);
  }
  return s;
}

std::string WriteFailure(const std::string& path) {
  return path + " に書き込めません";
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
    return "名称に改行は使えません。";
  }
  return {};
}

constexpr const char* kDateForm = "日付は 2026/4/1 のように入力してください。";
constexpr const char* kFull = "これ以上は登録できません (99件まで)。";

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
    return "終了日が開始日より前になっています。";
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
  std::string report = outcome.days.empty()
                           ? std::string("新しい日はありませんでした (すべて取り込み済みです)。")
                           : std::to_string(outcome.days.size()) + "日を取り込みました。";
  if (outcome.skippedTimedEvents > 0) {
    report += "時刻のある予定 " + std::to_string(outcome.skippedTimedEvents) +
              "件は、終日ではないため取り込みませんでした。";
  }
  return report;
}

std::vector<PreviewRow> PreviewRows(const std::vector<PreviewDay>& days) {
  std::vector<PreviewRow> rows;
  rows.reserve(days.size());
  for (const PreviewDay& day : days) {
    PreviewRow row{PreviewDateText(day), {}, {}};
    if (day.verdict.silent) {
      row.summary = "鳴りません: " + day.verdict.name;
    } else if (day.bells.empty()) {
      row.summary = "チャイムはありません";
    } else {
      row.summary = std::to_string(day.bells.size()) + "回";
      for (const RingingBell& bell : day.bells) {
        row.bells.push_back(std::to_string(bell.hour) + "時" + std::to_string(bell.minute) +
                            "分 (サウンド" + std::to_string(bell.sound) + ")");
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
      row.summary = "[" + day.verdict.name + "] " + row.summary;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace tollvane

// Where the bell record lives and how it is read back.
//
// One file per local day, "YYYY-MM-DD.log". A day that fills its file (RecordLimits::dayFileBytes)
// has it renamed whole to "YYYY-MM-DD.1.log" and goes on in a fresh file; that first part holds
// what started a busy day and is never replaced. When the second file fills too, the day's
// further events go to the journal only: the record notes that once and, at the end of the
// day's writing, how many were left out. So no day takes more than two files, and the writer
// removes days only by age: it keeps the newest 90 days that have a record and removes older
// days' files whole. (Earlier versions set the older part aside under the same name, so both
// layouts read back in order: ".1.log" before ".log".)
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record/record_line.h"

namespace tollvane {

// $XDG_STATE_HOME/tollvane, or ~/.local/state/tollvane when that is unset or not absolute;
// empty without a home folder (StateFolder()).
std::filesystem::path DefaultRecordFolder();

struct RecordFileName {
  std::string date;  // "YYYY-MM-DD"
  int part = 0;      // 0 = the day's current file, 1 = its set-aside older part
};

std::string RecordFileNameOf(std::string_view date, int part);
std::optional<RecordFileName> ParseRecordFileName(std::string_view name);

// Days since 1970-01-01 of a "YYYY-MM-DD" date.
int64_t RecordDayNumber(std::string_view date);

struct RecordReading {
  std::vector<RecordEvent> events;  // newest first
  int damagedLines = 0;             // skipped: truncated, not UTF-8, overlong, not an event
};

// Days that have a record file, newest first.
std::vector<std::string> RecordDays(const std::filesystem::path& folder);

// The events of one day, or of every day when day is empty, newest first: days by date, and
// within a day the latest recorded first. At most maxEvents events are returned.
RecordReading ReadRecord(const std::filesystem::path& folder, std::string_view day = {},
                         std::size_t maxEvents = 20000);

// What the record window says under its list: "12 件を新しい順に表示しています" and the like,
// with the damaged lines it skipped.
std::string RecordSummary(const RecordReading& reading, std::size_t maxEvents);

// A day as the record window lists it: "2026/12/7(月)".
std::string RecordDayLabel(std::string_view date);

}  // namespace tollvane

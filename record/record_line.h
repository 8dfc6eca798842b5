// One event of the bell record as one line of text:
//   "2026-12-07 08:30:00.006\t出力オン\t定時 時間割 2 の 3 番\n"
// The fixed-width local time stamp leads every line, so a reader can tell a whole event from a
// damaged one and resume at the next line break. Tabs, line breaks, backslashes, other control
// bytes and bytes that are not UTF-8 are escaped inside kind and text, so an event stays one
// line whatever it is given.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/interfaces.h"

namespace tollvane {

// The longest line, its line break included. Longer texts are cut at a character boundary
// and end in "…"; longer lines in a file are damage.
constexpr std::size_t kRecordLineMaxBytes = 4096;
constexpr std::size_t kRecordStampBytes = 23;  // "YYYY-MM-DD HH:MM:SS.mmm"

struct RecordEvent {
  std::string date;  // "YYYY-MM-DD"
  std::string time;  // "HH:MM:SS.mmm"
  std::string kind;  // as recorded, escapes undone
  std::string text;
};

// "YYYY-MM-DD" of a local time.
std::string RecordDate(const LocalTime& when);

// The whole line, line break included, never longer than kRecordLineMaxBytes.
std::string FormatRecordLine(const LocalTime& when, std::string_view kind, std::string_view text);

// A line without its line break. Nothing when it is not a whole, well-formed event.
std::optional<RecordEvent> ParseRecordLine(std::string_view line);

}  // namespace tollvane

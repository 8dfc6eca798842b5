// The schedule file: one decimal integer per line, CR LF after each, records of four lines
// (timetable number, hour, minute, sound number), 192 records in the order 8, 1..7.
#pragma once

#include <string>
#include <vector>

#include "engine/week_schedule.h"
#include "schedule/page_texts.h"

namespace tollvane {

// The hidden line buffer files are built in before storing and loaded into before parsing.
using LineBuffer = std::vector<std::string>;

enum class ReadMode { Overwrite = 0, Append = 1 };

// Clears the buffer and appends the 768 lines of the schedule.
void BuildScheduleLines(const WeekSchedule& schedule, LineBuffer& lines);

// Writes the lines with CR LF after each and clears the buffer. Goes through a temporary file
// in the same folder that is renamed over the target, so a failed save leaves the old file
// whole; a writable file in a shared folder the user may not write is overwritten in place
// (SaveFileBytes). Raises FileCreateError(path) and keeps the lines on failure.
void StoreLines(LineBuffer& lines, const std::string& path);

// Clears the buffer and fills it with the file's lines (CR LF, lone CR or lone LF; the text
// ends at the first NUL). Raises FileOpenError(path) when the file cannot be read.
void LoadLines(LineBuffer& lines, const std::string& path);

// Parses whole records into the schedule with per-timetable cursors from slot 1. Records of a
// timetable number outside 1..8 are skipped, records past a timetable's 24th are ignored.
// Fields are stored as they convert; a ConversionError stops the parse there.
void ParseScheduleRecords(const LineBuffer& lines, WeekSchedule& schedule);

// The whole read: gathers the pages first in append mode, parses, loads all pages, resets.
void ReadScheduleFile(ReadMode mode, const LineBuffer& lines, WeekSchedule& schedule,
                      PageTexts& texts);

}  // namespace tollvane

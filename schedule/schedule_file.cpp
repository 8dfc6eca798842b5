#include "schedule/schedule_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "engine/errors.h"
#include "fileio/file_io.h"
#include "schedule/tabs.h"
#include "schedule/text_number.h"

namespace tollvane {

namespace {

// The writer's order: the common timetable first, then Sunday .. Saturday.
constexpr int kFileOrder[kTimetableCount] = {8, 1, 2, 3, 4, 5, 6, 7};

constexpr int kLinesPerRecord = 4;

// A schedule file is 2304 bytes. These bounds keep a stray multi-gigabyte file (or one of
// nothing but line breaks) from exhausting memory; nothing a person would call a schedule
// comes near them.
constexpr size_t kMaxLoadedTextBytes = size_t{16} << 20;
constexpr size_t kMaxLoadedLines = size_t{1} << 20;

constexpr size_t kReadChunkBytes = 64 * 1024;

// Reads the file's bytes up to the first NUL, which ends the text.
std::string ReadTextUpToNul(const std::string& path) {
  FileDescriptor file;
  if (OpenRegularFile(path, file) != FileStatus::kOk) {
    throw FileOpenError(path);
  }
  std::string text;
  std::unique_ptr<char[]> chunk(new char[kReadChunkBytes]);
  for (;;) {
    const ssize_t got = ReadSome(file.get(), chunk.get(), kReadChunkBytes);
    if (got < 0) {
      throw FileOpenError(path);
    }
    if (got == 0) {
      break;
    }
    const size_t count = static_cast<size_t>(got);
    const void* nul = std::memchr(chunk.get(), '\0', count);
    const size_t used =
        nul ? static_cast<size_t>(static_cast<const char*>(nul) - chunk.get()) : count;
    if (text.size() + used > kMaxLoadedTextBytes) {
      throw FileOpenError(path);
    }
    text.append(chunk.get(), used);
    if (nul) {
      break;
    }
  }
  return text;
}

// Splits at CR LF, lone CR and lone LF. A last line without a break counts; the empty rest
// after a final break does not.
void SplitLines(const std::string& text, LineBuffer& lines, const std::string& path) {
  size_t start = 0;
  const size_t size = text.size();
  while (start < size) {
    const size_t end = std::min(text.find_first_of("\r\n", start), size);
    if (lines.size() == kMaxLoadedLines) {
      throw FileOpenError(path);
    }
    lines.emplace_back(text, start, end - start);
    const bool crLf = end + 1 < size && text[end] == '\r' && text[end + 1] == '\n';
    start = end + (crLf ? 2 : 1);
  }
}

}  // namespace

void BuildScheduleLines(const WeekSchedule& schedule, LineBuffer& lines) {
  lines.clear();
  lines.reserve(kTimetableCount * kSlotsPerTimetable * kLinesPerRecord);
  for (int timetable : kFileOrder) {
    for (int n = 1; n <= kSlotsPerTimetable; ++n) {
      const BellSlot& slot = schedule.at(timetable, n);
      lines.push_back(std::to_string(timetable));
      lines.push_back(std::to_string(slot.hour));
      lines.push_back(std::to_string(slot.minute));
      lines.push_back(std::to_string(slot.sound));
    }
  }
}

void StoreLines(LineBuffer& lines, const std::string& path) {
  std::string bytes;
  size_t size = 0;
  for (const std::string& line : lines) {
    size += line.size() + 2;
  }
  bytes.reserve(size);
  for (const std::string& line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
  if (!SaveFileBytes(path, bytes)) {
    throw FileCreateError(path);
  }
  lines.clear();
}

void LoadLines(LineBuffer& lines, const std::string& path) {
  lines.clear();
  LineBuffer loaded;
  SplitLines(ReadTextUpToNul(path), loaded, path);
  lines.swap(loaded);
}

void ParseScheduleRecords(const LineBuffer& lines, WeekSchedule& schedule) {
  std::array<int, kTimetableCount + 1> cursor{};
  cursor.fill(1);
  const size_t records = lines.size() / kLinesPerRecord;
  for (size_t r = 0; r < records; ++r) {
    const size_t first = r * kLinesPerRecord;
    const int32_t timetable = TextToNumber(lines[first]);
    if (timetable < 1 || timetable > kTimetableCount) {
      continue;
    }
    int& n = cursor[timetable];
    // A timetable has 24 slots; later records of it are skipped like foreign ones, their
    // lines unread.
    if (n > kSlotsPerTimetable) {
      continue;
    }
    BellSlot& slot = schedule.at(timetable, n);
    // Stored one by one: a conversion error keeps the fields before it.
    slot.hour = TextToNumber(lines[first + 1]);
    slot.minute = TextToNumber(lines[first + 2]);
    slot.sound = TextToNumber(lines[first + 3]);
    ++n;
  }
}

void ReadScheduleFile(ReadMode mode, const LineBuffer& lines, WeekSchedule& schedule,
                      PageTexts& texts) {
  if (mode == ReadMode::Append) {
    GatherAllTabs(schedule, texts);
  }
  ParseScheduleRecords(lines, schedule);
  LoadAllTabs(schedule, texts);
  ResetWeekSchedule(schedule);
}

}  // namespace tollvane

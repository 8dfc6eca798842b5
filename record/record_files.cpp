#include "record/record_files.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "engine/local_time.h"
#include "engine/texts.h"
#include "fileio/file_io.h"
#include "fileio/home_folder.h"
#include "record/record_texts.h"

namespace tollvane {
namespace {

namespace fs = std::filesystem;

// A file larger than the writer ever leaves is not ours in full; only its start is read.
constexpr std::uintmax_t kReadLimitBytes = 16u << 20;

// The digits of a field already checked by IsDate.
int Number(std::string_view digits) {
  int value = 0;
  for (const char digit : digits)
    value = value * 10 + (digit - '0');
  return value;
}

bool IsDate(std::string_view s) {
  if (s.size() != 10 || s[4] != '-' || s[7] != '-')
    return false;
  for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (s[i] < '0' || s[i] > '9')
      return false;
  }
  const int month = (s[5] - '0') * 10 + (s[6] - '0');
  const int day = (s[8] - '0') * 10 + (s[9] - '0');
  return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

// The events of one file in recorded order, damaged lines counted.
void ReadFile(const fs::path& path, std::vector<RecordEvent>& events, int& damaged) {
  // Only plain files, opened without waiting: a pipe or a device put in a day file's place
  // between listing and opening must not stop the window.
  FileDescriptor file;
  if (OpenRegularFile(path.string(), file) != FileStatus::kOk)
    return;
  std::string line;
  bool overlong = false;
  std::uintmax_t left = kReadLimitBytes;
  char buffer[64 * 1024];
  while (left > 0) {
    const ssize_t read =
        ReadSome(file.get(), buffer, std::min<std::uintmax_t>(sizeof buffer, left));
    if (read <= 0)
      break;
    const std::size_t got = static_cast<std::size_t>(read);
    left -= got;
    for (std::size_t i = 0; i < got;) {
      const char* end = static_cast<const char*>(std::memchr(buffer + i, '\n', got - i));
      const std::size_t stop = end ? static_cast<std::size_t>(end - buffer) : got;
      if (!overlong) {
        line.append(buffer + i, stop - i);
        if (line.size() >= kRecordLineMaxBytes) {
          overlong = true;
          line.clear();
        }
      }
      i = stop;
      if (end) {
        auto event = overlong ? std::nullopt : ParseRecordLine(line);
        if (event)
          events.push_back(std::move(*event));
        else
          ++damaged;
        line.clear();
        overlong = false;
        ++i;
      }
    }
  }
  // A last line without its break was cut off while being written.
  if (!line.empty() || overlong)
    ++damaged;
}

}  // namespace

fs::path DefaultRecordFolder() {
  return StateFolder();
}

std::string RecordFileNameOf(std::string_view date, int part) {
  std::string name(date);
  if (part > 0)
    name += "." + std::to_string(part);
  return name + ".log";
}

std::optional<RecordFileName> ParseRecordFileName(std::string_view name) {
  if (name.size() < 14 || !IsDate(name.substr(0, 10)))
    return std::nullopt;
  const std::string_view rest = name.substr(10);
  if (rest == ".log")
    return RecordFileName{std::string(name.substr(0, 10)), 0};
  if (rest == ".1.log")
    return RecordFileName{std::string(name.substr(0, 10)), 1};
  return std::nullopt;
}

int64_t RecordDayNumber(std::string_view date) {
  if (!IsDate(date))
    return 0;
  return LocalSecondsOf(Number(date.substr(0, 4)), Number(date.substr(5, 2)),
                        Number(date.substr(8, 2)), 0, 0, 0) /
         86400;
}

std::vector<std::string> RecordDays(const fs::path& folder) {
  std::vector<std::string> days;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    auto name = ParseRecordFileName(it->path().filename().string());
    if (name && it->is_regular_file(error))
      days.push_back(name->date);
  }
  std::sort(days.begin(), days.end(), std::greater<>());
  days.erase(std::unique(days.begin(), days.end()), days.end());
  return days;
}

RecordReading ReadRecord(const fs::path& folder, std::string_view day, std::size_t maxEvents) {
  RecordReading reading;
  for (const std::string& date : RecordDays(folder)) {
    if (!day.empty() && date != day)
      continue;
    std::vector<RecordEvent> events;
    // The set-aside part holds the day's earlier events.
    ReadFile(folder / RecordFileNameOf(date, 1), events, reading.damagedLines);
    ReadFile(folder / RecordFileNameOf(date, 0), events, reading.damagedLines);
    for (auto it = events.rbegin(); it != events.rend(); ++it) {
      if (reading.events.size() >= maxEvents)
        return reading;
      reading.events.push_back(std::move(*it));
    }
  }
  return reading;
}

std::string RecordSummary(const RecordReading& reading, std::size_t maxEvents) {
  std::string summary;
  if (reading.events.empty()) {
    summary = text::record_texts::kNoEvents;
  } else {
    summary =
        text::Formatted(reading.events.size() >= maxEvents ? text::record_texts::kNewestOf
                                                           : text::record_texts::kAllNewestFirst,
                        static_cast<unsigned long long>(reading.events.size()));
  }
  if (reading.damagedLines > 0) {
    summary += text::Formatted(text::record_texts::kDamaged,
                               static_cast<unsigned long long>(reading.damagedLines));
  }
  return summary;
}

std::string RecordDayLabel(std::string_view date) {
  static constexpr const char* kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
  if (!IsDate(date))
    return std::string(date);
  const int64_t days = RecordDayNumber(date);
  // 1970-01-01 was a Thursday.
  const int64_t weekday = ((days + 4) % 7 + 7) % 7;
  return text::Formatted(text::kWindowDate, Number(date.substr(0, 4)), Number(date.substr(5, 2)),
                         Number(date.substr(8, 2)), kWeekdays[weekday]);
}

}  // namespace tollvane

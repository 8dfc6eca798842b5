#include "record/record_line.h"

#include <algorithm>
#include <cstdio>

#include "engine/local_time.h"
#include "fileio/text_bytes.h"

namespace tollvane {
namespace {

constexpr std::string_view kCut = "…";
constexpr char kHex[] = "0123456789ABCDEF";

bool IsControl(unsigned char c) {
  return c < 0x20 || c == 0x7F;
}

// Appends s escaped, as long as the line stays within budget bytes; false when it was cut.
bool AppendEscaped(std::string& line, std::string_view s, std::size_t budget) {
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    char piece[4];
    std::string_view add;
    std::size_t used = 1;
    if (c == '\\' || c == '\t' || c == '\n' || c == '\r') {
      piece[0] = '\\';
      piece[1] = c == '\\' ? '\\' : c == '\t' ? 't' : c == '\n' ? 'n' : 'r';
      add = std::string_view(piece, 2);
    } else if (IsControl(c) || (used = Utf8SequenceLength(s, i)) == 0) {
      used = 1;
      piece[0] = '\\';
      piece[1] = 'x';
      piece[2] = kHex[c >> 4];
      piece[3] = kHex[c & 15];
      add = std::string_view(piece, 4);
    } else {
      add = s.substr(i, used);
    }
    if (line.size() + add.size() > budget)
      return false;
    line += add;
    i += used;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// Undoes AppendEscaped; nothing for raw control bytes, broken UTF-8 or unknown escapes.
std::optional<std::string> Unescape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '\\') {
      if (i + 1 >= s.size())
        return std::nullopt;
      const char e = s[i + 1];
      if (e == '\\' || e == 't' || e == 'n' || e == 'r') {
        out += e == '\\' ? '\\' : e == 't' ? '\t' : e == 'n' ? '\n' : '\r';
        i += 2;
      } else if (e == 'x' && i + 3 < s.size() && HexValue(s[i + 2]) >= 0 &&
                 HexValue(s[i + 3]) >= 0) {
        out += static_cast<char>(HexValue(s[i + 2]) * 16 + HexValue(s[i + 3]));
        i += 4;
      } else {
        return std::nullopt;
      }
      continue;
    }
    const std::size_t length = IsControl(c) ? 0 : Utf8SequenceLength(s, i);
    if (length == 0)
      return std::nullopt;
    out.append(s.substr(i, length));
    i += length;
  }
  return out;
}

bool Digits(std::string_view s, std::size_t from, std::size_t count, int low, int high) {
  int value = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    if (s[i] < '0' || s[i] > '9')
      return false;
    value = value * 10 + (s[i] - '0');
  }
  return value >= low && value <= high;
}

}  // namespace

std::string RecordDate(const LocalTime& when) {
  const CurrentClock c = BreakDown(when.localSeconds);
  char date[32];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", std::clamp(c.year, 0, 9999), c.month, c.day);
  return date;
}

std::string FormatRecordLine(const LocalTime& when, std::string_view kind, std::string_view text) {
  const CurrentClock c = BreakDown(when.localSeconds);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d",
                std::clamp(c.year, 0, 9999), c.month, c.day, c.hour, c.minute, c.second,
                std::clamp(when.millisecond, 0, 999));
  std::string line;
  line.reserve(kRecordStampBytes + 2 + kind.size() + text.size() + 1);
  line += stamp;
  line += '\t';
  // Room for the second tab, the cut mark and the line break.
  const std::size_t budget = kRecordLineMaxBytes - 1 - kCut.size() - 1;
  bool whole = AppendEscaped(line, kind, budget);
  line += '\t';
  whole = whole && AppendEscaped(line, text, budget + 1);
  if (!whole)
    line += kCut;
  line += '\n';
  return line;
}

std::optional<RecordEvent> ParseRecordLine(std::string_view line) {
  if (line.size() + 1 > kRecordLineMaxBytes || line.size() < kRecordStampBytes + 2)
    return std::nullopt;
  // clang-format off
  if (!Digits(line, 0, 4, 0, 9999) || line[4] != '-' || !Digits(line, 5, 2, 1, 12) ||
      line[7] != '-' || !Digits(line, 8, 2, 1, 31) || line[10] != ' ' ||
      !Digits(line, 11, 2, 0, 23) || line[13] != ':' || !Digits(line, 14, 2, 0, 59) ||
      line[16] != ':' || !Digits(line, 17, 2, 0, 60) || line[19] != '.' ||
      !Digits(line, 20, 3, 0, 999) || line[kRecordStampBytes] != '\t') {
    return std::nullopt;
  }
  // clang-format on
  const std::string_view rest = line.substr(kRecordStampBytes + 1);
  const std::size_t tab = rest.find('\t');
  if (tab == std::string_view::npos)
    return std::nullopt;
  auto kind = Unescape(rest.substr(0, tab));
  auto text = Unescape(rest.substr(tab + 1));
  if (!kind || !text)
    return std::nullopt;
  return RecordEvent{std::string(line.substr(0, 10)), std::string(line.substr(11, 12)),
                     std::move(*kind), std::move(*text)};
}

}  // namespace tollvane

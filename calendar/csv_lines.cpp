#include "calendar/csv_lines.h"

#include "calendar/calendar_texts.h"
#include "fileio/text_bytes.h"

namespace tollvane {
namespace {

// Only digits and date separators: a field meant as a date (or a range of dates).
bool LooksLikeDate(std::string_view field) {
  bool digit = false;
  for (const char c : field) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c != '/' && c != '-' && c != '.' && c != ' ') {
      return false;
    }
  }
  return digit;
}

}  // namespace

std::string ImportLineError(int line, std::string_view what) {
  return text::Formatted(text::calendar::kAtLine, line, std::string(what).c_str()) +
         text::calendar::kNotImported;
}

std::string_view Unquote(std::string_view field) {
  field = Trim(field);
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
    field = field.substr(1, field.size() - 2);
  }
  return Trim(field);
}

CsvLines::CsvLines(std::string_view bytes)
    : bytes_(bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom ? bytes.substr(kUtf8Bom.size()) : bytes),
      utf8_(IsValidUtf8(bytes_)) {}

bool CsvLines::next() {
  while (!bytes_.empty() && error_.empty()) {
    ++number_;
    const std::size_t end = bytes_.find('\n');
    std::string_view raw = bytes_.substr(0, end);
    bytes_.remove_prefix(end == std::string_view::npos ? bytes_.size() : end + 1);
    if (!raw.empty() && raw.back() == '\r') {
      raw.remove_suffix(1);
    }
    if (utf8_) {
      text_.assign(raw);
    } else if (std::optional<std::string> decoded = cp932_.decode(raw)) {
      // Shift_JIS trail bytes never take the value of LF, so lines split safely first.
      text_ = std::move(*decoded);
    } else {
      error_ = ImportLineError(number_, text::calendar::kLineCharacters);
      return false;
    }
    if (Trim(text_).empty()) {
      continue;
    }
    const std::string_view line = text_;
    const std::size_t comma = line.find(',');
    first_ = Unquote(line.substr(0, comma));
    rest_ = comma == std::string_view::npos ? std::string_view() : Unquote(line.substr(comma + 1));
    header_ = !seenLine_ && !LooksLikeDate(first_);
    seenLine_ = true;
    return true;
  }
  return false;
}

}  // namespace tollvane

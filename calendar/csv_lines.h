// The lines of a day CSV (the holiday import and the plan CSV), read one way: a UTF-8 BOM
// skipped; UTF-8, else Shift_JIS (CP932); blank lines skipped; a first line whose first field
// does not look like a date taken for the header, so that a first line meant as a date that
// does not exist ("2026/2/30") is an error like any other.
#pragma once

#include <string>
#include <string_view>

#include "schedule/text_encoding.h"

namespace tollvane {

// "N行目…取り込みは行いませんでした。": a line's fault that refuses the whole file.
std::string ImportLineError(int line, std::string_view what);

// A field without the blanks and the double quotes around it.
std::string_view Unquote(std::string_view field);

class CsvLines {
 public:
  explicit CsvLines(std::string_view bytes);

  // The next line that holds something, or false at the end of the text or at a line whose
  // characters cannot be read (error() then says so).
  bool next();

  int number() const { return number_; }
  const std::string& text() const { return text_; }
  std::string_view first() const { return first_; }
  // After the first comma, unquoted; empty without one.
  std::string_view rest() const { return rest_; }
  bool header() const { return header_; }
  const std::string& error() const { return error_; }

 private:
  std::string_view bytes_;
  bool utf8_;
  Cp932Decoder cp932_;
  bool seenLine_ = false;
  int number_ = 0;
  std::string text_;
  std::string_view first_;
  std::string_view rest_;
  bool header_ = false;
  std::string error_;
};

}  // namespace tollvane

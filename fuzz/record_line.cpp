// The bell record's line format. The input is split into a kind and a text: whatever they
// hold, the formatted line is one line within the limit and reads back as they were (or as
// their cut start); and any input line the reader accepts reads the same once formatted again.
#include <cstdint>
#include <string>

#include "engine/local_time.h"
#include "fuzz_check.h"
#include "record/record_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = size == 0 ? 0 : data[0] % (size + 1);
  const std::string kind = input.substr(0, split);
  const std::string text = input.substr(split);
  const tollvane::LocalTime when{tollvane::LocalSecondsOf(2026, 12, 7, 8, 30, 0), 6};

  const std::string line = tollvane::FormatRecordLine(when, kind, text);
  FUZZ_CHECK(line.size() <= tollvane::kRecordLineMaxBytes);
  FUZZ_CHECK(line.find('\n') == line.size() - 1);
  const auto event = tollvane::ParseRecordLine(std::string_view(line).substr(0, line.size() - 1));
  FUZZ_CHECK(event.has_value());
  FUZZ_CHECK(event->date == "2026-12-07" && event->time == "08:30:00.006");
  if (event->kind == kind) {
    FUZZ_CHECK(event->text == text || (event->text.ends_with("…") &&
                                       text.starts_with(event->text.substr(
                                           0, event->text.size() - std::string("…").size()))));
  } else {
    // The kind itself was cut; the cut mark then stands for the text.
    FUZZ_CHECK(event->text == "…" && kind.starts_with(event->kind));
  }

  if (const auto read = tollvane::ParseRecordLine(input)) {
    const std::string again = tollvane::FormatRecordLine(when, read->kind, read->text);
    const auto reread =
        tollvane::ParseRecordLine(std::string_view(again).substr(0, again.size() - 1));
    FUZZ_CHECK(reread && reread->kind == read->kind && reread->text == read->text);
  }
  return 0;
}

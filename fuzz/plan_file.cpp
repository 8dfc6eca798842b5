// The plan file reader: the input is the file. Whatever it reads is a book the program could
// have written (valid names, unique, bells that ring, within the caps) and reads back the same
// from its own text; whatever it refuses names the file and leaves no plans behind.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "plans/plan_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using tollvane::PlanFileReading;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const PlanFileReading reading = tollvane::ParsePlanFile(bytes);
  if (reading.status != PlanFileReading::Status::kOk) {
    FUZZ_CHECK(reading.status == PlanFileReading::Status::kDamaged);
    FUZZ_CHECK(reading.error.rfind("tollvane.plans ", 0) == 0);
    FUZZ_CHECK(reading.book.plans.empty());
    return 0;
  }
  FUZZ_CHECK(reading.error.empty());
  FUZZ_CHECK(tollvane::PlanBookProblem(reading.book).empty());
  const std::string text = tollvane::FormatPlanFile(reading.book);
  const PlanFileReading again = tollvane::ParsePlanFile(text);
  FUZZ_CHECK(again.status == PlanFileReading::Status::kOk);
  FUZZ_CHECK(again.book == reading.book);
  FUZZ_CHECK(tollvane::FormatPlanFile(again.book) == text);
  return 0;
}

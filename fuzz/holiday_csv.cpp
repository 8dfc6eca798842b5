// The holiday CSV reader: the input is the file.
#include <cstdint>
#include <string_view>

#include "day_file_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const tollvane::ImportLimits limits = tollvane::fuzz::FuzzLimits();
  const tollvane::ImportOutcome outcome = tollvane::ReadHolidayCsv(bytes, limits);
  tollvane::fuzz::CheckOutcome(outcome, limits);
  for (const tollvane::NamedDay& day : outcome.days)
    FUZZ_CHECK(!day.name.empty());
  return 0;
}

// The report-descriptor parser: the input is a descriptor as a board (or anything claiming a
// supported id) hands it over.
#include <cstdint>
#include <vector>

#include "fuzz_check.h"
#include "usbio/report_descriptor.h"

namespace {

using tollvane::usbio::parseReportDescriptor;
using tollvane::usbio::ReportLayout;

bool Same(const ReportLayout& a, const ReportLayout& b) {
  return a.inputLength == b.inputLength && a.outputLength == b.outputLength &&
         a.featureLength == b.featureLength && a.numberedReports == b.numberedReports;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Exactly the input's bytes, so a read past the end is a heap overflow.
  const std::vector<uint8_t> descriptor(data, data + size);
  const auto layout = parseReportDescriptor(descriptor);
  if (!layout)
    return 0;
  for (int length : {layout->inputLength, layout->outputLength, layout->featureLength})
    FUZZ_CHECK(length >= 0);

  // Items that carry no report size change nothing: a Push with its Pop before everything,
  // End Collection, a Usage and a long item after it.
  std::vector<uint8_t> longer = {0xA4, 0xB4};
  longer.insert(longer.end(), descriptor.begin(), descriptor.end());
  longer.insert(longer.end(), {0xC0, 0x09, 0x01, 0xFE, 0x02, 0x10, 0xAB, 0xCD});
  const auto same = parseReportDescriptor(longer);
  FUZZ_CHECK(same && Same(*same, *layout));

  return 0;
}

// Report lengths from a raw HID report descriptor, counted the way the Windows HID
// capabilities count them, because the command layer sizes every write and read by them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace tollvane::usbio {

struct ReportLayout {
  // Largest report of each kind in bytes plus one byte for the report id, which Windows
  // counts even when the device does not number its reports; 0 when there is none.
  int inputLength = 0;
  int outputLength = 0;
  int featureLength = 0;
  // True when the descriptor declares report ids: then the id travels in every report.
  bool numberedReports = false;
};

// Nothing when the descriptor is cut short or its Push/Pop items do not pair up.
std::optional<ReportLayout> parseReportDescriptor(std::span<const uint8_t> descriptor);

}  // namespace tollvane::usbio

#include "usbio/report_descriptor.h"

#include <algorithm>
#include <map>
#include <vector>

namespace tollvane::usbio {

namespace {

enum ItemType : int { kMain = 0, kGlobal = 1, kLocal = 2 };

enum MainTag : int { kInput = 0x8, kOutput = 0x9, kFeature = 0xB };

enum GlobalTag : int {
  kReportSize = 0x7,
  kReportId = 0x8,
  kReportCount = 0x9,
  kPush = 0xA,
  kPop = 0xB
};

constexpr uint8_t kLongItemPrefix = 0xFE;
// Deeper Push nesting than this is no descriptor anyone ships; it guards the stack.
constexpr size_t kMaxPushDepth = 32;
// Cap per report so absurd size * count products cannot overflow the sums.
constexpr uint64_t kMaxReportBits = uint64_t{1} << 32;

struct GlobalState {
  uint32_t reportSize = 0;
  uint32_t reportCount = 0;
  uint32_t reportId = 0;
};

struct BitTotals {
  std::map<uint32_t, uint64_t> input, output, feature;
};

int lengthOf(const std::map<uint32_t, uint64_t>& bitsPerId) {
  uint64_t largest = 0;
  bool any = false;
  for (const auto& [id, bits] : bitsPerId) {
    any = true;
    largest = std::max(largest, bits);
  }
  if (!any)
    return 0;
  const uint64_t bytes = (largest + 7) / 8 + 1;
  return static_cast<int>(std::min<uint64_t>(bytes, 0x7FFFFFFF));
}

}  // namespace

std::optional<ReportLayout> parseReportDescriptor(std::span<const uint8_t> descriptor) {
  GlobalState global;
  std::vector<GlobalState> stack;
  BitTotals totals;
  bool numbered = false;

  size_t at = 0;
  while (at < descriptor.size()) {
    const uint8_t prefix = descriptor[at];
    if (prefix == kLongItemPrefix) {
      // Long items carry no report layout; skip them whole.
      if (at + 2 >= descriptor.size())
        return std::nullopt;
      const size_t dataSize = descriptor[at + 1];
      if (at + 3 + dataSize > descriptor.size())
        return std::nullopt;
      at += 3 + dataSize;
      continue;
    }
    const size_t dataSize = (prefix & 0x3) == 3 ? 4 : (prefix & 0x3);
    const int type = (prefix >> 2) & 0x3;
    const int tag = prefix >> 4;
    if (at + 1 + dataSize > descriptor.size())
      return std::nullopt;
    uint32_t data = 0;
    for (size_t i = 0; i < dataSize; ++i)
      data |= uint32_t{descriptor[at + 1 + i]} << (8 * i);
    at += 1 + dataSize;

    if (type == kMain) {
      std::map<uint32_t, uint64_t>* sum = nullptr;
      if (tag == kInput)
        sum = &totals.input;
      if (tag == kOutput)
        sum = &totals.output;
      if (tag == kFeature)
        sum = &totals.feature;
      if (sum != nullptr) {
        uint64_t& bits = (*sum)[global.reportId];
        bits += uint64_t{global.reportSize} * global.reportCount;
        bits = std::min(bits, kMaxReportBits);
      }
    } else if (type == kGlobal) {
      switch (tag) {
        case kReportSize:
          global.reportSize = data;
          break;
        case kReportCount:
          global.reportCount = data;
          break;
        case kReportId:
          global.reportId = data;
          numbered = true;
          break;
        case kPush:
          if (stack.size() >= kMaxPushDepth)
            return std::nullopt;
          stack.push_back(global);
          break;
        case kPop:
          if (stack.empty())
            return std::nullopt;
          global = stack.back();
          stack.pop_back();
          break;
        default:
          break;
      }
    }
  }

  ReportLayout layout;
  layout.inputLength = lengthOf(totals.input);
  layout.outputLength = lengthOf(totals.output);
  layout.featureLength = lengthOf(totals.feature);
  layout.numberedReports = numbered;
  return layout;
}

}  // namespace tollvane::usbio

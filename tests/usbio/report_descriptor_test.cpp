#include "usbio/report_descriptor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "simulated_hid.h"

namespace tollvane::usbio {
namespace {

using Bytes = std::vector<uint8_t>;

// clang-format off
// Boot keyboard from the HID class definition (appendix E.6): 8 input bytes, 1 LED byte out.
const Bytes kBootKeyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,              // Generic Desktop, Keyboard, Application
    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7,              //   Key codes E0..E7 (modifiers)
    0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08,  //   8 x 1 bit
    0x81, 0x02,                                      //   Input (modifier byte)
    0x95, 0x01, 0x75, 0x08, 0x81, 0x01,              //   Input (reserved byte)
    0x95, 0x05, 0x75, 0x01, 0x05, 0x08,              //   5 x 1 bit, LEDs
    0x19, 0x01, 0x29, 0x05, 0x91, 0x02,              //   Output (LEDs)
    0x95, 0x01, 0x75, 0x03, 0x91, 0x01,              //   Output (3 bits padding)
    0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65,  //   6 x 8 bits
    0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00,  //   Input (key array)
    0xC0,                                            // End Collection
};

// Boot mouse from the HID class definition (appendix E.10): 3 input bytes, no output.
const Bytes kBootMouse = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00,  // Mouse, Pointer
    0x05, 0x09, 0x19, 0x01, 0x29, 0x03,                          //   Buttons 1..3
    0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,  //   Input 3 x 1 bit
    0x95, 0x01, 0x75, 0x05, 0x81, 0x01,                          //   Input 5 bits padding
    0x05, 0x01, 0x09, 0x30, 0x09, 0x31,                          //   X, Y
    0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06,  //   Input 2 x 8 bits, relative
    0xC0, 0xC0,
};

// Composite receiver as many wireless keyboards carry it: keyboard (id 1), consumer keys
// (id 2) and a 32-byte vendor channel (id 3) whose input is the largest report.
const Bytes kNumberedComposite = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01,              // Keyboard, Report ID 1
    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02,                          //   Input 8 x 1 bit
    0x95, 0x01, 0x75, 0x08, 0x81, 0x01,                          //   Input 8 bits
    0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05,
    0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01,              //   Output 5 + 3 bits
    0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65,
    0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00,              //   Input 6 x 8 bits
    0xC0,
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02,              // Consumer, Report ID 2
    0x15, 0x00, 0x26, 0xFF, 0x03, 0x19, 0x00, 0x2A, 0xFF, 0x03,
    0x75, 0x10, 0x95, 0x01, 0x81, 0x00,                          //   Input 1 x 16 bits
    0xC0,
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03,        // Vendor, Report ID 3
    0x75, 0x08, 0x95, 0x20, 0x09, 0x01, 0x81, 0x02,              //   Input 32 bytes
    0x95, 0x07, 0x09, 0x01, 0x91, 0x02,                          //   Output 7 bytes
    0xC0,
};

// Vendor page with Push/Pop around a 16-bit feature field and a long item in the middle.
const Bytes kPushPopWithLongItem = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,
    0x75, 0x08, 0x95, 0x08,        // 8 x 8 bits
    0xA4,                          // Push
    0x75, 0x10, 0x95, 0x02,        //   2 x 16 bits
    0xB1, 0x02,                    //   Feature (4 bytes)
    0xB4,                          // Pop: back to 8 x 8 bits
    0xFE, 0x02, 0x10, 0xAA, 0xBB,  // Long item, 2 data bytes
    0x81, 0x02,                    // Input (8 bytes)
    0x91, 0x02,                    // Output (8 bytes)
    0xC0,
};
// clang-format on

struct Expected {
  int input;
  int output;
  int feature;
  bool numbered;
};

void expectLayout(const Bytes& descriptor, Expected expected) {
  const auto layout = parseReportDescriptor(descriptor);
  ASSERT_TRUE(layout.has_value());
  EXPECT_EQ(layout->inputLength, expected.input);
  EXPECT_EQ(layout->outputLength, expected.output);
  EXPECT_EQ(layout->featureLength, expected.feature);
  EXPECT_EQ(layout->numberedReports, expected.numbered);
}

TEST(ReportDescriptor, LengthsCountTheReportIdByteAsWindowsDoes) {
  expectLayout(kBootKeyboard, {9, 2, 0, false});
  expectLayout(kBootMouse, {4, 0, 0, false});
  expectLayout(testing::vendorDescriptor(8, 8), {9, 9, 0, false});
  expectLayout(testing::vendorDescriptor(64, 64), {65, 65, 0, false});
}

TEST(ReportDescriptor, NumberedReportsTakeTheLargestReportOfEachKind) {
  expectLayout(kNumberedComposite, {33, 8, 0, true});
}

TEST(ReportDescriptor, PushPopRestoresSizesAndLongItemsAreSkipped) {
  expectLayout(kPushPopWithLongItem, {9, 9, 5, false});
}

TEST(ReportDescriptor, OversizedReportsAreMeasuredNotCut) {
  // 128 data bytes: the caller decides what to do with a length above 65.
  expectLayout(testing::vendorDescriptor(128, 255), {129, 256, 0, false});
}

TEST(ReportDescriptor, MalformedDescriptorsGiveNothing) {
  Bytes cutInItem = kBootKeyboard;
  cutInItem.back() = 0x26;    // End Collection replaced by a 2-byte Logical Maximum ...
  cutInItem.push_back(0xFF);  // ... of which only one byte is there
  EXPECT_FALSE(parseReportDescriptor(cutInItem).has_value());

  EXPECT_FALSE(parseReportDescriptor(Bytes{0xB4}).has_value());                    // Pop, no Push
  EXPECT_FALSE(parseReportDescriptor(Bytes{0xFE, 0x05, 0x10, 0x01}).has_value());  // long item cut
  EXPECT_FALSE(parseReportDescriptor(Bytes(40, 0xA4)).has_value());                // Push runaway

  const auto empty = parseReportDescriptor(Bytes{});
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(empty->inputLength, 0);
  EXPECT_EQ(empty->outputLength, 0);
}

}  // namespace
}  // namespace tollvane::usbio

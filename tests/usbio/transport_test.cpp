// Library start, enumeration, the device table and opening a row, on a simulated HID stack.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "simulated_hid.h"
#include "usbio/hidapi_transport.h"
#include "usbio/usbio_library.h"

namespace tollvane::usbio {
namespace {

using testing::Bytes;
using testing::SimulatedHid;
using testing::vendorDescriptor;

class Transport : public ::testing::Test {
 protected:
  std::shared_ptr<SimulatedHid> hid = std::make_shared<SimulatedHid>();
  std::vector<std::pair<std::string, std::string>> messages;
  UsbioLibrary lib{hid, [this](const std::string& text, const std::string& caption) {
                     messages.emplace_back(text, caption);
                   }};
};

TEST_F(Transport, LoadFailureNamesTheLibraryAndIsTriedAgainNextTime) {
  hid->startResult = {false, {}};
  EXPECT_EQ(lib.uio_init(), 1);
  EXPECT_EQ(lib.uio_init(), 1);
  const std::pair<std::string, std::string> expected{"Error at Load 'libhidapi-hidraw.so.0'",
                                                     "ERRR"};
  EXPECT_EQ(messages, (std::vector{expected, expected}));
  EXPECT_EQ(hid->starts, 2);
  EXPECT_FALSE(lib.libraryLoaded());

  // Every command retries the start first; the write then fails quietly.
  messages.clear();
  EXPECT_EQ(lib.uio_outAll(1, 2), 1);
  EXPECT_EQ(messages.size(), 1u);

  // A bell switching sends two reports, so the message comes twice.
  messages.clear();
  EXPECT_EQ(lib.boardOutput(false), (std::array<uint8_t, 2>{1, 1}));
  EXPECT_EQ(messages, (std::vector{expected, expected}));
  EXPECT_EQ(hid->enumerations, 0);
}

// The program's message box runs an event loop, so a tick may call in while a message shows.
TEST(TransportReentry, CallsFromInsideAMessageFindAConsistentLibrary) {
  auto hid = std::make_shared<SimulatedHid>();
  auto board = hid->addBoard(0x1352, 0x0120);
  hid->startResult = {true, "HidD_GetHidGuid"};
  UsbioLibrary* self = nullptr;
  int shown = 0;
  UsbioLibrary lib{hid, [&](const std::string&, const std::string& caption) {
                     EXPECT_EQ(caption, "ERR");
                     if (++shown > 1)
                       return;
                     hid->startResult = {true, {}};
                     EXPECT_EQ(self->boardOutput(true), (std::array<uint8_t, 2>{0, 0}));
                   }};
  self = &lib;
  EXPECT_EQ(lib.uio_init(), 1);
  EXPECT_EQ(shown, 1);
  // What the inner call loaded and opened stays usable.
  EXPECT_TRUE(lib.libraryLoaded());
  EXPECT_TRUE(lib.deviceOpen());
  EXPECT_EQ(lib.uio_getDevs(), 1);
  EXPECT_EQ(board->written.size(), 2u);
  EXPECT_EQ(lib.uio_outAll(0, 0), 0);
}

TEST_F(Transport, MissingEntryPointUnloadsSoNothingReachesIt) {
  hid->addBoard(0x1352, 0x0120);
  hid->startResult = {true, "HidD_GetAttributes"};
  EXPECT_EQ(lib.uio_init(), 1);
  EXPECT_EQ(
      messages,
      (std::vector<std::pair<std::string, std::string>>{{"Error at HidD_GetAttributes", "ERR"}}));
  EXPECT_EQ(hid->stops, 1);
  EXPECT_FALSE(lib.libraryLoaded());
  EXPECT_EQ(lib.uio_getDevs(), 0);

  hid->startResult = {true, {}};
  EXPECT_EQ(lib.uio_init(), 0);
  EXPECT_EQ(lib.uio_getDevs(), 1);
}

TEST_F(Transport, LoadsOnceButEnumeratesOnEveryInit) {
  auto board = hid->addBoard(0x1352, 0x0120);
  EXPECT_EQ(lib.uio_init(), 0);
  EXPECT_EQ(lib.uio_init(), 0);
  EXPECT_EQ(hid->starts, 1);
  EXPECT_TRUE(messages.empty());
  // Each enumeration opens the board to try it and then opens row 0.
  EXPECT_EQ(board->opens, 4);
  EXPECT_EQ(board->openHandles, 1);
}

TEST_F(Transport, NoSupportedDeviceFailsQuietly) {
  hid->addBoard(0x046D, 0xC52B);  // a wireless mouse receiver
  EXPECT_EQ(lib.uio_init(), 1);
  EXPECT_EQ(lib.uio_getDevs(), 0);
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(lib.deviceOpen());
}

TEST_F(Transport, AcceptsExactlyTheSupportedTableInSystemOrder) {
  // Everything in 0x1352:0x0100..0x0121 in the system's (descending) order, plus the others.
  for (int pid = 0x0121; pid >= 0x0100; --pid)
    hid->addBoard(0x1352, static_cast<uint16_t>(pid));
  hid->addBoard(0x0BFE, 0x1002);
  hid->addBoard(0x0BFE, 0x1003);
  hid->addBoard(0x12ED, 0x1003);
  hid->addBoard(0x12ED, 0x1002);
  hid->addBoard(0x0BFE, 0x1004);

  ASSERT_EQ(lib.uio_init(), 0);
  std::vector<std::pair<int, int>> found;
  for (int i = 0; i < lib.uio_getDevs(); ++i)
    found.emplace_back(lib.uio_getVid(i), lib.uio_getPid(i));
  const std::vector<std::pair<int, int>> expected = {
      {0x1352, 0x0121}, {0x1352, 0x0120}, {0x1352, 0x0111}, {0x1352, 0x0110}, {0x1352, 0x0109},
      {0x1352, 0x0108}, {0x1352, 0x0107}, {0x1352, 0x0106}, {0x1352, 0x0105}, {0x1352, 0x0104},
      {0x1352, 0x0103}, {0x1352, 0x0102}, {0x1352, 0x0101}, {0x1352, 0x0100}, {0x0BFE, 0x1002},
      {0x0BFE, 0x1003}, {0x12ED, 0x1003}};
  EXPECT_EQ(found, expected);
  EXPECT_EQ(lib.row(0).path, "/dev/hidraw0");
  EXPECT_EQ(lib.row(14).path, hid->boards[34]->info.path);
}

TEST_F(Transport, RecordsAtMostSixtyFourBoards) {
  for (int i = 0; i < 70; ++i)
    hid->addBoard(0x1352, 0x0120);
  EXPECT_EQ(lib.openUSBIO(), kMaxDevices);
  EXPECT_EQ(lib.row(63).path, "/dev/hidraw63");
  EXPECT_EQ(lib.uio_getVid(63), 0x1352);
  // Reading outside the table gives 0 instead of reading past it.
  EXPECT_EQ(lib.uio_getVid(64), 0);
  EXPECT_EQ(lib.uio_getPid(-1), 0);
  EXPECT_EQ(lib.uio_getPid(1000000), 0);
}

TEST_F(Transport, PathsLongerThan259BytesAreSkipped) {
  auto fits = hid->addBoard(0x1352, 0x0120);
  fits->info.path = "/dev/" + std::string(254, 'a');  // 259 bytes
  auto tooLong = hid->addBoard(0x1352, 0x0121);
  tooLong->info.path = "/dev/" + std::string(255, 'b');  // 260 bytes
  EXPECT_EQ(lib.openUSBIO(), 1);
  EXPECT_EQ(lib.row(0).path, fits->info.path);
  EXPECT_EQ(tooLong->opens, 0);
}

TEST_F(Transport, BoardsThatCannotBeOpenedAreSkippedAndRemembered) {
  auto denied = hid->addBoard(0x1352, 0x0120);
  denied->openFailure = OpenFailure::PermissionDenied;
  auto broken = hid->addBoard(0x1352, 0x0121);
  broken->openFailure = OpenFailure::Other;
  auto good = hid->addBoard(0x0BFE, 0x1003);
  EXPECT_EQ(lib.openUSBIO(), 1);
  EXPECT_EQ(lib.uio_getPid(0), 0x1003);
  ASSERT_EQ(lib.unopenedBoards().size(), 2u);
  EXPECT_EQ(lib.unopenedBoards()[0].path, denied->info.path);
  EXPECT_TRUE(lib.unopenedBoards()[0].permissionDenied);
  EXPECT_FALSE(lib.unopenedBoards()[1].permissionDenied);
}

TEST_F(Transport, ReplugDropsTheBoardAndLeavesStaleRowsInvalid) {
  hid->addBoard(0x1352, 0x0120);
  hid->addBoard(0x1352, 0x0121);
  ASSERT_EQ(lib.openUSBIO(), 2);
  hid->boards.erase(hid->boards.begin());
  EXPECT_EQ(lib.openUSBIO(), 1);
  EXPECT_EQ(lib.uio_getPid(0), 0x0121);
  EXPECT_EQ(lib.row(1).path, "/dev/hidraw1");  // stale, beyond the count
  // Rows at or beyond the count, and negative ones, are not opened: the old handle stays.
  const int opens = hid->boards[0]->opens;
  lib.uio_openDevice(1);
  lib.uio_openDevice(-1);
  EXPECT_EQ(lib.uio_selDev(7), 0);
  EXPECT_EQ(lib.selectedIndex(), 0);
  EXPECT_EQ(hid->boards[0]->opens, opens);
  EXPECT_TRUE(lib.deviceOpen());
}

TEST_F(Transport, ReportLengthsFollowTheOpenedBoard) {
  EXPECT_EQ(lib.inputReportLength(), 9);
  EXPECT_EQ(lib.outputReportLength(), 9);

  auto small = hid->addBoard(0x0BFE, 0x1003, vendorDescriptor(8, 8));
  auto large = hid->addBoard(0x1352, 0x0121, vendorDescriptor(64, 64));
  ASSERT_EQ(lib.uio_init(), 0);
  EXPECT_EQ(lib.selectedIndex(), 0);
  EXPECT_EQ(lib.outputReportLength(), 9);

  lib.uio_openDevice(1);
  EXPECT_EQ(lib.selectedIndex(), 1);
  EXPECT_EQ(lib.inputReportLength(), 65);
  EXPECT_EQ(lib.outputReportLength(), 65);
  EXPECT_EQ(small->openHandles, 0);
  EXPECT_EQ(large->openHandles, 1);

  // Opening the current row again still opens afresh.
  const int opens = large->opens;
  lib.uio_selDev(1);
  EXPECT_EQ(large->opens, opens + 1);
  EXPECT_EQ(large->openHandles, 1);
}

TEST_F(Transport, UnreadableOrOversizedDescriptors) {
  auto large = hid->addBoard(0x1352, 0x0121, vendorDescriptor(64, 64));
  auto unreadable = hid->addBoard(0x1352, 0x0120);
  auto huge = hid->addBoard(0x1352, 0x0110, vendorDescriptor(200, 128));
  ASSERT_EQ(lib.uio_init(), 0);
  lib.uio_openDevice(1);  // no descriptor: the previous lengths stay
  EXPECT_EQ(lib.inputReportLength(), 65);
  EXPECT_EQ(lib.outputReportLength(), 65);

  lib.uio_openDevice(2);  // reports above 65 bytes are cut to 65
  EXPECT_EQ(lib.inputReportLength(), 65);
  EXPECT_EQ(lib.outputReportLength(), 65);
  EXPECT_EQ(lib.uio_outAll(1, 2), 0);
  ASSERT_EQ(huge->written.size(), 1u);
  EXPECT_EQ(huge->written[0].size(), 65u);
}

TEST_F(Transport, FailedOpenKeepsLengthsAndFailsWrites) {
  auto board = hid->addBoard(0x1352, 0x0121, vendorDescriptor(64, 64));
  hid->addBoard(0x1352, 0x0120, vendorDescriptor(8, 8));
  ASSERT_EQ(lib.uio_init(), 0);
  board->openFailure = OpenFailure::Other;  // unplugged between enumeration and open
  lib.uio_selDev(0);
  EXPECT_FALSE(lib.deviceOpen());
  EXPECT_EQ(lib.outputReportLength(), 65);
  EXPECT_EQ(lib.uio_outAll(0, 0), 1);
  EXPECT_EQ(lib.outputUSBIO(0, 1, 0), -4);
}

TEST_F(Transport, FreeClosesUnloadsAndForgetsBoards) {
  auto board = hid->addBoard(0x1352, 0x0120);
  ASSERT_EQ(lib.openUSBIO(), 1);
  EXPECT_EQ(lib.closeUSBIO(), 0);
  EXPECT_EQ(board->openHandles, 0);
  EXPECT_EQ(hid->stops, 1);
  EXPECT_EQ(lib.uio_getDevs(), 0);
  EXPECT_FALSE(lib.libraryLoaded());
  EXPECT_EQ(lib.uio_free(), 0);
  EXPECT_EQ(hid->stops, 1);
}

// hidapi gives an unnumbered report without its id byte; every position counts from it.
TEST(HidapiReports, UnnumberedReportLandsAfterAZeroIdByte) {
  std::vector<uint8_t> report(9, 0xEE);
  size_t asked = 0;
  const auto status = readAsWindowsReport(report, false, 1000, [&](std::span<uint8_t> target, int) {
    asked = target.size();
    for (size_t i = 0; i < target.size(); ++i)
      target[i] = static_cast<uint8_t>(i + 1);
    return static_cast<int>(target.size());
  });
  EXPECT_EQ(status, ReadStatus::Ok);
  EXPECT_EQ(asked, 8u);
  EXPECT_EQ(report, (std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7, 8}));

  std::vector<uint8_t> numbered(9, 0xEE);
  readAsWindowsReport(numbered, true, 1000, [&](std::span<uint8_t> target, int) {
    asked = target.size();
    target[0] = 0x03;
    return 1;
  });
  EXPECT_EQ(asked, 9u);
  EXPECT_EQ(numbered[0], 0x03);
}

TEST(HidapiReports, TimeoutsAndErrorsAreFailedReads) {
  std::vector<uint8_t> report(9);
  int timeoutSeen = 0;
  EXPECT_EQ(readAsWindowsReport(report, false, 1000,
                                [&](std::span<uint8_t>, int timeout) {
                                  timeoutSeen = timeout;
                                  return 0;
                                }),
            ReadStatus::TimedOut);
  EXPECT_EQ(timeoutSeen, 1000);
  EXPECT_EQ(readAsWindowsReport(report, false, 1000, [](std::span<uint8_t>, int) { return -1; }),
            ReadStatus::Failed);
  std::vector<uint8_t> idOnly(1);
  EXPECT_EQ(readAsWindowsReport(idOnly, false, 1000, [](std::span<uint8_t>, int) { return 1; }),
            ReadStatus::Failed);
}

TEST(HidapiReports, DescriptorPathOnlyForHidrawNodes) {
  EXPECT_EQ(sysfsDescriptorPath("/dev/hidraw3"),
            "/sys/class/hidraw/hidraw3/device/report_descriptor");
  EXPECT_EQ(sysfsDescriptorPath("/dev/hidraw12"),
            "/sys/class/hidraw/hidraw12/device/report_descriptor");
  EXPECT_EQ(sysfsDescriptorPath("/dev/hidraw"), "");
  EXPECT_EQ(sysfsDescriptorPath("/dev/hidraw1/../../etc"), "");
  EXPECT_EQ(sysfsDescriptorPath("1-2:1.0"), "");
}

}  // namespace
}  // namespace tollvane::usbio

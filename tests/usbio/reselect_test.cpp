// The bell output's search after a refused report finds the same board again or none, and
// uio_inpW keeps the first answer when the second read fails.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "simulated_hid.h"
#include "usbio/usbio_library.h"

namespace tollvane::usbio {
namespace {

using testing::Bytes;
using testing::SimulatedBoard;
using testing::SimulatedHid;
using testing::vendorDescriptor;

using Writes = std::array<uint8_t, 2>;
constexpr Writes kBothWritten{0, 0};
constexpr Writes kBothFailed{1, 1};

TEST(SameBoard, KindThenSerialThenPort) {
  const DeviceRow a{"/dev/hidraw1", 0x1352, 0x0121, "A1", "1-2:1.0"};
  struct Case {
    const char* what;
    DeviceRow candidate;
    bool same;
  };
  const Case cases[] = {
      {"everything equal", a, true},
      {"other path, same serial and port", {"/dev/hidraw5", 0x1352, 0x0121, "A1", "1-2:1.0"}, true},
      {"serial wins over a new port", {"/dev/hidraw5", 0x1352, 0x0121, "A1", "1-3:1.0"}, true},
      {"other serial on the same port", {"/dev/hidraw1", 0x1352, 0x0121, "B7", "1-2:1.0"}, false},
      {"serial lost", {"/dev/hidraw1", 0x1352, 0x0121, "", "1-2:1.0"}, false},
      {"other product id", {"/dev/hidraw1", 0x1352, 0x0120, "A1", "1-2:1.0"}, false},
      {"other vendor id", {"/dev/hidraw1", 0x0BFE, 0x0121, "A1", "1-2:1.0"}, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(isSameBoard(a, c.candidate), c.same) << c.what;

  const DeviceRow noSerial{"/dev/hidraw1", 0x1352, 0x0121, "", "1-2:1.0"};
  EXPECT_TRUE(isSameBoard(noSerial, {"/dev/hidraw4", 0x1352, 0x0121, "", "1-2:1.0"}));
  EXPECT_FALSE(isSameBoard(noSerial, {"/dev/hidraw1", 0x1352, 0x0121, "", "1-3:1.0"}));
  const DeviceRow unknown{"/dev/hidraw1", 0x1352, 0x0121, "", ""};
  EXPECT_TRUE(isSameBoard(unknown, {"/dev/hidraw9", 0x1352, 0x0121, "X", "2-1:1.0"}));
  EXPECT_FALSE(isSameBoard(unknown, {"/dev/hidraw1", 0x1352, 0x0120, "", ""}));
}

// Two boards of one kind; the caller drives board 1 (index 1 of the list).
class Reselect : public ::testing::Test {
 protected:
  std::shared_ptr<SimulatedBoard> add(const std::string& serial, const std::string& port,
                                      uint16_t productId = 0x0121) {
    auto board = hid->addBoard(0x1352, productId, vendorDescriptor(64, 64));
    board->info.serialNumber = serial;
    board->info.portPath = port;
    return board;
  }
  void driveBoardOne() {
    ASSERT_EQ(lib.openUSBIO(), 2);
    lib.uio_selDev(1);
    ASSERT_EQ(lib.boardOutput(true), kBothWritten);
    zero->written.clear();
    one->written.clear();
  }
  // The cable of board 1 comes out; it comes back (if at all) as a new device.
  std::shared_ptr<SimulatedBoard> replugOne(const std::string& path, const std::string& port) {
    one->failWrites = true;
    std::erase(hid->boards, one);
    if (path.empty())
      return nullptr;
    auto back = add(one->info.serialNumber, port, one->info.productId);
    back->info.path = path;
    return back;
  }

  std::shared_ptr<SimulatedHid> hid = std::make_shared<SimulatedHid>();
  UsbioLibrary lib{hid, {}};
  std::shared_ptr<SimulatedBoard> zero;
  std::shared_ptr<SimulatedBoard> one;
};

TEST_F(Reselect, TheSameBoardIsFoundUnderItsNewPath) {
  struct Case {
    const char* what;
    std::string serial0, serial1, port0, port1, newPort;
    uint16_t product0 = 0x0121;
  };
  const Case cases[] = {
      {"by serial, at another port", "S0", "S1", "1-1:1.0", "1-2:1.0", "1-4:1.0"},
      {"by port, no serials", "", "", "1-1:1.0", "1-2:1.0", "1-2:1.0"},
      {"by kind alone, the only one of its kind", "", "", "", "", "", 0x0120},
      {"a shared serial, back at its own port", "S", "S", "1-1:1.0", "1-2:1.0", "1-2:1.0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    hid->boards.clear();
    zero = add(c.serial0, c.port0, c.product0);
    one = add(c.serial1, c.port1);
    driveBoardOne();
    // Listed after board 0 again, or before it: either way board 1 must take the reports.
    auto back = replugOne("/dev/hidraw9", c.newPort);
    EXPECT_EQ(lib.boardOutput(false), kBothWritten);
    EXPECT_EQ(back->written.size(), 2u);
    EXPECT_TRUE(zero->written.empty());
    EXPECT_EQ(lib.row(lib.selectedIndex()).path, "/dev/hidraw9");
  }
}

TEST_F(Reselect, AMissingBoardFailsAndNoOtherBoardSwitches) {
  struct Case {
    const char* what;
    std::string serial0, serial1, port0, port1;
    bool replugElsewhere;  // back at another port, without a serial to know it by
  };
  const Case cases[] = {
      {"gone, serials", "S0", "S1", "1-1:1.0", "1-2:1.0", false},
      {"gone, ports only", "", "", "1-1:1.0", "1-2:1.0", false},
      {"back at another port, no serial", "", "", "1-1:1.0", "1-2:1.0", true},
      {"two alike, nothing to tell them apart", "", "", "", "", true},
      {"a shared serial, back at another port", "S", "S", "1-1:1.0", "1-2:1.0", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    hid->boards.clear();
    zero = add(c.serial0, c.port0);
    one = add(c.serial1, c.port1);
    driveBoardOne();
    replugOne(c.replugElsewhere ? "/dev/hidraw9" : "", "3-1:1.0");
    const int searches = hid->enumerations;
    EXPECT_EQ(lib.boardOutput(true), kBothFailed);
    EXPECT_TRUE(zero->written.empty()) << "board 0 switched in place of board 1";
    EXPECT_EQ(hid->enumerations - searches, 1);
    // The next signal still looks for board 1, not for whatever is listed first.
    EXPECT_EQ(lib.boardOutput(false), kBothFailed);
    EXPECT_TRUE(zero->written.empty());
  }
}

TEST_F(Reselect, TheMissingBoardIsDrivenAgainWhenItComesBack) {
  zero = add("S0", "1-1:1.0");
  one = add("S1", "1-2:1.0");
  driveBoardOne();
  replugOne("", "");
  EXPECT_EQ(lib.boardOutput(true), kBothFailed);
  auto back = add("S1", "1-5:1.0");
  EXPECT_EQ(lib.boardOutput(true), kBothWritten);
  EXPECT_EQ(back->written.size(), 2u);
  EXPECT_TRUE(zero->written.empty());
  // Choosing a board again is the caller's: board 0 takes reports once selected.
  lib.uio_selDev(0);
  EXPECT_EQ(lib.boardOutput(false), kBothWritten);
  EXPECT_EQ(zero->written.size(), 2u);
}

TEST(ReadTwice, AFailedSecondReadLeavesTheFirstAnswer) {
  auto hid = std::make_shared<SimulatedHid>();
  auto board = hid->addBoard(0x1352, 0x0121, vendorDescriptor(64, 64));
  UsbioLibrary lib{hid, {}};
  ASSERT_EQ(lib.uio_init(), 0);
  int calls = 0;
  board->respond = [&calls](SimulatedBoard& b, const Bytes& written) {
    if (++calls > 1)
      return;  // the second command gets no reply
    Bytes answer(65, 0);
    answer[2] = 0x5A;
    b.replies.push_back({ReadStatus::Ok, written});
    b.replies.push_back({ReadStatus::Ok, answer});
  };
  uint8_t value = 0xEE;
  EXPECT_EQ(lib.uio_inpW(&value, 0, 0), 1);
  EXPECT_EQ(value, 0x5A);
}

}  // namespace
}  // namespace tollvane::usbio

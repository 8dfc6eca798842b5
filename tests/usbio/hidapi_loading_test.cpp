// The hidapi transport loading its library at run time: a library that is not there, one
// lacking a checked entry point, and the stand-in with its simulated board.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "usbio/hidapi_transport.h"
#include "usbio/usbio_library.h"

namespace tollvane::usbio {
namespace {

using Message = std::pair<std::string, std::string>;

std::string StandIn(const std::string& folder) {
  return std::string(SIMBOARD_ROOT) + "/" + folder + "/libhidapi-hidraw.so.0";
}

struct Loaded {
  explicit Loaded(const std::string& file)
      : lib(makeHidapiTransport(file), [this](const std::string& text, const std::string& caption) {
          messages.emplace_back(text, caption);
        }) {}
  std::vector<Message> messages;
  UsbioLibrary lib;
};

TEST(HidapiLoading, AMissingLibraryOrCheckedEntryShowsItsMessageEachTime) {
  const std::string absent = "libtollvane-absent-hidapi.so.0";
  struct Case {
    std::string file;
    Message message;
  };
  const Case cases[] = {
      {absent, {"Error at Load '" + absent + "'", "ERRR"}},
      {StandIn("simboard_unloadable"),
       {"Error at Load '" + StandIn("simboard_unloadable") + "'", "ERRR"}},
      {StandIn("simboard_no_enumerate"), {"Error at hid_enumerate", "ERR"}},
      {StandIn("simboard_no_init"), {"Error at hid_init", "ERR"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Loaded loaded(c.file);
    EXPECT_EQ(loaded.lib.uio_init(), 1);
    EXPECT_FALSE(loaded.lib.libraryLoaded());
    EXPECT_EQ(loaded.lib.openUSBIO(), 0);
    // Bells go on by sound: both board reports fail, each after its own message.
    EXPECT_EQ(loaded.lib.boardOutput(true), (std::array<uint8_t, 2>{1, 1}));
    EXPECT_EQ(loaded.messages, std::vector<Message>(4, c.message));
  }
}

TEST(HidapiLoading, TheStandInsBoardIsFoundDrivenAndReadAcrossReloads) {
  Loaded loaded(StandIn("simboard"));
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(loaded.lib.openUSBIO(), 1);
    EXPECT_EQ(loaded.lib.uio_getVid(0), 0x0BFE);
    EXPECT_EQ(loaded.lib.uio_getPid(0), 0x1003);
    EXPECT_EQ(loaded.lib.row(0).path, "simboard:0");
    EXPECT_EQ(loaded.lib.row(0).serialNumber, "SIM0001");
    EXPECT_EQ(loaded.lib.row(0).portPath, "");
    EXPECT_EQ(loaded.lib.boardOutput(true), (std::array<uint8_t, 2>{0, 0}));
    EXPECT_EQ(loaded.lib.outputUSBIO(0, 0, 0x3C), 0);
    EXPECT_EQ(loaded.lib.inputUSBIO(0, 0), 0x3C);
    // Released, then loaded again in the next round.
    EXPECT_EQ(loaded.lib.uio_free(), 0);
    EXPECT_FALSE(loaded.lib.libraryLoaded());
  }
  EXPECT_TRUE(loaded.messages.empty());
}

TEST(HidapiLoading, UsbPortPathIsTheLastUsbInterfaceInTheSysfsPath) {
  const std::pair<std::string, std::string> cases[] = {
      {"/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:1352:0121.0005", "1-2:1.0"},
      {"/sys/devices/pci0000:00/0000:00:14.0/usb3/3-1/3-1.4/3-1.4.2/3-1.4.2:1.1/"
       "0003:0BFE:1003.0001",
       "3-1.4.2:1.1"},
      {"/sys/devices/virtual/misc/uhid/0003:1352:0121.0009", ""},
      {"/sys/devices/platform/i2c/i2c-1/1-2:3/0018:04F3:3141.0001", ""},  // not USB
      {"/sys/devices/pci0000:00/usb1/1-2./1-.2:1.0/x", ""},
      {"", ""},
  };
  for (const auto& [sysfs, port] : cases)
    EXPECT_EQ(usbPortPath(sysfs), port) << sysfs;
}

}  // namespace
}  // namespace tollvane::usbio

// The bell engine's board reports what the two writes of its last signal came to. Run by
// ctest against the stand-in HID library, once per way the board takes the reports.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "usbio/usbio_board.h"

namespace tollvane {
namespace {

TEST(UsbioBoardWrites, FollowTheLastSignal) {
  const char* expected = std::getenv("TOLLVANE_TEST_BOARD");
  if (expected == nullptr)
    GTEST_SKIP() << "needs ctest's stand-in HID library and TOLLVANE_TEST_BOARD";
  const std::string how = expected;
  const bool longWritten = how == "written";
  const bool portWritten = how == "written" || how == "long-refused";

  UsbioBoard board([](const char*, const char*) {});
  EXPECT_FALSE(board.lastWrites().known);
  for (const bool on : {true, false}) {
    SCOPED_TRACE(on ? "on" : "off");
    on ? board.outputOn() : board.outputOff();
    const BoardWrites writes = board.lastWrites();
    EXPECT_TRUE(writes.known);
    EXPECT_EQ(writes.longReportWritten, longWritten);
    EXPECT_EQ(writes.portWritten, portWritten);
  }
}

}  // namespace
}  // namespace tollvane

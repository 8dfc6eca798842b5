// The USB-IO board failing under the running program: unplugged and plugged back between two
// bells, and a board that stops answering.
#include <chrono>

#include "fault_rig.h"

namespace tollvane::testing {
namespace {

using Clock = std::chrono::steady_clock;
using usbio::kReadTimeoutMs;
using usbio::UsbioLibrary;

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class BoardFaults : public FaultRig {
 protected:
  // The cable comes out: the system lists the board no more, and the handle the library still
  // holds refuses every report, as a hidraw handle of a vanished device does.
  void unplug() {
    plugged()->failWrites = true;
    hid->boards.clear();
  }
  // The cable goes back in: a new device, under the given path.
  std::shared_ptr<SimulatedBoard> plugIn(const std::string& path) {
    auto board = hid->addBoard(0x1352, 0x0121, usbio::testing::vendorDescriptor(64, 64));
    board->info.path = path;
    return board;
  }
  // A whole scheduled bell at hh:mm on Monday: output on at :00, the sound at :05, and the
  // output off when Timer1 ends it.
  void ringAt(int hour, int minute) {
    reach(kMonday, hour, minute, 0);
    EXPECT_TRUE(outputShown());
    reach(kMonday, hour, minute, 5);
    EXPECT_TRUE(timer1()->running());
    EXPECT_TRUE(waitForBellEnd()) << "the bell of " << hour << ":" << minute << " never ended";
  }
};

// ---- unplugged and plugged back ---------------------------------------------------------

TEST_F(BoardFaults, ABoardPluggedBackBetweenTwoBellsIsDrivenByTheNextBell) {
  REQUIRE_TONE();
  WriteBytes(settingsPath, "[SOUND]\r\nItem1=" + ToneFile() + "\r\n");
  start();
  slot(1, 8, 30, 1);
  slot(2, 8, 40, 1);
  arm();
  const auto first = plugged();
  first->written.clear();

  ringAt(8, 30);
  EXPECT_EQ(Signals(*first), kOnThenOff);

  unplug();
  const auto second = plugIn(first->info.path);  // the same port again
  ringAt(8, 40);
  EXPECT_EQ(Signals(*second), kOnThenOff) << "both reports of both signals reach it";
  EXPECT_EQ(Signals(*first), kOnThenOff) << "nothing more went to the vanished board";
  EXPECT_TRUE(ErrorTexts().empty());
  EXPECT_TRUE(board.messages.empty());
}

TEST_F(BoardFaults, BellsWhileUnpluggedRingBySoundAndAnotherPortIsFoundLater) {
  REQUIRE_TONE();
  WriteBytes(settingsPath, "[SOUND]\r\nItem1=" + ToneFile() + "\r\n");
  start();
  slot(1, 8, 30, 1);
  slot(2, 8, 40, 1);
  arm();
  unplug();
  const int searchesBefore = hid->enumerations;

  ringAt(8, 30);  // sound only; the indicator shows what was asked for
  EXPECT_GT(hid->enumerations, searchesBefore) << "each signal searched for the board";
  EXPECT_LE(hid->enumerations - searchesBefore, 4) << "at most once per report";

  const auto moved = plugIn("/dev/hidraw7");
  ringAt(8, 40);
  EXPECT_EQ(Signals(*moved), kOnThenOff);
  EXPECT_TRUE(ErrorTexts().empty());
}

// The library on its own, as another program holding the board would see it.
TEST(BoardOutputRecovery, AFailedReportToAKnownBoardSearchesOnceAndSendsItAgain) {
  auto hid = std::make_shared<BlockingHid>();
  auto first = hid->addBoard(0x1352, 0x0121, usbio::testing::vendorDescriptor(64, 64));
  UsbioLibrary library(hid, {});
  ASSERT_EQ(library.uio_init(), 0);
  ASSERT_EQ(library.boardOutput(true), (std::array<uint8_t, 2>{0, 0}));

  first->failWrites = true;  // still listed, but no longer taking reports
  hid->writeAttempts = 0;
  const int searches = hid->enumerations;
  EXPECT_EQ(library.boardOutput(false), (std::array<uint8_t, 2>{1, 1}));
  EXPECT_EQ(hid->enumerations - searches, 1) << "one search per signal, not per report";
  EXPECT_EQ(hid->writeAttempts, 3) << "the first report once more after the search, no loop";

  first->failWrites = false;
  first->written.clear();
  EXPECT_EQ(library.boardOutput(false), (std::array<uint8_t, 2>{0, 0}));
  EXPECT_EQ(Signals(*first), (std::vector<std::string>{"long off", "port off"}));

  // The exported commands keep their own rule: a failed write changes nothing.
  first->failWrites = true;
  const int before = hid->enumerations;
  EXPECT_EQ(library.uio_writePort(1, 1, 0), 1);
  EXPECT_EQ(hid->enumerations, before);
}

// ---- a board that stops answering --------------------------------------------------------

// Replies for commands that expect one never come: every read waits out its time-out.
TEST(SilentBoard, EveryExchangeGivesUpWithinItsReadTimeOuts) {
  auto hid = std::make_shared<BlockingHid>();
  auto silent = hid->addBoard(0x1352, 0x0121, usbio::testing::vendorDescriptor(64, 64));
  UsbioLibrary library(hid, {});
  ASSERT_EQ(library.uio_init(), 0);
  // Generous: the machine may be loaded and sanitizers slow everything down.
  const auto bound = [](int reads) { return reads * kReadTimeoutMs * 3 / 2 + 1000; };

  uint8_t x = 0xAA, y = 0xBB;
  auto start = Clock::now();
  EXPECT_EQ(library.uio_inpAll(&x, &y), usbio::kReadFailed);
  long long took = MillisecondsSince(start);
  EXPECT_GE(took, kReadTimeoutMs) << "the simulated read really waited";
  EXPECT_LT(took, bound(1));
  EXPECT_EQ(silent->readTimeouts, std::vector<int>{kReadTimeoutMs});
  EXPECT_EQ(x, 0xAA) << "no answer, nothing copied";

  uint8_t sys[15] = {};
  start = Clock::now();
  EXPECT_EQ(library.uio2_getSys(sys), usbio::kReadFailed);
  EXPECT_LT(MillisecondsSince(start), bound(1));

  // It echoes the command but the answer report never follows: two reads, one of them waited.
  silent->respond = [](SimulatedBoard& b, const usbio::testing::Bytes& written) {
    b.replies.push_back({ReadStatus::Ok, written});
  };
  silent->readTimeouts.clear();
  uint8_t value = 0x5A;
  start = Clock::now();
  EXPECT_EQ(library.uio_readPort(&value, 1, 0), 1);
  took = MillisecondsSince(start);
  EXPECT_GE(took, kReadTimeoutMs);
  EXPECT_LT(took, bound(2));
  EXPECT_EQ(silent->readTimeouts.size(), 2u);
  EXPECT_EQ(value, 0x5A);

  // It babbles reports that never carry the sequence: 101 reads, none of them waiting.
  silent->respond = [](SimulatedBoard& b, const usbio::testing::Bytes&) {
    for (int i = 0; i < 150; ++i)
      b.replies.push_back({ReadStatus::Ok, usbio::testing::Bytes(65, 0)});
  };
  silent->readTimeouts.clear();
  start = Clock::now();
  EXPECT_EQ(library.uio2_inp(sys), usbio::kNoMatchingReply);
  EXPECT_EQ(silent->readTimeouts.size(), 101u);
  EXPECT_LT(MillisecondsSince(start), 1000);
}

TEST_F(BoardFaults, ABoardThatStopsAnsweringDoesNotFreezeTheWindow) {
  REQUIRE_TONE();
  WriteBytes(settingsPath, "[SOUND]\r\nItem1=" + ToneFile() + "\r\n");
  start();
  slot(1, 8, 30, 1);
  arm();
  reach(kMonday, 8, 29, 59);

  // Still listed, but every write hangs until the system gives it up, then fails.
  constexpr int kHangMs = 200;
  plugged()->failWrites = true;
  hid->writeHangMs = kHangMs;
  hid->writeAttempts = 0;
  const auto begin = Clock::now();
  reach(kMonday, 8, 30, 0);
  EXPECT_TRUE(outputShown()) << "the indicator shows what was asked for";
  reach(kMonday, 8, 30, 1);
  EXPECT_EQ(hid->writeAttempts, 3) << "one search and one repeat, never a loop";
  EXPECT_LT(MillisecondsSince(begin), 3 * kHangMs * 3 / 2 + 2000);

  // The sound still rings and Timer1 still ends the bell.
  reach(kMonday, 8, 30, 5);
  EXPECT_TRUE(waitForBellEnd());
  EXPECT_EQ(hid->writeAttempts, 6);
  EXPECT_TRUE(ErrorTexts().empty());
}

}  // namespace
}  // namespace tollvane::testing

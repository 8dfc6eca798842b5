// The command set on a simulated board: the bytes on the wire, sequence bytes, the reply
// search and the exported functions' checks.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "simulated_hid.h"
#include "usbio/usbio_library.h"

namespace tollvane::usbio {
namespace {

using testing::answerLong;
using testing::Bytes;
using testing::echoThen;
using testing::SimulatedBoard;
using testing::SimulatedHid;
using testing::vendorDescriptor;

Bytes report(size_t size, std::initializer_list<std::pair<size_t, uint8_t>> bytes) {
  Bytes r(size, 0);
  for (auto [at, value] : bytes)
    r[at] = value;
  return r;
}

class Commands : public ::testing::Test {
 protected:
  // A board with 64-byte reports (the long layout fits), found and opened.
  std::shared_ptr<SimulatedBoard> addReadyBoard(uint8_t dataBytes = 64,
                                                uint16_t productId = 0x0121) {
    auto board = hid->addBoard(0x1352, productId, vendorDescriptor(dataBytes, dataBytes));
    EXPECT_EQ(lib.uio_init(), 0);
    return board;
  }

  std::shared_ptr<SimulatedHid> hid = std::make_shared<SimulatedHid>();
  UsbioLibrary lib{hid, {}};
};

TEST_F(Commands, BellOutputReportsOnA65ByteBoard) {
  auto board = addReadyBoard(64);
  lib.boardOutput(true);
  lib.boardOutput(false);
  ASSERT_EQ(board->written.size(), 4u);
  EXPECT_EQ(board->written[0], report(65, {{1, 0x20}, {2, 0x02}, {3, 0x00}, {64, 33}}));
  EXPECT_EQ(board->written[1], report(65, {{1, 0x02}, {2, 0x00}, {7, 33}}));
  EXPECT_EQ(board->written[2], report(65, {{1, 0x20}, {2, 0x02}, {3, 0x01}, {64, 34}}));
  EXPECT_EQ(board->written[3], report(65, {{1, 0x02}, {2, 0x01}, {7, 34}}));
}

TEST_F(Commands, BellOutputReportsOnA9ByteBoardAreCut) {
  auto board = addReadyBoard(8);
  const auto on = lib.boardOutput(true);
  lib.boardOutput(false);
  EXPECT_EQ(on, (std::array<uint8_t, 2>{0, 0}));
  ASSERT_EQ(board->written.size(), 4u);
  EXPECT_EQ(board->written[0], (Bytes{0x00, 0x20, 0x02, 0x00, 0, 0, 0, 0, 0}));
  EXPECT_EQ(board->written[1], (Bytes{0x00, 0x02, 0x00, 0, 0, 0, 0, 33, 0}));
  EXPECT_EQ(board->written[2], (Bytes{0x00, 0x20, 0x02, 0x01, 0, 0, 0, 0, 0}));
  EXPECT_EQ(board->written[3], (Bytes{0x00, 0x02, 0x01, 0, 0, 0, 0, 34, 0}));
}

TEST_F(Commands, WithoutABoardEveryCommandSearchesAndFails) {
  EXPECT_EQ(lib.boardOutput(true), (std::array<uint8_t, 2>{1, 1}));
  EXPECT_EQ(hid->starts, 1);  // loaded once; both writes enumerated again
  uint8_t x = 0x55;
  uint8_t y = 0x66;
  EXPECT_EQ(lib.uio_inpAll(&x, &y), 1);
  EXPECT_EQ(x, 0x55);
  EXPECT_EQ(lib.uio_outAll(1, 1), 1);
  EXPECT_EQ(lib.uio_selId(0x1352, 0x0121), 2);
  EXPECT_EQ(lib.outputUSBIO(0, 0, 0), -1);
  EXPECT_EQ(lib.inputUSBIO(0, 0), -1);

  // A board plugged in later is found by the next command.
  auto board = hid->addBoard(0x1352, 0x0120);
  EXPECT_EQ(lib.uio_outAll(1, 1), 0);
  EXPECT_EQ(board->written.size(), 1u);
}

TEST_F(Commands, WriteOnlySequenceRunsFrom33To47ThenWrapsTo32) {
  auto board = addReadyBoard();
  for (int i = 0; i < 17; ++i)
    lib.uio_writePort(1, 0, 0);
  ASSERT_EQ(board->written.size(), 17u);
  EXPECT_EQ(board->written[0][7], 33);
  EXPECT_EQ(board->written[14][7], 47);
  EXPECT_EQ(board->written[15][7], 32);
  EXPECT_EQ(board->written[16][7], 33);
  // Each operation counts for itself.
  lib.uio_outAll(0, 0);
  EXPECT_EQ(board->written.back()[7], 33);
}

TEST_F(Commands, ExchangeSequenceRunsFrom17To31ThenWrapsTo10) {
  auto board = addReadyBoard();
  board->respond = answerLong({});
  std::array<uint8_t, 7> d{};
  std::vector<int> sequences;
  for (int i = 0; i < 23; ++i) {
    EXPECT_EQ(lib.uio2_inp(d.data()), 0);
    sequences.push_back(board->written.back()[64]);
  }
  EXPECT_EQ(sequences[0], 17);
  EXPECT_EQ(sequences[14], 31);
  EXPECT_EQ(sequences[15], 10);
  EXPECT_EQ(sequences[22], 17);
}

TEST_F(Commands, SequenceCountersSurviveFree) {
  auto board = addReadyBoard();
  lib.uio_writePort(0, 0, 0);
  lib.uio_free();
  ASSERT_EQ(lib.uio_init(), 0);
  lib.uio_writePort(0, 0, 0);
  EXPECT_EQ(board->written.back()[7], 34);
}

TEST_F(Commands, PortCommandBytesFromPortAndExtendedFlag) {
  auto board = addReadyBoard();
  struct Case {
    int port, extended;
    uint8_t command;
  };
  for (Case c : {Case{0, 0, 0x01}, Case{1, 0, 0x02}, Case{2, 0, 0x01}, Case{3, 1, 0x13},
                 Case{0, 1, 0x10}, Case{6, 7, 0x12}}) {
    lib.uio_writePort(c.port, 0x1A5, c.extended);
    EXPECT_EQ(board->written.back()[1], c.command) << c.port << "," << c.extended;
    EXPECT_EQ(board->written.back()[2], 0xA5);  // low byte of the value
  }
  uint8_t value = 0;
  for (Case c : {Case{1, 0, 0x04}, Case{0, 0, 0x03}, Case{2, 1, 0x16}, Case{7, 1, 0x17}}) {
    lib.uio_readPort(&value, c.port, c.extended);
    EXPECT_EQ(board->written.back()[1], c.command) << c.port << "," << c.extended;
  }
}

TEST_F(Commands, ShortAnswersComeFromTheReportAfterTheEcho) {
  auto board = addReadyBoard();
  board->respond = echoThen(report(65, {{2, 0xAB}, {3, 0xCD}, {4, 0x12}, {5, 0x34}}));
  uint8_t x = 0;
  uint8_t y = 0;
  EXPECT_EQ(lib.uio_inpAll(&x, &y), 0);
  EXPECT_EQ(x, 0xAB);
  EXPECT_EQ(y, 0xCD);
  EXPECT_EQ(board->written.back(), report(65, {{1, 0x23}, {7, 17}}));

  EXPECT_EQ(lib.uio_outInpAll(0x101, 0x02, &x, &y), 0);
  EXPECT_EQ(board->written.back(), report(65, {{1, 0x22}, {2, 0x01}, {3, 0x02}, {7, 17}}));
  EXPECT_EQ(x, 0x12);
  EXPECT_EQ(y, 0x34);

  EXPECT_EQ(lib.uio_inpOutAll(0x03, 0x04, &x, &y), 0);
  EXPECT_EQ(board->written.back()[1], 0x24);
  EXPECT_EQ(x, 0x12);

  EXPECT_EQ(lib.inputUSBIO(0, 1), 0xAB);
  uint8_t port = 0;
  EXPECT_EQ(lib.uio_readPort(&port, 0, 0), 0);
  EXPECT_EQ(port, 0xAB);
}

TEST_F(Commands, ReplySearchSkipsMismatchesAndGivesUpAfterAHundred) {
  auto board = addReadyBoard();
  // 99 replies to other commands, then the echo and the answer: found.
  board->respond = [](SimulatedBoard& b, const Bytes& written) {
    for (int i = 0; i < 99; ++i)
      b.replies.push_back({ReadStatus::Ok, report(65, {{7, 33}})});
    b.replies.push_back({ReadStatus::Ok, written});
    b.replies.push_back({ReadStatus::Ok, report(65, {{2, 0x42}, {3, 0x43}})});
  };
  uint8_t x = 0;
  uint8_t y = 0;
  EXPECT_EQ(lib.uio_inpAll(&x, &y), 0);
  EXPECT_EQ(x, 0x42);

  // 100 mismatches: one more report is read and the search gives up, even if it matches.
  board->replies.clear();
  board->readTimeouts.clear();
  board->respond = [](SimulatedBoard& b, const Bytes& written) {
    for (int i = 0; i < 100; ++i)
      b.replies.push_back({ReadStatus::Ok, report(65, {{7, 99}})});
    b.replies.push_back({ReadStatus::Ok, written});
  };
  x = 0x77;
  EXPECT_EQ(lib.uio_inpAll(&x, &y), 3);
  EXPECT_EQ(board->readTimeouts.size(), 101u);
  EXPECT_EQ(x, 0x77);
  uint8_t value = 0;
  EXPECT_EQ(lib.uio_readPort(&value, 0, 0), 1);
  EXPECT_EQ(lib.inputUSBIO(0, 0), -1);
}

TEST_F(Commands, FailedOrTimedOutReadsGiveTwoAndNeverWaitLongerThanASecond) {
  auto board = addReadyBoard();
  std::array<uint8_t, 7> d{1, 2, 3, 4, 5, 6, 7};
  // Silent board.
  EXPECT_EQ(lib.uio2_inOut(d.data()), 2);
  EXPECT_EQ(board->readTimeouts, (std::vector<int>{kReadTimeoutMs}));
  EXPECT_EQ(kReadTimeoutMs, 1000);
  EXPECT_EQ(d, (std::array<uint8_t, 7>{1, 2, 3, 4, 5, 6, 7}));

  // A read error after a mismatch.
  board->replies = {{ReadStatus::Ok, report(65, {{64, 1}})}, {ReadStatus::Failed, {}}};
  EXPECT_EQ(lib.uio2_inOut(d.data()), 2);

  // The echo comes but the answer report never does: no answer, so no success either.
  uint8_t x = 0x11;
  uint8_t y = 0x22;
  board->respond = [](SimulatedBoard& b, const Bytes& written) {
    b.replies.push_back({ReadStatus::Ok, written});
  };
  EXPECT_EQ(lib.uio_inpAll(&x, &y), 2);
  EXPECT_EQ(x, 0x11);
  EXPECT_EQ(y, 0x22);
  uint8_t value = 0;
  EXPECT_EQ(lib.uio_inpW(&value, 0, 0), 1);
}

TEST_F(Commands, FailedWritesGiveOneAndReadNothing) {
  auto board = addReadyBoard();
  board->failWrites = true;
  std::array<uint8_t, 60> raw{};
  std::array<uint8_t, 15> sys{};
  uint8_t x = 0;
  uint8_t y = 0;
  EXPECT_EQ(lib.uio_writePort(1, 0, 0), 1);
  EXPECT_EQ(lib.uio_outAll(1, 0), 1);
  EXPECT_EQ(lib.uio_inpAll(&x, &y), 1);
  EXPECT_EQ(lib.uio2_getSys(sys.data()), 1);
  EXPECT_EQ(lib.uio_cmd(raw.data()), 1);
  EXPECT_EQ(lib.outputUSBIO(0, 1, 0), -4);
  EXPECT_EQ(lib.boardOutput(false), (std::array<uint8_t, 2>{1, 1}));
  EXPECT_TRUE(board->readTimeouts.empty());
}

TEST_F(Commands, LongCommandsSendAndAnswerTheirByteRanges) {
  auto board = addReadyBoard();
  Bytes answer(65, 0);
  std::iota(answer.begin(), answer.end(), uint8_t{0x80});
  board->respond = answerLong(answer);

  std::array<uint8_t, 7> ports{1, 2, 3, 4, 5, 6, 7};
  EXPECT_EQ(lib.uio2_Outin(ports.data()), 0);
  EXPECT_EQ(
      board->written.back(),
      report(65, {{1, 0x21}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {6, 5}, {7, 6}, {8, 7}, {64, 17}}));
  EXPECT_EQ(ports, (std::array<uint8_t, 7>{0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88}));
  ports = {1, 2, 3, 4, 5, 6, 7};
  lib.uio2_outIn(ports.data());
  EXPECT_EQ(board->written.back(), board->written[board->written.size() - 2]);
  lib.uio2_inOut(ports.data());
  EXPECT_EQ(board->written.back()[1], 0x20);
  EXPECT_EQ(board->written.back()[2], 0x82);
  lib.uio2_inp(ports.data());
  EXPECT_EQ(board->written.back(), report(65, {{1, 0x20}, {64, 17}}));

  std::array<uint8_t, 15> sys{};
  std::iota(sys.begin(), sys.end(), uint8_t{1});
  const Bytes sysSent(sys.begin(), sys.end());
  EXPECT_EQ(lib.uio2_setSys(sys.data()), 0);
  const Bytes& sent = board->written.back();
  EXPECT_EQ(sent[1], 0xF8);
  EXPECT_EQ(Bytes(sent.begin() + 2, sent.begin() + 17), sysSent);
  EXPECT_EQ(sent[17], 0);
  EXPECT_EQ(sys[0], 0x82);
  EXPECT_EQ(sys[14], 0x90);
  lib.uio2_getSys(sys.data());
  EXPECT_EQ(board->written.back()[1], 0xF9);
}

TEST_F(Commands, RawCommandSendsTheCallersSixtyBytes) {
  auto board = addReadyBoard();
  Bytes answer(65, 0x5A);
  board->respond = answerLong(answer);
  std::array<uint8_t, 60> d{};
  d[1] = 0x20;
  for (size_t i = 2; i < d.size(); ++i)
    d[i] = static_cast<uint8_t>(i);
  Bytes expected(d.begin(), d.end());
  expected.resize(65, 0);
  expected[64] = 17;
  EXPECT_EQ(lib.uio_cmd(d.data()), 0);
  EXPECT_EQ(board->written.back(), expected);
  EXPECT_EQ(d[0], 0x5A);
  EXPECT_EQ(d[59], 0x5A);
}

TEST_F(Commands, LongAnswerIsTakenFromTheMatchingReportNotTheNext) {
  auto board = addReadyBoard();
  board->respond = [](SimulatedBoard& b, const Bytes& written) {
    b.replies.push_back({ReadStatus::Ok, report(65, {{2, 0xEE}, {64, 0}})});  // stale
    b.replies.push_back({ReadStatus::Ok, report(65, {{2, 0x33}, {64, written[64]}})});
    b.replies.push_back({ReadStatus::Ok, report(65, {{2, 0x44}, {64, written[64]}})});
  };
  std::array<uint8_t, 7> d{};
  EXPECT_EQ(lib.uio2_inp(d.data()), 0);
  EXPECT_EQ(d[0], 0x33);
}

TEST_F(Commands, OutputAndInputCheckArgumentsInOrder) {
  // They do not search for boards themselves.
  hid->addBoard(0x1352, 0x0120);
  EXPECT_EQ(lib.inputUSBIO(0, 0), -1);
  EXPECT_EQ(lib.outputUSBIO(0, 0, 0), -1);
  EXPECT_EQ(hid->starts, 0);

  // Loaded but nothing found: still no search of their own, nor from uio_selId.
  hid->boards[0]->info.vendorId = 0x1353;
  ASSERT_EQ(lib.openUSBIO(), 0);
  const int enumerations = hid->enumerations;
  EXPECT_EQ(lib.outputUSBIO(0, 0, 0), -1);
  EXPECT_EQ(lib.inputUSBIO(0, 0), -1);
  EXPECT_EQ(lib.uio_selId(0x1353, 0x0120), 2);
  EXPECT_EQ(lib.uio_selDev(0), 0);
  EXPECT_EQ(hid->enumerations, enumerations);

  hid->boards[0]->info.vendorId = 0x1352;
  ASSERT_EQ(lib.openUSBIO(), 1);
  EXPECT_EQ(lib.outputUSBIO(1, 2, 256), -1);
  EXPECT_EQ(lib.outputUSBIO(-1, 0, 0), -1);
  EXPECT_EQ(lib.outputUSBIO(0, 2, 256), -2);
  EXPECT_EQ(lib.outputUSBIO(0, -1, 0), -2);
  EXPECT_EQ(lib.outputUSBIO(0, 0, 256), -3);
  EXPECT_EQ(lib.outputUSBIO(0, 1, -1), -3);
  EXPECT_EQ(lib.inputUSBIO(1, 5), -1);
  EXPECT_EQ(lib.inputUSBIO(0, 2), -2);
}

TEST_F(Commands, OutputAndInputOpenTheirBoardEveryCall) {
  auto first = hid->addBoard(0x1352, 0x0120, vendorDescriptor(8, 8));
  auto second = hid->addBoard(0x1352, 0x0121, vendorDescriptor(64, 64));
  ASSERT_EQ(lib.openUSBIO(), 2);
  const int opens = second->opens;
  EXPECT_EQ(lib.outputUSBIO(1, 1, 0xFF), 0);
  EXPECT_EQ(lib.outputUSBIO(1, 0, 0x00), 0);
  EXPECT_EQ(second->opens, opens + 2);
  EXPECT_EQ(second->written[0], report(65, {{1, 0x02}, {2, 0xFF}, {7, 33}}));
  EXPECT_EQ(lib.selectedIndex(), 1);
  EXPECT_EQ(lib.outputUSBIO(0, 0, 7), 0);
  EXPECT_EQ(first->written.back(), (Bytes{0, 0x01, 7, 0, 0, 0, 0, 35, 0}));
}

TEST_F(Commands, SelectByIdOpensTheFirstMatchingRow) {
  auto a = hid->addBoard(0x0BFE, 0x1003);
  auto b = hid->addBoard(0x1352, 0x0121);
  auto c = hid->addBoard(0x1352, 0x0121);
  ASSERT_EQ(lib.openUSBIO(), 3);
  EXPECT_EQ(lib.uio_selId(0x1352, 0x0121), 0);
  EXPECT_EQ(lib.selectedIndex(), 1);
  EXPECT_EQ(b->openHandles, 1);
  EXPECT_EQ(c->openHandles, 0);
  EXPECT_EQ(lib.uio_selId(0x1352, 0x0120), 1);
  EXPECT_EQ(lib.uio_selId(0x11352, 0x0121), 1);
  EXPECT_EQ(lib.selectedIndex(), 1);
  EXPECT_EQ(lib.uio_selDev(2), 0);
  EXPECT_EQ(c->openHandles, 1);
  lib.uio_outAll(0, 0);
  EXPECT_EQ(c->written.size(), 1u);
  EXPECT_TRUE(a->written.empty());
}

TEST_F(Commands, NullBuffersFailBeforeAnythingIsSent) {
  auto board = addReadyBoard();
  uint8_t x = 0;
  EXPECT_EQ(lib.uio_inpAll(nullptr, &x), 1);
  EXPECT_EQ(lib.uio_outInpAll(0, 0, &x, nullptr), 1);
  EXPECT_EQ(lib.uio_inpOutAll(0, 0, nullptr, nullptr), 1);
  EXPECT_EQ(lib.uio2_inp(nullptr), 1);
  EXPECT_EQ(lib.uio2_inOut(nullptr), 1);
  EXPECT_EQ(lib.uio2_Outin(nullptr), 1);
  EXPECT_EQ(lib.uio2_outIn(nullptr), 1);
  EXPECT_EQ(lib.uio2_setSys(nullptr), 1);
  EXPECT_EQ(lib.uio2_getSys(nullptr), 1);
  EXPECT_EQ(lib.uio_cmd(nullptr), 1);
  EXPECT_EQ(lib.uio_inpW(nullptr, 0, 0), 1);
  EXPECT_EQ(lib.uio_readPort(nullptr, 0, 0), 1);
  EXPECT_EQ(lib.uio2_writePorts(nullptr), 1);
  EXPECT_TRUE(board->written.empty());
  // No sequence number was used up either.
  board->respond = answerLong({});
  std::array<uint8_t, 7> d{};
  lib.uio2_inp(d.data());
  EXPECT_EQ(board->written.back()[64], 17);
}

TEST_F(Commands, ReadTwiceKeepsTheSecondAnswer) {
  auto board = addReadyBoard();
  int calls = 0;
  board->respond = [&calls](SimulatedBoard& b, const Bytes& written) {
    ++calls;
    b.replies.push_back({ReadStatus::Ok, written});
    b.replies.push_back({ReadStatus::Ok, report(65, {{2, static_cast<uint8_t>(calls)}})});
  };
  uint8_t value = 0;
  EXPECT_EQ(lib.uio_inpW(&value, 3, 1), 0);
  EXPECT_EQ(value, 2);
  ASSERT_EQ(board->written.size(), 2u);
  EXPECT_EQ(board->written[0], report(65, {{1, 0x17}, {7, 17}}));
  EXPECT_EQ(board->written[1], report(65, {{1, 0x17}, {7, 18}}));
}

}  // namespace
}  // namespace tollvane::usbio

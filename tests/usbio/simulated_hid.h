// A simulated HID stack with USB-IO boards behind it: an enumeration list, every written
// report recorded, replies from a script or from a responder, failing writes and reads, and
// boards that stay silent.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "usbio/hid_transport.h"

namespace tollvane::usbio::testing {

using Bytes = std::vector<uint8_t>;

struct SimulatedReply {
  ReadStatus status = ReadStatus::Ok;
  Bytes report;  // as the Windows stack shows it: report id at byte 0
};

struct SimulatedBoard {
  HidDeviceInfo info;
  std::optional<Bytes> descriptor;
  OpenFailure openFailure = OpenFailure::None;
  bool failWrites = false;
  std::vector<Bytes> written;
  std::deque<SimulatedReply> replies;  // an empty queue reads as a time-out
  // Called on every accepted write; may queue the board's replies.
  std::function<void(SimulatedBoard&, const Bytes&)> respond;
  std::vector<int> readTimeouts;
  int opens = 0;
  int openHandles = 0;
};

class SimulatedDevice : public HidDevice {
 public:
  explicit SimulatedDevice(std::shared_ptr<SimulatedBoard> board) : board_(std::move(board)) {
    ++board_->openHandles;
  }
  ~SimulatedDevice() override { --board_->openHandles; }

  bool write(std::span<const uint8_t> report) override {
    if (board_->failWrites)
      return false;
    board_->written.emplace_back(report.begin(), report.end());
    if (board_->respond)
      board_->respond(*board_, board_->written.back());
    return true;
  }

  ReadStatus read(std::span<uint8_t> report, int timeoutMs) override {
    board_->readTimeouts.push_back(timeoutMs);
    if (board_->replies.empty())
      return ReadStatus::TimedOut;
    SimulatedReply reply = std::move(board_->replies.front());
    board_->replies.pop_front();
    if (reply.status != ReadStatus::Ok)
      return reply.status;
    for (size_t i = 0; i < report.size() && i < reply.report.size(); ++i) {
      report[i] = reply.report[i];
    }
    return ReadStatus::Ok;
  }

  std::optional<std::vector<uint8_t>> reportDescriptor() override { return board_->descriptor; }

 private:
  std::shared_ptr<SimulatedBoard> board_;
};

class SimulatedHid : public HidTransport {
 public:
  StartResult start() override {
    ++starts;
    return startResult;
  }
  void stop() override { ++stops; }
  std::string libraryName() const override { return "libhidapi-hidraw.so.0"; }

  std::vector<HidDeviceInfo> enumerate() override {
    ++enumerations;
    std::vector<HidDeviceInfo> list;
    for (const auto& board : boards)
      list.push_back(board->info);
    return list;
  }

  OpenResult open(const std::string& path) override {
    OpenResult result;
    for (const auto& board : boards) {
      if (board->info.path != path)
        continue;
      ++board->opens;
      if (board->openFailure != OpenFailure::None) {
        result.failure = board->openFailure;
        return result;
      }
      result.device = std::make_unique<SimulatedDevice>(board);
      return result;
    }
    result.failure = OpenFailure::Other;
    return result;
  }

  std::shared_ptr<SimulatedBoard> addBoard(uint16_t vendorId, uint16_t productId,
                                           std::optional<Bytes> descriptor = std::nullopt) {
    auto board = std::make_shared<SimulatedBoard>();
    board->info.path = "/dev/hidraw" + std::to_string(boards.size());
    board->info.vendorId = vendorId;
    board->info.productId = productId;
    board->descriptor = std::move(descriptor);
    boards.push_back(board);
    return board;
  }

  StartResult startResult{true, {}};
  std::vector<std::shared_ptr<SimulatedBoard>> boards;
  int starts = 0;
  int stops = 0;
  int enumerations = 0;
};

// A vendor-defined descriptor with one unnumbered input and one output report of the given
// data sizes, as the USB-IO boards carry (8 bytes: the older boards, 64: the USB-IO2.0 kind).
inline Bytes vendorDescriptor(uint8_t inputBytes, uint8_t outputBytes) {
  // clang-format off
  return {
      0x06, 0x00, 0xFF,        // Usage Page (Vendor 0xFF00)
      0x09, 0x01,              // Usage (1)
      0xA1, 0x01,              // Collection (Application)
      0x15, 0x00,              //   Logical Minimum (0)
      0x26, 0xFF, 0x00,        //   Logical Maximum (255)
      0x75, 0x08,              //   Report Size (8)
      0x95, inputBytes,        //   Report Count
      0x09, 0x01,              //   Usage (1)
      0x81, 0x02,              //   Input (Data, Var, Abs)
      0x95, outputBytes,       //   Report Count
      0x09, 0x01,              //   Usage (1)
      0x91, 0x02,              //   Output (Data, Var, Abs)
      0xC0,                    // End Collection
  };
  // clang-format on
}

// A board answering a short command: it echoes the command, then sends the answer report.
inline std::function<void(SimulatedBoard&, const Bytes&)> echoThen(Bytes answer) {
  return [answer](SimulatedBoard& board, const Bytes& written) {
    board.replies.push_back({ReadStatus::Ok, written});
    board.replies.push_back({ReadStatus::Ok, answer});
  };
}

// A board answering a long command with one report that carries the sequence byte at 64.
inline std::function<void(SimulatedBoard&, const Bytes&)> answerLong(Bytes answer) {
  return [answer](SimulatedBoard& board, const Bytes& written) {
    Bytes reply = answer;
    reply.resize(65, 0);
    reply[64] = written.size() > 64 ? written[64] : 0;
    board.replies.push_back({ReadStatus::Ok, reply});
  };
}

}  // namespace tollvane::usbio::testing

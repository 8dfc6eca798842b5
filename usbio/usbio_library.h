// The USB-IO library: the board's transport state (device table, current device, report
// lengths) and its command set. One process-wide instance backs the exported C functions;
// tests build their own over a simulated board.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "usbio/hid_transport.h"

namespace tollvane::usbio {

struct SupportedId {
  uint16_t vendorId;
  uint16_t productId;
};

// Searched in this order; 0x0110 follows 0x0109 and nothing in 0x010A..0x010F is a board.
inline constexpr std::array<SupportedId, 17> kSupportedDevices = {{
    {0x0BFE, 0x1002},
    {0x0BFE, 0x1003},
    {0x12ED, 0x1003},
    {0x1352, 0x0100},
    {0x1352, 0x0101},
    {0x1352, 0x0102},
    {0x1352, 0x0103},
    {0x1352, 0x0104},
    {0x1352, 0x0105},
    {0x1352, 0x0106},
    {0x1352, 0x0107},
    {0x1352, 0x0108},
    {0x1352, 0x0109},
    {0x1352, 0x0110},
    {0x1352, 0x0111},
    {0x1352, 0x0120},
    {0x1352, 0x0121},
}};

inline constexpr int kMaxDevices = 64;
inline constexpr size_t kMaxPathBytes = 259;  // plus the terminating zero: 260
inline constexpr int kReportBytes = 65;       // report id plus 64 data bytes
inline constexpr int kShortCommandBytes = 16;
inline constexpr int kInitialReportLength = 9;
// A board that stops answering must not freeze the caller: each read gives up after this.
inline constexpr int kReadTimeoutMs = 1000;
inline constexpr int kMaxComparedReplies = 100;
inline constexpr int kShortSequenceByte = 7;
inline constexpr int kLongSequenceByte = 64;
inline constexpr int kCmdCallerBytes = 60;

struct DeviceRow {
  std::string path;
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  std::string serialNumber;
  std::string portPath;
};

// Whether candidate is the board wanted was, seen again after a replug: the same kind, and the
// same serial number when wanted has one, else the same USB port when that is known. A board
// known by neither matches any board of its kind. Where several rows match, sameBoardRow()
// takes the one at the old USB port, else at the old path, and no other.
bool isSameBoard(const DeviceRow& wanted, const DeviceRow& candidate);

// A supported board that the last enumeration saw but could not open; kept so the board tool
// can tell "no board" from "no permission".
struct UnopenedBoard {
  std::string path;
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  bool permissionDenied = false;
};

// Results of the report exchange.
enum ExchangeResult : int { kOk = 0, kWriteFailed = 1, kReadFailed = 2, kNoMatchingReply = 3 };

// The operations that own a sequence counter.
enum class Op : int {
  WritePort,
  OutAll,
  WritePorts2,
  ReadPort,
  OutInpAll,
  InpAll,
  InpOutAll,
  Cmd,
  Inp2,
  InOut2,
  Outin2,
  OutIn2,
  SetSys2,
  GetSys2,
  Count
};

using MessageSink = std::function<void(const std::string& text, const std::string& caption)>;

class UsbioLibrary {
 public:
  UsbioLibrary(std::shared_ptr<HidTransport> transport, MessageSink messages);
  ~UsbioLibrary();
  UsbioLibrary(const UsbioLibrary&) = delete;
  UsbioLibrary& operator=(const UsbioLibrary&) = delete;

  // Transport steps.
  bool uio_loadHidLibrary();
  int uio_enumDevices();
  void uio_openDevice(int index);
  void uio_closeDevice();
  uint8_t uio_init();

  // Command operations. Bytes come as ints and only their low byte is used; buffers are the
  // caller's and hold 7 (uio2_*), 15 (uio2_setSys/getSys) or 60 (uio_cmd) bytes. A null
  // buffer fails with 1 before anything is sent.
  uint8_t uio_writePort(int port, int value, int extended);
  uint8_t uio_readPort(uint8_t* value, int port, int extended);
  uint8_t uio2_writePorts(const uint8_t* d);
  int uio_outAll(int a, int b);
  int uio_outInpAll(int a, int b, uint8_t* x, uint8_t* y);
  int uio_inpAll(uint8_t* x, uint8_t* y);
  int uio_inpOutAll(int a, int b, uint8_t* x, uint8_t* y);
  int uio2_inp(uint8_t* d);
  int uio2_inOut(uint8_t* d);
  int uio2_Outin(uint8_t* d);
  int uio2_outIn(uint8_t* d);
  int uio2_setSys(uint8_t* d);
  int uio2_getSys(uint8_t* d);
  int uio_cmd(uint8_t* d);

  // Management and port functions.
  int openUSBIO();
  int closeUSBIO();
  int uio_free();
  int uio_getDevs() const;
  int uio_getVid(int index) const;
  int uio_getPid(int index) const;
  int uio_selDev(int index);
  int uio_selId(int vid, int pid);
  int outputUSBIO(int device, int port, int value);
  int inputUSBIO(int device, int port);
  int uio_inpW(uint8_t* value, int port, int extended);

  // The bell engine's two reports for the board output (second port: 0x00 on, 0x01 off).
  // Returns the two write results (0 written, 1 failed), which the engine ignores. A report
  // that a known board refuses makes it search for the board once and send that report again.
  std::array<uint8_t, 2> boardOutput(bool on);
  // Row of the table (below the count) that is the board wanted, or -1.
  int sameBoardRow(const DeviceRow& wanted) const;

  // What the board tool and the tests look at.
  int inputReportLength() const { return inputLength_; }
  int outputReportLength() const { return outputLength_; }
  int selectedIndex() const { return selected_; }
  bool deviceOpen() const { return device_ != nullptr; }
  bool libraryLoaded() const { return loaded_; }
  // Row of the device table (rows at or beyond the count are stale); index 0..63.
  const DeviceRow& row(int index) const { return table_[static_cast<size_t>(index)]; }
  const std::vector<UnopenedBoard>& unopenedBoards() const { return unopened_; }

 private:
  uint8_t nextSequence(Op op);
  uint8_t prepare(Op op);
  bool writeReport(std::span<const uint8_t> command);
  ReadStatus readReport(std::array<uint8_t, kReportBytes>& reply);
  int exchange(std::span<const uint8_t> command, bool shortLayout,
               std::array<uint8_t, kReportBytes>& reply);
  int longExchange(Op op, uint8_t command, uint8_t* d, size_t count, bool sendData);
  int shortExchange(Op op, uint8_t command, int a, int b, uint8_t* first, uint8_t* second,
                    int answerByte);
  // Searches again and makes board current once more; false when it is not there.
  bool reselect(DeviceRow board);

  std::shared_ptr<HidTransport> transport_;
  MessageSink messages_;
  bool loaded_ = false;
  int deviceCount_ = 0;
  int selected_ = 0;
  int inputLength_ = kInitialReportLength;
  int outputLength_ = kInitialReportLength;
  std::unique_ptr<HidDevice> device_;
  // The board last chosen (by the caller or by a search), kept also while it is missing.
  DeviceRow driven_;
  std::array<DeviceRow, kMaxDevices> table_;
  std::vector<UnopenedBoard> unopened_;
  std::array<int32_t, static_cast<size_t>(Op::Count)> sequence_{};
};

}  // namespace tollvane::usbio

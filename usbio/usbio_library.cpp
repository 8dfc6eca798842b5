#include "usbio/usbio_library.h"

#include <algorithm>
#include <cstring>

#include "usbio/report_descriptor.h"

namespace tollvane::usbio {

namespace {

// Write-only sequences run 32..47 and exchange sequences 10..31, so a reply to a write-only
// command can never be taken for the reply of an exchange.
constexpr int32_t kWriteOnlyStart = 32;
constexpr int32_t kWriteOnlyLast = 47;
constexpr int32_t kWriteOnlyWrap = 32;
constexpr int32_t kExchangeStart = 16;
constexpr int32_t kExchangeLast = 31;
constexpr int32_t kExchangeWrap = 10;

constexpr uint8_t kCmdOutAll = 0x21;
constexpr uint8_t kCmdOutInpAll = 0x22;
constexpr uint8_t kCmdInpAll = 0x23;
constexpr uint8_t kCmdInpOutAll = 0x24;
constexpr uint8_t kCmdPorts2 = 0x20;
constexpr uint8_t kCmdOutin2 = 0x21;
constexpr uint8_t kCmdSetSys2 = 0xF8;
constexpr uint8_t kCmdGetSys2 = 0xF9;
constexpr size_t kPortBytes2 = 7;
constexpr size_t kSysBytes2 = 15;
constexpr size_t kFirstDataByte = 2;

bool isWriteOnly(Op op) {
  return op == Op::WritePort || op == Op::OutAll || op == Op::WritePorts2;
}

uint8_t lowByte(int value) {
  return static_cast<uint8_t>(value & 0xFF);
}

int clampLength(int length) {
  return std::clamp(length, 0, kReportBytes);
}

}  // namespace

UsbioLibrary::UsbioLibrary(std::shared_ptr<HidTransport> transport, MessageSink messages)
    : transport_(std::move(transport)), messages_(std::move(messages)) {
  for (size_t op = 0; op < sequence_.size(); ++op) {
    sequence_[op] = isWriteOnly(static_cast<Op>(op)) ? kWriteOnlyStart : kExchangeStart;
  }
}

UsbioLibrary::~UsbioLibrary() {
  uio_closeDevice();
  if (loaded_)
    transport_->stop();
}

bool UsbioLibrary::uio_loadHidLibrary() {
  const StartResult started = transport_->start();
  if (!started.loaded) {
    if (messages_)
      messages_("Error at Load '" + transport_->libraryName() + "'", "ERRR");
    return false;
  }
  if (!started.missingEntry.empty()) {
    // Unload again, so no later call reaches an entry point that is not there; the next
    // start tries afresh. Before the message: the host's box may run timers that call in.
    transport_->stop();
    if (messages_)
      messages_("Error at " + started.missingEntry, "ERR");
    return false;
  }
  loaded_ = true;
  return true;
}

int UsbioLibrary::uio_enumDevices() {
  const std::vector<HidDeviceInfo> devices = transport_->enumerate();
  uio_closeDevice();
  // Rows are not cleared: only the count makes them valid.
  deviceCount_ = 0;
  unopened_.clear();
  for (const HidDeviceInfo& info : devices) {
    const auto supported =
        std::find_if(kSupportedDevices.begin(), kSupportedDevices.end(), [&](SupportedId id) {
          return id.vendorId == info.vendorId && id.productId == info.productId;
        });
    if (supported == kSupportedDevices.end())
      continue;
    // A longer path would not fit a table row; such a device is skipped.
    if (info.path.size() > kMaxPathBytes)
      continue;
    OpenResult opened = transport_->open(info.path);
    if (!opened.device) {
      unopened_.push_back({info.path, info.vendorId, info.productId,
                           opened.failure == OpenFailure::PermissionDenied});
      continue;
    }
    opened.device.reset();
    if (deviceCount_ < kMaxDevices) {
      table_[static_cast<size_t>(deviceCount_)] = {info.path, info.vendorId, info.productId,
                                                   info.serialNumber, info.portPath};
      ++deviceCount_;
    }
  }
  if (deviceCount_ > 0)
    uio_openDevice(0);
  return deviceCount_;
}

void UsbioLibrary::uio_openDevice(int index) {
  if (index < 0 || index >= deviceCount_)
    return;
  selected_ = index;
  driven_ = table_[static_cast<size_t>(index)];
  uio_closeDevice();
  // A failed open leaves no handle, so later writes fail; the previous lengths stay.
  OpenResult opened = transport_->open(table_[static_cast<size_t>(index)].path);
  device_ = std::move(opened.device);
  if (!device_)
    return;
  const auto descriptor = device_->reportDescriptor();
  if (!descriptor)
    return;
  const auto layout = parseReportDescriptor(*descriptor);
  if (!layout)
    return;
  // Reports beyond 65 bytes are cut to 65: the report buffers hold no more.
  inputLength_ = clampLength(layout->inputLength);
  outputLength_ = clampLength(layout->outputLength);
}

void UsbioLibrary::uio_closeDevice() {
  device_.reset();
}

uint8_t UsbioLibrary::uio_init() {
  if (!loaded_ && !uio_loadHidLibrary())
    return 1;
  if (uio_enumDevices() == 0)
    return 1;
  return 0;
}

uint8_t UsbioLibrary::nextSequence(Op op) {
  int32_t& counter = sequence_[static_cast<size_t>(op)];
  ++counter;
  if (isWriteOnly(op)) {
    if (counter > kWriteOnlyLast)
      counter = kWriteOnlyWrap;
  } else if (counter > kExchangeLast) {
    counter = kExchangeWrap;
  }
  return lowByte(counter);
}

uint8_t UsbioLibrary::prepare(Op op) {
  if (deviceCount_ == 0)
    uio_init();
  return nextSequence(op);
}

bool UsbioLibrary::writeReport(std::span<const uint8_t> command) {
  if (!device_ || outputLength_ < 1)
    return false;
  // Exactly output-report-length bytes: cut from the command, or zero beyond it.
  std::array<uint8_t, kReportBytes> report{};
  const size_t length = static_cast<size_t>(outputLength_);
  std::copy_n(command.begin(), std::min(length, command.size()), report.begin());
  return device_->write(std::span<const uint8_t>(report.data(), length));
}

ReadStatus UsbioLibrary::readReport(std::array<uint8_t, kReportBytes>& reply) {
  if (!device_ || inputLength_ < 1)
    return ReadStatus::Failed;
  reply.fill(0);
  return device_->read(std::span<uint8_t>(reply.data(), static_cast<size_t>(inputLength_)),
                       kReadTimeoutMs);
}

int UsbioLibrary::exchange(std::span<const uint8_t> command, bool shortLayout,
                           std::array<uint8_t, kReportBytes>& reply) {
  const size_t sequenceByte = shortLayout ? kShortSequenceByte : kLongSequenceByte;
  const uint8_t sequence = command[sequenceByte];
  if (!writeReport(command))
    return kWriteFailed;
  int compared = 0;
  for (;;) {
    if (readReport(reply) != ReadStatus::Ok)
      return kReadFailed;
    ++compared;
    if (compared > kMaxComparedReplies)
      return kNoMatchingReply;
    if (reply[sequenceByte] == sequence)
      break;
  }
  // A short reply echoes the command; the answer follows in the next report. If that report
  // never comes the answer is missing, which is a failed read, not a success.
  if (shortLayout && readReport(reply) != ReadStatus::Ok)
    return kReadFailed;
  return kOk;
}

uint8_t UsbioLibrary::uio_writePort(int port, int value, int extended) {
  const uint8_t sequence = prepare(Op::WritePort);
  std::array<uint8_t, kReportBytes> report{};
  report[1] = extended != 0 ? lowByte((port & 3) + 0x10) : lowByte((port & 1) + 1);
  report[2] = lowByte(value);
  report[kShortSequenceByte] = sequence;
  return writeReport(report) ? 0 : 1;
}

uint8_t UsbioLibrary::uio_readPort(uint8_t* value, int port, int extended) {
  if (value == nullptr)
    return 1;
  const uint8_t sequence = prepare(Op::ReadPort);
  std::array<uint8_t, kReportBytes> report{};
  report[1] = extended != 0 ? lowByte((port & 3) + 0x14) : lowByte((port & 1) + 3);
  report[kShortSequenceByte] = sequence;
  std::array<uint8_t, kReportBytes> reply{};
  if (exchange(report, true, reply) != kOk)
    return 1;
  *value = reply[2];
  return 0;
}

uint8_t UsbioLibrary::uio2_writePorts(const uint8_t* d) {
  if (d == nullptr)
    return 1;
  const uint8_t sequence = prepare(Op::WritePorts2);
  std::array<uint8_t, kReportBytes> report{};
  report[1] = kCmdPorts2;
  std::copy_n(d, kPortBytes2, report.begin() + kFirstDataByte);
  report[kLongSequenceByte] = sequence;
  return writeReport(report) ? 0 : 1;
}

int UsbioLibrary::uio_outAll(int a, int b) {
  const uint8_t sequence = prepare(Op::OutAll);
  std::array<uint8_t, kShortCommandBytes> report{};
  report[1] = kCmdOutAll;
  report[2] = lowByte(a);
  report[3] = lowByte(b);
  report[kShortSequenceByte] = sequence;
  return writeReport(report) ? 0 : 1;
}

int UsbioLibrary::shortExchange(Op op, uint8_t command, int a, int b, uint8_t* first,
                                uint8_t* second, int answerByte) {
  if (first == nullptr || second == nullptr)
    return kWriteFailed;
  const uint8_t sequence = prepare(op);
  std::array<uint8_t, kShortCommandBytes> report{};
  report[1] = command;
  report[2] = lowByte(a);
  report[3] = lowByte(b);
  report[kShortSequenceByte] = sequence;
  std::array<uint8_t, kReportBytes> reply{};
  const int result = exchange(report, true, reply);
  if (result == kOk) {
    *first = reply[static_cast<size_t>(answerByte)];
    *second = reply[static_cast<size_t>(answerByte) + 1];
  }
  return result;
}

int UsbioLibrary::uio_outInpAll(int a, int b, uint8_t* x, uint8_t* y) {
  return shortExchange(Op::OutInpAll, kCmdOutInpAll, a, b, x, y, 4);
}

int UsbioLibrary::uio_inpAll(uint8_t* x, uint8_t* y) {
  return shortExchange(Op::InpAll, kCmdInpAll, 0, 0, x, y, 2);
}

int UsbioLibrary::uio_inpOutAll(int a, int b, uint8_t* x, uint8_t* y) {
  return shortExchange(Op::InpOutAll, kCmdInpOutAll, a, b, x, y, 4);
}

int UsbioLibrary::longExchange(Op op, uint8_t command, uint8_t* d, size_t count, bool sendData) {
  if (d == nullptr)
    return kWriteFailed;
  const uint8_t sequence = prepare(op);
  std::array<uint8_t, kReportBytes> report{};
  report[1] = command;
  if (sendData)
    std::copy_n(d, count, report.begin() + kFirstDataByte);
  report[kLongSequenceByte] = sequence;
  std::array<uint8_t, kReportBytes> reply{};
  const int result = exchange(report, false, reply);
  if (result == kOk)
    std::copy_n(reply.begin() + kFirstDataByte, count, d);
  return result;
}

int UsbioLibrary::uio2_inp(uint8_t* d) {
  return longExchange(Op::Inp2, kCmdPorts2, d, kPortBytes2, false);
}

int UsbioLibrary::uio2_inOut(uint8_t* d) {
  return longExchange(Op::InOut2, kCmdPorts2, d, kPortBytes2, true);
}

int UsbioLibrary::uio2_Outin(uint8_t* d) {
  return longExchange(Op::Outin2, kCmdOutin2, d, kPortBytes2, true);
}

int UsbioLibrary::uio2_outIn(uint8_t* d) {
  return longExchange(Op::OutIn2, kCmdOutin2, d, kPortBytes2, true);
}

int UsbioLibrary::uio2_setSys(uint8_t* d) {
  return longExchange(Op::SetSys2, kCmdSetSys2, d, kSysBytes2, true);
}

int UsbioLibrary::uio2_getSys(uint8_t* d) {
  return longExchange(Op::GetSys2, kCmdGetSys2, d, kSysBytes2, true);
}

int UsbioLibrary::uio_cmd(uint8_t* d) {
  if (d == nullptr)
    return kWriteFailed;
  const uint8_t sequence = prepare(Op::Cmd);
  // Report id and command come from the caller too; bytes 60..63 stay zero.
  std::array<uint8_t, kReportBytes> report{};
  std::copy_n(d, kCmdCallerBytes, report.begin());
  report[kLongSequenceByte] = sequence;
  std::array<uint8_t, kReportBytes> reply{};
  const int result = exchange(report, false, reply);
  if (result == kOk)
    std::copy_n(reply.begin(), kCmdCallerBytes, d);
  return result;
}

int UsbioLibrary::openUSBIO() {
  uio_init();
  return deviceCount_;
}

int UsbioLibrary::closeUSBIO() {
  return uio_free();
}

int UsbioLibrary::uio_free() {
  uio_closeDevice();
  if (loaded_)
    transport_->stop();
  loaded_ = false;
  deviceCount_ = 0;
  unopened_.clear();
  return 0;
}

int UsbioLibrary::uio_getDevs() const {
  return deviceCount_;
}

int UsbioLibrary::uio_getVid(int index) const {
  if (index < 0 || index >= kMaxDevices)
    return 0;
  return table_[static_cast<size_t>(index)].vendorId;
}

int UsbioLibrary::uio_getPid(int index) const {
  if (index < 0 || index >= kMaxDevices)
    return 0;
  return table_[static_cast<size_t>(index)].productId;
}

int UsbioLibrary::uio_selDev(int index) {
  uio_openDevice(index);
  return 0;
}

int UsbioLibrary::uio_selId(int vid, int pid) {
  if (deviceCount_ == 0)
    return 2;
  for (int index = 0; index < deviceCount_; ++index) {
    const DeviceRow& candidate = table_[static_cast<size_t>(index)];
    if (candidate.vendorId == vid && candidate.productId == pid) {
      uio_openDevice(index);
      return 0;
    }
  }
  return 1;
}

int UsbioLibrary::outputUSBIO(int device, int port, int value) {
  if (device < 0 || device >= deviceCount_)
    return -1;
  if (port != 0 && port != 1)
    return -2;
  if (value < 0 || value > 255)
    return -3;
  uio_openDevice(device);
  return uio_writePort(port, value, 0) == 0 ? 0 : -4;
}

int UsbioLibrary::inputUSBIO(int device, int port) {
  if (device < 0 || device >= deviceCount_)
    return -1;
  if (port != 0 && port != 1)
    return -2;
  uio_openDevice(device);
  uint8_t value = 0;
  return uio_readPort(&value, port, 0) == 0 ? value : -1;
}

int UsbioLibrary::uio_inpW(uint8_t* value, int port, int extended) {
  if (value == nullptr)
    return 1;
  // The second answer replaces the first; a failed second read leaves the first in place.
  uio_readPort(value, port, extended);
  return uio_readPort(value, port, extended);
}

std::array<uint8_t, 2> UsbioLibrary::boardOutput(bool on) {
  const uint8_t level = on ? 0x00 : 0x01;
  const uint8_t ports[kPortBytes2] = {0x02, level, 0, 0, 0, 0, 0};
  // A known board that refuses a report has most likely been unplugged (a loose cable) and
  // may be back under a new handle. Without a new search every later bell would write to the
  // dead handle until the operator arms again, so search once per signal and repeat the
  // refused report to that same board. Once per signal bounds the wait when a board hangs.
  bool searched = false;
  const auto send = [&](const auto& write) {
    const bool known = deviceCount_ > 0;
    uint8_t result = write();
    if (result != 0 && known && !searched) {
      searched = true;
      if (reselect(driven_))
        result = write();
    }
    return result;
  };
  const uint8_t first = send([&] { return uio2_writePorts(ports); });
  const uint8_t second = send([&] { return uio_writePort(1, level, 0); });
  return {first, second};
}

bool UsbioLibrary::reselect(DeviceRow board) {
  uio_init();
  const int index = sameBoardRow(board);
  if (index < 0) {
    // Another board must not take the reports meant for this one: none is current until the
    // board is back or the caller chooses again.
    uio_closeDevice();
    driven_ = board;
    return false;
  }
  if (index != selected_ || !device_)
    uio_openDevice(index);
  return device_ != nullptr;
}

int UsbioLibrary::sameBoardRow(const DeviceRow& wanted) const {
  std::vector<int> alike;
  for (int index = 0; index < deviceCount_; ++index) {
    if (isSameBoard(wanted, table_[static_cast<size_t>(index)]))
      alike.push_back(index);
  }
  if (alike.size() == 1)
    return alike.front();
  // Several look alike (no serial numbers, or a shared one): the one at the old USB port, or
  // else at the old path, is taken; any other might be a different board.
  for (const auto& same : {&DeviceRow::portPath, &DeviceRow::path}) {
    if ((wanted.*same).empty())
      continue;
    for (const int index : alike) {
      if (table_[static_cast<size_t>(index)].*same == wanted.*same)
        return index;
    }
  }
  return -1;
}

bool isSameBoard(const DeviceRow& wanted, const DeviceRow& candidate) {
  if (wanted.vendorId != candidate.vendorId || wanted.productId != candidate.productId)
    return false;
  if (!wanted.serialNumber.empty())
    return candidate.serialNumber == wanted.serialNumber;
  if (!wanted.portPath.empty())
    return candidate.portPath == wanted.portPath;
  return true;
}

}  // namespace tollvane::usbio

// The exported C functions of libusbio, called in an order and with arguments the input picks,
// against a simulated HID stack whose boards answer, fail, go silent, send junk, or vanish as
// the input says. The process-wide library instance behind the exports gets the simulated
// stack through makeHidapiTransport(), which this target defines in place of the hidapi one.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "usbio.h"
#include "usbio/hidapi_transport.h"
#include "usbio/simulated_hid.h"
#include "usbio/usbio_library.h"
#include "usbio_host.h"

namespace {

using tollvane::usbio::HidDeviceInfo;
using tollvane::usbio::HidTransport;
using tollvane::usbio::kReportBytes;
using tollvane::usbio::kSupportedDevices;
using tollvane::usbio::OpenFailure;
using tollvane::usbio::OpenResult;
using tollvane::usbio::ReadStatus;
using tollvane::usbio::StartResult;
using tollvane::usbio::testing::Bytes;
using tollvane::usbio::testing::SimulatedBoard;
using tollvane::usbio::testing::SimulatedHid;
using tollvane::usbio::testing::vendorDescriptor;

// The input read front to back; past its end every byte reads as 0.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool empty() const { return at_ >= size_; }
  uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  bool flag() { return (byte() & 1) != 0; }
  int32_t int32() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
      value = value << 8 | byte();
    return static_cast<int32_t>(value);
  }
  // Mostly small values near the valid range, sometimes any 32-bit value.
  int argument() {
    const uint8_t pick = byte();
    if (pick < 200)
      return static_cast<int>(pick % 70) - 3;
    return int32();
  }
  Bytes bytes(size_t count) {
    Bytes out(count);
    for (auto& b : out)
      b = byte();
    return out;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

SimulatedHid* g_hid = nullptr;
Input* g_input = nullptr;
int g_messages = 0;

// Hands the library the simulated stack of the running input.
class CurrentSimulation : public HidTransport {
 public:
  StartResult start() override { return g_hid->start(); }
  void stop() override { g_hid->stop(); }
  std::string libraryName() const override { return g_hid->libraryName(); }
  std::vector<HidDeviceInfo> enumerate() override { return g_hid->enumerate(); }
  OpenResult open(const std::string& path) override { return g_hid->open(path); }
};

Bytes Descriptor(Input& in) {
  switch (in.byte() % 6) {
    case 0:
      return vendorDescriptor(8, 8);
    case 1:
      return vendorDescriptor(64, 64);
    case 2: {
      Bytes numbered = {0x85, 0x01};  // Report ID 1, then the usual layout
      const Bytes rest = vendorDescriptor(8, 8);
      numbered.insert(numbered.end(), rest.begin(), rest.end());
      return numbered;
    }
    case 3:
      return vendorDescriptor(in.byte(), in.byte());
    default:
      return in.bytes(in.byte() % 48);
  }
}

// What the board does with one accepted write, picked by the input.
void Respond(SimulatedBoard& board, const Bytes& written) {
  FUZZ_CHECK(!written.empty() && written.size() <= static_cast<size_t>(kReportBytes));
  Input& in = *g_input;
  const bool longLayout = written.size() > 64;
  Bytes answer = in.bytes(kReportBytes);
  answer[0] = 0;
  switch (in.byte() % 10) {
    case 0:  // silent: the read times out
      break;
    case 1:
      board.replies.push_back({ReadStatus::Failed, {}});
      break;
    case 2:  // someone else's reply first
      board.replies.push_back({ReadStatus::Ok, in.bytes(in.byte() % (kReportBytes + 1))});
      [[fallthrough]];
    default:
      if (longLayout) {
        answer[64] = written[64];
        board.replies.push_back({ReadStatus::Ok, answer});
      } else {
        board.replies.push_back({ReadStatus::Ok, written});  // the echo, sequence included
        if (in.byte() % 8 != 0)
          board.replies.push_back({ReadStatus::Ok, answer});
      }
      break;
    case 3:  // unplugged: gone from the list, the open handle fails
      board.failWrites = true;
      std::erase_if(g_hid->boards, [&](const auto& b) { return b.get() == &board; });
      break;
    case 4:  // a flood of replies that never match
      for (int i = 0; i < 101; ++i) {
        Bytes junk = answer;
        junk[7] = static_cast<uint8_t>(written.size() > 7 ? written[7] + 1 : 1);
        junk[64] = static_cast<uint8_t>(longLayout ? written[64] + 1 : 1);
        board.replies.push_back({ReadStatus::Ok, junk});
      }
      break;
  }
}

void AddBoard(SimulatedHid& hid, Input& in) {
  if (hid.boards.size() >= 70)
    return;
  const uint8_t pick = in.byte();
  uint16_t vid = 0, pid = 0;
  if (pick < 220) {
    vid = kSupportedDevices[pick % kSupportedDevices.size()].vendorId;
    pid = kSupportedDevices[pick % kSupportedDevices.size()].productId;
  } else {
    vid = static_cast<uint16_t>(in.int32());
    pid = static_cast<uint16_t>(in.int32());
  }
  const auto board = hid.addBoard(vid, pid, Descriptor(in));
  board->info.path += std::to_string(in.byte());
  if (in.byte() % 16 == 0)
    board->info.path += std::string(in.byte() * 2u, 'p');  // may outgrow a table row
  if (in.byte() % 8 == 0)
    board->descriptor.reset();
  switch (in.byte() % 12) {
    case 0:
      board->openFailure = OpenFailure::PermissionDenied;
      break;
    case 1:
      board->openFailure = OpenFailure::Other;
      break;
    case 2:
      board->failWrites = true;
      break;
    default:
      break;
  }
  board->respond = Respond;
}

// A caller's buffer of exactly count bytes (or none), the input's bytes in it.
struct Buffer {
  std::unique_ptr<uint8_t[]> bytes;
  Bytes before;
  uint8_t* get() { return bytes.get(); }
};

Buffer MakeBuffer(Input& in, size_t count) {
  Buffer buffer;
  if (in.byte() % 16 == 0)
    return buffer;
  buffer.bytes = std::make_unique<uint8_t[]>(count);
  buffer.before = in.bytes(count);
  std::copy(buffer.before.begin(), buffer.before.end(), buffer.bytes.get());
  return buffer;
}

// A failed command leaves the caller's buffer as it was.
void CheckResult(int result, Buffer& buffer) {
  FUZZ_CHECK(result >= 0 && result <= 3);
  if (buffer.get() == nullptr) {
    FUZZ_CHECK(result == 1);
    return;
  }
  if (result != 0)
    FUZZ_CHECK(std::equal(buffer.before.begin(), buffer.before.end(), buffer.get()));
}

int LongCommand(int which, uint8_t* d) {
  switch (which) {
    case 0:
      return uio2_inp(d);
    case 1:
      return uio2_inOut(d);
    case 2:
      return uio2_Outin(d);
    case 3:
      return uio2_outIn(d);
    case 4:
      return uio2_setSys(d);
    case 5:
      return uio2_getSys(d);
    default:
      return uio_cmd(d);
  }
}

// A text buffer of capacity bytes of which the call may use size; guard bytes beyond size.
void CheckText(Input& in, int (*call)(int, char*, int, Input&)) {
  const int index = in.argument();
  const size_t capacity = in.byte() % 300;
  const bool none = in.byte() % 8 == 0;
  const int size = capacity == 0 ? 0 : static_cast<int>(in.byte() % (capacity + 1));
  std::vector<char> text(capacity + 8, '#');
  const int length = call(index, none ? nullptr : text.data(), size, in);
  FUZZ_CHECK(length >= -1);
  const size_t used = none || size == 0 ? 0 : static_cast<size_t>(size);
  for (size_t i = used; i < text.size(); ++i)
    FUZZ_CHECK(text[i] == '#');
  if (length >= 0 && used > 0)
    FUZZ_CHECK(std::strlen(text.data()) == std::min<size_t>(static_cast<size_t>(length), used - 1));
}

int DevicePath(int index, char* buffer, int size, Input&) {
  return usbio_host_device_path(index, buffer, size);
}

int UnopenedBoard(int index, char* buffer, int size, Input& in) {
  int vid = -5, pid = -5, denied = -5;
  const uint8_t nulls = in.byte();
  const int length =
      usbio_host_unopened_board(index, buffer, size, nulls & 1 ? nullptr : &vid,
                                nulls & 2 ? nullptr : &pid, nulls & 4 ? nullptr : &denied);
  if (length >= 0) {
    FUZZ_CHECK((nulls & 1) || (vid >= 0 && vid <= 0xFFFF));
    FUZZ_CHECK((nulls & 2) || (pid >= 0 && pid <= 0xFFFF));
    FUZZ_CHECK((nulls & 4) || denied == 0 || denied == 1);
  }
  return length;
}

void CallOne(Input& in) {
  switch (in.byte() % 26) {
    case 0: {
      const int found = openUSBIO();
      FUZZ_CHECK(found >= 0 && found <= 64 && found == uio_getDevs());
      break;
    }
    case 1:
      FUZZ_CHECK(closeUSBIO() == 0 && uio_getDevs() == 0);
      break;
    case 2:
      FUZZ_CHECK(uio_free() == 0 && uio_getDevs() == 0 && usbio_host_unopened_count() == 0);
      break;
    case 3: {
      const int vid = uio_getVid(in.argument());
      const int pid = uio_getPid(in.argument());
      FUZZ_CHECK(vid >= 0 && vid <= 0xFFFF && pid >= 0 && pid <= 0xFFFF);
      break;
    }
    case 4:
      FUZZ_CHECK(uio_selDev(in.argument()) == 0);
      break;
    case 5: {
      const uint8_t pick = in.byte();
      const auto id = kSupportedDevices[pick % kSupportedDevices.size()];
      const int result =
          pick < 200 ? uio_selId(id.vendorId, id.productId) : uio_selId(in.int32(), in.int32());
      FUZZ_CHECK(result >= 0 && result <= 2);
      FUZZ_CHECK((result == 2) == (uio_getDevs() == 0));
      break;
    }
    case 6: {
      const int device = in.argument(), port = in.argument(), value = in.argument();
      const int result = outputUSBIO(device, port, value);
      FUZZ_CHECK(result >= -4 && result <= 0);
      if (port != 0 && port != 1 && result != -1)
        FUZZ_CHECK(result == -2);
      break;
    }
    case 7: {
      const int result = inputUSBIO(in.argument(), in.argument());
      FUZZ_CHECK(result >= -2 && result <= 255);
      break;
    }
    case 8: {
      Buffer value = MakeBuffer(in, 1);
      const int port = in.argument(), extended = in.argument();
      const int result = uio_inpW(value.get(), port, extended);
      FUZZ_CHECK(result == 0 || result == 1);
      // A failed second read leaves the first answer, so only a missing buffer is checked.
      if (value.get() == nullptr)
        FUZZ_CHECK(result == 1);
      break;
    }
    case 9: {
      const int a = in.argument(), b = in.argument();
      const int result = uio_outAll(a, b);
      FUZZ_CHECK(result == 0 || result == 1);
      break;
    }
    case 10:
    case 11:
    case 12: {
      Buffer x = MakeBuffer(in, 1), y = MakeBuffer(in, 1);
      const int a = in.argument(), b = in.argument();
      const uint8_t which = in.byte() % 3;
      const int result = which == 0   ? uio_outInpAll(a, b, x.get(), y.get())
                         : which == 1 ? uio_inpAll(x.get(), y.get())
                                      : uio_inpOutAll(a, b, x.get(), y.get());
      FUZZ_CHECK(result >= 0 && result <= 3);
      if (x.get() == nullptr || y.get() == nullptr)
        FUZZ_CHECK(result == 1);
      else if (result != 0)
        CheckResult(result, x), CheckResult(result, y);
      break;
    }
    case 13:
    case 14:
    case 15:
    case 16: {
      const int which = in.byte() % 7;
      const size_t count = which <= 3 ? 7 : which <= 5 ? 15 : 60;
      Buffer d = MakeBuffer(in, count);
      CheckResult(LongCommand(which, d.get()), d);
      break;
    }
    case 17: {
      const int result = usbio_host_init();
      FUZZ_CHECK(result == 0 || result == 1);
      FUZZ_CHECK((result == 0) == (uio_getDevs() > 0));
      break;
    }
    case 18:
      usbio_host_board_output(in.flag());
      break;
    case 19: {
      const int result = usbio_host_board_output_checked(in.argument());
      FUZZ_CHECK(result >= 0 && result <= 3);
      break;
    }
    case 20:
      CheckText(in, DevicePath);
      break;
    case 21: {
      const uint8_t nulls = in.byte();
      int input = -5, output = -5;
      usbio_host_report_lengths(nulls & 1 ? nullptr : &input, nulls & 2 ? nullptr : &output);
      FUZZ_CHECK((nulls & 1) || (input >= 0 && input <= kReportBytes));
      FUZZ_CHECK((nulls & 2) || (output >= 0 && output <= kReportBytes));
      break;
    }
    case 22:
      FUZZ_CHECK(usbio_host_unopened_count() >= 0);
      CheckText(in, UnopenedBoard);
      break;
    case 23:  // a board plugged in
      AddBoard(*g_hid, in);
      break;
    case 24:  // a board pulled out
      if (!g_hid->boards.empty()) {
        const size_t index = in.byte() % g_hid->boards.size();
        g_hid->boards[index]->failWrites = true;
        g_hid->boards.erase(g_hid->boards.begin() + static_cast<std::ptrdiff_t>(index));
      }
      break;
    case 25:  // the HID library cannot start, or lacks an entry point
      g_hid->startResult = {in.flag(), in.flag() ? "hid_read_timeout" : ""};
      break;
  }
}

}  // namespace

namespace tollvane::usbio {

std::unique_ptr<HidTransport> makeHidapiTransport() {
  return std::make_unique<CurrentSimulation>();
}

}  // namespace tollvane::usbio

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  SimulatedHid hid;
  g_hid = &hid;
  g_input = &in;
  usbio_host_set_message_handler([](const char* text, const char* caption) {
    FUZZ_CHECK(text != nullptr && caption != nullptr);
    ++g_messages;
  });
  // Every input starts from a library that knows no board and holds no handle.
  uio_free();

  const int boards = in.byte() % 5;
  for (int i = 0; i < boards; ++i)
    AddBoard(hid, in);
  for (int calls = 0; !in.empty() && calls < 200; ++calls)
    CallOne(in);

  uio_free();
  for (const auto& board : hid.boards)
    FUZZ_CHECK(board->openHandles == 0);
  g_hid = nullptr;
  g_input = nullptr;
  return 0;
}

// A stand-in for libhidapi-hidraw.so.0 with one simulated USB-IO board behind it, so that the
// real program and the usbio tool can be run end to end without a board. Test code only.
//
// The board: vendor 0x0BFE, product 0x1003 (8-byte reports; the library sees no descriptor,
// so it keeps its 9-byte report lengths), path "simboard:0", serial "SIM0001". With
// TOLLVANE_SIMBOARD_BOARDS=n (1..4) there are n such boards, "simboard:<i>" with serial
// "SIM000<i+1>", each with its own ports; TOLLVANE_SIMBOARD_REFUSE_BOARD=i makes board i
// refuse every report (its cable is loose). Every accepted output
// report is appended as one line to the file named by TOLLVANE_SIMBOARD_LOG (nothing is
// logged without it):
//
//   <monotonic s>.<ns, 9 digits> <realtime s>.<ns, 9 digits> <bytes in hex, report id first>
//   e.g. "5123.004211978 1796821200.250110312 00 02 00 00 00 00 00 21 00"
//
// A command carrying an exchange sequence byte (10..31, at byte 7 of a short report, byte 64
// of a long one) is answered: a short one with its echo and then an answer report holding
// the ports (byte 2 for a port read, bytes 2..3 or 4..5 for both ports), a long one with its
// echo. Port writes (0x01, 0x02, 0x21) change the ports; port 0 starts at 0xFF, port 1 at
// 0x01. Reads with nothing pending time out at once.
//
// TOLLVANE_SIMBOARD_REFUSE, a comma-separated list of command bytes in hex ("20,02"), makes
// the board refuse reports with those commands (hid_write fails; nothing is logged).
//
// Built also with an entry point left out (SIMBOARD_WITHOUT_<NAME>), to try the library
// without it.
#include <fcntl.h>
#include <hidapi.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <deque>
#include <string>
#include <vector>

struct hid_device_ {
  int index = 0;
};

namespace {

constexpr unsigned short kVendorId = 0x0BFE;
constexpr unsigned short kProductId = 0x1003;
constexpr const char* kPathPrefix = "simboard:";
constexpr int kMaxBoards = 4;
constexpr int kShortSequenceByte = 7;
constexpr int kLongSequenceByte = 64;

struct Board {
  unsigned char ports[2] = {0xFF, 0x01};
  std::deque<std::vector<unsigned char>> pending;  // as hidapi hands them: no report id
};

int EnvNumber(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

int boardCount() {
  return std::clamp(EnvNumber("TOLLVANE_SIMBOARD_BOARDS", 1), 1, kMaxBoards);
}

Board& board(int index) {
  static Board boards[kMaxBoards];
  return boards[index];
}

std::string stamp(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  char text[48];
  std::snprintf(text, sizeof text, "%lld.%09ld", static_cast<long long>(now.tv_sec), now.tv_nsec);
  return text;
}

// One write() per line, so the lines of several processes do not mix.
[[maybe_unused]] void logReport(const unsigned char* data, size_t length) {
  const char* file = std::getenv("TOLLVANE_SIMBOARD_LOG");
  if (file == nullptr || *file == '\0')
    return;
  std::string line = stamp(CLOCK_MONOTONIC) + " " + stamp(CLOCK_REALTIME);
  for (size_t i = 0; i < length; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02x", data[i]);
    line += hex;
  }
  line += '\n';
  const int fd = ::open(file, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0)
    return;
  [[maybe_unused]] const ssize_t written = ::write(fd, line.data(), line.size());
  ::close(fd);
}

[[maybe_unused]] bool refused(const unsigned char* data, size_t length) {
  const char* list = std::getenv("TOLLVANE_SIMBOARD_REFUSE");
  if (list == nullptr || length < 2)
    return false;
  for (const char* at = list; *at != '\0';) {
    char* end = nullptr;
    const long command = std::strtol(at, &end, 16);
    if (end == at)
      return false;
    if (command == data[1])
      return true;
    at = *end == ',' ? end + 1 : end;
  }
  return false;
}

[[maybe_unused]] void answer(Board& b, const unsigned char* data, size_t length) {
  const unsigned char command = length > 1 ? data[1] : 0;
  const bool longReport = length > kLongSequenceByte;
  if (!longReport) {
    if (command == 0x01 || command == 0x02)
      b.ports[command - 1] = length > 2 ? data[2] : 0;
    if (command == 0x21 && length > 3) {
      b.ports[0] = data[2];
      b.ports[1] = data[3];
    }
  }
  const size_t at = longReport ? kLongSequenceByte : kShortSequenceByte;
  const int sequence = length > at ? data[at] : -1;
  if (sequence < 10 || sequence > 31)
    return;                                         // a write-only command: no reply
  b.pending.emplace_back(data + 1, data + length);  // the echo
  if (longReport)
    return;
  // The answer in the next report; positions here are one less than in the library's view.
  std::vector<unsigned char> reply(length - 1, 0);
  reply[0] = command;
  const auto put = [&](size_t position, unsigned char value) {
    if (position - 1 < reply.size())
      reply[position - 1] = value;
  };
  if (command == 0x03 || command == 0x04)
    put(2, b.ports[command - 3]);
  if (command == 0x23) {
    put(2, b.ports[0]);
    put(3, b.ports[1]);
  }
  if (command == 0x22 || command == 0x24) {
    put(4, b.ports[0]);
    put(5, b.ports[1]);
  }
  b.pending.push_back(std::move(reply));
}

}  // namespace

extern "C" {

#ifndef SIMBOARD_WITHOUT_HID_INIT
int hid_init(void) {
  return 0;
}
#endif

int hid_exit(void) {
  return 0;
}

#ifndef SIMBOARD_WITHOUT_HID_ENUMERATE
hid_device_info* hid_enumerate(unsigned short vendor_id, unsigned short product_id) {
  if ((vendor_id != 0 && vendor_id != kVendorId) || (product_id != 0 && product_id != kProductId))
    return nullptr;
  hid_device_info* first = nullptr;
  hid_device_info** link = &first;
  for (int index = 0; index < boardCount(); ++index) {
    auto* info = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
    if (info == nullptr)
      break;
    const std::string path = kPathPrefix + std::to_string(index);
    const std::wstring serial = L"SIM000" + std::to_wstring(index + 1);
    info->path = strdup(path.c_str());
    info->vendor_id = kVendorId;
    info->product_id = kProductId;
    info->serial_number = wcsdup(serial.c_str());
    info->manufacturer_string = wcsdup(L"Tollvane test");
    info->product_string = wcsdup(L"Simulated USB-IO");
    info->interface_number = 0;
    info->bus_type = HID_API_BUS_USB;
    *link = info;
    link = &info->next;
  }
  return first;
}
#endif

void hid_free_enumeration(hid_device_info* devices) {
  while (devices != nullptr) {
    hid_device_info* next = devices->next;
    std::free(devices->path);
    std::free(devices->serial_number);
    std::free(devices->manufacturer_string);
    std::free(devices->product_string);
    std::free(devices);
    devices = next;
  }
}

hid_device* hid_open_path(const char* path) {
  const size_t prefix = std::strlen(kPathPrefix);
  if (path == nullptr || std::strncmp(path, kPathPrefix, prefix) != 0)
    return nullptr;
  const std::string index = path + prefix;
  for (int i = 0; i < boardCount(); ++i) {
    if (index == std::to_string(i))
      return new hid_device_{i};
  }
  return nullptr;
}

void hid_close(hid_device* device) {
  delete device;
}

#ifndef SIMBOARD_WITHOUT_HID_WRITE
int hid_write(hid_device* device, const unsigned char* data, size_t length) {
  if (device == nullptr || data == nullptr || length == 0 || refused(data, length) ||
      device->index == EnvNumber("TOLLVANE_SIMBOARD_REFUSE_BOARD", -1)) {
    return -1;
  }
  logReport(data, length);
  answer(board(device->index), data, length);
  return static_cast<int>(length);
}
#endif

int hid_read_timeout(hid_device* device, unsigned char* data, size_t length, int) {
  if (device == nullptr || data == nullptr)
    return -1;
  Board& b = board(device->index);
  if (b.pending.empty())
    return 0;
  const std::vector<unsigned char> report = std::move(b.pending.front());
  b.pending.pop_front();
  const size_t count = std::min(length, report.size());
  std::memcpy(data, report.data(), count);
  return static_cast<int>(count);
}

}  // extern "C"

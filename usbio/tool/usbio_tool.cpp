// usbio: lists USB-IO boards and drives the bell output and the ports without the bell
// program, for whoever wires a board.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "usbio.h"
#include "usbio_host.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitBoardFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoBoard = 3;
constexpr int kPathBytes = 260;

const char* const kUsage =
    "Usage: usbio [-d INDEX] COMMAND\n"
    "       usbio --help | --version\n"
    "\n"
    "Commands:\n"
    "  list              index, vid, pid, report lengths and device path of each board\n"
    "  on                bell output on (port 1 := 0x00), exactly as at a bell's start\n"
    "  off               bell output off (port 1 := 0x01)\n"
    "  write PORT VALUE  write a value (0..255, or 0x00..0xff) to port 0 or 1\n"
    "  read PORT         read port 0 or 1\n"
    "\n"
    "Options:\n"
    "  -d INDEX          the board to use, as numbered by 'list' (default 0)\n"
    "  -h, --help        show this help\n"
    "  -V, --version     show the version\n"
    "\n"
    "Exit status: 0 done, 1 the board did not take the command, 2 bad usage,\n"
    "3 no accessible board.\n";

std::optional<int> parseNumber(const char* text) {
  if (text == nullptr || *text == '\0')
    return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 0);
  if (errno != 0 || *end != '\0' || value < -0x7FFFFFFFL || value > 0x7FFFFFFFL) {
    return std::nullopt;
  }
  return static_cast<int>(value);
}

int usageError(const std::string& problem) {
  std::fprintf(stderr, "usbio: %s\n\n%s", problem.c_str(), kUsage);
  return kExitUsage;
}

std::string devicePath(int index) {
  char path[kPathBytes] = {};
  usbio_host_device_path(index, path, sizeof path);
  return path;
}

struct Unopened {
  std::string path;
  int vid = 0;
  int pid = 0;
  bool permissionDenied = false;
};

std::vector<Unopened> unopenedBoards() {
  std::vector<Unopened> boards;
  const int count = usbio_host_unopened_count();
  for (int i = 0; i < count; ++i) {
    char path[kPathBytes] = {};
    Unopened board;
    int denied = 0;
    if (usbio_host_unopened_board(i, path, sizeof path, &board.vid, &board.pid, &denied) < 0) {
      continue;
    }
    board.path = path;
    board.permissionDenied = denied != 0;
    boards.push_back(board);
  }
  return boards;
}

void printUnopened(const std::vector<Unopened>& boards) {
  bool anyDenied = false;
  for (const Unopened& board : boards) {
    std::fprintf(stderr, "usbio: board %04x:%04x at %s is present but %s\n", board.vid, board.pid,
                 board.path.c_str(),
                 board.permissionDenied ? "access to it was denied" : "it could not be opened");
    anyDenied = anyDenied || board.permissionDenied;
  }
  if (anyDenied) {
    std::fprintf(stderr,
                 "usbio: install the udev rule 70-usbio.rules into /etc/udev/rules.d (or "
                 "/usr/lib/udev/rules.d),\n"
                 "       run 'udevadm control --reload' and 'udevadm trigger' as root, then "
                 "unplug and replug the board\n");
  }
}

// Finds the boards; reports why there is none usable.
int findBoards() {
  const int count = openUSBIO();
  if (count > 0)
    return count;
  const auto unopened = unopenedBoards();
  if (usbio_host_library_loaded() == 0) {
    std::fprintf(stderr,
                 "usbio: no USB-IO board found: the HID library libhidapi-hidraw.so.0 is "
                 "missing or incomplete\n"
                 "       (Debian package libhidapi-hidraw0)\n");
  } else if (unopened.empty()) {
    std::fprintf(stderr, "usbio: no USB-IO board found\n");
  } else {
    printUnopened(unopened);
  }
  return 0;
}

int list() {
  const int count = findBoards();
  if (count == 0)
    return kExitNoBoard;
  std::printf("%-5s  %-6s  %-6s  %-5s  %-6s  %s\n", "index", "vid", "pid", "input", "output",
              "path");
  for (int index = 0; index < count; ++index) {
    uio_selDev(index);
    int input = 0;
    int output = 0;
    usbio_host_report_lengths(&input, &output);
    std::printf("%-5d  0x%04x  0x%04x  %-5d  %-6d  %s\n", index, uio_getVid(index),
                uio_getPid(index), input, output, devicePath(index).c_str());
  }
  const auto unopened = unopenedBoards();
  if (!unopened.empty())
    printUnopened(unopened);
  return kExitOk;
}

int selectBoard(int device) {
  const int count = findBoards();
  if (count == 0)
    return kExitNoBoard;
  if (device < 0 || device >= count) {
    std::fprintf(stderr, "usbio: there is no board %d (boards 0..%d found)\n", device, count - 1);
    return kExitUsage;
  }
  uio_selDev(device);
  return kExitOk;
}

int bellOutput(int device, bool on) {
  if (const int status = selectBoard(device); status != kExitOk)
    return status;
  const int failed = usbio_host_board_output_checked(on ? 1 : 0);
  if (failed != 0) {
    std::fprintf(
        stderr, "usbio: board %d did not take the %s reports (%s)\n", device,
        on ? "output-on" : "output-off",
        failed == 3 ? "both failed" : (failed == 1 ? "long report failed" : "port write failed"));
    return kExitBoardFailed;
  }
  std::printf("board %d: bell output %s\n", device, on ? "on" : "off");
  return kExitOk;
}

int writePort(int device, int port, int value) {
  if (const int status = selectBoard(device); status != kExitOk)
    return status;
  switch (outputUSBIO(device, port, value)) {
    case 0:
      std::printf("board %d: port %d := 0x%02x\n", device, port, value);
      return kExitOk;
    case -2:
      return usageError("the port must be 0 or 1");
    case -3:
      return usageError("the value must be 0..255");
    default:
      std::fprintf(stderr, "usbio: writing port %d of board %d failed\n", port, device);
      return kExitBoardFailed;
  }
}

int readPort(int device, int port) {
  if (const int status = selectBoard(device); status != kExitOk)
    return status;
  const int value = inputUSBIO(device, port);
  if (value == -2)
    return usageError("the port must be 0 or 1");
  if (value < 0) {
    std::fprintf(stderr, "usbio: reading port %d of board %d failed (no answer)\n", port, device);
    return kExitBoardFailed;
  }
  std::printf("board %d: port %d = 0x%02x (%d)\n", device, port, value, value);
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  int device = 0;
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::printf("%s", kUsage);
      return kExitOk;
    }
    if (arg == "-V" || arg == "--version") {
      std::printf("usbio (Tollvane) %s\n", TOLLVANE_VERSION);
      return kExitOk;
    }
    if (arg == "-d") {
      const auto index = i + 1 < argc ? parseNumber(argv[++i]) : std::nullopt;
      if (!index)
        return usageError("-d needs a board index");
      device = *index;
      continue;
    }
    words.push_back(arg);
  }
  if (words.empty())
    return usageError("no command given");

  const std::string& command = words[0];
  const size_t operands = words.size() - 1;
  auto number = [&](size_t at, const char* what) -> std::optional<int> {
    const auto value = parseNumber(words[at].c_str());
    if (!value)
      usageError(std::string("not a number for ") + what + ": '" + words[at] + "'");
    return value;
  };

  if (command == "list" && operands == 0)
    return list();
  if (command == "on" && operands == 0)
    return bellOutput(device, true);
  if (command == "off" && operands == 0)
    return bellOutput(device, false);
  if (command == "write" && operands == 2) {
    const auto port = number(1, "PORT");
    if (!port)
      return kExitUsage;
    const auto value = number(2, "VALUE");
    if (!value)
      return kExitUsage;
    return writePort(device, *port, *value);
  }
  if (command == "read" && operands == 1) {
    const auto port = number(1, "PORT");
    if (!port)
      return kExitUsage;
    return readPort(device, *port);
  }
  return usageError("unknown command or wrong number of operands: '" + command + "'");
}

// The C face of libusbio: the process-wide library instance behind usbio.h and usbio_host.h.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>

#include "usbio.h"
#include "usbio/hidapi_transport.h"
#include "usbio/usbio_library.h"
#include "usbio_host.h"

namespace {

using tollvane::usbio::UsbioLibrary;

using MessageHandler = void (*)(const char*, const char*);

void printMessage(const char* text, const char* caption) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
}

std::atomic<MessageHandler> messageHandler{&printMessage};

// Other programs may call from more than one thread; the library state is one, so every call
// holds this. Recursive because a message handler might still reach back in.
std::recursive_mutex& libraryMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

UsbioLibrary& library() {
  static UsbioLibrary instance(tollvane::usbio::makeHidapiTransport(),
                               [](const std::string& text, const std::string& caption) {
                                 messageHandler.load()(text.c_str(), caption.c_str());
                               });
  return instance;
}

// No C++ exception may reach a C caller: every export runs its call through here and gives
// its documented failure code instead (the library state may then be part-way changed).
template <typename Call>
auto locked(decltype(std::declval<Call>()(std::declval<UsbioLibrary&>())) failure,
            Call&& call) noexcept {
  try {
    std::lock_guard<std::recursive_mutex> guard(libraryMutex());
    return call(library());
  } catch (...) {
    return failure;
  }
}

int copyText(const std::string& text, char* buffer, int size) {
  if (buffer != nullptr && size > 0) {
    const size_t count = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
  }
  return static_cast<int>(text.size());
}

}  // namespace

extern "C" {

int openUSBIO(void) {
  return locked(0, [](UsbioLibrary& lib) { return lib.openUSBIO(); });
}
int closeUSBIO(void) {
  return locked(0, [](UsbioLibrary& lib) { return lib.closeUSBIO(); });
}
int uio_free(void) {
  return locked(0, [](UsbioLibrary& lib) { return lib.uio_free(); });
}
int uio_getDevs(void) {
  return locked(0, [](UsbioLibrary& lib) { return lib.uio_getDevs(); });
}
int uio_getVid(int index) {
  return locked(0, [&](UsbioLibrary& lib) { return lib.uio_getVid(index); });
}
int uio_getPid(int index) {
  return locked(0, [&](UsbioLibrary& lib) { return lib.uio_getPid(index); });
}
int uio_selDev(int index) {
  return locked(0, [&](UsbioLibrary& lib) { return lib.uio_selDev(index); });
}
int uio_selId(int vid, int pid) {
  return locked(1, [&](UsbioLibrary& lib) { return lib.uio_selId(vid, pid); });
}
int outputUSBIO(int device, int port, int value) {
  return locked(-4, [&](UsbioLibrary& lib) { return lib.outputUSBIO(device, port, value); });
}
int inputUSBIO(int device, int port) {
  return locked(-1, [&](UsbioLibrary& lib) { return lib.inputUSBIO(device, port); });
}
int uio_inpW(unsigned char* value, int port, int extended) {
  return locked(1, [&](UsbioLibrary& lib) { return lib.uio_inpW(value, port, extended); });
}
int uio_outAll(int a, int b) {
  return locked(1, [&](UsbioLibrary& lib) { return lib.uio_outAll(a, b); });
}
int uio_outInpAll(int a, int b, unsigned char* x, unsigned char* y) {
  return locked(1, [&](UsbioLibrary& lib) { return lib.uio_outInpAll(a, b, x, y); });
}
int uio_inpAll(unsigned char* x, unsigned char* y) {
  return locked(1, [&](UsbioLibrary& lib) { return lib.uio_inpAll(x, y); });
}
int uio_inpOutAll(int a, int b, unsigned char* x, unsigned char* y) {
  return locked(1, [&](UsbioLibrary& lib) { return lib.uio_inpOutAll(a, b, x, y); });
}
int uio2_inp(unsigned char* d) {
  return locked(1, [&](UsbioLibrary& lib) { return lib.uio2_inp(d); });
}
int uio2_inOut(unsigned char* d) {
  return locked(1, [&](UsbioLibrary& lib) { return lib.uio2_inOut(d); });
}
int uio2_Outin(unsigned char* d) {
  return locked(1, [&](UsbioLibrary& lib) { return lib.uio2_Outin(d); });
}
int uio2_outIn(unsigned char* d) {
  return locked(1, [&](UsbioLibrary& lib) { return lib.uio2_outIn(d); });
}
int uio2_setSys(unsigned char* d) {
  return locked(1, [&](UsbioLibrary& lib) { return lib.uio2_setSys(d); });
}
int uio2_getSys(unsigned char* d) {
  return locked(1, [&](UsbioLibrary& lib) { return lib.uio2_getSys(d); });
}
int uio_cmd(unsigned char* d) {
  return locked(1, [&](UsbioLibrary& lib) { return lib.uio_cmd(d); });
}

void usbio_host_set_message_handler(void (*handler)(const char* text, const char* caption)) {
  messageHandler.store(handler != nullptr ? handler : &printMessage);
}

int usbio_host_init(void) {
  return locked(1, [](UsbioLibrary& lib) { return static_cast<int>(lib.uio_init()); });
}

void usbio_host_board_output(int on) {
  usbio_host_board_output_checked(on);
}

int usbio_host_board_output_checked(int on) {
  return locked(3, [&](UsbioLibrary& lib) {
    const auto results = lib.boardOutput(on != 0);
    return (results[0] != 0 ? 1 : 0) | (results[1] != 0 ? 2 : 0);
  });
}

int usbio_host_device_path(int index, char* buffer, int size) {
  return locked(-1, [&](UsbioLibrary& lib) {
    if (index < 0 || index >= lib.uio_getDevs())
      return -1;
    return copyText(lib.row(index).path, buffer, size);
  });
}

void usbio_host_report_lengths(int* input, int* output) {
  locked(0, [&](UsbioLibrary& lib) {
    if (input != nullptr)
      *input = lib.inputReportLength();
    if (output != nullptr)
      *output = lib.outputReportLength();
    return 0;
  });
}

int usbio_host_library_loaded(void) {
  return locked(0, [](UsbioLibrary& lib) { return lib.libraryLoaded() ? 1 : 0; });
}

int usbio_host_unopened_count(void) {
  return locked(0, [](UsbioLibrary& lib) { return static_cast<int>(lib.unopenedBoards().size()); });
}

int usbio_host_unopened_board(int index, char* path, int size, int* vid, int* pid,
                              int* permission_denied) {
  return locked(-1, [&](UsbioLibrary& lib) {
    const auto& boards = lib.unopenedBoards();
    if (index < 0 || static_cast<size_t>(index) >= boards.size())
      return -1;
    const auto& board = boards[static_cast<size_t>(index)];
    if (vid != nullptr)
      *vid = board.vendorId;
    if (pid != nullptr)
      *pid = board.productId;
    if (permission_denied != nullptr)
      *permission_denied = board.permissionDenied ? 1 : 0;
    return copyText(board.path, path, size);
  });
}

}  // extern "C"

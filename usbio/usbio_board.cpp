#include "usbio/usbio_board.h"

#include "usbio_host.h"

namespace tollvane {

UsbioBoard::UsbioBoard(void (*messageHandler)(const char* text, const char* caption)) {
  if (messageHandler != nullptr)
    usbio_host_set_message_handler(messageHandler);
}

void UsbioBoard::outputOn() {
  signal(true);
}

void UsbioBoard::outputOff() {
  signal(false);
}

void UsbioBoard::signal(bool on) {
  // Bit 0: the long report failed, bit 1: the port write failed.
  const int failed = usbio_host_board_output_checked(on ? 1 : 0);
  last_.known = true;
  last_.longReportWritten = (failed & 1) == 0;
  last_.portWritten = (failed & 2) == 0;
}

int UsbioBoard::init() {
  return usbio_host_init();
}

}  // namespace tollvane

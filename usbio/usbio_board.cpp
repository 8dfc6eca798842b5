#include "usbio/usbio_board.h"

#include "usbio_host.h"

namespace tollvane {

UsbioBoard::UsbioBoard(void (*messageHandler)(const char* text, const char* caption)) {
  if (messageHandler != nullptr)
    usbio_host_set_message_handler(messageHandler);
}

void UsbioBoard::outputOn() {
  usbio_host_board_output(1);
}

void UsbioBoard::outputOff() {
  usbio_host_board_output(0);
}

int UsbioBoard::init() {
  return usbio_host_init();
}

}  // namespace tollvane

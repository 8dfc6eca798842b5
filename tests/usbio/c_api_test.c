/* Calls every exported function through usbio.h and libusbio.so. Without a board each one must
   give its documented failure code; with a board attached the test is skipped. */
#include <stdio.h>
#include <string.h>

#include "usbio.h"
#include "usbio_host.h"

#define SKIP 77

static int failures = 0;
static int messages = 0;

static void expect(int got, int want, const char* what) {
  if (got != want) {
    fprintf(stderr, "FAIL %s: got %d, want %d\n", what, got, want);
    ++failures;
  }
}

static void countMessage(const char* text, const char* caption) {
  (void)text;
  (void)caption;
  ++messages;
}

int main(void) {
  unsigned char x = 0xA1;
  unsigned char y = 0xB2;
  unsigned char ports[7] = {1, 2, 3, 4, 5, 6, 7};
  unsigned char sys[15] = {0};
  unsigned char raw[60] = {0};
  unsigned char before[60];
  int input = 0;
  int output = 0;

  usbio_host_set_message_handler(countMessage);
  usbio_host_report_lengths(&input, &output);
  expect(input, 9, "input length before any open");
  expect(output, 9, "output length before any open");
  expect(uio_getDevs(), 0, "uio_getDevs before openUSBIO");
  expect(uio_selId(0x1352, 0x0121), 2, "uio_selId with no boards known");
  expect(outputUSBIO(0, 0, 0), -1, "outputUSBIO before openUSBIO");
  expect(inputUSBIO(0, 0), -1, "inputUSBIO before openUSBIO");

  if (openUSBIO() > 0) {
    printf("a USB-IO board is attached; this test needs a machine without one\n");
    closeUSBIO();
    return SKIP;
  }
  expect(messages, 0, "messages while starting hidapi");
  expect(uio_getDevs(), 0, "uio_getDevs");
  expect(usbio_host_init(), 1, "usbio_host_init");
  expect(uio_getVid(0), 0, "uio_getVid(0)");
  expect(uio_getPid(-1), 0, "uio_getPid(-1)");
  expect(uio_getVid(64), 0, "uio_getVid(64)");
  expect(uio_selDev(3), 0, "uio_selDev");
  expect(uio_selId(0x1352, 0x0121), 2, "uio_selId");
  expect(outputUSBIO(0, 0, 0), -1, "outputUSBIO");
  expect(inputUSBIO(0, 1), -1, "inputUSBIO");

  expect(uio_outAll(1, 2), 1, "uio_outAll");
  expect(uio_outInpAll(1, 2, &x, &y), 1, "uio_outInpAll");
  expect(uio_inpAll(&x, &y), 1, "uio_inpAll");
  expect(uio_inpOutAll(1, 2, &x, &y), 1, "uio_inpOutAll");
  expect(x == 0xA1 && y == 0xB2, 1, "answers untouched on failure");
  expect(uio_inpW(&x, 0, 0), 1, "uio_inpW");
  expect(uio2_inp(ports), 1, "uio2_inp");
  expect(uio2_inOut(ports), 1, "uio2_inOut");
  expect(uio2_Outin(ports), 1, "uio2_Outin");
  expect(uio2_outIn(ports), 1, "uio2_outIn");
  expect(ports[0] == 1 && ports[6] == 7, 1, "ports untouched on failure");
  expect(uio2_setSys(sys), 1, "uio2_setSys");
  expect(uio2_getSys(sys), 1, "uio2_getSys");
  memset(raw, 0x3C, sizeof raw);
  memcpy(before, raw, sizeof raw);
  expect(uio_cmd(raw), 1, "uio_cmd");
  expect(memcmp(raw, before, sizeof raw), 0, "uio_cmd buffer untouched on failure");

  /* NULL buffers are refused, not dereferenced. */
  expect(uio_inpAll(NULL, NULL), 1, "uio_inpAll(NULL)");
  expect(uio_outInpAll(0, 0, NULL, &y), 1, "uio_outInpAll(NULL)");
  expect(uio_inpOutAll(0, 0, &x, NULL), 1, "uio_inpOutAll(NULL)");
  expect(uio2_inp(NULL), 1, "uio2_inp(NULL)");
  expect(uio2_setSys(NULL), 1, "uio2_setSys(NULL)");
  expect(uio_cmd(NULL), 1, "uio_cmd(NULL)");
  expect(uio_inpW(NULL, 0, 0), 1, "uio_inpW(NULL)");

  expect(usbio_host_board_output_checked(1), 3, "board output on, no board");
  usbio_host_board_output(0);
  expect(usbio_host_device_path(0, NULL, 0), -1, "device path of a missing row");
  expect(usbio_host_unopened_board(-1, NULL, 0, NULL, NULL, NULL), -1, "unopened row -1");

  expect(closeUSBIO(), 0, "closeUSBIO");
  expect(uio_free(), 0, "uio_free");
  expect(uio_getDevs(), 0, "uio_getDevs after uio_free");
  expect(messages, 0, "messages in total");

  if (failures == 0)
    printf("all exported functions gave their failure codes\n");
  return failures == 0 ? 0 : 1;
}

/* Built against the installed usbio.h and usbio.pc: the header stands alone in C and the
   library links and runs without a board. */
#include <stdio.h>
#include <usbio.h>

int main(void) {
  openUSBIO();
  printf("boards: %d\n", uio_getDevs());
  closeUSBIO();
  return 0;
}

/*******************************************************
 libusbio - drive a USB-IO digital I/O board over HID

 The library keeps one process-wide state: the list of supported
 boards found by the last search and one current board, which every
 command talks to. It is not re-entrant; calls are serialised.

 Byte arguments are passed as 32-bit ints and only their low byte is
 used. Buffer arguments belong to the caller; they are read before a
 command is sent and overwritten with the board's answer only when
 the command returns 0.

 Results shared by the commands:
   0  success
   1  the report could not be written (also: no board, or a NULL
      buffer, in which case nothing is sent)
   2  reading the reply failed, or no reply came within 1 second
   3  100 replies arrived and none carried the command's sequence byte

 A command called while no board is known first searches for boards
 (as openUSBIO does) and then goes on; with no board it returns 1.

 No C++ exception leaves the library. When the library itself fails
 (out of memory, say) a function gives up and returns its failure
 value: 1 for the commands, uio_inpW and uio_selId; -4 for outputUSBIO;
 -1 for inputUSBIO; 0 for openUSBIO, uio_getDevs, uio_getVid and
 uio_getPid; closeUSBIO, uio_free and uio_selDev return 0 as always.
 The functions of usbio_host.h say theirs.
********************************************************/

#ifndef USBIO_H
#define USBIO_H

#ifndef USBIO_API
#define USBIO_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Library management */

/** @brief Start the HID library and search for supported boards.

    Opens the first board found as the current board. Calling it again
    searches again (boards plugged in or out since are noticed).

    @returns
        The number of supported boards found, 0 when there is none or the
        HID library cannot be started (a message is shown then).
*/
USBIO_API int openUSBIO(void);

/** @brief Same as uio_free().

    @returns 0.
*/
USBIO_API int closeUSBIO(void);

/** @brief Close the current board and release the HID library.

    The board list is emptied (uio_getDevs() gives 0). The sequence
    counters of the commands keep running.

    @returns 0.
*/
USBIO_API int uio_free(void);

/** @brief Number of boards found by the last search; no new search.

    @returns The board count, 0..64.
*/
USBIO_API int uio_getDevs(void);

/** @brief Vendor id of board @p index (0..uio_getDevs()-1).

    @returns
        The vendor id (0..0xFFFF). An index outside 0..63 gives 0; an
        index from uio_getDevs() to 63 gives what that row last held.
*/
USBIO_API int uio_getVid(int index);

/** @brief Product id of board @p index; bounds as in uio_getVid(). */
USBIO_API int uio_getPid(int index);

/** @brief Make board @p index (0..uio_getDevs()-1) the current board.

    The board is opened afresh even when it already is the current one.
    An index outside the range changes nothing.

    @returns 0, also for an index outside the range.
*/
USBIO_API int uio_selDev(int index);

/** @brief Make the first board with vendor id @p vid and product id
    @p pid the current board.

    @returns
        0 when a board matched and was opened, 1 when none matched,
        2 when no boards are known (no search is made).
*/
USBIO_API int uio_selId(int vid, int pid);

/* Port functions with checked arguments */

/** @brief Write @p value to port @p port of board @p device.

    Does not search for boards: call openUSBIO() first.

    @param device Board index, 0..uio_getDevs()-1.
    @param port   0 or 1.
    @param value  0..255.

    @returns
        0 written, -1 bad device index (or no board known), -2 bad port,
        -3 bad value, -4 the write failed. Arguments are checked in
        that order.
*/
USBIO_API int outputUSBIO(int device, int port, int value);

/** @brief Read port @p port (0 or 1) of board @p device.

    Does not search for boards: call openUSBIO() first.

    @returns
        The port value 0..255; -1 for a bad device index, no board or a
        failed read; -2 for a bad port.
*/
USBIO_API int inputUSBIO(int device, int port);

/** @brief Read a port twice and keep the second answer.

    @param value    Caller's byte, receives the port value on success.
    @param port     Port; its low bit (low two bits when @p extended is
                    not 0) selects the port.
    @param extended Not 0 for the extended port commands.

    @returns 0 on success, 1 on any failure (also a NULL @p value). When
             only the second read fails, @p value holds the first answer.
*/
USBIO_API int uio_inpW(unsigned char* value, int port, int extended);

/* Short-report commands (answer in the report after the echo) */

/** @brief Write both ports (command 0x21); no reply is awaited.

    @returns 0 written, 1 write failed.
*/
USBIO_API int uio_outAll(int a, int b);

/** @brief Write both ports, then read them (command 0x22).

    @param a,b Values for port 0 and port 1.
    @param x,y Caller's bytes; receive port 0 and port 1 on success.

    @returns 0, 1, 2 or 3 (see above).
*/
USBIO_API int uio_outInpAll(int a, int b, unsigned char* x, unsigned char* y);

/** @brief Read both ports (command 0x23) into @p x and @p y.

    @returns 0, 1, 2 or 3.
*/
USBIO_API int uio_inpAll(unsigned char* x, unsigned char* y);

/** @brief Read both ports, then write them (command 0x24).

    @returns 0, 1, 2 or 3; @p x and @p y receive the ports on success.
*/
USBIO_API int uio_inpOutAll(int a, int b, unsigned char* x, unsigned char* y);

/* Long-report commands (65-byte reports, answer in the reply itself) */

/** @brief Read the ports (command 0x20, no data sent).

    @param d Caller's 7 bytes; receive bytes 2..8 of the reply.

    @returns 0, 1, 2 or 3.
*/
USBIO_API int uio2_inp(unsigned char* d);

/** @brief Send 7 bytes with command 0x20 and read 7 back into @p d.

    @returns 0, 1, 2 or 3.
*/
USBIO_API int uio2_inOut(unsigned char* d);

/** @brief Send 7 bytes with command 0x21 and read 7 back into @p d.
    Sends the same report as uio2_outIn().

    @returns 0, 1, 2 or 3.
*/
USBIO_API int uio2_Outin(unsigned char* d);

/** @brief Send 7 bytes with command 0x21 and read 7 back into @p d.

    @returns 0, 1, 2 or 3.
*/
USBIO_API int uio2_outIn(unsigned char* d);

/** @brief Send 15 bytes with command 0xF8 (board settings) and read 15
    back into @p d.

    @returns 0, 1, 2 or 3.
*/
USBIO_API int uio2_setSys(unsigned char* d);

/** @brief Send 15 bytes with command 0xF9 (board settings) and read 15
    back into @p d.

    @returns 0, 1, 2 or 3.
*/
USBIO_API int uio2_getSys(unsigned char* d);

/** @brief Send a raw long report and read the reply.

    @param d Caller's 60 bytes: bytes 0..59 of the report, report id
             (0x00) and command byte included. Bytes 60..63 are sent as
             zero, byte 64 is the sequence byte. On success d receives
             bytes 0..59 of the reply.

    @returns 0, 1, 2 or 3.
*/
USBIO_API int uio_cmd(unsigned char* d);

#ifdef __cplusplus
}
#endif

#endif /* USBIO_H */

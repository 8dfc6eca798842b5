/*******************************************************
 libusbio host interface

 Steps of libusbio that the bell program (and the board tool) need
 beyond the exported board functions of usbio.h. They work on the same
 process-wide state as usbio.h.
********************************************************/

#ifndef USBIO_HOST_H
#define USBIO_HOST_H

#ifndef USBIO_API
#define USBIO_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/** @brief Route the library's messages (HID library cannot be started)
    to @p handler.

    @param handler Receives the message text and its caption, both UTF-8
                   and valid only during the call. It may run an event
                   loop (a modal box) whose handlers call the library
                   again on the same thread; such calls are served, and
                   may show the message again. Calls from other threads
                   wait until the handler returns. NULL restores the
                   default, which prints "caption: text" to stderr.
*/
USBIO_API void usbio_host_set_message_handler(void (*handler)(const char* text,
                                                              const char* caption));

/** @brief Start the HID library if needed and search for boards again.

    @returns 0 when a board is ready (the first one found is current),
             1 when the library cannot be started or no board is found
             (also when the library fails inside).
*/
USBIO_API int usbio_host_init(void);

/** @brief Switch the bell output (second port) on or off.

    Sends the two reports of the bell signal: the long report
    02 00 (on) or 02 01 (off), then port 1 := 0x00 (on) or 0x01 (off).
    Searches for boards first when none is known. When the current board
    refuses a report (unplugged, perhaps plugged back in), searches once
    more and sends that report again to the same board: same vendor and
    product id, and the same serial number, or else the same USB port,
    where the system tells them. When that board is not there the report
    fails, no other board takes it, and none is current until the board
    is back or one is chosen again. Results are ignored.

    @param on Not 0 for on.
*/
USBIO_API void usbio_host_board_output(int on);

/** @brief As usbio_host_board_output(), reporting the outcome.

    @returns 0 when both reports were written, otherwise bit 0 set when
             the long report failed and bit 1 set when the port write
             failed (3 also when the library fails inside).
*/
USBIO_API int usbio_host_board_output_checked(int on);

/** @brief Device path of board @p index (0..uio_getDevs()-1).

    @param buffer Caller's buffer of @p size bytes; receives the path,
                  zero-terminated and cut to fit. May be NULL when
                  @p size is 0.

    @returns The path length in bytes without the zero, -1 for an index
             outside the range (or when the library fails inside).
*/
USBIO_API int usbio_host_device_path(int index, char* buffer, int size);

/** @brief Report lengths of the current board, report id included
    (9 and 9 before any board was opened).

    @param input,output Receive the lengths; either may be NULL. Left as
                        they were when the library fails inside.
*/
USBIO_API void usbio_host_report_lengths(int* input, int* output);

/** @brief Whether the HID library (libhidapi-hidraw.so.0) is loaded with
    every entry point it was checked for.

    @returns 1 loaded, 0 not (never tried, missing, lacking an entry
             point, or released by uio_free()).
*/
USBIO_API int usbio_host_library_loaded(void);

/** @brief Number of supported boards that the last search saw but could
    not open (0 when the library fails inside). */
USBIO_API int usbio_host_unopened_count(void);

/** @brief Describe unopened board @p index (0..usbio_host_unopened_count()-1).

    @param path              Caller's buffer of @p size bytes for the
                             device path (zero-terminated, cut to fit).
    @param vid,pid           Receive the ids; may be NULL.
    @param permission_denied Receives 1 when the system refused access
                             (the udev rule is missing), else 0; may be
                             NULL.

    @returns The path length without the zero, -1 for a bad index (or
             when the library fails inside).
*/
USBIO_API int usbio_host_unopened_board(int index, char* path, int size, int* vid, int* pid,
                                        int* permission_denied);

#ifdef __cplusplus
}
#endif

#endif /* USBIO_HOST_H */

/* The programs on GStreamer (and Qt): the same options, with what GLib and libav allocate for
   the life of the process and never free left out of the leak report. Both are named by where
   the allocation happens in those libraries alone, never by a frame of ours, so a leak of our
   own code still fails the test. */
#include <sanitizer/lsan_interface.h>

#include "sanitizer_defaults.c"

const char* __lsan_default_suppressions(void);

/* av_malloc: contexts libav's codecs keep per process. The frame right above the allocator is
   always in the report, so this matches with the fast unwinder too. */
const char* __lsan_default_suppressions(void) {
  return "leak:av_malloc\n";
}

/* Shared libraries' constructors run before any code of ours: GLib sets up its quark table
   there and drops the first block when the table grows, by design. GLib has no frame
   pointers, so the fast unwinder cannot name the constructor; instead the leak checker is
   off from before the first library constructor (preinit) until the program's own earliest
   constructor. */
static void tollvane_library_setup_begins(void) {
  __lsan_disable();
}

__attribute__((section(".preinit_array"),
               used)) static void (*const tollvane_preinit)(void) = tollvane_library_setup_begins;

__attribute__((constructor(101))) static void tollvane_library_setup_ends(void) {
  __lsan_enable();
}

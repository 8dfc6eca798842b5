/* Default options of the sanitizer runtimes, linked into every program of a sanitizer build so
   that ctest, test discovery during the build and a program started by hand behave alike.
   Options given in ASAN_OPTIONS, UBSAN_OPTIONS or LSAN_OPTIONS still win. */

const char* __asan_default_options(void);
const char* __ubsan_default_options(void);

const char* __asan_default_options(void) {
  return "detect_leaks=1:check_initialization_order=1:strict_init_order=1:"
         "detect_stack_use_after_return=1:strict_string_checks=1";
}

const char* __ubsan_default_options(void) {
  return "print_stacktrace=1:halt_on_error=1";
}

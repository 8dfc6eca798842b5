# TOLLVANE_FUZZ=ON (clang only): the modules without Qt and GStreamer, built for libFuzzer with
# AddressSanitizer, UndefinedBehaviorSanitizer and checked containers, plus the fuzz targets in
# fuzz/. Libraries get the coverage instrumentation only; the targets link libFuzzer's main.
option(TOLLVANE_FUZZ "Build the libFuzzer targets (clang) instead of the program" OFF)

if(TOLLVANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TOLLVANE_FUZZ needs clang: configure with CC=clang CXX=clang++")
  endif()
  if(TOLLVANE_SANITIZE)
    message(FATAL_ERROR "TOLLVANE_FUZZ and TOLLVANE_SANITIZE are separate builds")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer -O1 -g1)
  add_compile_definitions(_GLIBCXX_ASSERTIONS)
  add_link_options(-fsanitize=address,undefined)
endif()

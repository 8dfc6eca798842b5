# TOLLVANE_SANITIZE=ON: every library, program and test with AddressSanitizer and
# UndefinedBehaviorSanitizer (g++), any finding fatal, and the library's bounds assertions so
# std::array and std::vector indexing is checked too.
option(TOLLVANE_SANITIZE "Build with AddressSanitizer, UndefinedBehaviorSanitizer and checked containers" OFF)

if(TOLLVANE_SANITIZE)
  set(tollvane_sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all
                              -fno-omit-frame-pointer)
  # Line tables (-g1) are all a report's stack trace needs, inlined frames included; the full
  # debug information costs a quarter of this build's compile time.
  add_compile_options(${tollvane_sanitize_flags} -O1 -g1)
  add_compile_definitions(_GLIBCXX_ASSERTIONS)
  add_link_options(-fsanitize=address,undefined)
endif()

# Gives every program in the tree the sanitizers' default options (cmake/sanitizer_defaults.c).
# Programs of the directories in GST_DIRS, which load GStreamer (directly or through the real
# sound player), leave GLib's and libav's process-lifetime allocations out of the leak report
# (cmake/sanitizer_defaults_gst.c). Call after all add_subdirectory() calls.
function(tollvane_sanitizer_defaults)
  if(NOT TOLLVANE_SANITIZE)
    return()
  endif()
  cmake_parse_arguments(arg "" "" "GST_DIRS" ${ARGN})
  set(pending ${CMAKE_SOURCE_DIR})
  while(pending)
    list(POP_FRONT pending dir)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND pending ${subdirs})
    set(gst_dir OFF)
    foreach(g ${arg_GST_DIRS})
      if(dir STREQUAL g)
        set(gst_dir ON)
      endif()
    endforeach()
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(t ${targets})
      get_target_property(type ${t} TYPE)
      if(NOT type STREQUAL "EXECUTABLE")
        continue()
      endif()
      if(gst_dir)
        target_sources(${t} PRIVATE ${CMAKE_SOURCE_DIR}/cmake/sanitizer_defaults_gst.c)
      else()
        target_sources(${t} PRIVATE ${CMAKE_SOURCE_DIR}/cmake/sanitizer_defaults.c)
      endif()
    endforeach()
  endwhile()
endfunction()

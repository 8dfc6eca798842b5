// File-system faults injected into this test program: its own open, openat, faccessat, rename,
// renameat, link, write and fsync stand in front of the C library's (which they call through
// dlsym(RTLD_NEXT), so the sanitizers' interceptors stay in the chain). A fault touches only paths
// under one folder, so the test framework, Qt and GStreamer write on undisturbed. Works as root,
// where permission bits would not stop anything.
#pragma once

#include <cstddef>
#include <string>

namespace tollvane::testing {

enum class DiskFault {
  kReadOnly,     // the folder's file system is mounted read-only: EROFS for every change
  kFull,         // the disk fills up: writes take budget bytes in all, then fail with ENOSPC
  kFullAtFlush,  // writes land in the cache, and flushing them finds no room: fsync ENOSPC
  kNoHardLinks,  // a file system without hard links (vfat, exFAT): link EPERM
};

const char* DiskFaultName(DiskFault fault);

// Arms the fault for everything under folder (an absolute path) until destroyed.
class InjectedDiskFault {
 public:
  InjectedDiskFault(DiskFault fault, const std::string& folder, std::size_t budgetBytes = 0);
  ~InjectedDiskFault();
  InjectedDiskFault(const InjectedDiskFault&) = delete;
  InjectedDiskFault& operator=(const InjectedDiskFault&) = delete;

  // Calls refused so far, to see that the fault was actually met.
  static int refusals();
};

}  // namespace tollvane::testing

// The process's resident memory, as the benchmarks report it.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

namespace tollvane::bench {

// VmRSS of this process in KiB, or -1 when /proc cannot tell.
inline long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0)
      return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

}  // namespace tollvane::bench

// The operator's options for unattended running, kept in the settings file's section "OPTION":
// "AutoArm" (arm at start) and "ShowNextBell" (the next-bell status line). "1" is on; "0" or a
// missing key is off. Both default to off, so a settings file without the section behaves as
// the program always has.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tollvane {

inline constexpr const char* kOptionSection = "OPTION";
inline constexpr const char* kAutoArmKey = "AutoArm";
inline constexpr const char* kShowNextBellKey = "ShowNextBell";

struct Options {
  bool autoArm = false;
  bool showNextBell = false;
};

// Reads both options. A value other than "0" or "1" (hand-edited, damaged) is taken as off and
// described in problems, one Japanese line per key naming the key and the text found, ready
// for the bell record. A missing or unreadable file gives all options off and no problem.
Options ReadOptions(const std::string& path, std::vector<std::string>& problems);

// Writes key (kAutoArmKey or kShowNextBellKey) as "1" or "0" through the INI module, which
// keeps comments and the other sections. Raises WriteError(path) when the file cannot be
// written; the file is then left as it was.
void WriteOption(const std::string& path, std::string_view key, bool on);

}  // namespace tollvane

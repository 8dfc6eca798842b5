// Text helpers for the files operators write by hand or are given: UTF-8 checking, Shift_JIS
// as Windows writes it, and the blank trimming every line reader shares.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tollvane {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// Shift_JIS as Windows writes it (CP932) to UTF-8; nothing when a byte sequence is invalid.
std::optional<std::string> Cp932ToUtf8(std::string_view text);

// Without the blanks, tabs and carriage returns at either end.
std::string_view TrimBlanks(std::string_view text);

}  // namespace tollvane

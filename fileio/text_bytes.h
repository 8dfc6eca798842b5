// Checks on the bytes of text files and typed values, shared by every reader so that each
// accepts and trims the same way.
#pragma once

#include <cstddef>
#include <string_view>
#include <utility>

namespace tollvane {

// Length of the well-formed UTF-8 sequence starting at s[i] (i < s.size()), or 0: overlong
// forms, surrogates, code points past U+10FFFF and cut sequences are not well-formed.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i);

// The whole of s is well-formed UTF-8.
bool IsValidUtf8(std::string_view s);

// s without the blanks (space, tab, CR, VT, FF) at either end.
std::string_view Trim(std::string_view s);

// s trimmed and split at its first space or tab: "2026/11/03 文化祭" gives the date and the
// trimmed rest, which may hold blanks of its own; the rest is empty without a blank.
std::pair<std::string_view, std::string_view> SplitAtFirstBlank(std::string_view s);

}  // namespace tollvane

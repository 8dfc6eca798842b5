#include "fileio/text_bytes.h"

namespace tollvane {

std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b0 = byte(i);
  if (b0 < 0x80) {
    return 1;
  }
  std::size_t length = 0;
  // The second byte's range rules out overlong forms, surrogates and values past U+10FFFF.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    if (b0 == 0xE0) {
      low = 0xA0;
    }
    if (b0 == 0xED) {
      high = 0x9F;
    }
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    if (b0 == 0xF0) {
      low = 0x90;
    }
    if (b0 == 0xF4) {
      high = 0x8F;
    }
  } else {
    return 0;
  }
  if (i + length > s.size() || byte(i + 1) < low || byte(i + 1) > high) {
    return 0;
  }
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) {
      return 0;
    }
  }
  return length;
}

bool IsValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t length = Utf8SequenceLength(s, i);
    if (length == 0) {
      return false;
    }
    i += length;
  }
  return true;
}

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && IsBlank(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

std::pair<std::string_view, std::string_view> SplitAtFirstBlank(std::string_view s) {
  s = Trim(s);
  const std::size_t blank = s.find_first_of(" \t");
  if (blank == std::string_view::npos) {
    return {s, {}};
  }
  return {s.substr(0, blank), Trim(s.substr(blank + 1))};
}

}  // namespace tollvane

#include "schedule/text_number.h"

#include <cstdint>

#include "engine/errors.h"

namespace tollvane {

namespace {

int DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') {
    v = c - '0';
  } else if (base == 16 && c >= 'a' && c <= 'f') {
    v = c - 'a' + 10;
  } else if (base == 16 && c >= 'A' && c <= 'F') {
    v = c - 'A' + 10;
  }
  return v < base ? v : -1;
}

}  // namespace

int32_t StrToInt32(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    i += 1;
  } else if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    i += 1;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == text.size()) {
    throw ConversionError(text);
  }
  // The magnitude may reach 2^31 only for a negative value.
  const int64_t limit = negative ? int64_t{1} << 31 : (int64_t{1} << 31) - 1;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) {
      throw ConversionError(text);
    }
    value = value * base + digit;
    if (value > limit) {
      throw ConversionError(text);
    }
  }
  return static_cast<int32_t>(negative ? -value : value);
}

int32_t TextToNumber(const std::string& text) {
  return text.empty() ? 0 : StrToInt32(text);
}

int32_t TextToSoundNumber(const std::string& text) {
  if (text.empty()) {
    return 1;
  }
  const int32_t value = StrToInt32(text);
  return value == 0 ? 1 : value;
}

}  // namespace tollvane

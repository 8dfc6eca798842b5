// Text to number as the editor, the schedule files and the holiday dialog convert. The input
// is the text; results are checked against an independent reading of the same rules.
#include <cstdint>
#include <optional>
#include <string>

#include "engine/errors.h"
#include "fuzz_check.h"
#include "schedule/text_number.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// Blanks, a sign, then "$", "x", "0x" or nothing, then digits of that base up to the end, the
// value within 32 bits.
std::optional<int32_t> Reference(const std::string& text) {
  size_t i = text.find_first_not_of(" \t");
  if (i == std::string::npos)
    return std::nullopt;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  const std::string rest = text.substr(i);
  if (rest.starts_with("$") || rest.starts_with("x") || rest.starts_with("X")) {
    base = 16;
    i += 1;
  } else if (rest.starts_with("0x") || rest.starts_with("0X")) {
    base = 16;
    i += 2;
  }
  if (i >= text.size())
    return std::nullopt;
  __int128 value = 0;
  for (; i < text.size(); ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0 || digit >= base)
      return std::nullopt;
    value = value * base + digit;
    if (value > (__int128{1} << 40))
      return std::nullopt;
  }
  if (negative)
    value = -value;
  if (value < INT32_MIN || value > INT32_MAX)
    return std::nullopt;
  return static_cast<int32_t>(value);
}

std::optional<int32_t> Convert(int32_t (*convert)(const std::string&), const std::string& text) {
  try {
    return convert(text);
  } catch (const tollvane::ConversionError& error) {
    // The message quotes the text as typed (what() ends at a NUL the text may hold).
    FUZZ_CHECK(std::string(error.what()).starts_with("'" + text.substr(0, text.find('\0'))));
    return std::nullopt;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::optional<int32_t> expected = Reference(text);
  const std::optional<int32_t> strict = Convert(tollvane::StrToInt32, text);
  FUZZ_CHECK(strict == expected);

  const std::optional<int32_t> number = Convert(tollvane::TextToNumber, text);
  FUZZ_CHECK(number == (text.empty() ? std::optional<int32_t>(0) : expected));

  const std::optional<int32_t> sound = Convert(tollvane::TextToSoundNumber, text);
  if (text.empty() || expected == 0)
    FUZZ_CHECK(sound == 1);
  else
    FUZZ_CHECK(sound == expected);

  if (strict) {
    // Every value converts back from its decimal text.
    FUZZ_CHECK(tollvane::StrToInt32(std::to_string(*strict)) == *strict);
  }
  return 0;
}

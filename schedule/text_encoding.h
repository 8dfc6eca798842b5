// Shift_JIS as Windows writes it, for the files operators are given; the UTF-8 check and the
// trimming every line reader shares are in fileio/text_bytes.h, included with it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "fileio/text_bytes.h"

namespace tollvane {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Shift_JIS as Windows writes it (CP932) to UTF-8, a line at a time through one converter
// (opening one per line costs more than the conversion).
class Cp932Decoder {
 public:
  Cp932Decoder();
  ~Cp932Decoder();
  Cp932Decoder(const Cp932Decoder&) = delete;
  Cp932Decoder& operator=(const Cp932Decoder&) = delete;
  // Nothing when a byte sequence is invalid.
  std::optional<std::string> decode(std::string_view in);

 private:
  void* cd_ = nullptr;  // iconv_t
};

// The same for one text.
std::optional<std::string> Cp932ToUtf8(std::string_view text);

}  // namespace tollvane

#include "schedule/text_encoding.h"

#include <iconv.h>

#include <memory>

namespace tollvane {
namespace {

struct IconvClose {
  void operator()(iconv_t* cd) const {
    iconv_close(*cd);
    delete cd;
  }
};

}  // namespace

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t extra = 0;
    unsigned minimum = 0;
    unsigned code = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1, minimum = 0x80, code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, minimum = 0x800, code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, minimum = 0x10000, code = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= s.size()) {
      return false;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(s[i + k]);
      if ((next & 0xC0) != 0x80) {
        return false;
      }
      code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    i += extra + 1;
  }
  return true;
}

std::optional<std::string> Cp932ToUtf8(std::string_view in) {
  iconv_t raw = iconv_open("UTF-8", "CP932");
  if (raw == reinterpret_cast<iconv_t>(-1)) {
    return std::nullopt;
  }
  std::unique_ptr<iconv_t, IconvClose> cd(new iconv_t(raw));
  std::string out(in.size() * 3 + 4, '\0');
  char* source = const_cast<char*>(in.data());
  std::size_t sourceLeft = in.size();
  char* target = out.data();
  std::size_t targetLeft = out.size();
  if (iconv(*cd, &source, &sourceLeft, &target, &targetLeft) == static_cast<std::size_t>(-1)) {
    return std::nullopt;
  }
  out.resize(out.size() - targetLeft);
  return out;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

}  // namespace tollvane

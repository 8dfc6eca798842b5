#include "settings/options.h"

#include <cstddef>

#include "engine/errors.h"
#include "engine/texts.h"
#include "fileio/text_bytes.h"
#include "settings/options_texts.h"
#include "settings/profile.h"

namespace tollvane {
namespace {

// A damaged value may be long or hold binary bytes; the record gets a short, printable excerpt.
constexpr std::size_t kShownValueBytes = 40;

// Length of the UTF-8 sequence starting at text[i], or 0 when it is not a valid printable one.
std::size_t PrintableUtf8Length(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x20 || lead == 0x7f) {
    return 0;
  }
  return Utf8SequenceLength(text, i);
}

// Printable UTF-8 stays as it is; every other byte is shown as \xNN.
std::string Excerpt(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  std::size_t i = 0;
  while (i < value.size() && shown.size() < kShownValueBytes) {
    const std::size_t length = PrintableUtf8Length(value, i);
    if (length > 0) {
      shown.append(value.substr(i, length));
      i += length;
    } else {
      const auto byte = static_cast<unsigned char>(value[i]);
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 0x0f];
      ++i;
    }
  }
  if (i < value.size()) {
    shown += "…";
  }
  return shown;
}

bool ReadOne(const Profile& profile, const char* key, const char* menuName,
             std::vector<std::string>& problems) {
  const std::optional<std::string> value = profile.value(kOptionSection, key);
  if (!value || *value == "0") {
    return false;
  }
  if (*value == "1") {
    return true;
  }
  problems.push_back(text::Formatted(text::options::kUnreadable, menuName, kOptionSection, key,
                                     Excerpt(*value).c_str()));
  return false;
}

}  // namespace

Options ReadOptions(const std::string& path, std::vector<std::string>& problems) {
  const Profile profile = Profile::Load(path);
  Options options;
  options.autoArm = ReadOne(profile, kAutoArmKey, text::options::kAutoArmName, problems);
  options.showNextBell =
      ReadOne(profile, kShowNextBellKey, text::options::kShowNextBellName, problems);
  return options;
}

void WriteOption(const std::string& path, std::string_view key, bool on) {
  if (!WriteProfileString(path, kOptionSection, key, on ? "1" : "0")) {
    throw WriteError(path);
  }
}

}  // namespace tollvane

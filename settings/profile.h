// A small private-profile (INI) file module. Users edit the settings file by hand, so a
// rewrite changes only the line of the key written and keeps every other byte: comments,
// foreign sections and keys, blank lines, the byte-order mark and the line-ending style.
//
// Reading rules: section and key names compare case-insensitively (ASCII); blanks around the
// "=" and around the value are ignored; one pair of double quotes around the whole value is
// removed; lines starting with ";" or "#" are comments; keys before the first section header
// belong to no section. When a section or key occurs twice, the first one counts.
//
// Values are written as they are, so blanks at either end do not survive a round trip (as in
// every profile file reader); a value that is itself wrapped in double quotes is
// written inside one more pair so that it reads back unchanged.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tollvane {

// Settings values are read into a 2048-byte buffer: longer values arrive cut to 2047 bytes.
inline constexpr std::size_t kMaxProfileValueBytes = 2047;

class Profile {
 public:
  Profile() = default;

  static Profile Parse(std::string_view bytes);

  // A missing, unreadable or non-regular file reads as an empty profile.
  static Profile Load(const std::string& path);

  // The value as read (trimmed, unquoted, at most kMaxProfileValueBytes bytes), or nothing
  // when the section or the key is missing.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;

  // Replaces the value of an existing key in place, or adds the key after the last key of its
  // section, or adds the section at the end. Returns false, changing nothing, when the text
  // cannot be stored on one line: a line break or NUL anywhere, a key with "=" or surrounding
  // blanks, a section name with "]".
  bool set(std::string_view section, std::string_view key, std::string_view value);

  // Deletes every line of the key in the section that counts (the first of its name), so no
  // later duplicate comes forward. False when there was no such line.
  bool remove(std::string_view section, std::string_view key);

  // The file's bytes, unchanged lines exactly as parsed.
  std::string bytes() const;

 private:
  enum class Kind { kBlank, kComment, kSection, kKey, kOther };

  struct Line {
    std::string text;  // without its line ending
    std::string eol;   // "\n", "\r\n", or empty for a last line without one
    Kind kind = Kind::kOther;
    std::string name;  // of a section or a key
  };

  static Line MakeLine(std::string text, std::string eol);

  // Index of the first header line of the section, or lines_.size().
  std::size_t findSection(std::string_view section) const;
  // One past the section's last line (the next header or the end).
  std::size_t sectionEnd(std::size_t header) const;
  std::string newline() const;

  std::string bom_;
  std::vector<Line> lines_;
};

// GetPrivateProfileString's counterpart: the value, or defaultValue when the file, section or
// key is missing.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultValue);

// WritePrivateProfileString's counterpart. The whole file is replaced atomically (temporary
// file in the same folder, fsync, rename), so a crash leaves either the old or the new file,
// never a truncated one; a writable file in a shared folder the user may not write is
// overwritten in place instead (SaveFileBytes). A missing file is created. Returns false, leaving
// the file as it was, when the value cannot be stored (see Profile::set), the existing file cannot
// be read, is not writable, or the folder does not take the new file.
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// Several changes in one replacement of the file, with WriteProfileString's rules: edit gets the
// file as it is (empty when missing) and returns false to abandon every change.
bool UpdateProfile(const std::string& path, const std::function<bool(Profile&)>& edit);

}  // namespace tollvane

#include "settings/profile.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "fileio/file_io.h"
#include "fileio/text_bytes.h"

namespace tollvane {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) {
      return false;
    }
  }
  return true;
}

bool IsWrappedInQuotes(std::string_view s) {
  return s.size() >= 2 && s.front() == '"' && s.back() == '"';
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

std::string ValueOf(std::string_view text) {
  std::string_view v = Trim(text.substr(text.find('=') + 1));
  if (IsWrappedInQuotes(v)) {
    v = v.substr(1, v.size() - 2);
  }
  if (v.size() > kMaxProfileValueBytes) {
    v = v.substr(0, kMaxProfileValueBytes);
  }
  return std::string(v);
}

std::string StoredValue(std::string_view value) {
  if (IsWrappedInQuotes(value)) {
    return "\"" + std::string(value) + "\"";
  }
  return std::string(value);
}

}  // namespace

// What a line is, judged by its trimmed text.
Profile::Line Profile::MakeLine(std::string text, std::string eol) {
  Line line{std::move(text), std::move(eol), Kind::kOther, {}};
  const std::string_view t = Trim(line.text);
  if (t.empty()) {
    line.kind = Kind::kBlank;
  } else if (t.front() == ';' || t.front() == '#') {
    line.kind = Kind::kComment;
  } else if (t.front() == '[') {
    const std::size_t close = t.find(']');
    if (close != std::string_view::npos) {
      line.kind = Kind::kSection;
      line.name = Trim(t.substr(1, close - 1));
    }
  } else if (const std::size_t eq = t.find('='); eq != std::string_view::npos) {
    const std::string_view key = Trim(t.substr(0, eq));
    if (!key.empty()) {
      line.kind = Kind::kKey;
      line.name = key;
    }
  }
  return line;
}

Profile Profile::Parse(std::string_view bytes) {
  Profile profile;
  if (bytes.substr(0, kBom.size()) == kBom) {
    profile.bom_ = std::string(kBom);
    bytes.remove_prefix(kBom.size());
  }
  while (!bytes.empty()) {
    const std::size_t lf = bytes.find('\n');
    std::string_view text = bytes.substr(0, lf);
    std::string eol;
    if (lf == std::string_view::npos) {
      bytes = {};
    } else {
      eol = "\n";
      if (!text.empty() && text.back() == '\r') {
        text.remove_suffix(1);
        eol = "\r\n";
      }
      bytes.remove_prefix(lf + 1);
    }
    profile.lines_.push_back(MakeLine(std::string(text), std::move(eol)));
  }
  return profile;
}

Profile Profile::Load(const std::string& path) {
  std::string bytes;
  if (ReadFileBytes(path, bytes) != FileStatus::kOk) {
    return Profile();
  }
  return Parse(bytes);
}

std::size_t Profile::findSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Kind::kSection && SameName(lines_[i].name, section)) {
      return i;
    }
  }
  return lines_.size();
}

std::size_t Profile::sectionEnd(std::size_t header) const {
  std::size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != Kind::kSection) {
    ++i;
  }
  return i;
}

std::string Profile::newline() const {
  for (const Line& line : lines_) {
    if (!line.eol.empty()) {
      return line.eol;
    }
  }
  return "\n";
}

std::optional<std::string> Profile::value(std::string_view section, std::string_view key) const {
  const std::size_t header = findSection(section);
  if (header == lines_.size()) {
    return std::nullopt;
  }
  const std::size_t end = sectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    if (lines_[i].kind == Kind::kKey && SameName(lines_[i].name, key)) {
      return ValueOf(lines_[i].text);
    }
  }
  return std::nullopt;
}

bool Profile::set(std::string_view section, std::string_view key, std::string_view value) {
  // A line break would end the line early and plant whatever follows as further keys.
  if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value)) {
    return false;
  }
  if (Trim(section) != section || section.empty() || section.find(']') != std::string_view::npos) {
    return false;
  }
  if (Trim(key) != key || key.empty() || key.find('=') != std::string_view::npos ||
      key.front() == ';' || key.front() == '#' || key.front() == '[') {
    return false;
  }
  const std::string eol = newline();
  const std::string stored = StoredValue(value);
  const std::size_t header = findSection(section);
  if (header == lines_.size()) {
    if (!lines_.empty()) {
      if (lines_.back().eol.empty()) {
        lines_.back().eol = eol;
      }
      if (lines_.back().kind != Kind::kBlank) {
        lines_.push_back(MakeLine("", eol));
      }
    }
    lines_.push_back(MakeLine("[" + std::string(section) + "]", eol));
    lines_.push_back(MakeLine(std::string(key) + "=" + stored, eol));
    return true;
  }
  const std::size_t end = sectionEnd(header);
  std::size_t lastKey = header;
  for (std::size_t i = header + 1; i < end; ++i) {
    if (lines_[i].kind != Kind::kKey) {
      continue;
    }
    if (SameName(lines_[i].name, key)) {
      // Keep the line's own spelling of the key and its spacing around "=".
      std::string& text = lines_[i].text;
      std::size_t cut = text.find('=') + 1;
      // A value that brings its own leading blanks (a holiday " 5/ 3") replaces the old
      // spacing too; kept, the blanks would add up by one with every update.
      if (!stored.empty() && stored.front() != ' ' && stored.front() != '\t') {
        while (cut < text.size() && (text[cut] == ' ' || text[cut] == '\t')) {
          ++cut;
        }
      }
      text = text.substr(0, cut) + stored;
      return true;
    }
    lastKey = i;
  }
  if (lines_[lastKey].eol.empty()) {
    lines_[lastKey].eol = eol;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastKey + 1),
                MakeLine(std::string(key) + "=" + stored, eol));
  return true;
}

bool Profile::remove(std::string_view section, std::string_view key) {
  const std::size_t header = findSection(section);
  if (header == lines_.size()) {
    return false;
  }
  const std::size_t end = sectionEnd(header);
  bool removed = false;
  for (std::size_t i = end; i-- > header + 1;) {
    if (lines_[i].kind == Kind::kKey && SameName(lines_[i].name, key)) {
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
      removed = true;
    }
  }
  return removed;
}

std::string Profile::bytes() const {
  std::string out = bom_;
  for (const Line& line : lines_) {
    out += line.text;
    out += line.eol;
  }
  return out;
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultValue) {
  return Profile::Load(path).value(section, key).value_or(std::string(defaultValue));
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
  return UpdateProfile(path, [&](Profile& profile) { return profile.set(section, key, value); });
}

bool UpdateProfile(const std::string& path, const std::function<bool(Profile&)>& edit) {
  // Reading and the access check follow a symbolic link just as the replacement does.
  std::string bytes;
  const FileStatus read = ReadFileBytes(path, bytes);
  if (read == FileStatus::kFailed) {
    return false;
  }
  // The rename would replace a read-only file as if it were writable.
  if (read == FileStatus::kOk && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
    return false;
  }
  Profile profile = Profile::Parse(bytes);
  if (!edit(profile)) {
    return false;
  }
  return SaveFileBytes(path, profile.bytes());
}

}  // namespace tollvane

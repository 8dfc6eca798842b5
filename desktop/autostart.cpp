#include "desktop/autostart.h"

#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "desktop/desktop_entry.h"
#include "settings/profile.h"
#include "settings/settings_file.h"

namespace tollvane {
namespace {

constexpr std::string_view kReservedInExec = " \t\n\"'\\><~|&;$*?#()`";

std::string HomeFolder() {
  const char* home = ::getenv("HOME");
  if (home != nullptr && home[0] == '/') {
    return home;
  }
  const passwd* entry = ::getpwuid(::getuid());
  if (entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') {
    return entry->pw_dir;
  }
  throw AutostartError::NoHome();
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// A string value: backslashes and line breaks escaped, a leading blank kept by its escape.
std::string StringValue(std::string_view text) {
  std::string value;
  for (const char c : text) {
    switch (c) {
      case '\\':
        value += "\\\\";
        break;
      case '\n':
        value += "\\n";
        break;
      case '\t':
        value += "\\t";
        break;
      case '\r':
        value += "\\r";
        break;
      case ' ':
        value += value.empty() ? "\\s" : " ";
        break;
      default:
        value += c;
    }
  }
  return value;
}

}  // namespace

AutostartError AutostartError::CannotCreate(const std::string& path) {
  return AutostartError("自動起動の設定 " + path + " を作成できません");
}
AutostartError AutostartError::CannotRemove(const std::string& path) {
  return AutostartError("自動起動の設定 " + path + " を削除できません");
}
AutostartError AutostartError::NoHome() {
  return AutostartError("自動起動の設定の置き場所がわかりません (ホームフォルダが不明です)");
}

std::string AutostartEntryPath() {
  const char* configHome = ::getenv("XDG_CONFIG_HOME");
  // The base-directory rules ignore a relative value.
  const std::string folder = configHome != nullptr && configHome[0] == '/'
                                 ? std::string(configHome)
                                 : HomeFolder() + "/.config";
  return folder + "/autostart/tollvane.desktop";
}

std::string ExecArgument(std::string_view argument) {
  std::string quoted;
  if (argument.find_first_of(kReservedInExec) == std::string_view::npos && !argument.empty()) {
    quoted = argument;
  } else {
    quoted = "\"";
    for (const char c : argument) {
      if (c == '"' || c == '`' || c == '$' || c == '\\') {
        quoted += '\\';
      }
      quoted += c;
    }
    quoted += '"';
  }
  // Then the value's own escapes: field codes start with "%", strings escape "\" and breaks.
  std::string value;
  for (const char c : quoted) {
    switch (c) {
      case '%':
        value += "%%";
        break;
      case '\\':
        value += "\\\\";
        break;
      case '\n':
        value += "\\n";
        break;
      case '\t':
        value += "\\t";
        break;
      case '\r':
        value += "\\r";
        break;
      default:
        value += c;
    }
  }
  return value;
}

std::string AutostartEntryText(const std::string& executablePath,
                               const std::string& workingFolder) {
  std::istringstream in{std::string(kDesktopEntryTemplate)};
  std::string text;
  std::string line;
  while (std::getline(in, line)) {
    if (line.starts_with("Exec=")) {
      line = "Exec=" + ExecArgument(executablePath);
      if (!workingFolder.empty()) {
        line += "\nPath=" + StringValue(workingFolder);
      }
    } else if (line.starts_with("TryExec=") || line.starts_with("Hidden=") ||
               line.starts_with("Path=")) {
      continue;
    }
    text += line;
    text += '\n';
  }
  return text;
}

void EnableAutostart(const std::string& entryPath, const std::string& executablePath,
                     const std::string& workingFolder) {
  const std::filesystem::path path(entryPath);
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (error) {
    throw AutostartError::CannotCreate(entryPath);
  }
  // A temporary file beside it and a rename: the desktop never reads half an entry.
  std::string temporary = entryPath + ".XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    throw AutostartError::CannotCreate(entryPath);
  }
  const bool written = ::fchmod(fd, 0644) == 0 &&
                       WriteAll(fd, AutostartEntryText(executablePath, workingFolder)) &&
                       ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), entryPath.c_str()) != 0) {
    ::unlink(temporary.c_str());
    throw AutostartError::CannotCreate(entryPath);
  }
}

void DisableAutostart(const std::string& entryPath) {
  if (::unlink(entryPath.c_str()) != 0 && errno != ENOENT) {
    throw AutostartError::CannotRemove(entryPath);
  }
}

bool AutostartEnabled(const std::string& entryPath) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(entryPath, error)) {
    return false;
  }
  const Profile entry = Profile::Load(entryPath);
  return entry.value("Desktop Entry", "Hidden") != "true" &&
         entry.value("Desktop Entry", "X-GNOME-Autostart-enabled") != "false";
}

void SetAutostart(bool on) {
  if (on) {
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    EnableAutostart(AutostartEntryPath(), ExecutablePath(), error ? std::string() : here.string());
  } else {
    DisableAutostart(AutostartEntryPath());
  }
}

bool AutostartOn() {
  try {
    return AutostartEnabled(AutostartEntryPath());
  } catch (const AutostartError&) {
    return false;  // no home folder: there can be no entry either
  }
}

}  // namespace tollvane

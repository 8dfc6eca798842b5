#include "desktop/autostart.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <sstream>

#include "desktop/desktop_entry.h"
#include "desktop/desktop_texts.h"
#include "engine/texts.h"
#include "fileio/file_io.h"
#include "fileio/home_folder.h"
#include "settings/profile.h"
#include "settings/settings_file.h"

namespace tollvane {
namespace {

constexpr std::string_view kReservedInExec = " \t\n\"'\\><~|&;$*?#()`";

std::string ConfigHome() {
  const char* configHome = ::getenv("XDG_CONFIG_HOME");
  // The base-directory rules ignore a relative value.
  if (configHome != nullptr && configHome[0] == '/') {
    return configHome;
  }
  const std::string home = HomeFolder();
  if (home.empty()) {
    throw AutostartError::NoHome();
  }
  return home + "/.config";
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
  return AutostartError(text::Formatted(text::desktop::kCannotCreateEntry, path.c_str()));
}
AutostartError AutostartError::CannotRemove(const std::string& path) {
  return AutostartError(text::Formatted(text::desktop::kCannotRemoveEntry, path.c_str()));
}
AutostartError AutostartError::NoHome() {
  return AutostartError(text::desktop::kNoHomeForEntry);
}

std::string AutostartEntryPath() {
  return ConfigHome() + "/autostart/tollvane.desktop";
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
  std::string fieldEscaped;
  for (const char c : quoted) {
    fieldEscaped += c;
    if (c == '%') {
      fieldEscaped += '%';
    }
  }
  return StringValue(fieldEscaped);
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
  // Whole or not at all: the desktop never reads half an entry.
  if (!ReplaceFileAtomically(entryPath, AutostartEntryText(executablePath, workingFolder))) {
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

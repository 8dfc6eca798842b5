// The XDG autostart entry that starts the program with the operator's desktop session:
// $XDG_CONFIG_HOME/autostart/tollvane.desktop (~/.config/autostart when the variable is unset
// or not absolute), a copy of the installed desktop entry whose Exec names the running
// executable. No Qt.
#pragma once

#include <string>
#include <string_view>

#include "engine/errors.h"

namespace tollvane {

// "自動起動の設定 %s を作成できません", "自動起動の設定 %s を削除できません",
// or the folder cannot be told at all.
class AutostartError : public AppError {
 public:
  using AppError::AppError;
  static AutostartError CannotCreate(const std::string& path);
  static AutostartError CannotRemove(const std::string& path);
  static AutostartError NoHome();
};

// The entry's path for the current user. Raises AutostartError::NoHome when neither an
// absolute XDG_CONFIG_HOME nor a home folder is known.
std::string AutostartEntryPath();

// One Exec argument, quoted and escaped as the desktop entry format requires (reserved
// characters inside double quotes, "%" doubled, backslashes of the string escaped).
std::string ExecArgument(std::string_view argument);

// The entry's text: the installed desktop entry with Exec set to the executable and, when
// workingFolder is given, Path set to it, so that the session starts the program where the
// relative "dorrel.dat" it reloads is.
std::string AutostartEntryText(const std::string& executablePath,
                               const std::string& workingFolder = {});

// Writes the entry atomically, creating missing folders. Raises AutostartError::CannotCreate.
void EnableAutostart(const std::string& entryPath, const std::string& executablePath,
                     const std::string& workingFolder = {});
// Removes the entry; a missing entry is no error. Raises AutostartError::CannotRemove.
void DisableAutostart(const std::string& entryPath);
// True when the entry exists and is not switched off (Hidden=true, or GNOME's
// X-GNOME-Autostart-enabled=false).
bool AutostartEnabled(const std::string& entryPath);

// The menu item's pair, for the current user, the running executable and its working folder.
void SetAutostart(bool on);
bool AutostartOn();

}  // namespace tollvane

// Where the settings file lives. Beside the executable when that place can be written (a build
// folder, a copy in the operator's own folder); otherwise, as for an installed program under
// /usr, in the user's configuration folder, seeded once from an administrator's defaults.
#pragma once

#include <string>
#include <string_view>

namespace tollvane {

// What the choice needs to know about the file system, so that tests can describe any machine.
class FileAccess {
 public:
  virtual ~FileAccess() = default;
  // Anything at all at the path.
  virtual bool exists(const std::string& path) const = 0;
  // The process's effective ids may write the file, or create files in the folder.
  virtual bool writable(const std::string& path) const = 0;
  // Empty when only the user (or root) can change what is in the folder; else what lets other
  // users do so, for the record ("持ち主 uid 1001, 権限 0777").
  virtual std::string othersMayWrite(const std::string& /*folder*/) const { return {}; }
};

// The real file system, judged with the effective ids.
class SystemFileAccess : public FileAccess {
 public:
  bool exists(const std::string& path) const override;
  bool writable(const std::string& path) const override;
  // Group- or world-writable (sticky or not: a file not yet there can still be planted), or
  // owned by another user than the effective one and root.
  std::string othersMayWrite(const std::string& folder) const override;
};

// The environment variables the choice reads; an empty text stands for an unset variable.
struct SettingsEnvironment {
  std::string home;           // HOME, or the password database's home when HOME is unset
  std::string xdgConfigHome;  // XDG_CONFIG_HOME
  std::string xdgConfigDirs;  // XDG_CONFIG_DIRS, colon-separated
  static SettingsEnvironment FromProcess();
};

struct SettingsLocation {
  std::string file;      // the settings file in use
  std::string defaults;  // a file to copy to `file` before first use, or empty
};

// The user's own settings file name, whatever the executable is called.
inline constexpr const char* kUserSettingsName = "tollvane.INI";

// The rule, without side effects:
// 1. The file beside the executable (SettingsPathForExecutable) when it exists and is
//    writable, or when its folder is writable, unless that folder is in the system
//    hierarchy (/usr, /bin, /sbin, /lib), which even root must not write into, or other users
//    can change what is in it (a world-writable share, a copy in /tmp): they could plant the
//    settings file or a link in its place.
// 2. Otherwise $XDG_CONFIG_HOME/tollvane/tollvane.INI ($HOME/.config when XDG_CONFIG_HOME is
//    unset or relative). While that file does not exist, the defaults to copy are the file
//    beside the executable if there is one (not from a folder others can write), else the
//    first <dir>/tollvane/tollvane.INI of XDG_CONFIG_DIRS (/etc/xdg when unset) that exists.
// 3. With no home folder at all the file beside the executable stays in use.
// When a folder others can write decided the choice, note receives the record line that says
// so (Japanese); else it is left empty.
SettingsLocation ChooseSettingsLocation(const std::string& executablePath,
                                        const SettingsEnvironment& environment,
                                        const FileAccess& files, std::string* note = nullptr);

// Makes the chosen file ready: creates its folder when missing (mode 0700) and copies the defaults
// into a file that does not exist yet, completely or not at all, also where the file system
// refuses hard links (vfat, exFAT, some network mounts). An existing file is never touched.
// Failures are left for the first write to report. Returns location.file.
std::string PrepareSettingsLocation(const SettingsLocation& location);

// A file kept beside the settings file: its path with the extension (".days") in place of the
// settings file's, appended when it has none.
std::string BesideSettings(const std::string& settingsPath, std::string_view extension);

// The folder of the settings file in use, for any other file the program keeps beside it.
std::string SettingsFolder();

// Why the settings file in use is not the one beside the executable, for the record at start;
// empty when nothing is to be said.
std::string SettingsLocationNote();

}  // namespace tollvane

#include "settings/settings_location.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "schedule/file_io.h"
#include "settings/settings_file.h"

namespace tollvane {

namespace {

constexpr const char* kAppFolder = "tollvane";

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

// XDG base directories must be absolute; a relative one is to be ignored.
bool IsAbsolute(const std::string& path) {
  return !path.empty() && path.front() == '/';
}

// The read-only system hierarchy: root may write there, but a program installed by the package
// manager must not keep its settings among the package's files.
bool InSystemHierarchy(const std::string& folder) {
  for (const std::string_view top : {"/usr", "/bin", "/sbin", "/lib"}) {
    if (folder.starts_with(top) && (folder.size() == top.size() || folder[top.size()] == '/')) {
      return true;
    }
  }
  return false;
}

std::vector<std::string> SplitColons(std::string_view list) {
  std::vector<std::string> parts;
  while (!list.empty()) {
    const std::size_t colon = list.find(':');
    parts.emplace_back(list.substr(0, colon));
    list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
  }
  return parts;
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// mkdir -p with the mode the XDG rules ask of the user's folders.
bool MakeFolders(const std::string& folder) {
  if (folder.empty() || folder == "/" || folder == ".") {
    return true;
  }
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0) {
    return S_ISDIR(info.st_mode);
  }
  if (!MakeFolders(FolderOf(folder))) {
    return false;
  }
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// Writes a complete temporary copy and links it in under the name, which fails rather than
// replace a file that appeared meanwhile (a second instance starting at the same moment).
void CopyIfMissing(const std::string& from, const std::string& to) {
  std::string bytes;
  if (ReadFileBytes(from, bytes) != FileStatus::kOk) {
    return;
  }
  const std::string temporary = to + "." + std::to_string(::getpid()) + ".new";
  FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!file.valid()) {
    return;
  }
  const bool written = WriteAllBytes(file.get(), bytes) && ::fsync(file.get()) == 0;
  if (file.close() && written) {
    // A refusal (the file appeared meanwhile, or the folder is full) leaves the first write to
    // report the problem.
    [[maybe_unused]] const int linked = ::link(temporary.c_str(), to.c_str());
  }
  ::unlink(temporary.c_str());
}

}  // namespace

bool SystemFileAccess::exists(const std::string& path) const {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

bool SystemFileAccess::writable(const std::string& path) const {
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

SettingsEnvironment SettingsEnvironment::FromProcess() {
  SettingsEnvironment environment{Env("HOME"), Env("XDG_CONFIG_HOME"), Env("XDG_CONFIG_DIRS")};
  if (environment.home.empty()) {
    // A service or a bare su may start the program without HOME.
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
      environment.home = found->pw_dir;
    }
  }
  return environment;
}

SettingsLocation ChooseSettingsLocation(const std::string& executablePath,
                                        const SettingsEnvironment& environment,
                                        const FileAccess& files) {
  const std::string beside = SettingsPathForExecutable(executablePath);
  const bool besideExists = files.exists(beside);
  const bool besideUsable =
      (besideExists && files.writable(beside)) || files.writable(FolderOf(beside));
  if (besideUsable && !InSystemHierarchy(FolderOf(beside))) {
    return {beside, {}};
  }

  std::string configHome = environment.xdgConfigHome;
  if (!IsAbsolute(configHome)) {
    if (!IsAbsolute(environment.home)) {
      return {beside, {}};
    }
    configHome = environment.home + "/.config";
  }
  SettingsLocation location{configHome + "/" + kAppFolder + "/" + kUserSettingsName, {}};
  if (files.exists(location.file)) {
    return location;
  }
  if (besideExists) {
    location.defaults = beside;
    return location;
  }
  const std::string dirs =
      environment.xdgConfigDirs.empty() ? std::string("/etc/xdg") : environment.xdgConfigDirs;
  for (const std::string& dir : SplitColons(dirs)) {
    if (!IsAbsolute(dir)) {
      continue;
    }
    const std::string candidate = dir + "/" + kAppFolder + "/" + kUserSettingsName;
    if (files.exists(candidate)) {
      location.defaults = candidate;
      break;
    }
  }
  return location;
}

std::string PrepareSettingsLocation(const SettingsLocation& location) {
  const std::string folder = FolderOf(location.file);
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0 && !MakeFolders(folder)) {
    return location.file;
  }
  if (!location.defaults.empty() && ::lstat(location.file.c_str(), &info) != 0 && errno == ENOENT) {
    CopyIfMissing(location.defaults, location.file);
  }
  return location.file;
}

std::string SettingsFolder() {
  return FolderOf(SettingsFilePath());
}

std::string BesideSettings(const std::string& settingsPath, std::string_view extension) {
  const std::size_t slash = settingsPath.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = settingsPath.rfind('.');
  if (dot == std::string::npos || dot < nameStart) {
    return settingsPath + std::string(extension);
  }
  return settingsPath.substr(0, dot) + std::string(extension);
}

}  // namespace tollvane

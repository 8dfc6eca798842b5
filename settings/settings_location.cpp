#include "settings/settings_location.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "engine/texts.h"
#include "fileio/file_io.h"
#include "fileio/home_folder.h"
#include "settings/location_texts.h"
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

// Exclusive, so a file that appeared meanwhile is never replaced; a copy that cannot be
// completed is taken back.
void CreateExclusively(const std::string& to, const std::string& bytes) {
  FileDescriptor file(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!file.valid()) {
    return;
  }
  const bool written = WriteAllBytes(file.get(), bytes) && ::fsync(file.get()) == 0;
  if (!file.close() || !written) {
    ::unlink(to.c_str());
  }
}

// Writes a complete temporary copy and links it in under the name, which fails rather than
// replace a file that appeared meanwhile (a second instance starting at the same moment).
// Where links are refused the file is created exclusively and written instead.
void CopyIfMissing(const std::string& from, const std::string& to) {
  std::string bytes;
  if (ReadFileBytes(from, bytes) != FileStatus::kOk) {
    return;
  }
  const std::string temporary = to + "." + std::to_string(::getpid()) + ".new";
  FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (file.valid()) {
    const bool written = WriteAllBytes(file.get(), bytes) && ::fsync(file.get()) == 0;
    const bool linked = file.close() && written && ::link(temporary.c_str(), to.c_str()) == 0;
    const int error = errno;
    ::unlink(temporary.c_str());
    if (linked || error == EEXIST) {
      return;
    }
  }
  // A refusal here too (the folder is full or read-only) leaves the first write to report it.
  CreateExclusively(to, bytes);
}

}  // namespace

bool SystemFileAccess::exists(const std::string& path) const {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

bool SystemFileAccess::writable(const std::string& path) const {
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

std::string SystemFileAccess::othersMayWrite(const std::string& folder) const {
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) {
    return {};
  }
  const bool foreignOwner = info.st_uid != ::geteuid() && info.st_uid != 0;
  if (!foreignOwner && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0) {
    return {};
  }
  return text::Formatted(text::location::kOwnerAndMode, static_cast<unsigned>(info.st_uid),
                         static_cast<unsigned>(info.st_mode & 07777));
}

SettingsEnvironment SettingsEnvironment::FromProcess() {
  return {HomeFolder(), Env("XDG_CONFIG_HOME"), Env("XDG_CONFIG_DIRS")};
}

SettingsLocation ChooseSettingsLocation(const std::string& executablePath,
                                        const SettingsEnvironment& environment,
                                        const FileAccess& files, std::string* note) {
  const std::string beside = SettingsPathForExecutable(executablePath);
  const std::string besideFolder = FolderOf(beside);
  const bool besideExists = files.exists(beside);
  const bool besideUsable =
      (besideExists && files.writable(beside)) || files.writable(besideFolder);
  const bool systemFolder = InSystemHierarchy(besideFolder);
  const std::string others = systemFolder ? std::string() : files.othersMayWrite(besideFolder);
  if (besideUsable && !systemFolder && others.empty()) {
    return {beside, {}};
  }
  const auto tell = [&](const std::string& line) {
    if (note != nullptr && besideUsable && !others.empty()) {
      *note = text::Formatted(text::location::kWithDetail, line.c_str(), others.c_str());
    }
  };

  std::string configHome = environment.xdgConfigHome;
  if (!IsAbsolute(configHome)) {
    if (!IsAbsolute(environment.home)) {
      tell(text::Formatted(text::location::kKeptBeside, besideFolder.c_str(),
                           text::location::kOthersMayWrite));
      return {beside, {}};
    }
    configHome = environment.home + "/.config";
  }
  SettingsLocation location{configHome + "/" + kAppFolder + "/" + kUserSettingsName, {}};
  tell(text::Formatted(text::location::kMovedAway, besideFolder.c_str(),
                       text::location::kOthersMayWrite, location.file.c_str()));
  if (files.exists(location.file)) {
    return location;
  }
  // A file others may have planted is no administrator's defaults.
  if (besideExists && others.empty()) {
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

std::string SettingsLocationNote() {
  const SystemFileAccess files;
  std::string note;
  ChooseSettingsLocation(ExecutablePath(), SettingsEnvironment::FromProcess(), files, &note);
  return note;
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

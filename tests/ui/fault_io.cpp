// Definitions of open, openat, faccessat, rename, renameat, link, write and fsync in the
// executable come first in the dynamic linker's search, ahead of the C library and of a
// sanitizer runtime; each passes the call on to the next definition unless an armed fault
// refuses it.
#undef _FORTIFY_SOURCE  // the fortified open is an inline wrapper that could not be replaced

#include "fault_io.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>

namespace {

using tollvane::testing::DiskFault;

constexpr int kNone = -1;

// Written only while no fault is armed; read by any thread once armed is seen set.
char g_folder[PATH_MAX];
std::size_t g_folderLength = 0;
std::atomic<int> g_fault{kNone};
std::atomic<long long> g_budget{0};
std::atomic<int> g_refusals{0};

template <typename Function>
Function Next(const char* name) {
  void* symbol = dlsym(RTLD_NEXT, name);
  if (symbol == nullptr) {
    // Nothing sensible can go on without the real call.
    abort();
  }
  return reinterpret_cast<Function>(symbol);
}

bool Armed(DiskFault fault) {
  return g_fault.load(std::memory_order_acquire) == static_cast<int>(fault);
}

bool UnderFolder(const char* path) {
  if (path == nullptr)
    return false;
  char absolute[PATH_MAX];
  if (path[0] != '/') {
    if (getcwd(absolute, sizeof absolute) == nullptr)
      return false;
    const std::size_t used = strlen(absolute);
    if (snprintf(absolute + used, sizeof absolute - used, "/%s", path) < 0)
      return false;
    path = absolute;
  }
  return strncmp(path, g_folder, g_folderLength) == 0 &&
         (path[g_folderLength] == '/' || path[g_folderLength] == '\0');
}

// What a descriptor names, from /proc; false when it cannot tell.
bool PathOfFd(int fd, char (&target)[PATH_MAX]) {
  char link[64];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t length = readlink(link, target, sizeof target - 1);
  if (length <= 0)
    return false;
  target[length] = '\0';
  return true;
}

// A path given relative to a folder's descriptor, made absolute.
bool AtUnderFolder(int dirfd, const char* path) {
  if (path == nullptr || path[0] == '/' || dirfd == AT_FDCWD)
    return UnderFolder(path);
  char target[PATH_MAX];
  if (!PathOfFd(dirfd, target))
    return false;
  char full[PATH_MAX];
  if (snprintf(full, sizeof full, "%s/%s", target, path) >= static_cast<int>(sizeof full))
    return false;
  return UnderFolder(full);
}

bool FdUnderFolder(int fd) {
  char target[PATH_MAX];
  return PathOfFd(fd, target) && UnderFolder(target);
}

bool Refuse(int error) {
  g_refusals.fetch_add(1);
  errno = error;
  return true;
}

bool Changes(int flags) {
  return (flags & O_ACCMODE) != O_RDONLY || (flags & (O_CREAT | O_TRUNC)) != 0;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
  static const auto next = Next<int (*)(const char*, int, ...)>("open");
  mode_t mode = 0;
  if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
    va_list arguments;
    va_start(arguments, flags);
    mode = static_cast<mode_t>(va_arg(arguments, unsigned int));
    va_end(arguments);
  }
  if (Armed(DiskFault::kReadOnly) && Changes(flags) && UnderFolder(path) && Refuse(EROFS))
    return -1;
  return next(path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...) {
  static const auto next = Next<int (*)(int, const char*, int, ...)>("openat");
  mode_t mode = 0;
  if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
    va_list arguments;
    va_start(arguments, flags);
    mode = static_cast<mode_t>(va_arg(arguments, unsigned int));
    va_end(arguments);
  }
  if (Armed(DiskFault::kReadOnly) && Changes(flags) && AtUnderFolder(dirfd, path) && Refuse(EROFS))
    return -1;
  return next(dirfd, path, flags, mode);
}

int renameat(int fromfd, const char* from, int tofd, const char* to) noexcept {
  static const auto next = Next<int (*)(int, const char*, int, const char*)>("renameat");
  if (Armed(DiskFault::kReadOnly) && (AtUnderFolder(fromfd, from) || AtUnderFolder(tofd, to)) &&
      Refuse(EROFS))
    return -1;
  return next(fromfd, from, tofd, to);
}

int link(const char* from, const char* to) noexcept {
  static const auto next = Next<int (*)(const char*, const char*)>("link");
  if ((Armed(DiskFault::kReadOnly) || Armed(DiskFault::kNoHardLinks)) && UnderFolder(to) &&
      Refuse(Armed(DiskFault::kReadOnly) ? EROFS : EPERM))
    return -1;
  return next(from, to);
}

int faccessat(int dirfd, const char* path, int mode, int flags) noexcept {
  static const auto next = Next<int (*)(int, const char*, int, int)>("faccessat");
  if (Armed(DiskFault::kReadOnly) && (mode & W_OK) != 0 && UnderFolder(path) && Refuse(EROFS))
    return -1;
  return next(dirfd, path, mode, flags);
}

int rename(const char* from, const char* to) noexcept {
  static const auto next = Next<int (*)(const char*, const char*)>("rename");
  if (Armed(DiskFault::kReadOnly) && (UnderFolder(from) || UnderFolder(to)) && Refuse(EROFS))
    return -1;
  return next(from, to);
}

ssize_t write(int fd, const void* buffer, size_t count) {
  static const auto next = Next<ssize_t (*)(int, const void*, size_t)>("write");
  if (Armed(DiskFault::kFull) && count > 0 && FdUnderFolder(fd)) {
    // Take what is left of the room; a write that finds none fails as a full disk does.
    long long room = g_budget.load();
    long long take = 0;
    do {
      take = room < static_cast<long long>(count) ? room : static_cast<long long>(count);
    } while (take > 0 && !g_budget.compare_exchange_weak(room, room - take));
    if (take <= 0) {
      Refuse(ENOSPC);
      return -1;
    }
    count = static_cast<size_t>(take);
  }
  return next(fd, buffer, count);
}

int fsync(int fd) {
  static const auto next = Next<int (*)(int)>("fsync");
  if (Armed(DiskFault::kFullAtFlush) && FdUnderFolder(fd) && Refuse(ENOSPC))
    return -1;
  return next(fd);
}

}  // extern "C"

namespace tollvane::testing {

const char* DiskFaultName(DiskFault fault) {
  switch (fault) {
    case DiskFault::kReadOnly:
      return "ReadOnly";
    case DiskFault::kFull:
      return "Full";
    case DiskFault::kFullAtFlush:
      return "FullAtFlush";
    case DiskFault::kNoHardLinks:
      return "NoHardLinks";
  }
  return "?";
}

InjectedDiskFault::InjectedDiskFault(DiskFault fault, const std::string& folder,
                                     std::size_t budgetBytes) {
  if (g_fault.load() != kNone)
    throw std::logic_error("a disk fault is armed already");
  if (folder.empty() || folder[0] != '/' || folder.size() >= sizeof g_folder)
    throw std::invalid_argument("the fault's folder must be an absolute path: " + folder);
  std::size_t length = folder.size();
  while (length > 1 && folder[length - 1] == '/')
    --length;
  memcpy(g_folder, folder.data(), length);
  g_folder[length] = '\0';
  g_folderLength = length;
  g_budget.store(static_cast<long long>(budgetBytes));
  g_fault.store(static_cast<int>(fault), std::memory_order_release);
}

InjectedDiskFault::~InjectedDiskFault() {
  g_fault.store(kNone, std::memory_order_release);
}

int InjectedDiskFault::refusals() {
  return g_refusals.load();
}

}  // namespace tollvane::testing

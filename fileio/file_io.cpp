#include "fileio/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "fileio/home_folder.h"

namespace tollvane {

namespace {

constexpr std::size_t kReadChunkBytes = 64 * 1024;

std::string ParentFolder(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A file being written next to the target; removed unless it was renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    // Keep the name well inside NAME_MAX even for a long target name.
    const std::string stem = ParentFolder(target) + "/." + BaseName(target).substr(0, 180);
    for (int attempt = 0; attempt < 100 && !file_.valid(); ++attempt) {
      path_ = stem + "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + ".tmp";
      // Mode 0666 lets the umask decide for a new file, as a plain create would.
      file_ = FileDescriptor(::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
      if (!file_.valid() && errno != EEXIST) {
        break;
      }
    }
    created_ = file_.valid();
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    file_.close();
    if (created_ && !committed_) {
      ::unlink(path_.c_str());
    }
  }

  bool created() const { return created_; }
  int fd() const { return file_.get(); }
  const std::string& path() const { return path_; }
  bool close() { return file_.close(); }
  void commit() { committed_ = true; }

 private:
  FileDescriptor file_;
  std::string path_;
  bool created_ = false;
  bool committed_ = false;
};

}  // namespace

bool WriteAllBytes(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
    if (wrote < 0 && errno == EINTR) {
      continue;
    }
    if (wrote <= 0) {
      if (wrote == 0) {
        errno = EIO;
      }
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return true;
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

FileDescriptor::~FileDescriptor() {
  close();
}

bool FileDescriptor::close() {
  if (fd_ < 0) {
    return false;
  }
  return ::close(std::exchange(fd_, -1)) == 0;
}

FileStatus OpenRegularFile(const std::string& path, FileDescriptor& file) {
  FileDescriptor opened(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!opened.valid()) {
    return errno == ENOENT ? FileStatus::kMissing : FileStatus::kFailed;
  }
  struct stat info {};
  if (::fstat(opened.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return FileStatus::kFailed;
  }
  file = std::move(opened);
  return FileStatus::kOk;
}

ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd, buffer, size);
    if (got >= 0 || errno != EINTR) {
      return got;
    }
  }
}

FileStatus ReadFileBytes(const std::string& path, std::string& out) {
  out.clear();
  FileDescriptor file;
  const FileStatus opened = OpenRegularFile(path, file);
  if (opened != FileStatus::kOk) {
    return opened;
  }
  std::unique_ptr<char[]> chunk(new char[kReadChunkBytes]);
  for (;;) {
    const ssize_t got = ReadSome(file.get(), chunk.get(), kReadChunkBytes);
    if (got < 0) {
      return FileStatus::kFailed;
    }
    if (got == 0) {
      return FileStatus::kOk;
    }
    out.append(chunk.get(), static_cast<std::size_t>(got));
  }
}

BoundedRead ReadFileUpTo(const std::string& path, std::size_t maxBytes, std::string& out) {
  out.clear();
  FileDescriptor file;
  switch (OpenRegularFile(path, file)) {
    case FileStatus::kOk:
      break;
    case FileStatus::kMissing:
      return BoundedRead::kMissing;
    case FileStatus::kFailed:
      return BoundedRead::kFailed;
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) {
    return BoundedRead::kFailed;
  }
  if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
    return BoundedRead::kTooLarge;
  }
  out.resize(static_cast<std::size_t>(info.st_size) + 1);
  std::size_t have = 0;
  for (;;) {
    if (have == out.size()) {
      // The file grew after fstat; read on only as far as the limit allows.
      if (have > maxBytes) {
        out.clear();
        return BoundedRead::kTooLarge;
      }
      out.resize(std::min(maxBytes + 1, have * 2 + 4096));
    }
    const ssize_t got = ReadSome(file.get(), out.data() + have, out.size() - have);
    if (got < 0) {
      out.clear();
      return BoundedRead::kFailed;
    }
    if (got == 0) {
      out.resize(have);
      return BoundedRead::kOk;
    }
    have += static_cast<std::size_t>(got);
  }
}

namespace {

// Saving through a symbolic link updates the file it points to and keeps the link. A link
// that names nothing is replaced itself.
std::string SaveTarget(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    if (real) {
      return real.get();
    }
  }
  return path;
}

bool WritableByUs(const std::string& path) {
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

bool WriteAllAt(int fd, std::string_view bytes, off_t offset) {
  while (!bytes.empty()) {
    const ssize_t wrote = ::pwrite(fd, bytes.data(), bytes.size(), offset);
    if (wrote < 0 && errno == EINTR) {
      continue;
    }
    if (wrote <= 0) {
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(wrote));
    offset += wrote;
  }
  return true;
}

bool ReadAll(int fd, std::string& out) {
  std::unique_ptr<char[]> chunk(new char[kReadChunkBytes]);
  for (;;) {
    const ssize_t got = ReadSome(fd, chunk.get(), kReadChunkBytes);
    if (got <= 0) {
      return got == 0;
    }
    out.append(chunk.get(), static_cast<std::size_t>(got));
  }
}

// A flushed copy of the old content where the user alone writes, else in the temporary folder;
// removed again unless kept on purpose (a crash never reaches the destructor).
constexpr std::string_view kCopySuffix = ".before-save";

struct FolderListingClose {
  void operator()(DIR* listing) const { ::closedir(listing); }
};

// The user's state folder first, where only the user may look; the temporary folder without one.
std::vector<std::string> CopyFolders() {
  std::vector<std::string> folders;
  if (std::string state = StateFolder(); !state.empty()) {
    folders.push_back(std::move(state));
  }
  const char* tmp = std::getenv("TMPDIR");
  folders.push_back(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp");
  return folders;
}

class SavedCopy {
 public:
  SavedCopy(const std::string& target, std::string_view bytes) {
    const std::string state = StateFolder();
    for (const std::string& folder : CopyFolders()) {
      if (folder == state) {
        ::mkdir(ParentFolder(folder).c_str(), 0700);
        ::mkdir(folder.c_str(), 0700);
      }
      std::string name =
          folder + "/" + BaseName(target).substr(0, 180) + ".XXXXXX" + std::string(kCopySuffix);
      FileDescriptor file(
          ::mkostemps(name.data(), static_cast<int>(kCopySuffix.size()), O_CLOEXEC));
      if (!file.valid()) {
        continue;
      }
      if (WriteAllBytes(file.get(), bytes) && ::fsync(file.get()) == 0 && file.close()) {
        path_ = std::move(name);
        return;
      }
      ::unlink(name.c_str());
    }
  }
  SavedCopy(const SavedCopy&) = delete;
  SavedCopy& operator=(const SavedCopy&) = delete;
  ~SavedCopy() {
    if (!path_.empty()) {
      ::unlink(path_.c_str());
    }
  }
  bool made() const { return !path_.empty(); }
  // The old content could not be put back: the copy is all that is left of it.
  void keep() { path_.clear(); }

 private:
  std::string path_;
};

// The old bytes are copied aside before the first write, the room for the new ones is reserved,
// and any failure puts the old bytes back: the file is never left cut or mixed.
bool OverwriteInPlace(const std::string& target, std::string_view bytes) {
  FileDescriptor file(::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  struct stat info {};
  if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return false;
  }
  std::string old;
  if (!ReadAll(file.get(), old)) {
    return false;
  }
  SavedCopy copy(target, old);
  if (!copy.made()) {
    return false;
  }
  // Where the file system cannot reserve (EOPNOTSUPP) the write itself finds out.
  if (bytes.size() > old.size() &&
      ::fallocate(file.get(), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes.size())) != 0 &&
      errno != EOPNOTSUPP && errno != ENOSYS) {
    return false;
  }
  if (WriteAllAt(file.get(), bytes, 0) &&
      ::ftruncate(file.get(), static_cast<off_t>(bytes.size())) == 0 && ::fsync(file.get()) == 0) {
    return file.close();
  }
  // The old bytes fit where they were, so putting them back needs no new room.
  const int error = errno;
  if (!WriteAllAt(file.get(), old, 0) ||
      ::ftruncate(file.get(), static_cast<off_t>(old.size())) != 0 || ::fsync(file.get()) != 0) {
    copy.keep();
  }
  errno = error;
  return false;
}

}  // namespace

bool SaveFileBytes(const std::string& path, std::string_view bytes) {
  if (path.empty()) {
    return false;
  }
  const std::string target = SaveTarget(path);
  const std::string folder = ParentFolder(target);
  struct stat fileInfo {};
  struct stat folderInfo {};
  if (::stat(target.c_str(), &fileInfo) == 0 && S_ISREG(fileInfo.st_mode) && WritableByUs(target) &&
      ::stat(folder.c_str(), &folderInfo) == 0 && folderInfo.st_uid != ::geteuid() &&
      !WritableByUs(folder)) {
    return OverwriteInPlace(target, bytes);
  }
  return ReplaceFileAtomically(path, bytes);
}

std::vector<std::string> LeftSaveCopies(std::size_t maxCopies) {
  std::vector<std::string> copies;
  for (const std::string& folder : CopyFolders()) {
    std::unique_ptr<DIR, FolderListingClose> listing(::opendir(folder.c_str()));
    while (listing != nullptr && copies.size() < maxCopies) {
      const dirent* entry = ::readdir(listing.get());
      if (entry == nullptr) {
        break;
      }
      const std::string_view name = entry->d_name;
      struct stat info {};
      if (name.size() > kCopySuffix.size() && name.ends_with(kCopySuffix) &&
          ::fstatat(::dirfd(listing.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
          S_ISREG(info.st_mode) && info.st_uid == ::geteuid()) {
        copies.push_back(folder + "/" + entry->d_name);
      }
    }
  }
  std::sort(copies.begin(), copies.end());
  return copies;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  if (path.empty()) {
    return false;
  }
  const std::string target = SaveTarget(path);
  struct stat info {};
  bool replacing = false;
  if (::stat(target.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) {
      return false;
    }
    // The rename only needs the folder's permission; a file its owner made read-only must
    // refuse the save just as writing into it would.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
      return false;
    }
    replacing = true;
  }

  TemporaryFile temporary(target);
  if (!temporary.created() || !WriteAllBytes(temporary.fd(), bytes)) {
    return false;
  }
  if (replacing) {
    // Keep the owner when an administrator edits a user's file; only root may, so a refusal
    // is expected and harmless.
    if (::fchown(temporary.fd(), info.st_uid, info.st_gid) != 0) {
      errno = 0;
    }
    // Last, since writing and changing the owner may clear the set-ID bits.
    if (::fchmod(temporary.fd(), info.st_mode & 07777) != 0) {
      return false;
    }
  }
  if (::fsync(temporary.fd()) != 0 || !temporary.close() ||
      ::rename(temporary.path().c_str(), target.c_str()) != 0) {
    return false;
  }
  temporary.commit();
  // Make the rename itself durable; the file is already complete, so a failure here changes
  // nothing the caller could act on.
  FileDescriptor folder(::open(ParentFolder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.valid()) {
    ::fsync(folder.get());
  }
  return true;
}

}  // namespace tollvane

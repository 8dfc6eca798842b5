// Reading and saving the small files users keep beside the program (schedules, the settings
// file, the imported days, the autostart entry). Plain POSIX calls; callers turn a failure
// into their own error.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tollvane {

// Owns a descriptor and closes it on every path out.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor();

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now so that a failing close (a late write error) is seen. False when nothing was
  // open.
  bool close();

 private:
  int fd_ = -1;
};

enum class FileStatus { kOk, kMissing, kFailed };

// Opens path for reading when it names a regular file, following symbolic links. kMissing only
// when nothing is at the path (a dangling link counts as nothing); a folder, device or FIFO is
// kFailed, and opening a FIFO never waits for a writer.
FileStatus OpenRegularFile(const std::string& path, FileDescriptor& file);

// One read(2), retried when a signal interrupts it: the byte count, 0 at the end, -1 on error.
ssize_t ReadSome(int fd, char* buffer, std::size_t size);

// Writes all of bytes, retrying short writes and interrupted ones. False on any error (a write
// that takes nothing counts as one, with errno EIO).
bool WriteAllBytes(int fd, std::string_view bytes);

// The whole of a regular file (see OpenRegularFile). out is cleared first and holds nothing
// useful unless the result is kOk.
FileStatus ReadFileBytes(const std::string& path, std::string& out);

enum class BoundedRead { kOk, kMissing, kFailed, kTooLarge };

// ReadFileBytes for a file a user may hand over, which has to be small: its size is taken with
// fstat before anything is read, and the reading stops past maxBytes should the file grow
// meanwhile (kTooLarge). out is cleared first and holds nothing useful unless the result is kOk.
BoundedRead ReadFileUpTo(const std::string& path, std::size_t maxBytes, std::string& out);

// Replaces the file at path with bytes so that, whatever fails, either the old file or the
// complete new one is there: a temporary file beside the target is written, flushed to disk and
// renamed over it, then the folder is flushed. A symbolic link is followed, so the file it names
// is updated and the link stays. A replaced file keeps its permissions and, where the process
// may set it, its owner; a new file gets the umask's permissions. A folder, device or FIFO at
// the path is never replaced, nor a file the process may not write. Returns false, leaving the old
// file as it was and no temporary file behind, on any failure.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// How the schedule, settings and imported-days writers save: ReplaceFileAtomically, except for
// an existing file the process may write inside a folder it may not write and does not own (a
// shared folder an administrator set up). There no temporary file can be made, so the file
// itself is overwritten: it keeps its inode, owner, permissions and hard links. The old content
// stays reachable until the new one is complete and flushed to disk: it is first copied,
// flushed, into the user's state folder (StateFolder(), else the temporary folder) as
// "<name>.XXXXXX.before-save", the new size is reserved on the disk where the file system can
// (fallocate), and any failure while writing (a full disk, a file-size limit) writes the old
// bytes back. The copy is removed after a good save; a crash in the middle leaves it there, the
// only place the old content then is. Without a place for the copy the save is refused. A
// folder the user owns and made read-only is taken as a deliberate lock and refuses the save.
bool SaveFileBytes(const std::string& path, std::string_view bytes);

// The copies SaveFileBytes left behind, each the content of a file from before a save that did
// not end (a crash, or old bytes that could not be written back): this user's files named
// "*.before-save" in the two folders it keeps them in, sorted, at most maxCopies of them.
std::vector<std::string> LeftSaveCopies(std::size_t maxCopies = 20);

}  // namespace tollvane

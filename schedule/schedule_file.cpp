#include "schedule/schedule_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "engine/errors.h"
#include "schedule/tabs.h"
#include "schedule/text_number.h"

namespace tollvane {

namespace {

// The writer's order: the common timetable first, then Sunday .. Saturday.
constexpr int kFileOrder[kTimetableCount] = {8, 1, 2, 3, 4, 5, 6, 7};

constexpr int kLinesPerRecord = 4;

// A schedule file is 2304 bytes. These bounds keep a stray multi-gigabyte file (or one of
// nothing but line breaks) from exhausting memory; nothing a person would call a schedule
// comes near them.
constexpr size_t kMaxLoadedTextBytes = size_t{16} << 20;
constexpr size_t kMaxLoadedLines = size_t{1} << 20;

constexpr size_t kReadChunkBytes = 64 * 1024;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// Reads the file's bytes up to the first NUL, which ends the text.
std::string ReadTextUpToNul(const std::string& path) {
  // O_NONBLOCK keeps a FIFO from stalling the open; only regular files are read.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info {};
  if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    throw FileOpenError(path);
  }
  std::string text;
  std::unique_ptr<char[]> chunk(new char[kReadChunkBytes]);
  for (;;) {
    const ssize_t got = ::read(file.get(), chunk.get(), kReadChunkBytes);
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      throw FileOpenError(path);
    }
    if (got == 0) {
      break;
    }
    const size_t count = static_cast<size_t>(got);
    const void* nul = std::memchr(chunk.get(), '\0', count);
    const size_t used =
        nul ? static_cast<size_t>(static_cast<const char*>(nul) - chunk.get()) : count;
    if (text.size() + used > kMaxLoadedTextBytes) {
      throw FileOpenError(path);
    }
    text.append(chunk.get(), used);
    if (nul) {
      break;
    }
  }
  return text;
}

// Splits at CR LF, lone CR and lone LF. A last line without a break counts; the empty rest
// after a final break does not.
void SplitLines(const std::string& text, LineBuffer& lines, const std::string& path) {
  size_t start = 0;
  const size_t size = text.size();
  while (start < size) {
    const size_t end = std::min(text.find_first_of("\r\n", start), size);
    if (lines.size() == kMaxLoadedLines) {
      throw FileOpenError(path);
    }
    lines.emplace_back(text, start, end - start);
    const bool crLf = end + 1 < size && text[end] == '\r' && text[end + 1] == '\n';
    start = end + (crLf ? 2 : 1);
  }
}

std::string ParentFolder(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A file being written next to the target; removed unless it was renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    // Keep the name well inside NAME_MAX even for a long target name.
    const std::string stem = ParentFolder(target) + "/." + BaseName(target).substr(0, 180);
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
      path_ = stem + ".~" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ < 0 && errno != EEXIST) {
        break;
      }
    }
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
    if (!committed_ && created()) {
      ::unlink(path_.c_str());
    }
  }

  bool created() const { return fd_ >= 0 || closed_; }
  int fd() const { return fd_; }
  const std::string& path() const { return path_; }
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    closed_ = true;
    return ::close(fd) == 0;
  }
  void commit() { committed_ = true; }

 private:
  std::string path_;
  int fd_ = -1;
  bool closed_ = false;
  bool committed_ = false;
};

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    done += static_cast<size_t>(wrote);
  }
  return true;
}

// Replaces the file at path with bytes so that, whatever fails, either the old file or the
// complete new one is there: write a temporary file beside it, flush it to disk, rename it
// over the target.
void ReplaceFile(const std::string& path, const std::string& bytes) {
  if (path.empty()) {
    throw FileCreateError(path);
  }
  // Saving through a symbolic link updates the file it points to and keeps the link.
  std::string target = path;
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    if (real) {
      target = real.get();
    }
  }
  bool replacing = false;
  if (::stat(target.c_str(), &info) == 0) {
    // A folder, a device or a pipe is never replaced by a schedule.
    if (!S_ISREG(info.st_mode)) {
      throw FileCreateError(path);
    }
    replacing = true;
  }

  TemporaryFile temporary(target);
  if (!temporary.created()) {
    throw FileCreateError(path);
  }
  if (replacing) {
    // The saved file keeps the permissions the operator gave the old one.
    ::fchmod(temporary.fd(), info.st_mode & 07777);
  }
  if (!WriteAll(temporary.fd(), bytes) || ::fsync(temporary.fd()) != 0 || !temporary.close() ||
      ::rename(temporary.path().c_str(), target.c_str()) != 0) {
    throw FileCreateError(path);
  }
  temporary.commit();
  // Make the rename itself durable; the file is already complete, so a failure here changes
  // nothing the caller could act on.
  FileDescriptor folder(::open(ParentFolder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0) {
    ::fsync(folder.get());
  }
}

}  // namespace

void BuildScheduleLines(const WeekSchedule& schedule, LineBuffer& lines) {
  lines.clear();
  lines.reserve(kTimetableCount * kSlotsPerTimetable * kLinesPerRecord);
  for (int timetable : kFileOrder) {
    for (int n = 1; n <= kSlotsPerTimetable; ++n) {
      const BellSlot& slot = schedule.at(timetable, n);
      lines.push_back(std::to_string(timetable));
      lines.push_back(std::to_string(slot.hour));
      lines.push_back(std::to_string(slot.minute));
      lines.push_back(std::to_string(slot.sound));
    }
  }
}

void StoreLines(LineBuffer& lines, const std::string& path) {
  std::string bytes;
  size_t size = 0;
  for (const std::string& line : lines) {
    size += line.size() + 2;
  }
  bytes.reserve(size);
  for (const std::string& line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
  ReplaceFile(path, bytes);
  lines.clear();
}

void LoadLines(LineBuffer& lines, const std::string& path) {
  lines.clear();
  LineBuffer loaded;
  SplitLines(ReadTextUpToNul(path), loaded, path);
  lines.swap(loaded);
}

void ParseScheduleRecords(const LineBuffer& lines, WeekSchedule& schedule) {
  std::array<int, kTimetableCount + 1> cursor{};
  cursor.fill(1);
  const size_t records = lines.size() / kLinesPerRecord;
  for (size_t r = 0; r < records; ++r) {
    const size_t first = r * kLinesPerRecord;
    const int32_t timetable = TextToNumber(lines[first]);
    if (timetable < 1 || timetable > kTimetableCount) {
      continue;
    }
    int& n = cursor[timetable];
    // A timetable has 24 slots; later records of it are skipped like foreign ones, their
    // lines unread.
    if (n > kSlotsPerTimetable) {
      continue;
    }
    BellSlot& slot = schedule.at(timetable, n);
    // Stored one by one: a conversion error keeps the fields before it.
    slot.hour = TextToNumber(lines[first + 1]);
    slot.minute = TextToNumber(lines[first + 2]);
    slot.sound = TextToNumber(lines[first + 3]);
    ++n;
  }
}

void ReadScheduleFile(ReadMode mode, const LineBuffer& lines, WeekSchedule& schedule,
                      PageTexts& texts) {
  if (mode == ReadMode::Append) {
    GatherAllTabs(schedule, texts);
  }
  ParseScheduleRecords(lines, schedule);
  LoadAllTabs(schedule, texts);
  ResetWeekSchedule(schedule);
}

}  // namespace tollvane

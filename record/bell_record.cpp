#include "record/bell_record.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "fileio/file_io.h"
#include "record/record_files.h"
#include "record/record_kinds.h"
#include "record/record_line.h"
#include "record/record_texts.h"

namespace tollvane {
namespace {

namespace fs = std::filesystem;

std::string DropNote(const LocalTime& when, std::uint64_t dropped) {
  return FormatRecordLine(
      when, text::record::kRecordLoss,
      text::Formatted(text::record_texts::kDropped, static_cast<unsigned long long>(dropped)));
}

std::string_view StampOf(std::string_view line) {
  return line.substr(0, kRecordStampBytes);
}

// A line of the record's own, with the stamp of the event it follows.
std::string NoteLine(std::string_view stamp, const std::string& text) {
  return std::string(stamp) + "\t" + std::string(text::record::kRecordLoss) + "\t" + text + "\n";
}

std::string Mebibytes(std::uintmax_t bytes) {
  const std::uintmax_t whole = bytes >> 20;
  return whole > 0
             ? text::Formatted(text::record_texts::kMebibytes,
                               static_cast<unsigned long long>(whole))
             : text::Formatted(text::record_texts::kBytes, static_cast<unsigned long long>(bytes));
}

// The file side of the writer thread: the folder's descriptor, which day file is open and how
// far it has grown. Day files are named relative to the folder, so a folder swapped for a link
// after the check is never written through.
class DayFiles {
 public:
  DayFiles(fs::path folder, const RecordLimits& limits, JournalSink* journal,
           BellRecord::Report& report, std::atomic<std::uint64_t>& written,
           std::atomic<std::uint64_t>& lost, std::atomic<std::uint64_t>& overDay)
      : folder_(std::move(folder)),
        limits_(limits),
        journal_(journal),
        report_(report),
        written_(written),
        lost_(lost),
        overDay_(overDay) {}
  ~DayFiles() { close(); }

  void write(const std::vector<std::string>& batch) {
    if (journal_ != nullptr) {
      for (const std::string& line : batch)
        toJournal(line);
    }
    dropIfStale();
    openRefused_ = false;
    std::string pending;
    std::size_t pendingLines = 0;
    const auto commit = [&] {
      if (pendingLines > 0)
        append(pending, pendingLines);
      pending.clear();
      pendingLines = 0;
    };
    for (const std::string& line : batch) {
      const std::string_view date = std::string_view(line).substr(0, 10);
      if (date != date_) {
        commit();
        endDay();
        date_ = date;
      }
      if (fd_ < 0 && !open()) {
        noteLost(1);
        continue;
      }
      if (!dayFull_ && size_ + pending.size() > 0 &&
          size_ + pending.size() + line.size() > limits_.dayFileBytes) {
        commit();
        setAside(line);
        if (fd_ < 0 && !open()) {
          noteLost(1);
          continue;
        }
      }
      if (dayFull_) {
        ++dayDropped_;
        ++overDay_;
        lastDropped_ = StampOf(line);
        continue;
      }
      pending += line;
      ++pendingLines;
    }
    commit();
  }

  // At the end of the day's writing: how many lines its bound kept out goes into its file.
  void endDay() {
    if (dayDropped_ > 0 && fd_ >= 0) {
      appendNote(
          NoteLine(lastDropped_, text::Formatted(text::record_texts::kDayBoundDropped,
                                                 static_cast<unsigned long long>(dayDropped_))));
    }
    dayDropped_ = 0;
    dayFull_ = false;
    close();
  }

 private:
  std::string currentName() const { return RecordFileNameOf(date_, 0); }

  void toJournal(std::string_view line) {
    const std::size_t tab = line.find('\t', kRecordStampBytes + 1);
    if (tab == std::string_view::npos)
      return;
    const std::string_view kind = line.substr(kRecordStampBytes + 1, tab - kRecordStampBytes - 1);
    std::string_view text = line.substr(tab + 1);
    if (!text.empty() && text.back() == '\n')
      text.remove_suffix(1);
    journal_->send(StampOf(line), kind, text);
  }

  // A folder or file removed or replaced under us (deleted by hand) would swallow every line
  // written to its old handle; start over at the path.
  void dropIfStale() {
    if (!folderFd_.valid())
      return;
    struct stat atPath {};
    if (::lstat(folder_.c_str(), &atPath) != 0 || atPath.st_ino != folderInode_ ||
        atPath.st_dev != folderDevice_) {
      close();
      folderFd_ = FileDescriptor();
      return;
    }
    if (fd_ < 0)
      return;
    struct stat open {};
    if (::fstat(fd_, &open) != 0 || open.st_nlink == 0 ||
        ::fstatat(folderFd_.get(), currentName().c_str(), &atPath, AT_SYMLINK_NOFOLLOW) != 0 ||
        atPath.st_ino != open.st_ino || atPath.st_dev != open.st_dev) {
      close();
    }
  }

  // The folder is the user's own business: made private, and used only when it is a real
  // folder that no one else can change (a planted link or a shared folder would let another
  // user read the record or have the prune delete their files).
  bool openFolder() {
    if (folder_.empty())
      return refuseFolder(text::record_texts::kNoHome);
    std::error_code ignored;
    fs::create_directories(folder_.parent_path(), ignored);
    ::mkdir(folder_.c_str(), 0700);
    FileDescriptor opened(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!opened.valid()) {
      const int error = errno;
      if (::lstat(folder_.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
        return refuseFolder(text::record_texts::kFolderIsLink);
      return refuse(error);
    }
    if (::fstat(opened.get(), &info) != 0)
      return refuse(errno);
    if (info.st_uid != ::geteuid())
      return refuseFolder(text::record_texts::kOthersFolder);
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
      return refuseFolder(text::record_texts::kSharedFolder);
    folderFd_ = std::move(opened);
    folderDevice_ = info.st_dev;
    folderInode_ = info.st_ino;
    return true;
  }

  bool partExists(int part) const {
    struct stat info {};
    return ::fstatat(folderFd_.get(), RecordFileNameOf(date_, part).c_str(), &info,
                     AT_SYMLINK_NOFOLLOW) == 0 ||
           errno != ENOENT;
  }

  bool open() {
    if (openRefused_)
      return false;  // one try per batch, not one per line
    if (!folderFd_.valid() && !openFolder())
      return false;
    // Read as well, to look at the last byte. No links followed: the record appends to its
    // own files only.
    fd_ = ::openat(folderFd_.get(), currentName().c_str(),
                   O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
      const int error = fd_ < 0 ? errno : EINVAL;
      close();
      return refuse(error);
    }
    size_ = static_cast<std::uintmax_t>(info.st_size);
    // A line cut off by a crash stays one damaged line instead of swallowing the next event.
    char last = '\n';
    if (size_ > 0 && ::pread(fd_, &last, 1, static_cast<off_t>(size_ - 1)) == 1 && last != '\n') {
      if (!WriteAllBytes(fd_, "\n")) {
        const int error = errno;
        close();
        return refuse(error);
      }
      ++size_;
    }
    // A day that filled both its files before a restart stays full.
    dayFull_ = size_ >= limits_.dayFileBytes && partExists(1);
    prune();
    return true;
  }

  bool refuse(int error) {
    openRefused_ = true;
    reportFailure(error);
    return false;
  }

  bool refuseFolder(const std::string& why) {
    openRefused_ = true;
    if (!failing_) {
      failing_ = true;
      tell("tollvane: " + text::Formatted(text::record_texts::kFolderRefused,
                                          folder_.string().c_str(), why.c_str()));
    }
    return false;
  }

  void close() {
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = -1;
    size_ = 0;
  }

  // The day's first file holds the cause of a busy day, so it is set aside whole once and never
  // replaced; when the second file fills too, the rest of the day is counted, not kept.
  void setAside(std::string_view line) {
    if (partExists(1)) {
      dayFull_ = true;
      appendNote(
          NoteLine(StampOf(line), text::Formatted(text::record_texts::kDayFull,
                                                  Mebibytes(2 * limits_.dayFileBytes).c_str())));
      return;
    }
    close();
    // Failing that, the day goes on in its full file: a longer file beats a lost event.
    ::renameat(folderFd_.get(), currentName().c_str(), folderFd_.get(),
               RecordFileNameOf(date_, 1).c_str());
  }

  void appendNote(const std::string& note) {
    if (fd_ >= 0 && WriteAllBytes(fd_, note) && ::fsync(fd_) == 0) {
      size_ += note.size();
      ++written_;
    }
  }

  void append(const std::string& pending, std::size_t lines) {
    std::string data;
    if (lostPending_ > 0) {
      data = NoteLine(StampOf(pending),
                      text::Formatted(text::record_texts::kLost,
                                      static_cast<unsigned long long>(lostPending_)));
    }
    data += pending;
    if (!WriteAllBytes(fd_, data) || ::fsync(fd_) != 0) {
      const int error = errno;
      // Take back a part-written line, so that the file holds whole events only.
      if (::ftruncate(fd_, static_cast<off_t>(size_)) != 0) {
        // The next open seals the cut line with a line break.
      }
      close();
      openRefused_ = true;
      reportFailure(error);
      noteLost(lines);
      return;
    }
    size_ += data.size();
    written_ += lines + (lostPending_ > 0 ? 1 : 0);
    if (failing_) {
      failing_ = false;
      tell("tollvane: " + text::Formatted(text::record_texts::kResumed,
                                          static_cast<unsigned long long>(lostPending_)));
    }
    lostPending_ = 0;
  }

  void noteLost(std::size_t lines) {
    lost_ += lines;
    lostPending_ += lines;
  }

  void reportFailure(int error) {
    if (failing_)
      return;
    failing_ = true;
    tell("tollvane: " +
         text::Formatted(text::record_texts::kCannotWrite, folder_.c_str(), std::strerror(error)));
  }

  void tell(const std::string& message) {
    try {
      if (report_)
        report_(message);
      else
        std::fprintf(stderr, "%s\n", message.c_str());
      if (journal_ != nullptr)
        journal_->send({}, text::record::kRecordLoss, message);
    } catch (...) {
      // Telling is a courtesy; the record goes on without it.
    }
  }

  // Whole files of the days past the newest keepDays days that have a record, then, with a
  // folder size set, the oldest while the folder is over it; the file being written stays. Days
  // are counted by their files, not back from the clock, so a clock set years ahead cannot wipe
  // the record.
  void prune() {
    struct Entry {
      std::string date;
      int part;
      std::uintmax_t bytes;
    };
    std::vector<Entry> entries;
    const int listing = ::dup(folderFd_.get());
    DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (dir == nullptr) {
      if (listing >= 0)
        ::close(listing);
      return;
    }
    ::rewinddir(dir);
    while (const dirent* entry = ::readdir(dir)) {
      auto name = ParseRecordFileName(entry->d_name);
      struct stat info {};
      if (name && ::fstatat(folderFd_.get(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
          !S_ISDIR(info.st_mode))
        entries.push_back({name->date, name->part, static_cast<std::uintmax_t>(info.st_size)});
    }
    ::closedir(dir);
    // Oldest first: by day, and the set-aside part before the day's current file.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
      return a.date != b.date ? a.date < b.date : a.part > b.part;
    });
    std::vector<std::string> days;
    for (const Entry& e : entries) {
      if (days.empty() || days.back() != e.date)
        days.push_back(e.date);
    }
    const std::size_t keep = static_cast<std::size_t>(std::max(1, limits_.keepDays));
    const std::string oldestKept = days.size() > keep ? days[days.size() - keep] : std::string();
    std::uintmax_t total = 0;
    for (const Entry& e : entries)
      total += e.bytes;
    const bool sizeCapped = limits_.folderBytes > 0;
    for (const Entry& e : entries) {
      const bool current = e.date == date_ && e.part == 0;
      const bool old = e.date < oldestKept;
      if (current || (!old && (!sizeCapped || total <= limits_.folderBytes)))
        continue;
      if (::unlinkat(folderFd_.get(), RecordFileNameOf(e.date, e.part).c_str(), 0) == 0)
        total -= e.bytes;
    }
  }

  const fs::path folder_;
  const RecordLimits& limits_;
  JournalSink* journal_;
  BellRecord::Report& report_;
  std::atomic<std::uint64_t>& written_;
  std::atomic<std::uint64_t>& lost_;
  std::atomic<std::uint64_t>& overDay_;

  FileDescriptor folderFd_;
  dev_t folderDevice_ = 0;
  ino_t folderInode_ = 0;
  std::string date_;
  int fd_ = -1;
  std::uintmax_t size_ = 0;
  bool openRefused_ = false;
  bool failing_ = false;
  std::uint64_t lostPending_ = 0;
  bool dayFull_ = false;
  std::uint64_t dayDropped_ = 0;
  std::string lastDropped_;
};

}  // namespace

struct BellRecord::Shared {
  Shared(fs::path folder, RecordLimits limits, std::shared_ptr<JournalSink> journal, Report report)
      : limits(limits),
        journal(std::move(journal)),
        report(std::move(report)),
        files(std::move(folder), this->limits, this->journal.get(), this->report, written, lost,
              overDay) {}

  const RecordLimits limits;
  const std::shared_ptr<JournalSink> journal;
  Report report;
  std::atomic<std::uint64_t> written{0};
  std::atomic<std::uint64_t> lost{0};
  std::atomic<std::uint64_t> overDay{0};
  DayFiles files;  // the writer thread's alone

  std::mutex mutex;
  std::condition_variable wake;  // to the writer: lines or stop
  std::condition_variable idle;  // from the writer: queue handled, or finished
  std::vector<std::string> queue;
  bool busy = false;
  bool writerWaiting = false;
  bool stop = false;
  bool finished = false;
  std::uint64_t droppedSinceNote = 0;
  std::uint64_t dropped = 0;

  // The last event recorded and the repeats of it folded into the window that started at
  // windowStartMs (local milliseconds); a count above 0 is still to be written.
  struct Repeat {
    std::string kind;
    std::string text;
    std::int64_t windowStartMs = 0;
    LocalTime last{};
    std::uint64_t count = 0;
  };
  std::optional<Repeat> repeat;

  // The line that stands for the repeats, stamped with the last of them.
  void queueRepeats() {
    if (repeat && repeat->count > 0) {
      queue.push_back(
          FormatRecordLine(repeat->last, repeat->kind,
                           text::Formatted(text::record_texts::kRepeated, repeat->text.c_str(),
                                           static_cast<unsigned long long>(repeat->count))));
      repeat->count = 0;
    }
  }

  static void Run(const std::shared_ptr<Shared>& self) {
    Shared& s = *self;
    std::vector<std::string> batch;
    std::unique_lock lock(s.mutex);
    for (;;) {
      s.writerWaiting = true;
      s.wake.wait(lock, [&] { return s.stop || !s.queue.empty(); });
      s.writerWaiting = false;
      if (s.queue.empty())
        break;
      batch.swap(s.queue);
      s.busy = true;
      lock.unlock();
      try {
        s.files.write(batch);
      } catch (...) {
        s.lost += batch.size();  // out of memory: the batch is gone, the writer goes on
      }
      batch.clear();
      lock.lock();
      s.busy = false;
      s.idle.notify_all();
    }
    lock.unlock();
    try {
      s.files.endDay();
    } catch (...) {
      // The count of a full day goes unsaid.
    }
    lock.lock();
    s.finished = true;
    s.idle.notify_all();
  }
};

BellRecord::BellRecord(const Clock& clock, fs::path folder, RecordLimits limits,
                       std::shared_ptr<JournalSink> journal, Report report)
    : clock_(clock),
      shared_(std::make_shared<Shared>(std::move(folder), limits, std::move(journal),
                                       std::move(report))) {
  shared_->queue.reserve(std::min<std::size_t>(limits.queueLines, 1024));
  // The thread holds the shared state too, so a writer stuck on a dead disk at exit can be
  // left behind without touching freed memory.
  try {
    writer_ = std::thread([shared = shared_] { Shared::Run(shared); });
  } catch (const std::exception& error) {
    // No thread to be had: the program runs on without its record.
    shared_->finished = true;
    std::fprintf(stderr, "tollvane: %s\n",
                 text::Formatted(text::record_texts::kCannotStart, error.what()).c_str());
  }
}

BellRecord::~BellRecord() {
  bool finished = false;
  {
    std::unique_lock lock(shared_->mutex);
    try {
      shared_->queueRepeats();
      if (shared_->droppedSinceNote > 0)
        shared_->queue.push_back(DropNote(clock_.now(), shared_->droppedSinceNote));
    } catch (...) {
      // Out of memory at the end: the count goes unsaid.
    }
    shared_->stop = true;
    shared_->wake.notify_one();
    finished =
        shared_->idle.wait_for(lock, shared_->limits.closeWait, [&] { return shared_->finished; });
  }
  if (!writer_.joinable())
    return;
  if (finished)
    writer_.join();
  else
    writer_.detach();
}

void BellRecord::record(std::string_view kind, std::string_view text) {
  try {
    const LocalTime now = clock_.now();
    std::string line = FormatRecordLine(now, kind, text);
    Shared& s = *shared_;
    bool wake = false;
    {
      std::lock_guard lock(s.mutex);
      // A fault that repeats every few seconds is written once, then once a window with its
      // count, so it cannot crowd the day's other events out of the record.
      const std::int64_t nowMs = now.localSeconds * 1000 + now.millisecond;
      const std::int64_t windowMs = std::chrono::milliseconds(s.limits.repeatWindow).count();
      const bool same = s.repeat && s.repeat->kind == kind && s.repeat->text == text;
      if (same && nowMs >= s.repeat->windowStartMs && nowMs - s.repeat->windowStartMs < windowMs) {
        ++s.repeat->count;
        s.repeat->last = now;
        return;
      }
      bool whole = true;
      if (same) {
        // A repeat past the window opens the next one. It is counted there while the repeats
        // go on without a window's pause; a slow or resumed repeat is written in full.
        const LocalTime& last = s.repeat->last;
        whole = s.repeat->count == 0 ||
                nowMs - (last.localSeconds * 1000 + last.millisecond) >= windowMs;
        s.queueRepeats();
        s.repeat->windowStartMs = nowMs;
        s.repeat->last = now;
        s.repeat->count = whole ? 0 : 1;
      } else {
        s.queueRepeats();
        if (!s.repeat)
          s.repeat.emplace();
        // Assigned, not made anew: the strings keep their room from one event to the next.
        s.repeat->kind.assign(kind);
        s.repeat->text.assign(text);
        s.repeat->windowStartMs = nowMs;
        s.repeat->last = now;
      }
      if (!whole) {
        wake = s.writerWaiting && !s.queue.empty();
      } else if (s.queue.size() >= s.limits.queueLines) {
        ++s.droppedSinceNote;
        ++s.dropped;
      } else {
        if (s.droppedSinceNote > 0) {
          s.queue.push_back(DropNote(now, s.droppedSinceNote));
          s.droppedSinceNote = 0;
        }
        s.queue.push_back(std::move(line));
        // A writer still busy takes this line with its next batch, without a wake-up call.
        wake = s.writerWaiting;
      }
    }
    if (wake)
      s.wake.notify_one();
  } catch (...) {
    // Out of memory or a failing clock: this event is not recorded, the caller goes on.
  }
}

bool BellRecord::flush(std::chrono::milliseconds timeout) {
  std::unique_lock lock(shared_->mutex);
  return shared_->idle.wait_for(lock, timeout, [&] {
    return shared_->finished || (shared_->queue.empty() && !shared_->busy);
  });
}

RecordCounts BellRecord::counts() const {
  RecordCounts counts;
  counts.written = shared_->written;
  counts.lost = shared_->lost;
  counts.overDay = shared_->overDay;
  std::lock_guard lock(shared_->mutex);
  counts.dropped = shared_->dropped;
  return counts;
}

}  // namespace tollvane

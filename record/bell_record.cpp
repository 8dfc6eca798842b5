#include "record/bell_record.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "record/record_files.h"
#include "record/record_kinds.h"
#include "record/record_line.h"
#include "record/record_texts.h"

namespace tollvane {
namespace {

namespace fs = std::filesystem;

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t wrote = ::write(fd, data.data(), data.size());
    if (wrote < 0 && errno == EINTR)
      continue;
    if (wrote <= 0) {
      if (wrote == 0)
        errno = EIO;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return true;
}

std::string DropNote(const LocalTime& when, std::uint64_t dropped) {
  return FormatRecordLine(
      when, record_kind::kRecordLoss,
      text::Formatted(text::record_texts::kDropped, static_cast<unsigned long long>(dropped)));
}

std::string_view StampOf(std::string_view line) {
  return line.substr(0, kRecordStampBytes);
}

// The file side of the writer thread: which day file is open and how far it has grown.
class DayFiles {
 public:
  DayFiles(fs::path folder, const RecordLimits& limits, JournalSink* journal,
           BellRecord::Report& report, std::atomic<std::uint64_t>& written,
           std::atomic<std::uint64_t>& lost)
      : folder_(std::move(folder)),
        limits_(limits),
        journal_(journal),
        report_(report),
        written_(written),
        lost_(lost) {}
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
        close();
        date_ = date;
      }
      if (fd_ < 0 && !open()) {
        noteLost(1);
        continue;
      }
      if (size_ + pending.size() > 0 &&
          size_ + pending.size() + line.size() > limits_.dayFileBytes) {
        commit();
        setAside();
        if (fd_ < 0 && !open()) {
          noteLost(1);
          continue;
        }
      }
      pending += line;
      ++pendingLines;
    }
    commit();
  }

 private:
  fs::path currentPath() const { return folder_ / RecordFileNameOf(date_, 0); }

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

  // A file removed or replaced under us (the folder deleted by hand) would swallow every
  // line written to its old handle; start over at the path.
  void dropIfStale() {
    if (fd_ < 0)
      return;
    struct stat open {
    }, atPath{};
    if (::fstat(fd_, &open) != 0 || open.st_nlink == 0 ||
        ::stat(currentPath().c_str(), &atPath) != 0 || atPath.st_ino != open.st_ino ||
        atPath.st_dev != open.st_dev) {
      close();
    }
  }

  bool open() {
    if (openRefused_)
      return false;  // one try per batch, not one per line
    // The record is the user's own business: its folder is private, as XDG state folders are.
    std::error_code ignored;
    fs::create_directories(folder_.parent_path(), ignored);
    ::mkdir(folder_.c_str(), 0700);
    const fs::path path = currentPath();
    // Read as well, to look at the last byte. No links followed: the record appends to its
    // own files only.
    fd_ = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
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
      if (!WriteAll(fd_, "\n")) {
        const int error = errno;
        close();
        return refuse(error);
      }
      ++size_;
    }
    prune();
    return true;
  }

  bool refuse(int error) {
    openRefused_ = true;
    reportFailure(error);
    return false;
  }

  void close() {
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = -1;
    size_ = 0;
  }

  void setAside() {
    close();
    std::error_code error;
    fs::rename(currentPath(), folder_ / RecordFileNameOf(date_, 1), error);
    // Failing that, the day goes on in its full file: a longer file beats a lost event.
  }

  void append(const std::string& pending, std::size_t lines) {
    std::string data;
    if (lostPending_ > 0) {
      data = std::string(StampOf(pending)) + "\t" + std::string(record_kind::kRecordLoss) + "\t" +
             text::Formatted(text::record_texts::kLost,
                             static_cast<unsigned long long>(lostPending_)) +
             "\n";
    }
    data += pending;
    if (!WriteAll(fd_, data) || ::fsync(fd_) != 0) {
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
        journal_->send({}, record_kind::kRecordLoss, message);
    } catch (...) {
      // Telling is a courtesy; the record goes on without it.
    }
  }

  // Whole files of the days past the newest keepDays days that have a record, then the oldest
  // while the folder is over its size; the file being written stays. Days are counted by their
  // files, not back from the clock, so a clock set years ahead cannot wipe the record.
  void prune() {
    struct Entry {
      std::string date;
      int part;
      std::uintmax_t bytes;
    };
    std::vector<Entry> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
      auto name = ParseRecordFileName(it->path().filename().string());
      std::error_code sizeError;
      const std::uintmax_t bytes = it->file_size(sizeError);
      if (name && !sizeError)
        entries.push_back({name->date, name->part, bytes});
    }
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
    for (const Entry& e : entries) {
      const bool current = e.date == date_ && e.part == 0;
      const bool old = e.date < oldestKept;
      if (current || (!old && total <= limits_.folderBytes))
        continue;
      std::error_code removeError;
      if (fs::remove(folder_ / RecordFileNameOf(e.date, e.part), removeError))
        total -= e.bytes;
    }
  }

  const fs::path folder_;
  const RecordLimits& limits_;
  JournalSink* journal_;
  BellRecord::Report& report_;
  std::atomic<std::uint64_t>& written_;
  std::atomic<std::uint64_t>& lost_;

  std::string date_;
  int fd_ = -1;
  std::uintmax_t size_ = 0;
  bool openRefused_ = false;
  bool failing_ = false;
  std::uint64_t lostPending_ = 0;
};

}  // namespace

struct BellRecord::Shared {
  Shared(fs::path folder, RecordLimits limits, std::shared_ptr<JournalSink> journal, Report report)
      : limits(limits),
        journal(std::move(journal)),
        report(std::move(report)),
        files(std::move(folder), this->limits, this->journal.get(), this->report, written, lost) {}

  const RecordLimits limits;
  const std::shared_ptr<JournalSink> journal;
  Report report;
  std::atomic<std::uint64_t> written{0};
  std::atomic<std::uint64_t> lost{0};
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
      if (s.queue.size() >= s.limits.queueLines) {
        ++s.droppedSinceNote;
        ++s.dropped;
        return;
      }
      if (s.droppedSinceNote > 0) {
        s.queue.push_back(DropNote(now, s.droppedSinceNote));
        s.droppedSinceNote = 0;
      }
      s.queue.push_back(std::move(line));
      // A writer still busy takes this line with its next batch, without a wake-up call.
      wake = s.writerWaiting;
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
  std::lock_guard lock(shared_->mutex);
  counts.dropped = shared_->dropped;
  return counts;
}

}  // namespace tollvane

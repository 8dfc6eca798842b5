// The bell record: each event a line stamped with the local time, kept in day files under a
// folder and sent to the journal. record() formats on the caller's thread and hands the line
// to a writer thread through a bounded queue, so a slow, full or missing disk never holds up a
// bell; what cannot be kept is counted and noted in the record once it can be written again.
//
// An event identical to the one before (same kind and text) within repeatWindow of the first is
// not written again: the window's repeats become one line, the text followed by
// "(同じ記録 N回)" and stamped with the last repeat, written when another event comes, the same
// one comes after the window (each later window gets its own count line), or the record ends.
//
// The folder is opened without following a link and used only when it is a folder of the
// process's own user that group and others cannot write; otherwise the events go to the
// journal only, and one report says why. A missing folder is made (mode 0700).
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "engine/interfaces.h"
#include "record/journal.h"

namespace tollvane {

struct RecordLimits {
  std::size_t queueLines = 4096;                  // lines waiting for the writer; beyond, dropped
  std::uintmax_t dayFileBytes = 1u << 20;         // see record/record_files.h: a day keeps two
  std::uintmax_t folderBytes = 0;                 // above this, the oldest whole files go; 0: none
  int keepDays = 90;                              // days with a record kept, newest first
  std::chrono::milliseconds repeatWindow{60000};  // repeats within it are counted; 0: none
  std::chrono::milliseconds closeWait{2000};      // longest wait for the writer at destruction
};

struct RecordCounts {
  std::uint64_t written = 0;  // lines in the files
  std::uint64_t dropped = 0;  // refused because the queue was full
  std::uint64_t lost = 0;     // not written because the disk refused them
  std::uint64_t overDay = 0;  // past the day's two files: in the journal only
};

class BellRecord : public Recorder {
 public:
  // Problems of the record itself (an unwritable folder, and its recovery) are told to report
  // once each; by default they go to standard error.
  using Report = std::function<void(const std::string&)>;

  BellRecord(const Clock& clock, std::filesystem::path folder, RecordLimits limits = {},
             std::shared_ptr<JournalSink> journal = nullptr, Report report = {});
  // Writes what is queued, waiting at most limits.closeWait for the disk.
  ~BellRecord() override;
  BellRecord(const BellRecord&) = delete;
  BellRecord& operator=(const BellRecord&) = delete;

  // Never throws, never waits for the disk.
  void record(std::string_view kind, std::string_view text) override;

  // Waits until everything recorded so far has been handled by the writer, at most timeout.
  // True when it has.
  bool flush(std::chrono::milliseconds timeout = std::chrono::seconds(5));

  RecordCounts counts() const;

 private:
  struct Shared;
  const Clock& clock_;
  std::shared_ptr<Shared> shared_;
  std::thread writer_;
};

}  // namespace tollvane

#include "lifecycle/autosave.h"

#include <exception>

#include "engine/texts.h"
#include "fileio/file_io.h"
#include "lifecycle/lifecycle_texts.h"
#include "schedule/schedule_file.h"

namespace tollvane {

bool AutosaveTrust::pagesHoldTheSchedule() const {
  return origin_ == Origin::kReloaded || origin_ == Origin::kFileOpened ||
         origin_ == Origin::kEdited;
}

const char* AutosaveTrust::whyNot() const {
  switch (origin_) {
    case Origin::kStart:
      return text::lifecycle::kNothingLoaded;
    case Origin::kAsking:
      return text::lifecycle::kNotAnswered;
    case Origin::kRefused:
      return text::lifecycle::kRefused;
    case Origin::kReloadFailed:
      return text::lifecycle::kReloadFailed;
    default:
      return "";
  }
}

std::string AutosaveBackupPath(const std::string& path) {
  return path + ".bak";
}

namespace {

AutosaveOutcome Outcome(AutosaveOutcome::Result result, std::string line) {
  return AutosaveOutcome{result, std::move(line)};
}

// The old file as the reload would take it: whole and every record a number.
bool ReadsAsSchedule(const std::string& path) {
  try {
    LineBuffer lines;
    LoadLines(lines, path);
    WeekSchedule scratch;
    ParseScheduleRecords(lines, scratch);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

AutosaveOutcome SaveAutomatically(const AutosaveTrust& trust, const WeekSchedule& pages,
                                  const std::string& path) {
  using R = AutosaveOutcome::Result;
  const auto notSaved = [&path](const std::string& why) {
    return text::Formatted(text::lifecycle::kNotSaved, path.c_str(), why.c_str());
  };
  try {
    LineBuffer lines;
    BuildScheduleLines(pages, lines);
    std::string bytes;
    for (const std::string& line : lines) {
      bytes += line;
      bytes += "\r\n";
    }
    std::string old;
    const FileStatus status = ReadFileBytes(path, old);
    // Where there is no file yet nothing can be lost; over one, only pages that hold the
    // schedule are written.
    if (status != FileStatus::kMissing && !trust.pagesHoldTheSchedule()) {
      return Outcome(R::kNotTrusted, notSaved(trust.whyNot()));
    }
    if (status == FileStatus::kFailed || (status == FileStatus::kOk && !ReadsAsSchedule(path))) {
      return Outcome(R::kUnreadableKept, notSaved(text::lifecycle::kOldUnreadable));
    }
    // The same bytes again leave the backup as it is: it keeps the last content that differed.
    if (status == FileStatus::kOk && old != bytes) {
      const std::string backup = AutosaveBackupPath(path);
      if (!ReplaceFileAtomically(backup, old)) {
        return Outcome(R::kFailed,
                       notSaved(text::Formatted(text::lifecycle::kBackupFailed, backup.c_str())));
      }
    }
    StoreLines(lines, path);
    return Outcome(R::kWritten, text::Formatted(text::lifecycle::kSaved, path.c_str()));
  } catch (const std::exception& error) {
    return Outcome(R::kFailed, notSaved(error.what()));
  }
}

SessionEndSteps StepsFor(SessionEndCause cause) {
  // A checkpoint (a logout that may yet be cancelled) only saves: the program goes on exactly
  // as it was.
  if (cause == SessionEndCause::kCheckpoint) {
    return {true, false, false};
  }
  return {true, true, true};
}

}  // namespace tollvane

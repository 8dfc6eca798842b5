#include "lifecycle/autosave.h"

#include <exception>

#include "fileio/file_io.h"
#include "schedule/schedule_file.h"

namespace tollvane {

bool AutosaveTrust::pagesHoldTheSchedule() const {
  return origin_ == Origin::kReloaded || origin_ == Origin::kFileOpened ||
         origin_ == Origin::kEdited;
}

const char* AutosaveTrust::whyNot() const {
  switch (origin_) {
    case Origin::kStart:
      return "チャイム表が読み込まれても入力されてもいません";
    case Origin::kAsking:
      return "前回のデータを読み込むかどうかの答えがまだありません";
    case Origin::kRefused:
      return "前回のデータを読み込まないと答えられました";
    case Origin::kReloadFailed:
      return "前回のデータを読み込めませんでした";
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
  const std::string notSaved = "チャイム表を " + path + " に保存しませんでした: ";
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
      return Outcome(R::kNotTrusted, notSaved + trust.whyNot() + "。");
    }
    if (status == FileStatus::kFailed || (status == FileStatus::kOk && !ReadsAsSchedule(path))) {
      return Outcome(R::kUnreadableKept,
                     notSaved + "今のファイルが読めないため、そのまま残しました。");
    }
    // The same bytes again leave the backup as it is: it keeps the last content that differed.
    if (status == FileStatus::kOk && old != bytes) {
      const std::string backup = AutosaveBackupPath(path);
      if (!ReplaceFileAtomically(backup, old)) {
        return Outcome(R::kFailed, notSaved + "前の内容を " + backup + " に残せませんでした。");
      }
    }
    StoreLines(lines, path);
    return Outcome(R::kWritten, "チャイム表を保存しました: " + path);
  } catch (const std::exception& error) {
    return Outcome(R::kFailed, notSaved + error.what());
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

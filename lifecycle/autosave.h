// Automatic saves of the auto-save file (the session's end, a session manager's checkpoint):
// they write only what the file should hold, keep the previous file once beside it, and never
// replace a file that cannot be read.
#pragma once

#include <string>

#include "engine/week_schedule.h"

namespace tollvane {

// Where the pages' content came from, as far as an automatic save cares.
class AutosaveTrust {
 public:
  enum class Origin {
    kStart,         // the reset pages of a fresh start
    kAsking,        // the reload question is open
    kRefused,       // the reload was answered No
    kReloadFailed,  // the file could not be reloaded
    kReloaded,      // the reload was answered Yes, or the unattended reload succeeded
    kFileOpened,    // a schedule file was opened or dropped
    kEdited,        // the operator changed a page
  };

  // The last thing that happened to the pages decides.
  void reloadAsked() { origin_ = Origin::kAsking; }
  void reloadAnswered(bool yes) { origin_ = yes ? Origin::kReloaded : Origin::kRefused; }
  void reloadFailed() { origin_ = Origin::kReloadFailed; }
  void reloaded() { origin_ = Origin::kReloaded; }
  void fileOpened() { origin_ = Origin::kFileOpened; }
  void edited() { origin_ = Origin::kEdited; }

  Origin origin() const { return origin_; }
  // True when the pages hold what the auto-save file should hold.
  bool pagesHoldTheSchedule() const;
  // Why they do not, for the record.
  const char* whyNot() const;

 private:
  Origin origin_ = Origin::kStart;
};

// The backup an automatic overwrite leaves beside the file: "dorrel.dat" -> "dorrel.dat.bak".
std::string AutosaveBackupPath(const std::string& path);

struct AutosaveOutcome {
  enum class Result { kWritten, kNotTrusted, kUnreadableKept, kFailed };
  Result result = Result::kFailed;
  std::string line;  // for the record
  bool written() const { return result == Result::kWritten; }
};

// Writes the schedule to path: a new file always, over an existing one only if trust allows
// it. An existing file that reads as a schedule
// file is copied to the backup first (a failed copy refuses the save); one that cannot be read
// is left alone; a file that already holds these bytes is written without a new backup. Never
// throws.
AutosaveOutcome SaveAutomatically(const AutosaveTrust& trust, const WeekSchedule& pages,
                                  const std::string& path);

// What the program does when its session ends or is checkpointed.
enum class SessionEndCause { kEnding, kCheckpoint };
struct SessionEndSteps {
  bool save = false;          // the automatic save above, from a copy of the pages
  bool releaseDelay = false;  // let a waiting shutdown go on
  bool exit = false;          // end the program without the close question
};
SessionEndSteps StepsFor(SessionEndCause cause);

}  // namespace tollvane

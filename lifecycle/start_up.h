// The start-up decision: whether the last schedule is offered or taken unattended, and what an
// unattended start tells the operator who comes by later.
#pragma once

#include <string>
#include <vector>

#include "engine/week_schedule.h"

namespace tollvane {

enum class StartWay {
  kOfferReload,  // ask "閉じる前のデータを読み込みますか" (when the file can be loaded)
  kReloadAndArm,  // take the last schedule as if Yes had been answered, then arm
};
StartWay DecideStart(bool autoArm);

// The auto-save file before the unattended reload.
enum class AutosaveFileState { kMissing, kPresent };
AutosaveFileState InspectAutosave(const std::string& path);

// Bells the tick can ring: every slot but the ones at 0:00.
int CountArmedBells(const WeekSchedule& schedule);

struct StartNotice {
  bool box = false;  // shown without waiting: nobody may be there
  std::string boxText;
  std::string recordLine;  // empty: nothing to record
};

// After the unattended reload and arming. error is the reload's error text (empty when it
// succeeded); armedBells what the arming took. A missing file needs no notice.
StartNotice NoticeAfterUnattendedStart(AutosaveFileState before, const std::string& error,
                                       const std::string& path, int armedBells);

// A warning line for the record for each copy of old content that an unfinished save left
// (LeftSaveCopies), so that whoever reads the record finds it.
std::vector<std::string> LeftSaveCopyLines();

}  // namespace tollvane

#include "lifecycle/start_up.h"

#include <filesystem>
#include <system_error>

#include "engine/texts.h"
#include "fileio/file_io.h"
#include "lifecycle/lifecycle_texts.h"

namespace tollvane {

StartWay DecideStart(bool autoArm) {
  return autoArm ? StartWay::kReloadAndArm : StartWay::kOfferReload;
}

AutosaveFileState InspectAutosave(const std::string& path) {
  std::error_code error;
  // A dangling link is nothing, as for the reader; anything else at the path is a file that
  // failed to load.
  const bool present = std::filesystem::exists(std::filesystem::symlink_status(path, error)) &&
                       std::filesystem::exists(path, error);
  return present ? AutosaveFileState::kPresent : AutosaveFileState::kMissing;
}

int CountArmedBells(const WeekSchedule& schedule) {
  int count = 0;
  for (const auto& timetable : schedule.timetables) {
    for (const BellSlot& slot : timetable) {
      count += slot.hour != 0 || slot.minute != 0 ? 1 : 0;
    }
  }
  return count;
}

StartNotice NoticeAfterUnattendedStart(AutosaveFileState before, const std::string& error,
                                       const std::string& path, int armedBells) {
  StartNotice notice;
  if (error.empty()) {
    return notice;
  }
  if (before == AutosaveFileState::kMissing) {
    return notice;  // a first start: nothing was lost, and the reload's own warning says it
  }
  const std::string armed = text::Formatted(text::lifecycle::kArmedBells, armedBells);
  notice.box = true;
  notice.boxText =
      text::Formatted(text::lifecycle::kReloadFailedBox, path.c_str(), armed.c_str(), path.c_str());
  notice.recordLine = text::Formatted(text::lifecycle::kReloadFailedLine, path.c_str(),
                                      armed.c_str(), error.c_str());
  return notice;
}

std::vector<std::string> LeftSaveCopyLines() {
  std::vector<std::string> lines;
  for (const std::string& copy : LeftSaveCopies()) {
    lines.push_back(text::Formatted(text::lifecycle::kLeftSaveCopy, copy.c_str()));
  }
  return lines;
}

}  // namespace tollvane

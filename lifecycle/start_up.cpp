#include "lifecycle/start_up.h"

#include <filesystem>
#include <system_error>

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
  const std::string armed = "チャイム" + std::to_string(armedBells) + "件で開始しました。";
  notice.box = true;
  notice.boxText =
      "前回のチャイム表 " + path + " を読み込めませんでした。" + armed + path +
      " は上書きせずに残してあります。チャイム表を開き直すか入力し直してから、「停　止」を"
      "押してもう一度「開　始」を押してください。";
  notice.recordLine = "前回のチャイム表 " + path + " を読み込めませんでした。" + armed +
                      "ファイルはそのまま残してあります。(詳細: " + error + ")";
  return notice;
}

}  // namespace tollvane

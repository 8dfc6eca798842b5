// Captions and messages shared by the engine, the editor commands and the windows.
#pragma once

#include <cstdio>
#include <string>

namespace tollvane::text {

// printf into a string of the length needed: names and paths in lines have no fixed bound.
template <typename... Args>
std::string Formatted(const char* format, Args... args) {
  const int needed = std::snprintf(nullptr, 0, format, args...);
  std::string text(static_cast<size_t>(needed > 0 ? needed : 0), '\0');
  std::snprintf(text.data(), text.size() + 1, format, args...);
  return text;
}

// The main window's caption as built; every caption change starts from it.
inline constexpr const char* kApplicationTitle = "Tollvane Ver1.7 © Tollvane developers ";
// The application object's own title, used by the error box.
inline constexpr const char* kProductName = "Tollvane";

inline constexpr const char* kArm = "開　始";     // not armed
inline constexpr const char* kDisarm = "停　止";  // armed
inline constexpr const char* kForce = "強　制";
inline constexpr const char* kForceStop = "強制停止";

inline constexpr const char* kConfirm = "確認";
inline constexpr const char* kWarning = "警告";
inline constexpr const char* kChoice = "選択";

inline constexpr const char* kAutosaveFile = "dorrel.dat";

// A date as the windows show it: year, month, day and the weekday's name, "2026/4/1(水)".
inline constexpr const char* kWindowDate = "%d/%d/%d(%s)";

// Kinds of the bell record's lines, the one name of each for the engine, the windows and the
// record: short words an operator reads in their own column of the "動作記録" window. Words
// earlier versions wrote are in record/record_kinds.h.
namespace record {
inline constexpr const char* kStart = "起動";
inline constexpr const char* kEnd = "終了";
inline constexpr const char* kArm = "開始";
inline constexpr const char* kDisarm = "停止";
inline constexpr const char* kOutputOn = "出力オン";
inline constexpr const char* kOutputOff = "出力オフ";
inline constexpr const char* kSound = "再生";
inline constexpr const char* kBellEnd = "鳴り終わり";
inline constexpr const char* kSuppressed = "鳴らさず";
inline constexpr const char* kError = "エラー";
inline constexpr const char* kBoardLost = "USB-IO切断";
inline constexpr const char* kBoardFound = "USB-IO復旧";
inline constexpr const char* kFile = "保存";
inline constexpr const char* kWarning = "警告";
inline constexpr const char* kClock = "時刻の飛び";
// Whether the clock is being set automatically.
inline constexpr const char* kClockSync = "時計";
// Written by the record itself about events it could not keep.
inline constexpr const char* kRecordLoss = "記録欠落";
}  // namespace record

// The engine's record lines, as the "動作記録" window shows them. Formats take printf's
// arguments; a line that is a sentence ends in "。", and an internal name may follow only as
// "(詳細: …)".
namespace line {
// A scheduled bell: weekday page, slot, time and sound, e.g. "月曜 3番目(8:30 音3)".
inline constexpr const char* kScheduledBell = "%s %d番目(%d:%02d 音%d)";
// A bell of an assigned day: its source and place, time and sound, e.g.
// "短縮日課 2番目(9:00 音1)".
inline constexpr const char* kAssignedBell = "%s(%d:%02d 音%d)";
inline constexpr const char* kForcedBell = "「強　制」のチャイム";
inline constexpr const char* kBoardWrite = "%s%sUSB-IO出力: %s";
inline constexpr const char* kWriteSucceeded = "成功";
inline constexpr const char* kWriteFailed = "失敗";
inline constexpr const char* kSilenced = "%sは鳴らしません(%s)。";
inline constexpr const char* kBoardLost =
    "USB-IOに出力できません。USB-IOのケーブルと電源を確かめてください。";
inline constexpr const char* kBoardBack = "USB-IOに再び出力できるようになりました。";
inline constexpr const char* kSoundTimed = "音%d %s を鳴らします(長さ%s)。";
inline constexpr const char* kSoundUntimed = "音%d %s を鳴らします(長さ不明)。";
inline constexpr const char* kEndedByLength = "最後まで鳴りました。(詳細: Timer1)";
inline constexpr const char* kEndedByPlayer = "最後まで鳴りました。(詳細: 再生終了の通知)";
inline constexpr const char* kStoppedByBellStop = "「チャイム停止」で止めました。";
inline constexpr const char* kStoppedByForceStop = "「強制停止」で止めました。";
// A clock step skipped the sound of a bell whose output was on.
inline constexpr const char* kOffClockForward =
    "パソコンの時計が進んだため、音を鳴らさずに出力オフにしました。";
inline constexpr const char* kOffClockBack =
    "パソコンの時計が戻ったため、音を鳴らさずに出力オフにしました。";
inline constexpr const char* kArmed = "チャイム%d件で開始しました(%s)。";
inline constexpr const char* kArmedUnattended = "チャイム%d件で開始しました(%s、起動時に自動で)。";
inline constexpr const char* kWithBoard = "USB-IOあり";
inline constexpr const char* kWithoutBoard = "USB-IOなし";
inline constexpr const char* kDisarmed = "停止しました。";
inline constexpr const char* kClockUnknown =
    "パソコンの時計が正しいか確かめられません。パソコンの時計を自動で合わせる設定にしてください。";
inline constexpr const char* kClockNotSet =
    "パソコンの時計が自動で合わせられていません。チャイムの時刻がずれるおそれがあります。"
    "パソコンの時計を自動で合わせる設定にしてください。";
inline constexpr const char* kClockRegained = "パソコンの時計が再び自動で合わせられています。";
inline constexpr const char* kArmStoppedAt =
    "チャイム表に読めない所があったため、そこから後のチャイムは鳴りません。"
    "チャイム表を直して、開始し直してください。(詳細: %s)";
inline constexpr const char* kClockForward = "パソコンの時計が%s進みました(%s → %s)。";
inline constexpr const char* kClockBack = "パソコンの時計が%s戻りました(%s → %s)。";
inline constexpr const char* kNoBellSkipped = "飛ばしたチャイムはありません。";
inline constexpr const char* kBellsSkipped = "飛ばしたチャイム%d件: %s%s。";
inline constexpr const char* kMoreBells = "ほか";
inline constexpr const char* kBellListSeparator = "、";
inline constexpr const char* kNotSearchedBeyond = "%d日より先は調べていません。";
inline constexpr const char* kHours = "時間";
inline constexpr const char* kMinutes = "分";
inline constexpr const char* kSeconds = "秒";
inline constexpr const char* kScheduleSaved = "チャイム表を %s に保存しました。";
inline constexpr const char* kStartedEmpty =
    "前回のチャイム表を読み込めないため、空のチャイム表で起動しました。"
    "チャイム表を開き直すか、入力し直してください。(詳細: %s)";

// Every text above, for the checks of their wording: the lines' sentences, and the parts
// that go into a line.
inline constexpr const char* kRecordLines[] = {
    kSilenced,      kBoardLost,     kBoardBack,         kSoundTimed,         kSoundUntimed,
    kEndedByLength, kEndedByPlayer, kStoppedByBellStop, kStoppedByForceStop, kOffClockForward,
    kOffClockBack,  kArmed,         kArmedUnattended,   kDisarmed,           kClockUnknown,
    kClockNotSet,   kClockRegained, kArmStoppedAt,      kClockForward,       kClockBack,
    kNoBellSkipped, kBellsSkipped,  kNotSearchedBeyond, kScheduleSaved,      kStartedEmpty,
};
inline constexpr const char* kRecordLineParts[] = {
    kScheduledBell,     kAssignedBell, kForcedBell,   kBoardWrite, kWriteSucceeded,
    kWriteFailed,       kWithBoard,    kWithoutBoard, kMoreBells,  kHours,
    kBellListSeparator, kMinutes,      kSeconds,
};
}  // namespace line

}  // namespace tollvane::text

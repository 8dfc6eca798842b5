// Captions and messages shared by the engine, the editor commands and the windows.
#pragma once

namespace tollvane::text {

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

}  // namespace tollvane::text

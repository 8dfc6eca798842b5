// The kind tags of the bell record: short words an operator reads in the "動作記録" window.
#pragma once

#include <string_view>

namespace tollvane::record_kind {

inline constexpr std::string_view kProgramStart = "起動";
inline constexpr std::string_view kProgramEnd = "終了";
inline constexpr std::string_view kArm = "開始";
inline constexpr std::string_view kDisarm = "停止";
inline constexpr std::string_view kOutputOn = "出力オン";
inline constexpr std::string_view kOutputOff = "出力オフ";
inline constexpr std::string_view kSoundStart = "再生";
inline constexpr std::string_view kBellEnd = "鳴り終わり";
inline constexpr std::string_view kSuppressed = "休み";
inline constexpr std::string_view kError = "エラー";
inline constexpr std::string_view kBoardLost = "ボード切断";
inline constexpr std::string_view kBoardFound = "ボード接続";
inline constexpr std::string_view kFileWrite = "保存";
inline constexpr std::string_view kWarning = "警告";
inline constexpr std::string_view kClockJump = "時刻の飛び";
// Written by the record itself about events it could not keep.
inline constexpr std::string_view kRecordLoss = "記録欠落";

// Kinds the record window marks, so that trouble stands out in a day of routine bells.
inline bool NeedsAttention(std::string_view kind) {
  return kind == kError || kind == kWarning || kind == kBoardLost || kind == kClockJump ||
         kind == kRecordLoss;
}

}  // namespace tollvane::record_kind

// The kind tags of the bell record as the record and its window use them; the words are the
// engine's (engine/texts.h), which writes most of them.
#pragma once

#include <string_view>

#include "engine/texts.h"

namespace tollvane::record_kind {

inline constexpr std::string_view kProgramStart = text::record::kStart;
inline constexpr std::string_view kProgramEnd = text::record::kEnd;
inline constexpr std::string_view kArm = text::record::kArm;
inline constexpr std::string_view kDisarm = text::record::kDisarm;
inline constexpr std::string_view kOutputOn = text::record::kOutputOn;
inline constexpr std::string_view kOutputOff = text::record::kOutputOff;
inline constexpr std::string_view kSoundStart = text::record::kSound;
inline constexpr std::string_view kBellEnd = text::record::kBellEnd;
inline constexpr std::string_view kSuppressed = text::record::kSuppressed;
inline constexpr std::string_view kError = text::record::kError;
inline constexpr std::string_view kBoardLost = text::record::kBoardLost;
inline constexpr std::string_view kBoardFound = text::record::kBoardFound;
inline constexpr std::string_view kFileWrite = text::record::kFile;
inline constexpr std::string_view kWarning = text::record::kWarning;
inline constexpr std::string_view kClockJump = text::record::kClock;
inline constexpr std::string_view kRecordLoss = text::record::kRecordLoss;

// Kinds the record window marks, so that trouble stands out in a day of routine bells.
inline bool NeedsAttention(std::string_view kind) {
  return kind == kError || kind == kWarning || kind == kBoardLost || kind == kClockJump ||
         kind == kRecordLoss;
}

}  // namespace tollvane::record_kind

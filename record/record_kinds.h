// What the record and its window know about the kinds of the record's lines. The kinds
// themselves are text::record::k* (engine/texts.h); files written by earlier versions may hold
// older words for three of them, read and marked as the current ones are.
#pragma once

#include <string_view>

#include "engine/texts.h"

namespace tollvane::record_kind {

using namespace std::string_view_literals;

struct FormerKind {
  std::string_view word;     // as earlier versions wrote it
  std::string_view current;  // the kind it stands for now
};
inline constexpr FormerKind kFormerKinds[] = {
    {"ボード切断"sv, text::record::kBoardLost},
    {"ボード接続"sv, text::record::kBoardFound},
    {"休み"sv, text::record::kSuppressed},
};

// The current kind of a word read from a file: a former word becomes its kind, any other word
// stays as it is.
constexpr std::string_view CurrentKind(std::string_view kind) {
  for (const FormerKind& former : kFormerKinds) {
    if (kind == former.word) {
      return former.current;
    }
  }
  return kind;
}

// Kinds the record window marks, so that trouble stands out in a day of routine bells.
constexpr bool NeedsAttention(std::string_view kind) {
  kind = CurrentKind(kind);
  return kind == text::record::kError || kind == text::record::kWarning ||
         kind == text::record::kBoardLost || kind == text::record::kClock ||
         kind == text::record::kRecordLoss;
}

}  // namespace tollvane::record_kind

// The record's own texts: its lines about events it could not keep, its messages on the
// standard error, and what the record window says under its list. Formats take printf's
// arguments.
#pragma once

namespace tollvane::text::record_texts {

inline constexpr const char* kDropped = "記録が追いつかなかったため、%llu件の記録を捨てました。";
inline constexpr const char* kLost = "書き込めなかったため、%llu件の記録が失われました。";
inline constexpr const char* kRecordLines[] = {kDropped, kLost};

// On the standard error, after the program's name.
inline constexpr const char* kResumed = "動作記録の書き込みを再開しました(失われた記録%llu件)。";
inline constexpr const char* kCannotWrite =
    "動作記録を %s に書き込めません(%s)。書き込めるようになりしだい再開します。";
inline constexpr const char* kCannotStart = "動作記録を始められません(%s)。";
inline constexpr const char* kMessages[] = {kResumed, kCannotWrite, kCannotStart};

// Under the record window's list, e.g. "12件を新しい順に表示しています".
inline constexpr const char* kNoEvents = "記録はありません";
inline constexpr const char* kNewestOf = "新しいものから%llu件を表示しています";
inline constexpr const char* kAllNewestFirst = "%llu件を新しい順に表示しています";
inline constexpr const char* kDamaged = "(読めない%llu行を飛ばしました)";
inline constexpr const char* kWindowTexts[] = {kNoEvents, kNewestOf, kAllNewestFirst, kDamaged};

}  // namespace tollvane::text::record_texts

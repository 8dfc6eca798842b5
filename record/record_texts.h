// The record's own texts: its lines about events it could not keep, its messages on the
// standard error, and what the record window says under its list. Formats take printf's
// arguments.
#pragma once

namespace tollvane::text::record_texts {

inline constexpr const char* kDropped = "記録が追いつかなかったため、%llu件の記録を捨てました。";
inline constexpr const char* kLost = "書き込めなかったため、%llu件の記録が失われました。";
// At the end of a day whose bound kept lines out of its file, and when the day's files are full.
inline constexpr const char* kDayBoundDropped =
    "この日の上限を超えた %llu件の記録はファイルに残していません。";
inline constexpr const char* kDayFull =
    "この日の動作記録が上限の %sに達しました。これ以降の記録は件数だけを残します。";
inline constexpr const char* kMebibytes = "%lluMiB";
inline constexpr const char* kBytes = "%lluバイト";
// After a line that came again and again, e.g. "…(同じ記録 3回)".
inline constexpr const char* kRepeated = "%s(同じ記録 %llu回)";
inline constexpr const char* kRecordLines[] = {kDropped, kLost, kDayBoundDropped, kDayFull};
inline constexpr const char* kRecordLineParts[] = {kMebibytes, kBytes, kRepeated};

// On the standard error, after the program's name.
inline constexpr const char* kResumed = "動作記録の書き込みを再開しました(失われた記録%llu件)。";
inline constexpr const char* kCannotWrite =
    "動作記録を %s に書き込めません(%s)。書き込めるようになりしだい再開します。";
inline constexpr const char* kCannotStart = "動作記録を始められません(%s)。";
// A folder the record will not write into: the folder, then why.
inline constexpr const char* kFolderRefused =
    "動作記録のフォルダ %s を使いません。%s動作記録はシステムの記録にだけ残します。"
    "自分だけが書き込めるフォルダにしてください。(詳細: journalctl -t tollvane)";
inline constexpr const char* kNoHome = "ホームフォルダがわかりません。";
inline constexpr const char* kFolderIsLink = "シンボリックリンクです。";
inline constexpr const char* kOthersFolder = "ほかのユーザーのフォルダです。";
inline constexpr const char* kSharedFolder = "ほかのユーザーも書き込めるフォルダです。";
inline constexpr const char* kMessages[] = {kResumed, kCannotWrite,  kCannotStart,  kFolderRefused,
                                            kNoHome,  kFolderIsLink, kOthersFolder, kSharedFolder};

// Under the record window's list, e.g. "12件を新しい順に表示しています".
inline constexpr const char* kNoEvents = "記録はありません";
inline constexpr const char* kNewestOf = "新しいものから%llu件を表示しています";
inline constexpr const char* kAllNewestFirst = "%llu件を新しい順に表示しています";
inline constexpr const char* kDamaged = "(読めない%llu行を飛ばしました)";
inline constexpr const char* kWindowTexts[] = {kNoEvents, kNewestOf, kAllNewestFirst, kDamaged};

}  // namespace tollvane::text::record_texts

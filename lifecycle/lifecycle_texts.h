// Texts of the automatic save and the unattended start: their record lines and the box after
// a start that could not reload the last schedule. Formats take printf's arguments.
#pragma once

namespace tollvane::text::lifecycle {

// Why the pages may not replace the saved schedule; each goes into kNotSaved.
inline constexpr const char* kNothingLoaded = "チャイム表が読み込まれても入力されてもいません";
inline constexpr const char* kNotAnswered = "前回のデータを読み込むかどうかの答えがまだありません";
inline constexpr const char* kRefused = "前回のデータを読み込まないと答えられました";
inline constexpr const char* kReloadFailed = "前回のデータを読み込めませんでした";
inline constexpr const char* kOldUnreadable = "今のファイルが読めないため、そのまま残しました";
inline constexpr const char* kBackupFailed = "前の内容を %s に残せませんでした";

// The automatic save's record lines: the file, then why not.
inline constexpr const char* kNotSaved = "チャイム表を %s に保存しませんでした: %s。";
inline constexpr const char* kSaved = "チャイム表を %s に保存しました。";

// After an unattended start that could not reload the last schedule.
inline constexpr const char* kArmedBells = "チャイム%d件で開始しました。";
inline constexpr const char* kReloadFailedBox =
    "前回のチャイム表 %s を読み込めませんでした。%s%s は上書きせずに残してあります。"
    "チャイム表を開き直すか入力し直してから、「停　止」を押してもう一度「開　始」を押して"
    "ください。";
inline constexpr const char* kReloadFailedLine =
    "前回のチャイム表 %s を読み込めませんでした。%sファイルはそのまま残してあります。(詳細: %s)";

// At start, for each copy of a file's old content that an unfinished save left behind.
inline constexpr const char* kLeftSaveCopy =
    "保存が途中で終わったファイルの元の内容が %s に残っています。内容を確かめて元の場所に"
    "戻すか、要らなければ削除してください。";

// After the next-bell line while the clock is not being set automatically.
inline constexpr const char* kClockNotSetNote = "　パソコンの時計が自動で合わせられていません";

inline constexpr const char* kRecordLines[] = {kNotSaved, kSaved, kReloadFailedLine, kLeftSaveCopy};
inline constexpr const char* kMessages[] = {kArmedBells, kReloadFailedBox};
inline constexpr const char* kWindowTexts[] = {kClockNotSetNote};
inline constexpr const char* kRecordLineParts[] = {kNothingLoaded, kNotAnswered,   kRefused,
                                                   kReloadFailed,  kOldUnreadable, kBackupFailed};

}  // namespace tollvane::text::lifecycle

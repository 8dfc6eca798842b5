// The desktop's texts: the reasons the program gives the session for holding off sleep and
// shutdown, the record lines about the session's end, and the autostart entry's errors.
// Formats take printf's arguments.
#pragma once

namespace tollvane::text::desktop {

// Shown by the desktop next to the program while it holds off sleep or shutdown.
inline constexpr const char* kSleepReason = "チャイムの時刻を待っています";
inline constexpr const char* kShutdownReason = "チャイム表を保存してから終了します";

inline constexpr const char* kNoSleepLock =
    "パソコンのスリープを止められませんでした。スリープするとチャイムは鳴りません。"
    "電源の設定で自動のスリープを切ってください。(詳細: %s)";
inline constexpr const char* kNoShutdownDelay =
    "シャットダウンの前にチャイム表を保存する時間を確保できませんでした。シャットダウンや"
    "ログアウトの前に、「ファイル」>「終了」でTollvaneを終了してください。(詳細: %s)";
inline constexpr const char* kSessionEnding = "%s。チャイム表を保存して終了します。(詳細: %s)";
// The causes that go into kSessionEnding.
inline constexpr const char* kEndAsked = "終了の指示を受けました";
inline constexpr const char* kShutdownComing = "シャットダウンの知らせを受けました";

// Why no lock was given; only ever the "(詳細: …)" of a record line.
inline constexpr const char* kNoBus = "システムバスにつながりません";
inline constexpr const char* kNoFdPassing = "システムバスがファイル記述子を渡せません";
inline constexpr const char* kRefusedBy = "logind の応答: %s %s";
inline constexpr const char* kNoFdInReply = "logind の応答にファイル記述子がありません";
inline constexpr const char* kCannotDuplicate = "ファイル記述子を複製できません";

// The autostart entry's errors, shown in the error box.
inline constexpr const char* kCannotCreateEntry = "自動起動の設定 %s を作成できません";
inline constexpr const char* kCannotRemoveEntry = "自動起動の設定 %s を削除できません";
inline constexpr const char* kNoHomeForEntry =
    "自動起動の設定の置き場所がわかりません(ホームフォルダが不明です)";

inline constexpr const char* kWindowTexts[] = {kSleepReason, kShutdownReason};
inline constexpr const char* kRecordLines[] = {kNoSleepLock, kNoShutdownDelay, kSessionEnding};
inline constexpr const char* kRecordLineParts[] = {kEndAsked, kShutdownComing};
inline constexpr const char* kDetails[] = {kNoBus, kNoFdPassing, kRefusedBy, kNoFdInReply,
                                           kCannotDuplicate};
inline constexpr const char* kErrorBoxTexts[] = {kCannotCreateEntry, kCannotRemoveEntry,
                                                 kNoHomeForEntry};

}  // namespace tollvane::text::desktop

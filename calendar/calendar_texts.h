// The school calendar's texts: the next-bell line, the dialog's preview and messages, and the
// report of values that could not be read. Formats take printf's arguments.
#pragma once

#include "engine/texts.h"

namespace tollvane::text::calendar {

// The next-bell line below the main window, e.g. "本日は鳴りません(元日)。次のチャイム
// 2027/1/5(火) 8時30分(音3)".
inline constexpr const char* kTodaySilent = "本日は鳴りません(%s)。";
inline constexpr const char* kNextBell = "次のチャイム ";
inline constexpr const char* kNoBellWithin = "%d日先まで鳴るチャイムはありません";
inline constexpr const char* kNotArmed = "停止中です。「開　始」を押すとチャイムが鳴ります";
// Shared by the next-bell line and the preview.
inline constexpr const char* kBell = "%d時%d分(音%d)";
inline constexpr const char* kDate = text::kWindowDate;

// The preview's day rows.
inline constexpr const char* kSilentDay = "鳴りません(%s)";
inline constexpr const char* kNoBells = "チャイムはありません";
inline constexpr const char* kBellCount = "%d件";
inline constexpr const char* kOpenDayMark = "[%s] ";

// The dialog's answers to an entry it cannot take (shown in a box under "警告").
inline constexpr const char* kDateForm = "日付は 2026/4/1 のように入力してください。";
inline constexpr const char* kEndBeforeStart =
    "終了日が開始日より前になっています。終了日は開始日と同じ日か後の日にしてください。";
inline constexpr const char* kNameWithBreak = "名称に改行は使えません。1行で入力してください。";
inline constexpr const char* kFull =
    "これ以上は登録できません(99件まで)。使わなくなったものを削除してください。";
inline constexpr const char* kCannotWrite =
    "%s に書き込めません。そのフォルダーに書き込めるか確かめてください。";

// Values of the settings or the imported-days file left out at the start, one line each.
inline constexpr const char* kUnreadable =
    "学校カレンダーの設定に読み取れない値があったため、その値を使わずに起動しました。"
    "「編集」>「学校カレンダー」で確かめて、登録し直してください。";
inline constexpr const char* kUnreadableNationalHolidays = "「国民の祝日は鳴らさない」: %s";
inline constexpr const char* kUnreadableClosed = "休業期間の%d番目: %s";
inline constexpr const char* kUnreadableOpen = "登校日の%d番目: %s";
inline constexpr const char* kUnreadablePlanDays = "日課の割り当ての%d番目: %s";
inline constexpr const char* kUnreadableSwap = "曜日の入れ替えの%d番目: %s";
inline constexpr const char* kUnreadableExtra = "臨時のチャイムの%d番目: %s";
inline constexpr const char* kUnreadableImportedLine = "取り込んだ休日の %s %d行目: %s";
inline constexpr const char* kUnreadableImportedFile = "取り込んだ休日の %s を読み込めません";

// For the checks of their wording: the lines shown in the windows, the message boxes' texts
// and the parts that go into them.
inline constexpr const char* kWindowTexts[] = {kTodaySilent, kNextBell,   kNoBellWithin, kNotArmed,
                                               kBell,        kDate,       kSilentDay,    kNoBells,
                                               kBellCount,   kOpenDayMark};
inline constexpr const char* kMessages[] = {kDateForm, kEndBeforeStart, kNameWithBreak,
                                            kFull,     kCannotWrite,    kUnreadable};
inline constexpr const char* kMessageParts[] = {
    kUnreadableNationalHolidays, kUnreadableClosed,      kUnreadableOpen,
    kUnreadablePlanDays,         kUnreadableSwap,        kUnreadableExtra,
    kUnreadableImportedLine,     kUnreadableImportedFile};

}  // namespace tollvane::text::calendar

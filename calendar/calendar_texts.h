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

// Importing holidays (CSV or iCalendar) and plan days (CSV): why a file is not taken, as
// "N行目" + a part + kNotImported, and what an import did.
inline constexpr const char* kAtLine = "%d行目%s";
inline constexpr const char* kNotImported = "取り込みは行いませんでした。";
inline constexpr const char* kLineUnreadableName = "の %s を読み取れません。";
inline constexpr const char* kLineBeginOutside = "の BEGIN:%s は VCALENDAR の中にありません。";
inline constexpr const char* kLineTooDeep = "で入れ子が深すぎます(%d段まで)。";
inline constexpr const char* kLineEndUnmatched = "の END:%s に合う BEGIN がありません。";
inline constexpr const char* kLineExrule = "の EXRULE は取り込めません。";
inline constexpr const char* kLineTooLong = "の行が長すぎます(%dバイトまで)。";
inline constexpr const char* kLineTooManyParameters = "のパラメーターが多すぎます。";
inline constexpr const char* kLineCharacters = "の文字を読み取れません。";
inline constexpr const char* kLineDate = "の日付を読み取れません(%s)。";
inline constexpr const char* kLineNoName = "に名称がありません(%s)。";
inline constexpr const char* kLineNotICalendar = "から iCalendar として読み取れません。";
inline constexpr const char* kEventUnreadable = "から始まる予定を読み取れません。";
inline constexpr const char* kEventYears =
    "から始まる予定の日付は取り込めません(%d年から%d年まで)。";
inline constexpr const char* kEventTooLong = "から始まる予定が長すぎます(1年を超えます)。";
inline constexpr const char* kEventTooSlow =
    "から始まる予定の繰り返しは、並べるのに時間がかかりすぎるため取り込めません。";
inline constexpr const char* kEventRdate = "から始まる予定の RDATE を読み取れません。";
inline constexpr const char* kEventRule = "から始まる予定の繰り返しを読み取れません。";
inline constexpr const char* kEventSubDaily =
    "から始まる終日の予定は1日より短い間隔で繰り返すため、取り込めません。";
inline constexpr const char* kEventTooManyRepeats = "から始まる予定の繰り返しが多すぎます。";
inline constexpr const char* kLinePeriodTooLong = "の期間が長すぎます(%s)。";
inline constexpr const char* kLineNoPlanName = "に日課の名前がありません(%s)。";
inline constexpr const char* kLineUnknownPlan =
    "の日課「%s」は日課表にありません。先に日課表に加えてください。";

inline constexpr const char* kTooManyDays =
    "一度に取り込める日は%d日までです。ファイルを分けて取り込んでください。"
    "取り込みは行いませんでした。";
inline constexpr const char* kICalendarTooManyLines =
    "iCalendar ファイルの行が多すぎます(%d行まで)。取り込みは行いませんでした。";
inline constexpr const char* kICalendarCut =
    "iCalendar ファイルが途中で終わっています(END:%s がありません)。取り込みは行いませんでした。";
inline constexpr const char* kNoDateLines =
    "日付の行がひとつもありません。取り込みは行いませんでした。";
inline constexpr const char* kICalendarNotUtf8 =
    "iCalendar ファイルの文字を読み取れません(UTF-8 ではありません)。取り込みは行いませんでした。";
inline constexpr const char* kNoAllDayEvents =
    "終日の予定がひとつもありません。取り込みは行いませんでした。";
inline constexpr const char* kFileTooLarge =
    "ファイル %s は大きすぎるため、取り込みは行いませんでした。";
inline constexpr const char* kCsvTooLarge =
    "ファイルが大きすぎるため、取り込みは行いませんでした。";
inline constexpr const char* kCsvTooManyLines =
    "行が多すぎるため(%d行まで)、取り込みは行いませんでした。";
inline constexpr const char* kTooManyPlanDays =
    "日課の指定は%d件までのため、取り込みは行いませんでした。期間にまとめられる日は"
    "「2027/2/15-2027/2/17」のように書いてください。";

// The holiday import's question and its preview rows.
inline constexpr const char* kImportDays =
    "%d日を休日として取り込み、チャイムを鳴らさない日にします。";
inline constexpr const char* kImportRinging =
    "このうち%d日は今は休日ではないため、鳴っていたチャイムが鳴らなくなります。";
inline constexpr const char* kImportCheckList = "一覧を確かめてから取り込んでください。";
inline constexpr const char* kImportRowRinging = "(今は休日ではありません)";

// What an import did.
inline constexpr const char* kNothingNew = "新しい日はありませんでした(すべて取り込み済みです)。";
inline constexpr const char* kImported = "%d日を取り込みました。";
inline constexpr const char* kTimedSkipped =
    "時刻のある予定 %d件は、終日ではないため取り込みませんでした。";
inline constexpr const char* kRepeatsCut =
    "繰り返しの予定は%sまでの日を取り込みました。それより後の日は、その日が近づいたらもう一度"
    "同じファイルを取り込んでください。";

// The plan days and weekday swaps: entries the dialog cannot take, and notes on entries that
// do not take effect.
inline constexpr const char* kEndBeforeStartShort = "終了日が開始日より前になっています。";
inline constexpr const char* kNoSuchPlan = "日課「%s」はありません。";
inline constexpr const char* kChooseWeekday = "曜日を選んでください。";
inline constexpr const char* kCannotSetAside = "ファイル %s の名前を変えられません。";
inline constexpr const char* kPlanDaysOverlap =
    "日課の指定 %s と %s が重なっています。重なった日は、あとの「%s」が優先されます。";
inline constexpr const char* kPlanMissing =
    "日課「%s」がないため、%s の日はふだんのチャイムが鳴ります。";
inline constexpr const char* kSwapOverridden =
    "%s は日課「%s」の指定があるため、曜日の入れ替えは使われません。";

// A day whose plan is gone, as the year dialog tells it.
inline constexpr const char* kPlanMissingOn =
    "日課「%s」がないため、%s はふだんのチャイムが鳴ります。";
// Why the imported-days file was left out at the start; they follow its name.
inline constexpr const char* kDaysFileUnreadable = "読み込めません";
inline constexpr const char* kDaysFileTooLarge = "大きすぎるため読み込めません";
inline constexpr const char* kMoreUnreadableLines = "ほかに%d行を読み取れません";

// The verdict order as one line for the dialog, and the names of the days' sources.
inline constexpr const char* kVerdictOrder =
    "優先順位: 休日設定 > 日課・曜日の入れ替え・臨時チャイムの指定 > 登校日 > "
    "国民の祝日・休業期間・取り込んだ休日 > 曜日のチャイム";
inline constexpr const char* kNormalPlanName = "平常日課";
inline constexpr const char* kExtraBellName = "臨時";

// The year's plan days written as CSV: its heading row.
inline constexpr const char* kYearCsvHeading = "日付,曜日,日課,チャイム数,最初,最後\n";

inline constexpr const char* kImportMessages[] = {
    kNotImported,
    kTooManyDays,
    kICalendarTooManyLines,
    kICalendarCut,
    kNoDateLines,
    kICalendarNotUtf8,
    kNoAllDayEvents,
    kFileTooLarge,
    kCsvTooLarge,
    kCsvTooManyLines,
    kTooManyPlanDays,
    kImportDays,
    kImportRinging,
    kImportCheckList,
    kNothingNew,
    kImported,
    kTimedSkipped,
    kRepeatsCut,
    kEndBeforeStartShort,
    kNoSuchPlan,
    kChooseWeekday,
    kCannotSetAside,
    kPlanDaysOverlap,
    kPlanMissing,
    kSwapOverridden,
    kLineUnreadableName,
    kLineBeginOutside,
    kLineTooDeep,
    kLineEndUnmatched,
    kLineExrule,
    kLineTooLong,
    kLineTooManyParameters,
    kLineCharacters,
    kLineDate,
    kLineNoName,
    kLineNotICalendar,
    kEventUnreadable,
    kEventYears,
    kEventTooLong,
    kEventTooSlow,
    kEventRdate,
    kEventRule,
    kEventSubDaily,
    kEventTooManyRepeats,
    kLinePeriodTooLong,
    kLineNoPlanName,
    kLineUnknownPlan,
    kPlanMissingOn,
};
inline constexpr const char* kImportParts[] = {
    kVerdictOrder,     kNormalPlanName,     kExtraBellName,    kAtLine,
    kImportRowRinging, kDaysFileUnreadable, kDaysFileTooLarge, kMoreUnreadableLines};

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

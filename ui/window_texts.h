// The windows' own texts beyond the main window's layout: the menu items added to 編集, the
// school calendar dialog, the record window, and the record lines the windows write.
#pragma once

#include "settings/options_texts.h"

namespace tollvane::text::window {

// Items added to the 編集 menu; each carries its accelerator.
inline constexpr const char* kCalendarItem = "学校カレンダー(&C)";
inline constexpr const char* kAutoArmItem = "起動時に自動で開始(&U)";
inline constexpr const char* kAutostartItem = "ログイン時に起動(&L)";
inline constexpr const char* kNextBellItem = "次のチャイムを表示(&N)";
inline constexpr const char* kRecordItem = "動作記録(&R)";
inline constexpr const char* kPlansItem = "日課表(&P)";
inline constexpr const char* kMenuItems[] = {kCalendarItem, kAutoArmItem, kAutostartItem,
                                             kNextBellItem, kRecordItem,  kPlansItem};

// The school calendar dialog.
inline constexpr const char* kCalendarTitle = "学校カレンダー";
inline constexpr const char* kNationalHolidaysBox = "国民の祝日は鳴らさない";
inline constexpr const char* kClosedPeriodsLabel = "休業期間(鳴らさない期間)";
inline constexpr const char* kOpenDaysLabel = "登校日(休日でも鳴らす日)";
inline constexpr const char* kFirstDayHint = "開始日";
inline constexpr const char* kLastDayHint = "終了日";
inline constexpr const char* kNameHint = "名称";
inline constexpr const char* kDateHint = "日付";
inline constexpr const char* kAddButton = "追加";
inline constexpr const char* kRemoveButton = "削除";
inline constexpr const char* kImportButton = "取り込み...";
inline constexpr const char* kClearImportedButton = "取り込み分を消去";
inline constexpr const char* kPreviewLabel = "これから14日間のチャイム";
inline constexpr const char* kPreviewBellsColumn = "チャイム";
inline constexpr const char* kCloseButton = "閉じる";
inline constexpr const char* kImportedCount = "取り込み済みの休日: %1日";
inline constexpr const char* kClearImportedQuestion =
    "取り込んだ休日をすべて消去します。よろしいですか？";
inline constexpr const char* kImportTitle = "取り込むファイルを指定してください";
inline constexpr const char* kExportTitle = "書き出すファイルを指定してください";
inline constexpr const char* kCsvFilter = "CSV|*.csv|すべてのファイル|*";
inline constexpr const char* kImportFilter =
    "休日のファイル(*.csv *.ics);;CSV(*.csv);;iCalendar(*.ics);;すべてのファイル(*)";

// The record window.
inline constexpr const char* kRecordTitle = "動作記録";
inline constexpr const char* kDayLabel = "表示する日:";
inline constexpr const char* kReloadButton = "再読み込み";
inline constexpr const char* kAllDays = "すべての日";
inline constexpr const char* kDateColumn = "日付";
inline constexpr const char* kTimeColumn = "時刻";
inline constexpr const char* kKindColumn = "種類";
inline constexpr const char* kTextColumn = "内容";

inline constexpr const char* kWindowTexts[] = {
    kCalendarTitle,
    kNationalHolidaysBox,
    kClosedPeriodsLabel,
    kOpenDaysLabel,
    kFirstDayHint,
    kLastDayHint,
    kNameHint,
    kDateHint,
    kAddButton,
    kRemoveButton,
    kImportButton,
    kClearImportedButton,
    kPreviewLabel,
    kPreviewBellsColumn,
    kCloseButton,
    kImportedCount,
    kClearImportedQuestion,
    kImportTitle,
    kImportFilter,
    kExportTitle,
    kCsvFilter,
    kRecordTitle,
    kDayLabel,
    kReloadButton,
    kAllDays,
    kDateColumn,
    kTimeColumn,
    kKindColumn,
    kTextColumn,
};

// The plan window (日課表).
inline constexpr const char* kPlansTitle = "日課表";
inline constexpr const char* kPlanLabel = "日課";
inline constexpr const char* kPlanNameHint = "日課の名前";
inline constexpr const char* kRenameButton = "名前の変更";
inline constexpr const char* kCopyWeekdayButton = "曜日からコピー";
inline constexpr const char* kHourColumn = "時";
inline constexpr const char* kMinuteColumn = "分";
inline constexpr const char* kSetAsideButton = "別名で残して新しく始める";
inline constexpr const char* kUpdateButton = "更新";
inline constexpr const char* kYearButton = "年間予定...";
inline constexpr const char* kPlanFileLabel = "日課表ファイル: %s";
inline constexpr const char* kPlanBellsHeading = "%sのチャイム";
inline constexpr const char* kPlansLocked = "%s\n直すまで日課表は変更できません。";
inline constexpr const char* kRowProblem = "%d番目のチャイム: %s";
inline constexpr const char* kChooseCopyTarget = "コピー先の日課を選んでください。";
inline constexpr const char* kRemoveAssignedPlan =
    "日課「%s」には日付の割り当てが%d件あります。割り当ても削除しますか？\n"
    "「いいえ」では割り当てが残り、その日は曜日のチャイムが鳴ります。";
inline constexpr const char* kRemovePlan = "日課「%s」を削除します。よろしいですか？";
inline constexpr const char* kSetAsideQuestion =
    "読めない日課表ファイルを別名で残し、空の日課表で始めます。よろしいですか？";

// The year dialog (年間予定) and its calendar.
inline constexpr const char* kYearTitle = "年間予定";
inline constexpr const char* kPreviousYear = "< 前年度";
inline constexpr const char* kNextYear = "次年度 >";
inline constexpr const char* kHolidayLegend = "赤い数字: 祝日・日曜";
inline constexpr const char* kLastDateHint = "まで(日付、省略可)";
inline constexpr const char* kAssignButton = "割り当て";
inline constexpr const char* kWeekdayLabel = "曜日";
// After a weekday's name, e.g. "月曜日のチャイム".
inline constexpr const char* kWeekdayBells = "曜日のチャイム";
inline constexpr const char* kSwapButton = "入れ替え";
inline constexpr const char* kExtraLabel = "臨時";
inline constexpr const char* kClearDayButton = "この日の割り当てを外す";
inline constexpr const char* kExportButton = "書き出し...";
inline constexpr const char* kSchoolYear = "%1年度";
inline constexpr const char* kMonthHeading = "%1年%2月";
inline constexpr const char* kDayBellCount = " %d件";
inline constexpr const char* kExtraTimeMissing = "臨時チャイムの時刻を入力してください。";
inline constexpr const char* kImportPlanDays = "%d日の日課を取り込みます。\n";
inline constexpr const char* kMoreDays = "\nほか%d日";
inline constexpr const char* kImportPlanDaysQuestion = "\n\nこの内容で取り込みますか？";
inline constexpr const char* kYearCsvName = "%d年度の日課.csv";
// The kinds of the calendar's days, as its legend and tips name them.
inline constexpr const char* kNormalDay = "平常";
inline constexpr const char* kPlanDay = "日課";
inline constexpr const char* kSwapDay = "曜日の入れ替え";
inline constexpr const char* kNoChimeDay = "ノーチャイム";
inline constexpr const char* kSilentDay = "鳴らない日";
inline constexpr const char* kExtraOnlyDay = "臨時チャイム";

// The holiday import's confirmation.
inline constexpr const char* kImportConfirmTitle = "取り込みの確認";
inline constexpr const char* kImportConfirmButton = "取り込む";
inline constexpr const char* kCancelButton = "キャンセル";

inline constexpr const char* kPlanWindowTexts[] = {
    kPlansTitle,          kPlanLabel,      kPlanNameHint,     kRenameButton,
    kCopyWeekdayButton,   kHourColumn,     kMinuteColumn,     kSetAsideButton,
    kUpdateButton,        kYearButton,     kPlanFileLabel,    kPlanBellsHeading,
    kRowProblem,          kRemovePlan,     kSetAsideQuestion, kYearTitle,
    kPreviousYear,        kNextYear,       kHolidayLegend,    kLastDateHint,
    kAssignButton,        kWeekdayLabel,   kWeekdayBells,     kSwapButton,
    kExtraLabel,          kClearDayButton, kExportButton,     kSchoolYear,
    kMonthHeading,        kDayBellCount,   kMoreDays,         kImportPlanDaysQuestion,
    kYearCsvName,         kNormalDay,      kPlanDay,          kSwapDay,
    kNoChimeDay,          kSilentDay,      kExtraOnlyDay,     kImportConfirmTitle,
    kImportConfirmButton, kCancelButton,   kImportPlanDays,
};
inline constexpr const char* kPlanMessages[] = {kPlansLocked, kChooseCopyTarget,
                                                kRemoveAssignedPlan, kExtraTimeMissing};

// Record lines of the windows and the program (printf formats).
inline constexpr const char* kOptionOn =
    "「編集」>「%s」をオンにしました。設定は %s に保存しました。";
inline constexpr const char* kOptionOff =
    "「編集」>「%s」をオフにしました。設定は %s に保存しました。";
inline constexpr const char* kCalendarSaved = "学校カレンダーを %s に保存しました。";
inline constexpr const char* kSoundsSaved = "登録音源を %s に保存しました。";
inline constexpr const char* kHolidaysSaved = "休日設定を %s に保存しました。";
inline constexpr const char* kPlansSaved = "日課表を %s に保存しました。";
inline constexpr const char* kStarted =
    "Tollvaneを起動しました(バージョン %s)。設定ファイルは %s です。";
inline constexpr const char* kEnded = "Tollvaneを終了しました。";
inline constexpr const char* kSessionSaveFailed =
    "チャイム表を %s に保存できませんでした。チャイム表に読めない所がないか確かめてください。"
    "(詳細: %s)";

inline constexpr const char* kRecordLines[] = {kOptionOn,    kOptionOff,     kCalendarSaved,
                                               kSoundsSaved, kHolidaysSaved, kPlansSaved,
                                               kStarted,     kEnded,         kSessionSaveFailed};

}  // namespace tollvane::text::window

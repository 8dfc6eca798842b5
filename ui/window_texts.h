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
    kRecordTitle,
    kDayLabel,
    kReloadButton,
    kAllDays,
    kDateColumn,
    kTimeColumn,
    kKindColumn,
    kTextColumn,
};

// Record lines of the windows and the program (printf formats).
inline constexpr const char* kOptionOn =
    "「編集」>「%s」をオンにしました。設定は %s に保存しました。";
inline constexpr const char* kOptionOff =
    "「編集」>「%s」をオフにしました。設定は %s に保存しました。";
inline constexpr const char* kCalendarSaved = "学校カレンダーを %s に保存しました。";
inline constexpr const char* kSoundsSaved = "登録音源を %s に保存しました。";
inline constexpr const char* kHolidaysSaved = "休日設定を %s に保存しました。";
inline constexpr const char* kStarted =
    "Tollvaneを起動しました(バージョン %s)。設定ファイルは %s です。";
inline constexpr const char* kEnded = "Tollvaneを終了しました。";
inline constexpr const char* kSessionSaveFailed =
    "チャイム表を %s に保存できませんでした。チャイム表に読めない所がないか確かめてください。"
    "(詳細: %s)";

inline constexpr const char* kRecordLines[] = {kOptionOn,    kOptionOff,        kCalendarSaved,
                                               kSoundsSaved, kHolidaysSaved,    kStarted,
                                               kEnded,       kSessionSaveFailed};

}  // namespace tollvane::text::window

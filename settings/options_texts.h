// The options' names as the 編集 menu shows them, and the record line about a value that
// could not be read. Formats take printf's arguments.
#pragma once

namespace tollvane::text::options {

inline constexpr const char* kAutoArmName = "起動時に自動で開始";
inline constexpr const char* kShowNextBellName = "次のチャイムを表示";
inline constexpr const char* kUnreadable =
    "「編集」>「%s」の設定が読めないため、オフにしました。メニューで選び直してください。"
    "(詳細: [%s] %s='%s')";

inline constexpr const char* kRecordLines[] = {kUnreadable};
inline constexpr const char* kRecordLineParts[] = {kAutoArmName, kShowNextBellName};

}  // namespace tollvane::text::options

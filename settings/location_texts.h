// Why the settings file is not kept beside the program: the record line, its sentences and
// the "(詳細: …)" that names the folder's owner and mode. Formats take printf's arguments.
#pragma once

namespace tollvane::text::location {

inline constexpr const char* kOthersMayWrite = "ほかのユーザーも書き換えられるフォルダです。";
inline constexpr const char* kKeptBeside =
    "実行ファイルのフォルダ %s は%sホームフォルダがわからないため、設定ファイルはそこに"
    "置きます。フォルダの権限を直してください。";
inline constexpr const char* kMovedAway =
    "設定ファイルを実行ファイルのフォルダ %s に置きません。%s代わりに %s を使います。";
inline constexpr const char* kWithDetail = "%s(詳細: %s)";
inline constexpr const char* kOwnerAndMode = "持ち主 uid %u、権限 %04o";

inline constexpr const char* kRecordLines[] = {kOthersMayWrite, kKeptBeside, kMovedAway};
inline constexpr const char* kDetails[] = {kWithDetail, kOwnerAndMode};

}  // namespace tollvane::text::location

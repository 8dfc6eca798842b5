// The sound player's Japanese error texts, shown in the error box (one sentence, no "。": the
// box adds its own full stop). "%s" is the sound file's name.
#pragma once

namespace tollvane::text::sound {

inline constexpr const char* kFileNotFound = "サウンドファイル %s が見つかりません";
inline constexpr const char* kNoFileGiven =
    "サウンドファイルが登録されていないので、「編集」>「登録音源確認」で登録してください";
inline constexpr const char* kCannotRead = "サウンドファイル %s を読み込めません";
inline constexpr const char* kNotASound = "%s はサウンドファイルではないか、形式が正しくありません";
inline constexpr const char* kNoDecoder =
    "サウンドファイル %s の形式を再生する機能がインストールされていません";
inline constexpr const char* kDeviceBusy = "サウンドデバイスは使用中です";
inline constexpr const char* kDeviceUnavailable = "サウンドデバイスを使用できません";

inline constexpr const char* kErrorBoxTexts[] = {kFileNotFound,     kNoFileGiven, kCannotRead,
                                                 kNotASound,        kNoDecoder,   kDeviceBusy,
                                                 kDeviceUnavailable};

}  // namespace tollvane::text::sound

// The day plans' texts: why a plan, a bell or the plan file cannot be taken (shown in boxes
// and in the plan window), and the plan file's header. Formats take printf's arguments.
#pragma once

namespace tollvane::text::plans {

inline constexpr const char* kNameMissing = "日課の名前を入力してください。";
inline constexpr const char* kNameUnreadable = "日課の名前に読み取れない文字があります。";
inline constexpr const char* kNameWithControl = "日課の名前に改行や制御文字は使えません。";
inline constexpr const char* kNameTooLong = "日課の名前は%d文字までです。";
inline constexpr const char* kNameBracket = "日課の名前を「[」や「]」で始めることはできません。";
inline constexpr const char* kTimeRange = "時刻は0時1分から23時59分までで指定してください。";
inline constexpr const char* kMidnight = "0時0分のチャイムは鳴りません。";
inline constexpr const char* kSoundRange = "音は1から%dまでで指定してください。";
inline constexpr const char* kTooManyPlans = "日課は%d件までです。";
inline constexpr const char* kSameName = "同じ名前の日課「%s」がすでにあります。";
inline constexpr const char* kTooManyBells = "日課「%s」のチャイムは%d件までです。";
// A bell's problem, after the plan it is in.
inline constexpr const char* kPlanProblem = "日課「%s」: %s";
// A bell as the plan window lists it, e.g. "8時30分(音3)".
inline constexpr const char* kBell = "%d時%d分(音%d)";

// The plan file's complaints: its name and line before the line's own problem.
inline constexpr const char* kFileLine = "%s の %d行目: %s";
inline constexpr const char* kFileTooLarge = "%s が大きすぎるため、読み込めません。";
inline constexpr const char* kFileTooManyLines =
    "%s の行が多すぎるため、読み込めません(%d行まで)。";
inline constexpr const char* kLineNotUtf8 = "読み取れない文字があります(UTF-8 ではありません)。";
inline constexpr const char* kNameLineForm = "日課の名前の行は「[名前]」の形で書いてください。";
inline constexpr const char* kBellLineForm =
    "チャイムは「8:30 1」のように時:分と音で書いてください(%s)。";
inline constexpr const char* kBellBeforePlan = "チャイムの前に「[日課の名前]」の行が必要です。";

// Written at the top of the plan file; the reader skips it.
inline constexpr const char* kFileHeader =
    "# Tollvaneの日課表(UTF-8)\n"
    "# [日課の名前] の行に続けて、チャイムを1行に1つ「時:分 音」で書きます(例: 8:30 1)。\n"
    "# チャイムのない日課はノーチャイムの日です。\n";

inline constexpr const char* kMessages[] = {
    kNameMissing,  kNameUnreadable, kNameWithControl,  kNameTooLong,  kNameBracket,
    kTimeRange,    kMidnight,       kSoundRange,       kTooManyPlans, kSameName,
    kTooManyBells, kFileTooLarge,   kFileTooManyLines, kLineNotUtf8,  kNameLineForm,
    kBellLineForm, kBellBeforePlan,
};
inline constexpr const char* kMessageParts[] = {kPlanProblem, kBell, kFileLine, kFileHeader};

}  // namespace tollvane::text::plans

// The plan file, "tollvane.plans" beside the settings file: UTF-8 text (a byte-order mark is
// allowed), LF or CR LF, written by the program and editable by hand:
//
//   # Tollvane 日課表
//   [短縮日課]
//   8:30 1
//   9:20 2
//
//   [ノーチャイム]
//
// A line "[name]" starts a plan; each following line "H:MM S" is one bell (hour 0..23, minute
// 0..59, sound 1..10; 0:00 never rings). Blank lines and lines starting with "#" are ignored.
// A plan with no bell lines is a ノーチャイム day. The reader takes the whole file or nothing.
#pragma once

#include <string>
#include <string_view>

#include "plans/day_plan.h"

namespace tollvane {

inline constexpr const char* kPlanFileName = "tollvane.plans";
// A plan file is a few kilobytes; the caps keep a wrong file from costing anything.
inline constexpr std::size_t kMaxPlanFileBytes = 256 * 1024;
inline constexpr int kMaxPlanFileLines = 10000;

// The settings path with its extension replaced by ".plans" (appended when it has none).
std::string PlanFilePath(const std::string& settingsPath);

struct PlanFileReading {
  enum class Status { kOk, kMissing, kDamaged };
  Status status = Status::kMissing;
  PlanBook book;      // empty unless kOk
  std::string error;  // kDamaged: "tollvane.plans の 3行目: …。" or why the file cannot be read
};

// The bytes of a plan file; fileName is the name the error shows.
PlanFileReading ParsePlanFile(std::string_view bytes, std::string_view fileName = kPlanFileName);

// Reads the file at path. A missing file is an empty book; a file larger than the cap (checked
// before anything is read), unreadable or with a bad line is kDamaged.
PlanFileReading ReadPlanFile(const std::string& path);

// The text ParsePlanFile reads back to the same book.
std::string FormatPlanFile(const PlanBook& book);

// Writes the book with the settings file's safe save. False, with the old file as it was, when
// the book cannot be stored (PlanBookProblem) or written.
bool WritePlanFile(const std::string& path, const PlanBook& book);

// The operator's decision on a damaged file: it is renamed to path + ".damaged" (an older one
// there is replaced), so a new book can be saved and nothing the operator wrote is lost. False
// when the rename fails.
bool SetAsideDamagedPlanFile(const std::string& path);

}  // namespace tollvane

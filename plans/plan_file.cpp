#include "plans/plan_file.h"

#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

#include "engine/texts.h"
#include "fileio/file_io.h"
#include "plans/plan_texts.h"
#include "schedule/text_encoding.h"
#include "settings/settings_location.h"

namespace tollvane {
namespace {

constexpr const char* kHeader = text::plans::kFileHeader;

PlanFileReading Damaged(std::string error) {
  PlanFileReading reading;
  reading.status = PlanFileReading::Status::kDamaged;
  reading.error = std::move(error);
  return reading;
}

}  // namespace

std::string PlanFilePath(const std::string& settingsPath) {
  return BesideSettings(settingsPath, ".plans");
}

PlanFileReading ParsePlanFile(std::string_view bytes, std::string_view fileName) {
  const auto lineError = [&](int line, const std::string& what) {
    return Damaged(
        text::Formatted(text::plans::kFileLine, std::string(fileName).c_str(), line, what.c_str()));
  };
  if (bytes.size() > kMaxPlanFileBytes) {
    return Damaged(text::Formatted(text::plans::kFileTooLarge, std::string(fileName).c_str()));
  }
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    bytes.remove_prefix(kUtf8Bom.size());
  }
  PlanFileReading reading;
  PlanBook& book = reading.book;
  std::set<std::string> names;
  std::size_t start = 0;
  for (int lineNumber = 1; start < bytes.size(); ++lineNumber) {
    if (lineNumber > kMaxPlanFileLines) {
      return Damaged(text::Formatted(text::plans::kFileTooManyLines, std::string(fileName).c_str(),
                                     kMaxPlanFileLines));
    }
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) {
      end = bytes.size();
    }
    const std::string_view raw = bytes.substr(start, end - start);
    start = end + 1;
    if (!IsValidUtf8(raw) || raw.find('\0') != std::string_view::npos) {
      return lineError(lineNumber, text::plans::kLineNotUtf8);
    }
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == '#') {
      continue;
    }
    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 2) {
        return lineError(lineNumber, text::plans::kNameLineForm);
      }
      const std::string name = NormalizedPlanName(line.substr(1, line.size() - 2));
      if (std::string problem = PlanNameProblem(name); !problem.empty()) {
        return lineError(lineNumber, problem);
      }
      if (!names.insert(name).second) {
        return lineError(lineNumber, text::Formatted(text::plans::kSameName, name.c_str()));
      }
      if (book.plans.size() >= static_cast<std::size_t>(kMaxPlans)) {
        return lineError(lineNumber, text::Formatted(text::plans::kTooManyPlans, kMaxPlans));
      }
      book.plans.push_back({name, {}});
      continue;
    }
    const std::optional<PlanBell> bell = ParsePlanBellLine(line);
    if (!bell) {
      return lineError(lineNumber,
                       text::Formatted(text::plans::kBellLineForm, std::string(line).c_str()));
    }
    if (book.plans.empty()) {
      return lineError(lineNumber, text::plans::kBellBeforePlan);
    }
    if (std::string problem = PlanBellProblem(*bell); !problem.empty()) {
      return lineError(lineNumber, problem);
    }
    DayPlan& plan = book.plans.back();
    if (plan.bells.size() >= static_cast<std::size_t>(kMaxPlanBells)) {
      return lineError(lineNumber, text::Formatted(text::plans::kTooManyBells, plan.name.c_str(),
                                                   kMaxPlanBells));
    }
    plan.bells.push_back(*bell);
  }
  reading.status = PlanFileReading::Status::kOk;
  return reading;
}

PlanFileReading ReadPlanFile(const std::string& path) {
  const std::string shown =
      path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
  std::string bytes;
  const BoundedRead status = ReadFileUpTo(path, kMaxPlanFileBytes, bytes);
  // No folder to hold the file (the settings' folder does not exist, or is no folder) means no
  // plan was ever saved, as a missing settings file means nothing was set.
  std::error_code noFolder;
  if (status == BoundedRead::kMissing ||
      (status == BoundedRead::kFailed &&
       !std::filesystem::is_directory(std::filesystem::path(path).parent_path(), noFolder))) {
    return {};
  }
  if (status == BoundedRead::kTooLarge) {
    return Damaged(text::Formatted(text::plans::kFileTooLarge, shown.c_str()));
  }
  if (status != BoundedRead::kOk) {
    return Damaged("ファイル " + path + " は開けません");
  }
  return ParsePlanFile(bytes, shown);
}

std::string FormatPlanFile(const PlanBook& book) {
  std::string text = kHeader;
  for (const DayPlan& plan : book.plans) {
    text += "\n[" + plan.name + "]\n";
    for (const PlanBell& bell : plan.bells) {
      text += FormatPlanBellLine(bell) + "\n";
    }
  }
  return text;
}

bool WritePlanFile(const std::string& path, const PlanBook& book) {
  if (!PlanBookProblem(book).empty()) {
    return false;
  }
  return SaveFileBytes(path, FormatPlanFile(book));
}

bool SetAsideDamagedPlanFile(const std::string& path) {
  return std::rename(path.c_str(), (path + ".damaged").c_str()) == 0;
}

}  // namespace tollvane

// Fixture files and folder checks for the settings tests.
#pragma once

#include <filesystem>
#include <string>

#include "support/scratch_folder.h"

namespace tollvane::testing {

inline std::string DataFile(const std::string& name) {
  return ReadBytes(std::string(SETTINGS_TEST_DATA) + "/" + name);
}

// Entries in the folder, to spot temporary files left behind.
inline int CountEntries(const std::filesystem::path& folder) {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
    ++n;
  }
  return n;
}

}  // namespace tollvane::testing

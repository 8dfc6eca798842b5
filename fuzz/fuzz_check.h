// What the fuzz targets share: a check that stops the run with a message (libFuzzer then keeps
// the input), guard words around the tables under test, and one scratch folder per process.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

namespace tollvane::fuzz {

inline constexpr uint64_t kGuardWord = 0xA5C3'5AA5'0F1E'D00DULL;

// A value with guard words right before and after it inside one object, where ASan sees no
// boundary: an index one past a table, or one before it, lands on a guard.
template <typename T>
struct Guarded {
  std::array<uint64_t, 4> before;
  T value;
  std::array<uint64_t, 4> after;

  Guarded() : value() {
    before.fill(kGuardWord);
    after.fill(kGuardWord);
  }
  bool intact() const {
    for (size_t i = 0; i < before.size(); ++i) {
      if (before[i] != kGuardWord || after[i] != kGuardWord)
        return false;
    }
    return true;
  }
};

// A private folder made once per process and removed at exit; the targets that read files
// write each input into it.
inline const std::string& ScratchFolder() {
  // Plain storage, so the folder's name outlives every static destructor the exit runs.
  static char made[4096];
  static const std::string folder = [] {
    const char* tmp = std::getenv("TMPDIR");
    const std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tollvane-fuzz-XXXXXX";
    FUZZ_CHECK(pattern.size() < sizeof made);
    pattern.copy(made, pattern.size());
    if (::mkdtemp(made) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(made, ignored);
    });
    return std::string(made);
  }();
  return folder;
}

// Writes bytes to name in the scratch folder and returns the file's path.
inline std::string WriteScratchFile(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = ScratchFolder() + "/" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(file != nullptr);
  FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, file) == size);
  FUZZ_CHECK(std::fclose(file) == 0);
  return path;
}

}  // namespace tollvane::fuzz

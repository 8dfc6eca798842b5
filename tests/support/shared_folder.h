// A shared folder as an administrator sets one up: root's folder that nobody may not write,
// holding a file nobody owns and may write, with a second hard link to it. Only root can make
// one; the saves are then tried as nobody (see unprivileged.h).
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/scratch_folder.h"
#include "support/unprivileged.h"

namespace tollvane::testing {

struct SharedFolder {
  ScratchFolder root;
  std::string folder = root.file("shared");
  std::string file = folder + "/week.txt";
  std::string link = folder + "/link.txt";
};

inline bool MakeShared(SharedFolder& shared, mode_t fileMode,
                       const std::string& contents = "old contents, longer than the new ones\r\n") {
  std::filesystem::create_directories(shared.folder);
  WriteBytes(shared.file, contents);
  return ::chmod(shared.root.path().c_str(), 0755) == 0 &&
         ::chmod(shared.folder.c_str(), 0755) == 0 &&
         ::link(shared.file.c_str(), shared.link.c_str()) == 0 &&
         ::chown(shared.file.c_str(), kNobodyUid, kNobodyGid) == 0 &&
         ::chmod(shared.file.c_str(), fileMode) == 0;
}

}  // namespace tollvane::testing

#define REQUIRE_ROOT_FOR_SETUP()                                                   \
  if (::geteuid() != 0) {                                                          \
    GTEST_SKIP() << "only root can set up a folder owned by another user; run as " \
                    "root to drop to nobody";                                      \
  }

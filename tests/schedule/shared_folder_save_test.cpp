// A schedule file in a shared folder the user may not write: StoreLines saves it in place.
#include <gtest/gtest.h>

#include "schedule/schedule_file.h"
#include "support/shared_folder.h"

namespace tollvane {
namespace {

using testing::ReadBytes;
using testing::RunUnprivileged;
using Shared = testing::SharedFolder;
using testing::MakeShared;

TEST(SaveInPlace, StoreLinesSavesASharedScheduleFile) {
  REQUIRE_ROOT_FOR_SETUP();
  Shared shared;
  ASSERT_TRUE(MakeShared(shared, 0644));
  EXPECT_EQ(RunUnprivileged([&] {
              LineBuffer lines{"8", "7", "30", "1"};
              StoreLines(lines, shared.file);
              return lines.empty() ? 0 : 1;
            }),
            0);
  EXPECT_EQ(ReadBytes(shared.link), "8\r\n7\r\n30\r\n1\r\n");
}

}  // namespace
}  // namespace tollvane

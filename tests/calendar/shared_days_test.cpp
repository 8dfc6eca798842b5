// The imported days in a shared folder the user may not write: saved in place, as the settings
// file beside them is, so an import works wherever the settings can be saved.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "calendar/school_calendar.h"
#include "support/shared_folder.h"

namespace tollvane {
namespace {

using testing::ReadBytes;

TEST(SharedDays, ImportedDaysAreSavedWhereTheSettingsAre) {
  REQUIRE_ROOT_FOR_SETUP();
  testing::SharedFolder shared;
  ASSERT_TRUE(testing::MakeShared(shared, 0644, "# old days\n"));
  const std::string settings = shared.folder + "/week.INI";  // its days file is week.days
  ASSERT_EQ(::rename(shared.file.c_str(), (shared.folder + "/week.days").c_str()), 0);
  EXPECT_EQ(testing::RunUnprivileged([&] {
              return WriteImportedDays(settings, {{{2026, 7, 20}, "海の日"}}) ? 0 : 1;
            }),
            0);
  const std::string saved = ReadBytes(shared.link);  // the same file, written in place
  EXPECT_NE(saved.find("2026/07/20 海の日\n"), std::string::npos) << saved;
}

}  // namespace
}  // namespace tollvane

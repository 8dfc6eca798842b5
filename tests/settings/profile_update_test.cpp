// Deleting keys and several changes in one replacement of the file.
#include <gtest/gtest.h>

#include "settings/profile.h"
#include "settings_test_support.h"

namespace tollvane {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

TEST(ProfileRemove, DeletesEveryCopyInTheSectionThatCountsOnly) {
  Profile profile =
      Profile::Parse("[A]\r\nk=1\r\n; note\r\nK = 2\r\nother=3\r\n[B]\r\nk=4\r\n[A]\r\nk=5\r\n");
  EXPECT_TRUE(profile.remove("a", "k"));
  // A later duplicate must not come forward as the value.
  EXPECT_EQ(profile.value("A", "k"), std::nullopt);
  EXPECT_EQ(profile.bytes(), "[A]\r\n; note\r\nother=3\r\n[B]\r\nk=4\r\n[A]\r\nk=5\r\n");
  EXPECT_FALSE(profile.remove("A", "k"));
  EXPECT_FALSE(profile.remove("Missing", "k"));
}

TEST(UpdateProfile, AllChangesInOneWriteOrNone) {
  ScratchFolder folder;
  const std::string path = folder.file("t.INI");
  WriteBytes(path, "; keep\n[S]\nold=1\n");
  ASSERT_TRUE(UpdateProfile(path, [](Profile& p) {
    return p.set("S", "a", "x") && p.remove("S", "old") && p.set("T", "b", "y");
  }));
  EXPECT_EQ(ReadBytes(path), "; keep\n[S]\na=x\n\n[T]\nb=y\n");
  EXPECT_FALSE(UpdateProfile(path, [](Profile& p) { return p.set("S", "a", "z") && false; }));
  EXPECT_EQ(ReadBytes(path), "; keep\n[S]\na=x\n\n[T]\nb=y\n");
  EXPECT_FALSE(UpdateProfile(folder.file("none/t.INI"), [](Profile&) { return true; }));
}

}  // namespace
}  // namespace tollvane

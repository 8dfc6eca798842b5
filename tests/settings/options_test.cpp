#include "settings/options.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "engine/errors.h"
#include "settings_test_support.h"

namespace tollvane {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

struct ValueCase {
  std::string fileText;
  bool autoArm;
  bool showNextBell;
  std::vector<std::string> problems;
};

TEST(OptionsReading, ValuesOnOffMissingAndDamaged) {
  // clang-format off
  const ValueCase cases[] = {
    {"", false, false, {}},
    {"[SOUND]\nItem1=a.wav\n", false, false, {}},
    {"[OPTION]\nAutoArm=1\nShowNextBell=1\n", true, true, {}},
    {"[option]\nautoarm = \"1\"\nShowNextBell=0\n", true, false, {}},
    {"[OPTION]\nAutoArm=\n", false, false,
     {"「編集」>「起動時に自動で開始」の設定が読めないため、オフにしました。メニューで選び直してください。"
      "(詳細: [OPTION] AutoArm='')"}},
    {"[OPTION]\nAutoArm=yes\nShowNextBell=２\n", false, false,
     {"「編集」>「起動時に自動で開始」の設定が読めないため、オフにしました。メニューで選び直してください。"
      "(詳細: [OPTION] AutoArm='yes')",
      "「編集」>「次のチャイムを表示」の設定が読めないため、オフにしました。メニューで選び直してください。"
      "(詳細: [OPTION] ShowNextBell='２')"}},
    // Binary bytes and broken UTF-8 are shown escaped, so the record stays readable text.
    {"[OPTION]\nShowNextBell=1\x01\xff\xe3\x81\n", false, false,
     {"「編集」>「次のチャイムを表示」の設定が読めないため、オフにしました。メニューで選び直してください。"
      "(詳細: [OPTION] ShowNextBell='1\\x01\\xFF\\xE3\\x81')"}},
    // A long value is cut in the text, so a damaged file cannot flood the record.
    {"[OPTION]\nAutoArm=" + std::string(3000, 'x') + "\n", false, false,
     {"「編集」>「起動時に自動で開始」の設定が読めないため、オフにしました。メニューで選び直してください。"
      "(詳細: [OPTION] AutoArm='" + std::string(40, 'x') + "…')"}},
  };
  // clang-format on
  for (const ValueCase& c : cases) {
    ScratchFolder folder;
    WriteBytes(folder.file("t.INI"), c.fileText);
    std::vector<std::string> problems;
    const Options options = ReadOptions(folder.file("t.INI"), problems);
    EXPECT_EQ(options.autoArm, c.autoArm) << c.fileText;
    EXPECT_EQ(options.showNextBell, c.showNextBell) << c.fileText;
    EXPECT_EQ(problems, c.problems) << c.fileText;
  }
}

TEST(OptionsWriting, WritesReadBackAndKeepTheRestOfTheFile) {
  ScratchFolder folder;
  const std::string path = folder.file("t.INI");
  const std::string before =
      "; hand-kept notes\n[SOUND]\nItem1=chime.wav\n\n[HOLIDAY]\nDay1= 5/ 3\n";
  WriteBytes(path, before);
  WriteOption(path, kAutoArmKey, true);
  WriteOption(path, kShowNextBellKey, true);
  WriteOption(path, kShowNextBellKey, false);
  EXPECT_EQ(ReadBytes(path), before + "\n[OPTION]\nAutoArm=1\nShowNextBell=0\n");
  std::vector<std::string> problems;
  const Options options = ReadOptions(path, problems);
  EXPECT_TRUE(options.autoArm);
  EXPECT_FALSE(options.showNextBell);
  EXPECT_TRUE(problems.empty());
}

TEST(OptionsWriting, FailedWriteRaisesTheWriteError) {
  ScratchFolder folder;
  // A plain file where the folder should be stops the write even for root.
  WriteBytes(folder.file("plain"), "");
  const std::string path = folder.file("plain") + "/t.INI";
  try {
    WriteOption(path, kAutoArmKey, true);
    ADD_FAILURE() << "no error raised";
  } catch (const WriteError& error) {
    EXPECT_EQ(std::string(error.what()), path + " に書き込めません");
  }
}

TEST(OptionsWriting, ReadOnlyFolderLeavesTheFileAsItWas) {
  if (::geteuid() == 0) {
    GTEST_SKIP() << "running as root: folder permissions do not stop writes";
  }
  ScratchFolder folder;
  const std::string path = folder.file("t.INI");
  WriteBytes(path, "[OPTION]\nAutoArm=0\n");
  ASSERT_EQ(::chmod(folder.path().c_str(), 0500), 0);
  EXPECT_THROW(WriteOption(path, kAutoArmKey, true), WriteError);
  EXPECT_EQ(ReadBytes(path), "[OPTION]\nAutoArm=0\n");
}

}  // namespace
}  // namespace tollvane

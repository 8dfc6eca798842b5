#include "settings/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "settings_test_support.h"

namespace tollvane {
namespace {

using testing::CountEntries;
using testing::DataFile;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

TEST(ProfileReading, HandEditedFileWithCommentsOddCaseAndBlanks) {
  const Profile profile = Profile::Parse(DataFile("hand_edited.ini"));
  EXPECT_EQ(profile.value("SOUND", "Item1"), "chime.mp3");
  EXPECT_EQ(profile.value("Sound", "item2"), "/srv/sounds/long bell.wav");
  EXPECT_EQ(profile.value("SOUND", "Item3"), "quoted name.mp3");
  EXPECT_EQ(profile.value("SOUND", "Item4"), "");
  EXPECT_EQ(profile.value("SOUND", "Item6"), std::nullopt);
  EXPECT_EQ(profile.value("HOLIDAY", "Day1"), "5/ 3");
  EXPECT_EQ(profile.value("General", "Owner"), "Kita Junior High");
  // A key of the same name in another section is not the one asked for.
  EXPECT_EQ(profile.value("General", "Item1"), "not a sound");
  // Comment lines are no keys, and neither is the text of a comment.
  EXPECT_EQ(profile.value("SOUND", "; Item4 is left empty on purpose"), std::nullopt);
  EXPECT_EQ(profile.value("Missing", "Key"), std::nullopt);
}

TEST(ProfileReading, CrLfAndByteOrderMarkAreTolerated) {
  const Profile profile = Profile::Parse(DataFile("crlf_bom.ini"));
  EXPECT_EQ(profile.value("SOUND", "Item1"), "a.wav");
  EXPECT_EQ(profile.value("HOLIDAY", "Day1"), "10/10");
}

TEST(ProfileReading, FirstSectionAndFirstKeyWinAndStrayLinesAreIgnored) {
  const Profile profile = Profile::Parse(
      "Item1=before any section\n"
      "[SOUND\n"  // no closing bracket: not a header
      "[SOUND]\n"
      "Item1 = first\n"
      "Item1 = second\n"
      "just some words\n"
      "=no key\n"
      "[ SOUND ]\n"
      "Item2=in the repeated section\n"
      "[HOLIDAY] ; trailing remark\n"
      "Day1=1/2");  // no line ending at the end
  EXPECT_EQ(profile.value("SOUND", "Item1"), "first");
  EXPECT_EQ(profile.value("SOUND", "Item2"), std::nullopt);
  EXPECT_EQ(profile.value("HOLIDAY", "Day1"), "1/2");
}

TEST(ProfileReading, ValuesAreCutAtTheOldBufferSize) {
  const std::string longValue(5000, 'x');
  const Profile profile = Profile::Parse("[S]\nK=" + longValue + "\n");
  EXPECT_EQ(profile.value("S", "K"), std::string(kMaxProfileValueBytes, 'x'));
}

TEST(ProfileRewrite, OnlyTheWrittenLinesChangeAndEverythingElseKeepsItsBytes) {
  Profile profile = Profile::Parse(DataFile("hand_edited.ini"));
  ASSERT_TRUE(profile.set("SOUND", "Item1", "new.mp3"));
  ASSERT_TRUE(profile.set("SOUND", "Item2", ""));
  ASSERT_TRUE(profile.set("SOUND", "Item6", "six.mp3"));
  ASSERT_TRUE(profile.set("sound", "ITEM4", "four.mp3"));
  std::string expected = DataFile("hand_edited.ini");
  auto replace = [&expected](const std::string& from, const std::string& to) {
    const std::size_t at = expected.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    expected.replace(at, from.size(), to);
  };
  // The key keeps its own spelling and spacing; a new key follows the section's last key,
  // before the blank line that separates the sections.
  replace("  item1 = chime.mp3\n", "  item1 = new.mp3\n");
  replace("ITEM2=  /srv/sounds/long bell.wav  \n", "ITEM2=\n");
  replace("Item4=\n", "Item4=four.mp3\n");
  replace("Item5=five.mp3\n", "Item5=five.mp3\nItem6=six.mp3\n");
  EXPECT_EQ(profile.bytes(), expected);
}

TEST(ProfileRewrite, CrLfFileKeepsItsLineEndingsAndByteOrderMark) {
  Profile profile = Profile::Parse(DataFile("crlf_bom.ini"));
  ASSERT_TRUE(profile.set("SOUND", "Item2", "b.wav"));
  ASSERT_TRUE(profile.set("Extra", "Key", "v"));
  EXPECT_EQ(profile.bytes(),
            "\xEF\xBB\xBF[SOUND]\r\nItem1=a.wav\r\nItem2=b.wav\r\n\r\n"
            "[HOLIDAY]\r\nDay1=10/10\r\n\r\n[Extra]\r\nKey=v\r\n");
}

TEST(ProfileRewrite, NewSectionsAndKeysWhereTheFileEndsAbruptly) {
  Profile empty;
  ASSERT_TRUE(empty.set("SOUND", "Item1", "a"));
  EXPECT_EQ(empty.bytes(), "[SOUND]\nItem1=a\n");

  Profile noEol = Profile::Parse("[SOUND]\nItem1=a");
  ASSERT_TRUE(noEol.set("SOUND", "Item2", "b"));
  ASSERT_TRUE(noEol.set("HOLIDAY", "Day1", " 5/ 3"));
  EXPECT_EQ(noEol.bytes(), "[SOUND]\nItem1=a\nItem2=b\n\n[HOLIDAY]\nDay1= 5/ 3\n");

  Profile headerOnly = Profile::Parse("; settings\n[SOUND]");
  ASSERT_TRUE(headerOnly.set("SOUND", "Item1", "a"));
  EXPECT_EQ(headerOnly.bytes(), "; settings\n[SOUND]\nItem1=a\n");
}

TEST(ProfileRewrite, ValuesReadBackAsWritten) {
  Profile profile;
  for (const std::string value : {"", "a", "日本語の名前.mp3", "\"quoted\"", "x=y=z",
                                  "; not a comment", "[not a section]", "#5/3"}) {
    ASSERT_TRUE(profile.set("SOUND", "Item1", value));
    EXPECT_EQ(Profile::Parse(profile.bytes()).value("SOUND", "Item1"), value) << value;
  }
  // Surrounding blanks are dropped on reading; the holiday pair does not mind.
  ASSERT_TRUE(profile.set("HOLIDAY", "Day1", " 5/ 3"));
  EXPECT_EQ(Profile::Parse(profile.bytes()).value("HOLIDAY", "Day1"), "5/ 3");
}

TEST(ProfileRewrite, TextThatWouldBreakTheLineIsRefused) {
  Profile profile = Profile::Parse("[SOUND]\nItem1=a\n");
  const std::string before = profile.bytes();
  EXPECT_FALSE(profile.set("SOUND", "Item1", "b\nItem2=planted"));
  EXPECT_FALSE(profile.set("SOUND", "Item1", "b\rItem2=planted"));
  EXPECT_FALSE(profile.set("SOUND", "Item1", std::string("b\0c", 3)));
  EXPECT_FALSE(profile.set("SOUND", "Item=1", "b"));
  EXPECT_FALSE(profile.set("SOUND", " Item1", "b"));
  EXPECT_FALSE(profile.set("SOUND", "", "b"));
  EXPECT_FALSE(profile.set("SO]UND", "Item1", "b"));
  EXPECT_FALSE(profile.set("SOUND\n[X", "Item1", "b"));
  EXPECT_EQ(profile.bytes(), before);
}

TEST(ProfileFileWrite, CreatesTheFileAndReplacesItWithoutLeftovers) {
  ScratchFolder dir;
  const std::string path = dir.file("Tollvane.INI");
  ASSERT_TRUE(WriteProfileString(path, "SOUND", "Item1", "a.mp3"));
  ASSERT_TRUE(WriteProfileString(path, "SOUND", "Item2", "b.mp3"));
  ASSERT_TRUE(WriteProfileString(path, "SOUND", "Item1", "c.mp3"));
  EXPECT_EQ(ReadBytes(path), "[SOUND]\nItem1=c.mp3\nItem2=b.mp3\n");
  EXPECT_EQ(CountEntries(dir.path()), 1);
}

TEST(ProfileFileWrite, KeepsTheFilesPermissionsAndFollowsALink) {
  ScratchFolder dir;
  const std::string real = dir.file("real.ini");
  WriteBytes(real, "[SOUND]\nItem1=a\n");
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  const std::string link = dir.file("Tollvane.INI");
  std::filesystem::create_symlink("real.ini", link);

  ASSERT_TRUE(WriteProfileString(link, "SOUND", "Item1", "b"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadBytes(real), "[SOUND]\nItem1=b\n");
  struct stat info {};
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(ProfileFileWrite, FailuresLeaveTheFileAsItWas) {
  ScratchFolder dir;
  // A folder standing where the file should be.
  std::filesystem::create_directory(dir.file("folder.ini"));
  EXPECT_FALSE(WriteProfileString(dir.file("folder.ini"), "SOUND", "Item1", "a"));
  // A folder that does not exist, and a path through a plain file.
  EXPECT_FALSE(WriteProfileString(dir.file("missing/Tollvane.INI"), "SOUND", "Item1", "a"));
  WriteBytes(dir.file("plain"), "x");
  EXPECT_FALSE(WriteProfileString(dir.file("plain/Tollvane.INI"), "SOUND", "Item1", "a"));
  // A refused value writes nothing at all.
  const std::string path = dir.file("Tollvane.INI");
  WriteBytes(path, "[SOUND]\nItem1=a\n");
  EXPECT_FALSE(WriteProfileString(path, "SOUND", "Item1", "b\r\nItem2=c"));
  EXPECT_EQ(ReadBytes(path), "[SOUND]\nItem1=a\n");
  // A FIFO planted at the path neither hangs the write nor gets replaced.
  const std::string fifo = dir.file("fifo.ini");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(WriteProfileString(fifo, "SOUND", "Item1", "a"));
  EXPECT_EQ(ReadProfileString(fifo, "SOUND", "Item1", "-"), "-");
  EXPECT_EQ(CountEntries(dir.path()), 4);
}

TEST(ProfileFileWrite, ReadOnlyFileOrFolderRefusesTheWrite) {
  if (::geteuid() == 0) {
    GTEST_SKIP() << "permissions do not bind root";
  }
  ScratchFolder dir;
  const std::string path = dir.file("Tollvane.INI");
  WriteBytes(path, "[SOUND]\nItem1=a\n");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_FALSE(WriteProfileString(path, "SOUND", "Item1", "b"));
  EXPECT_EQ(ReadBytes(path), "[SOUND]\nItem1=a\n");

  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
  EXPECT_FALSE(WriteProfileString(path, "SOUND", "Item1", "b"));
  EXPECT_FALSE(WriteProfileString(dir.file("new.ini"), "SOUND", "Item1", "b"));
  EXPECT_EQ(ReadBytes(path), "[SOUND]\nItem1=a\n");
}

}  // namespace
}  // namespace tollvane

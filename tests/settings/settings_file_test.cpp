#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

#include "engine/errors.h"
#include "settings/profile.h"
#include "settings_test_support.h"

namespace tollvane {
namespace {

using testing::DataFile;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

TEST(SettingsPath, ExtensionIsReplacedOrAppended) {
  EXPECT_EQ(SettingsPathForExecutable("/opt/tollvane/Dorrel.exe"), "/opt/tollvane/Dorrel.INI");
  EXPECT_EQ(SettingsPathForExecutable("/opt/tollvane/bell.v2.bin"), "/opt/tollvane/bell.v2.INI");
  EXPECT_EQ(SettingsPathForExecutable("/usr/bin/tollvane"), "/usr/bin/tollvane.INI");
  // A dot in a folder name is not the file's extension.
  EXPECT_EQ(SettingsPathForExecutable("/home/kita/app.d/tollvane"),
            "/home/kita/app.d/tollvane.INI");
  EXPECT_EQ(SettingsPathForExecutable("tollvane"), "tollvane.INI");
}

TEST(SettingsPath, LiesBesideTheRunningExecutable) {
  const std::string path = SettingsFilePath();
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
  EXPECT_EQ(std::filesystem::path(path).parent_path(), self.parent_path());
  EXPECT_EQ(std::filesystem::path(path).filename(), self.stem().string() + ".INI");
}

struct Loaded {
  SoundTable sounds{};
  HolidayList holidays{};
};

Loaded ReadText(const ScratchFolder& dir, const std::string& content) {
  const std::string path = dir.file("Tollvane.INI");
  WriteBytes(path, content);
  Loaded loaded;
  ReadSettings(path, loaded.sounds, loaded.holidays);
  return loaded;
}

TEST(ReadSettingsStops, MissingFileGivesEmptyTables) {
  ScratchFolder dir;
  Loaded loaded;
  ReadSettings(dir.file("Tollvane.INI"), loaded.sounds, loaded.holidays);
  for (const std::string& entry : loaded.sounds) {
    EXPECT_EQ(entry, "");
  }
  EXPECT_EQ(loaded.holidays.count, 0);
  EXPECT_FALSE(std::filesystem::exists(dir.file("Tollvane.INI")));
}

TEST(ReadSettingsStops, SoundsEndAtTheFirstShortValue) {
  ScratchFolder dir;
  Loaded loaded = ReadText(dir,
                           "[SOUND]\nItem1=a.mp3\nItem2=b.mp3\nItem3=c.mp3\nItem4=\n"
                           "Item5=e.mp3\nItem6=f.mp3\nItem7=g.mp3\nItem8=h.mp3\nItem9=i.mp3\n"
                           "Item10=j.mp3\n");
  EXPECT_EQ(loaded.sounds[1], "a.mp3");
  EXPECT_EQ(loaded.sounds[3], "c.mp3");
  for (int n = 4; n <= 10; ++n) {
    EXPECT_EQ(loaded.sounds[n], "") << n;
  }

  loaded = ReadText(dir, "[SOUND]\nItem1=x\nItem2=b.mp3\n");
  EXPECT_EQ(loaded.sounds[1], "");
  EXPECT_EQ(loaded.sounds[2], "");

  // All ten long enough: an Item11 is never read.
  std::string ten = "[SOUND]\n";
  for (int n = 1; n <= 11; ++n) {
    ten += "Item" + std::to_string(n) + "=s" + std::to_string(n) + ".wav\n";
  }
  loaded = ReadText(dir, ten);
  EXPECT_EQ(loaded.sounds[10], "s10.wav");
  EXPECT_EQ(loaded.sounds[11], "");
  EXPECT_EQ(loaded.sounds[0], "");
}

TEST(ReadSettingsStops, HolidaysEndAtTheFirstShortOrMissingDay) {
  ScratchFolder dir;
  EXPECT_EQ(ReadText(dir, "[HOLIDAY]\nDay2=5/3\nDay3=5/4\n").holidays.count, 0);
  EXPECT_EQ(ReadText(dir, "[HOLIDAY]\nDay1=-\nDay2=5/3\n").holidays.count, 0);
  const Loaded loaded = ReadText(dir, "[HOLIDAY]\nDay1=5/3\nDay2=5/4\nDay3=7\nDay4=5/5\n");
  EXPECT_EQ(loaded.holidays.count, 2);
  EXPECT_EQ(loaded.holidays.at(2).month, 5);
  EXPECT_EQ(loaded.holidays.at(2).day, 4);
  EXPECT_EQ(loaded.holidays.at(3).month, 0);
  // The value that ends the list is still kept as that entry's text.
  EXPECT_EQ(loaded.holidays.at(3).text, "7");
  EXPECT_EQ(ReadText(dir, "[HOLIDAY]\nDay1=5/3\n").holidays.at(2).text, "-");
}

TEST(ReadSettingsStops, AtMostFortyEightDaysAreRead) {
  ScratchFolder dir;
  std::string text = "[HOLIDAY]\n";
  for (int n = 1; n <= 48; ++n) {
    text += "Day" + std::to_string(n) + "=" + FormatHoliday(1 + n % 12, n % 28 + 1) + "\n";
  }
  Loaded loaded = ReadText(dir, text);
  EXPECT_EQ(loaded.holidays.count, 48);
  EXPECT_EQ(loaded.holidays.at(48).month, 1);
  EXPECT_EQ(loaded.holidays.at(48).day, 21);
  // A bad Day49 would raise if it were read.
  loaded = ReadText(dir, text + "Day49=not a date\n");
  EXPECT_EQ(loaded.holidays.count, 48);
}

TEST(ReadSettingsHolidayParsing, BlanksBeforeEachPartAreAccepted) {
  ScratchFolder dir;
  const Loaded loaded =
      ReadText(dir, "[HOLIDAY]\nDay1=\" 5/ 3\"\nDay2=5/3\nDay3=12/25\nDay4=13/0\nDay5=-1/+2\n");
  ASSERT_EQ(loaded.holidays.count, 5);
  EXPECT_EQ(loaded.holidays.at(1).text, " 5/ 3");
  const int32_t expected[][2] = {{5, 3}, {5, 3}, {12, 25}, {13, 0}, {-1, 2}};
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(loaded.holidays.at(i).month, expected[i - 1][0]) << i;
    EXPECT_EQ(loaded.holidays.at(i).day, expected[i - 1][1]) << i;
  }
}

// Reads and returns what the tables hold after the expected ConversionError.
Loaded ReadExpectingConversionError(const ScratchFolder& dir, const std::string& content,
                                    const std::string& message) {
  const std::string path = dir.file("Tollvane.INI");
  WriteBytes(path, content);
  Loaded loaded;
  try {
    ReadSettings(path, loaded.sounds, loaded.holidays);
    ADD_FAILURE() << "no ConversionError for " << content;
  } catch (const ConversionError& error) {
    EXPECT_EQ(std::string(error.what()), message);
  }
  return loaded;
}

TEST(ReadSettingsHolidayParsing, BadPartsRaiseAndLeaveThePartialState) {
  ScratchFolder dir;
  ReadExpectingConversionError(dir, "[HOLIDAY]\nDay1=5 /3\n", "'5 ' は整数ではありません");
  ReadExpectingConversionError(dir, "[HOLIDAY]\nDay1=0503\n", "'' は整数ではありません");
  ReadExpectingConversionError(dir, "[HOLIDAY]\nDay1=5/\n", "'' は整数ではありません");
  ReadExpectingConversionError(dir, "[HOLIDAY]\nDay1=5/3/1\n", "'3/1' は整数ではありません");
  ReadExpectingConversionError(dir, "[HOLIDAY]\nDay1=99999999999/1\n",
                               "'99999999999' は整数ではありません");

  const Loaded loaded = ReadExpectingConversionError(
      dir, "[SOUND]\nItem1=a.mp3\n[HOLIDAY]\nDay1=5/3\nDay2=5/x\nDay3=8/8\nDay4=--\n",
      "'x' は整数ではありません");
  EXPECT_EQ(loaded.sounds[1], "a.mp3");
  // The count already includes the failing entry and the ones after it.
  EXPECT_EQ(loaded.holidays.count, 4);
  EXPECT_EQ(loaded.holidays.at(1).month, 5);
  EXPECT_EQ(loaded.holidays.at(1).day, 3);
  // The failing entry's month converted before its day failed.
  EXPECT_EQ(loaded.holidays.at(2).month, 5);
  EXPECT_EQ(loaded.holidays.at(2).day, 0);
  EXPECT_EQ(loaded.holidays.at(3).month, 0);
  EXPECT_EQ(loaded.holidays.at(3).text, "8/8");
  EXPECT_EQ(loaded.holidays.at(4).text, "--");
}

TEST(ReadSettingsFiles, HandEditedFileReadsAsItsOwnerMeantIt) {
  ScratchFolder dir;
  const Loaded loaded = ReadText(dir, DataFile("hand_edited.ini"));
  EXPECT_EQ(loaded.sounds[1], "chime.mp3");
  EXPECT_EQ(loaded.sounds[2], "/srv/sounds/long bell.wav");
  EXPECT_EQ(loaded.sounds[3], "quoted name.mp3");
  EXPECT_EQ(loaded.sounds[4], "");
  EXPECT_EQ(loaded.sounds[5], "");
  ASSERT_EQ(loaded.holidays.count, 3);
  EXPECT_EQ(loaded.holidays.at(1).month, 5);
  EXPECT_EQ(loaded.holidays.at(3).day, 1);
}

std::array<std::string, kRegisteredSounds> Items(const std::string& prefix) {
  std::array<std::string, kRegisteredSounds> items;
  for (int n = 1; n <= kRegisteredSounds; ++n) {
    items[n - 1] = prefix + std::to_string(n) + ".mp3";
  }
  return items;
}

std::array<std::string, 2 * kHolidayRows> EmptyRows() {
  return {};
}

TEST(SettingsRoundTrip, DialogsWriteWhatTheNextStartReads) {
  ScratchFolder dir;
  const std::string path = dir.file("Tollvane.INI");
  SoundTable sounds{};
  HolidayList holidays{};
  auto items = Items("ベル");
  UpdateSoundSettings(path, items, sounds);
  EXPECT_EQ(sounds[1], "ベル1.mp3");
  EXPECT_EQ(sounds[10], "ベル10.mp3");

  auto rows = EmptyRows();
  rows[0] = "5";
  rows[1] = "3";
  rows[2] = "12";
  rows[3] = "25";
  rows[6] = "13";  // row 4: typed out of range, stored as it is
  rows[7] = "45";
  UpdateHolidaySettings(path, rows, holidays);
  EXPECT_EQ(holidays.count, 0);
  EXPECT_EQ(holidays.at(1).month, 5);

  const std::string bytes = ReadBytes(path);
  EXPECT_NE(bytes.find("Day1= 5/ 3\n"), std::string::npos);
  EXPECT_NE(bytes.find("Day3= 0/ 0\n"), std::string::npos);
  EXPECT_NE(bytes.find("Day4=13/45\n"), std::string::npos);

  Loaded next;
  ReadSettings(path, next.sounds, next.holidays);
  for (int n = 1; n <= kRegisteredSounds; ++n) {
    EXPECT_EQ(next.sounds[n], items[n - 1]);
  }
  EXPECT_EQ(next.holidays.count, 20);
  EXPECT_EQ(next.holidays.at(1).month, 5);
  EXPECT_EQ(next.holidays.at(1).day, 3);
  EXPECT_EQ(next.holidays.at(2).day, 25);
  EXPECT_EQ(next.holidays.at(3).month, 0);
  EXPECT_EQ(next.holidays.at(4).day, 45);
}

TEST(SettingsRoundTrip, EmptySoundFieldEndsTheListAtTheNextStart) {
  ScratchFolder dir;
  const std::string path = dir.file("Tollvane.INI");
  SoundTable sounds{};
  auto items = Items("s");
  items[3] = "";
  UpdateSoundSettings(path, items, sounds);
  EXPECT_EQ(sounds[5], "s5.mp3");  // this run keeps the later entries
  Loaded next;
  ReadSettings(path, next.sounds, next.holidays);
  EXPECT_EQ(next.sounds[3], "s3.mp3");
  EXPECT_EQ(next.sounds[5], "");
}

TEST(SettingsRoundTrip, ForeignContentSurvivesBothDialogs) {
  ScratchFolder dir;
  const std::string path = dir.file("Tollvane.INI");
  const std::string foreign =
      "; kept by the office\n[Network]\nServer = bells.local \n\n"
      "[HOLIDAY]\nDay21=8/15\n; summer break\n\n[Zeta]\nx=1\n";
  WriteBytes(path, foreign);
  SoundTable sounds{};
  HolidayList holidays{};
  UpdateSoundSettings(path, Items("s"), sounds);
  auto rows = EmptyRows();
  rows[0] = "1";
  rows[1] = "1";
  UpdateHolidaySettings(path, rows, holidays);

  std::string days;
  for (int r = 1; r <= 20; ++r) {
    days += "Day" + std::to_string(r) + "=" + (r == 1 ? " 1/ 1" : " 0/ 0") + "\n";
  }
  std::string sound = "\n[SOUND]\n";
  for (int n = 1; n <= 10; ++n) {
    sound += "Item" + std::to_string(n) + "=s" + std::to_string(n) + ".mp3\n";
  }
  EXPECT_EQ(ReadBytes(path),
            "; kept by the office\n[Network]\nServer = bells.local \n\n"
            "[HOLIDAY]\nDay21=8/15\n" +
                days + "; summer break\n\n[Zeta]\nx=1\n" + sound);
  // Day21 follows Day20 now and is read, though the dialog never shows it.
  Loaded next;
  ReadSettings(path, next.sounds, next.holidays);
  EXPECT_EQ(next.holidays.count, 21);
  EXPECT_EQ(next.holidays.at(21).month, 8);
}

TEST(SettingsWriters, LineBreakInASoundNameStopsAtThatKey) {
  ScratchFolder dir;
  const std::string path = dir.file("Tollvane.INI");
  SoundTable sounds{};
  sounds[1] = "old.mp3";
  auto items = Items("s");
  items[3] = "four.mp3\nItem9=planted.mp3";
  try {
    UpdateSoundSettings(path, items, sounds);
    FAIL() << "no WriteError";
  } catch (const WriteError& error) {
    EXPECT_EQ(std::string(error.what()), path + " に書き込めません");
  }
  EXPECT_EQ(ReadBytes(path), "[SOUND]\nItem1=s1.mp3\nItem2=s2.mp3\nItem3=s3.mp3\n");
  EXPECT_EQ(sounds[1], "old.mp3");
  EXPECT_EQ(sounds[2], "");
}

TEST(SettingsWriters, UnwritableTargetRaisesAndKeepsTheTablesAsDescribed) {
  ScratchFolder dir;
  const std::string path = dir.file("Tollvane.INI");
  std::filesystem::create_directory(path);
  SoundTable sounds{};
  EXPECT_THROW(UpdateSoundSettings(path, Items("s"), sounds), WriteError);
  EXPECT_EQ(sounds[1], "");

  // The holiday dialog has stored all twenty rows before the first write fails.
  HolidayList holidays{};
  holidays.count = 3;
  auto rows = EmptyRows();
  rows[38] = "12";
  rows[39] = "31";
  EXPECT_THROW(UpdateHolidaySettings(path, rows, holidays), WriteError);
  EXPECT_EQ(holidays.at(20).month, 12);
  EXPECT_EQ(holidays.at(20).day, 31);
  EXPECT_EQ(holidays.count, 3);

  EXPECT_THROW(UpdateSoundSettings(dir.file("gone/Tollvane.INI"), Items("s"), sounds), WriteError);
}

TEST(SettingsWriters, HolidayConversionErrorStopsBeforeAnyWrite) {
  ScratchFolder dir;
  const std::string path = dir.file("Tollvane.INI");
  HolidayList holidays{};
  holidays.at(2) = {7, 7, "7/7"};
  holidays.at(3) = {9, 9, "9/9"};
  auto rows = EmptyRows();
  rows[0] = "5";
  rows[1] = "3";
  rows[2] = "12";
  rows[3] = "25 ";  // a blank after the digits
  rows[4] = "1";
  try {
    UpdateHolidaySettings(path, rows, holidays);
    FAIL() << "no ConversionError";
  } catch (const ConversionError& error) {
    EXPECT_EQ(std::string(error.what()), "'25 ' は整数ではありません");
  }
  EXPECT_EQ(holidays.at(1).month, 5);
  EXPECT_EQ(holidays.at(1).day, 3);
  EXPECT_EQ(holidays.at(2).month, 12);
  EXPECT_EQ(holidays.at(2).day, 7);
  EXPECT_EQ(holidays.at(3).month, 9);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(FormatHolidayText, PadsToTwoAndNeverCuts) {
  EXPECT_EQ(FormatHoliday(5, 3), " 5/ 3");
  EXPECT_EQ(FormatHoliday(12, 25), "12/25");
  EXPECT_EQ(FormatHoliday(0, 0), " 0/ 0");
  EXPECT_EQ(FormatHoliday(-1, 100), "-1/100");
  EXPECT_EQ(FormatHoliday(INT32_MIN, INT32_MAX), "-2147483648/2147483647");
}

}  // namespace
}  // namespace tollvane

// Generated file contents: whatever a settings file holds, reading gives the documented result
// or ConversionError, and a write changes only the key written.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "schedule/text_number.h"
#include "settings/profile.h"
#include "settings/settings_file.h"
#include "settings_test_support.h"

namespace tollvane {
namespace {

using testing::ScratchFolder;
using testing::WriteBytes;

class ContentGenerator {
 public:
  explicit ContentGenerator(unsigned seed) : random_(seed) {}

  std::string next() {
    std::string out;
    const int pieces = pick(0, 60);
    for (int i = 0; i < pieces; ++i) {
      out += piece();
      // Mostly whole lines, sometimes pieces run together.
      const int end = pick(0, 9);
      out += end < 5 ? "\n" : end < 8 ? "\r\n" : "";
    }
    return out;
  }

  std::string value() {
    static const std::string kAlphabet = "ab /-+0123456789\"=;#[]x\t";
    std::string v;
    const int length = pick(0, 12);
    for (int i = 0; i < length; ++i) {
      v += kAlphabet[static_cast<std::size_t>(pick(0, static_cast<int>(kAlphabet.size()) - 1))];
    }
    return v;
  }

  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

 private:
  std::string piece() {
    switch (pick(0, 11)) {
      case 0:
        return pick(0, 1) ? "[SOUND]" : "[holiday]";
      case 1:
        return "Item" + std::to_string(pick(0, 12)) + "=" + value();
      case 2:
        return "Day" + std::to_string(pick(0, 50)) + (pick(0, 1) ? " = " : "=") + value();
      case 3:
        return "Day" + std::to_string(pick(0, 1) ? pick(1, 3) : pick(1, 49)) + "=" +
               std::to_string(pick(-20, 40)) + "/" + std::to_string(pick(-5, 40));
      case 4:
        return pick(0, 1) ? "\n" : "\r\n";
      case 5:
        return std::string(1, '\0');
      case 6: {
        std::string bytes;
        const int length = pick(1, 40);
        for (int i = 0; i < length; ++i) {
          bytes += static_cast<char>(pick(0, 255));
        }
        return bytes;
      }
      case 7:
        return std::string(static_cast<std::size_t>(pick(100, 4000)), pick(0, 1) ? 'x' : '1');
      case 8:
        return "; comment";
      case 9:
        return "\xEF\xBB\xBF";
      case 10:
        return "\r";
      default:
        return "[" + value() + "]";
    }
  }

  std::mt19937 random_;
};

// Checks the tables against the rules that hold whatever the file said.
void CheckDocumentedResult(const SoundTable& sounds, const HolidayList& holidays,
                           bool conversionFailed) {
  bool ended = false;
  for (int n = 1; n <= kRegisteredSounds; ++n) {
    if (sounds[n].empty()) {
      ended = true;
    } else {
      EXPECT_FALSE(ended) << "sound " << n << " after the end of the list";
      EXPECT_GE(sounds[n].size(), 2u);
      EXPECT_LE(sounds[n].size(), kMaxProfileValueBytes);
    }
  }
  EXPECT_EQ(sounds[0], "");
  for (int n = kRegisteredSounds + 1; n < kSoundTableSize; ++n) {
    EXPECT_EQ(sounds[n], "");
  }
  ASSERT_GE(holidays.count, 0);
  ASSERT_LE(holidays.count, kHolidayCapacity);
  bool failedSeen = false;
  for (int i = 1; i <= holidays.count; ++i) {
    const Holiday& h = holidays.at(i);
    EXPECT_GE(h.text.size(), 2u);
    EXPECT_LE(h.text.size(), kMaxProfileValueBytes);
    if (failedSeen) {
      continue;
    }
    const std::size_t slash = h.text.find('/');
    try {
      if (slash == std::string::npos) {
        throw ConversionError("");
      }
      EXPECT_EQ(h.month, StrToInt32(h.text.substr(0, slash))) << h.text;
      EXPECT_EQ(h.day, StrToInt32(h.text.substr(slash + 1))) << h.text;
    } catch (const ConversionError&) {
      failedSeen = true;
    }
  }
  EXPECT_EQ(failedSeen, conversionFailed);
}

TEST(GeneratedSettingsFiles, ReadingGivesTheDocumentedResultOrConversionError) {
  ScratchFolder dir;
  ContentGenerator generator(20261209);
  int failures = 0;
  int counted = 0;
  for (int round = 0; round < 1000; ++round) {
    std::string content = generator.next();
    if (round % 3 == 0) {
      content = "[SOUND]\n" + content;
    } else if (round % 3 == 1) {
      // A valid first day, then a second day that is usually garbage.
      content = "[HOLIDAY]\nDay1=" + std::to_string(generator.pick(1, 12)) +
                "/5\nDay2=" + generator.value() + "\n" + content;
    }
    // A fresh name each round: truncating one file over and over makes the file system flush.
    const std::string path = dir.file(std::to_string(round) + ".INI");
    WriteBytes(path, content);
    SoundTable sounds{};
    HolidayList holidays{};
    bool failed = false;
    try {
      ReadSettings(path, sounds, holidays);
    } catch (const ConversionError&) {
      failed = true;
      ++failures;
    }
    std::filesystem::remove(path);
    CheckDocumentedResult(sounds, holidays, failed);
    counted += holidays.count > 1 ? 1 : 0;
    if (::testing::Test::HasFailure()) {
      FAIL() << "round " << round;
    }
  }
  // The generator must reach both outcomes to be worth anything.
  EXPECT_GT(failures, 50);
  EXPECT_LT(failures, 950);
  EXPECT_GT(counted, 50);
}

TEST(GeneratedSettingsFiles, AWriteChangesOnlyTheKeyWritten) {
  ContentGenerator generator(7);
  const std::vector<std::pair<std::string, std::string>> probes = {
      {"SOUND", "Item1"},  {"SOUND", "Item2"},  {"HOLIDAY", "Day1"},
      {"HOLIDAY", "Day7"}, {"SOUND", "Item10"}, {"HOLIDAY", "Day48"}};
  for (int round = 0; round < 1500; ++round) {
    const std::string content = generator.next();
    Profile profile = Profile::Parse(content);
    ASSERT_EQ(profile.bytes(), content) << "round " << round;
    const auto& [section, key] = probes[static_cast<std::size_t>(generator.pick(0, 5))];
    std::string value = generator.value();
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
      value.erase(0, 1);
    }
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
      value.pop_back();
    }
    ASSERT_TRUE(profile.set(section, key, value));
    const Profile reread = Profile::Parse(profile.bytes());
    const Profile original = Profile::Parse(content);
    for (const auto& [s, k] : probes) {
      if (s == section && k == key) {
        EXPECT_EQ(reread.value(s, k), value) << "round " << round;
      } else {
        EXPECT_EQ(reread.value(s, k), original.value(s, k)) << "round " << round << " " << k;
      }
    }
    if (::testing::Test::HasFailure()) {
      FAIL() << "round " << round << " content " << ::testing::PrintToString(content);
    }
  }
}

}  // namespace
}  // namespace tollvane

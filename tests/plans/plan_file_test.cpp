// Day plans and their file: what a name and a bell may be, the round trip, every bad line named
// by its number, and the caps that keep a wrong file cheap.
#include "plans/plan_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/scratch_folder.h"

namespace tollvane {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

TEST(PlanName, RulesOfWhatTheFileCanHold) {
  struct {
    const char* name;
    bool ok;
  } const kCases[] = {
      {"短縮日課", true},
      {"  テスト日課 ", true},  // trimmed
      {"卒業式 (午前)", true},
      {"a]b", true},
      {"", false},
      {"   ", false},
      {"[行事]", false},
      {"]x", false},
      {"改行\nあり", false},
      {"tab\tinside", false},
      {"\xC2\x85", false},  // NEL, a C1 control
      {"\xFF\xFE", false},  // not UTF-8
      {"一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二", true},     // 32
      {"一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二三", false},  // 33
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(PlanNameProblem(c.name).empty(), c.ok) << c.name;
  }
  EXPECT_EQ(NormalizedPlanName("  テスト日課 "), "テスト日課");
}

TEST(PlanBell, FromTheSlotEditorsTextsAsAPageConvertsThem) {
  struct {
    const char* hour;
    const char* minute;
    const char* sound;
    std::optional<PlanBell> bell;
    bool problem;
  } const kCases[] = {
      {"8", "30", "3", PlanBell{8, 30, 3}, false},
      {"9", "", "", PlanBell{9, 0, 1}, false},  // empty minute 0, empty sound 1
      {"10", "5", "0", PlanBell{10, 5, 1}, false},
      {"", "", "4", std::nullopt, false},   // an empty row is no bell
      {"0", "0", "1", std::nullopt, true},  // midnight never rings
      {"24", "0", "1", std::nullopt, true},
      {"8", "60", "1", std::nullopt, true},
      {"8", "30", "11", std::nullopt, true},
      {"8時", "30", "1", std::nullopt, true},
  };
  for (const auto& c : kCases) {
    std::string problem;
    EXPECT_EQ(PlanBellFromTexts(c.hour, c.minute, c.sound, &problem), c.bell) << c.hour;
    EXPECT_EQ(!problem.empty(), c.problem) << c.hour << " " << problem;
  }
  EXPECT_EQ(PlanBellText({10, 35, 2}), "10時35分(音2)");
}

PlanBook Sample() {
  PlanBook book;
  book.plans.push_back({"短縮日課", {{8, 30, 1}, {9, 15, 2}, {14, 5, 10}}});
  book.plans.push_back({"ノーチャイム", {}});
  DayPlan full{"テスト日課", {}};
  for (int i = 0; i < kMaxPlanBells; ++i) {
    full.bells.push_back({7 + i / 4, (i % 4) * 15 + 1, 1 + i % 10});
  }
  book.plans.push_back(full);
  return book;
}

TEST(PlanFile, RoundTripAndHandEdits) {
  const PlanBook book = Sample();
  const PlanFileReading back = ParsePlanFile(FormatPlanFile(book));
  ASSERT_EQ(back.status, PlanFileReading::Status::kOk) << back.error;
  EXPECT_EQ(back.book, book);
  ASSERT_NE(back.book.find(" 短縮日課"), nullptr);
  EXPECT_EQ(back.book.find("なし"), nullptr);

  // What an operator types: a BOM, CR LF, blanks, comments, one-digit minutes.
  const PlanFileReading typed =
      ParsePlanFile("\xEF\xBB\xBF# 北小学校\r\n\r\n [ 短縮日課 ] \r\n 8:30  1\r\n9:5\t2\r\n#\r\n");
  ASSERT_EQ(typed.status, PlanFileReading::Status::kOk) << typed.error;
  ASSERT_EQ(typed.book.plans.size(), 1u);
  EXPECT_EQ(typed.book.plans[0], (DayPlan{"短縮日課", {{8, 30, 1}, {9, 5, 2}}}));
}

TEST(PlanFile, ABadLineRefusesTheWholeFileAndNamesTheLine) {
  std::string tooMany = "[多い]\n";
  for (int i = 0; i <= kMaxPlanBells; ++i) {
    tooMany += "8:" + std::to_string(i) + " 1\n";
  }
  struct {
    std::string bytes;
    const char* error;
  } const kCases[] = {
      {"8:30 1\n", "tollvane.plans の 1行目: チャイムの前に「[日課の名前]」の行が必要です。"},
      {"[a]\n\n25:00 1\n",
       "tollvane.plans の 3行目: 時刻は0時1分から23時59分までで指定してください。"},
      {"[a]\n0:00 1\n", "tollvane.plans の 2行目: 0時0分のチャイムは鳴りません。"},
      {"[a]\n8:30 11\n", "tollvane.plans の 2行目: 音は1から10までで指定してください。"},
      {"[a]\n8:30\n",
       "tollvane.plans の 2行目: チャイムは「8:30 1」のように時:分と音で書いてください(8:30)。"},
      {"[a]\n8.30 1\n",
       "tollvane.plans の 2行目: チャイムは「8:30 1」のように時:分と音で書いてください(8.30 1)。"},
      {"[a]\n[ a ]\n", "tollvane.plans の 2行目: 同じ名前の日課「a」がすでにあります。"},
      {"[]\n", "tollvane.plans の 1行目: 日課の名前を入力してください。"},
      {"[a\n", "tollvane.plans の 1行目: 日課の名前の行は「[名前]」の形で書いてください。"},
      {"[a]\n\xFF 1\n",
       "tollvane.plans の 2行目: 読み取れない文字があります(UTF-8 ではありません)。"},
      {std::string("[a]\n8:30 1\0\n", 12),
       "tollvane.plans の 2行目: 読み取れない文字があります(UTF-8 ではありません)。"},
      {tooMany, "tollvane.plans の 50行目: 日課「多い」のチャイムは48件までです。"},
      {std::string(kMaxPlanFileLines + 1, '\n'),
       "tollvane.plans の行が多すぎるため、読み込めません(10000行まで)。"},
  };
  for (const auto& c : kCases) {
    const PlanFileReading reading = ParsePlanFile(c.bytes);
    EXPECT_EQ(reading.status, PlanFileReading::Status::kDamaged) << c.error;
    EXPECT_EQ(reading.error, c.error);
    EXPECT_TRUE(reading.book.plans.empty());
  }
}

TEST(PlanFile, ReadsBesideTheSettingsAndRefusesWhatItCannotStore) {
  ScratchFolder folder;
  const std::string path = PlanFilePath(folder.file("tollvane.INI"));
  EXPECT_EQ(path, folder.file("tollvane.plans"));
  EXPECT_EQ(ReadPlanFile(path).status, PlanFileReading::Status::kMissing);
  // Beside settings whose folder is a plain file: never saved, not damaged.
  WriteBytes(folder.file("plain"), "x");
  EXPECT_EQ(ReadPlanFile(folder.file("plain/tollvane.plans")).status,
            PlanFileReading::Status::kMissing);
  // A folder where the file should be is damaged.
  std::filesystem::create_directory(folder.file("odd.plans"));
  EXPECT_EQ(ReadPlanFile(folder.file("odd.plans")).status, PlanFileReading::Status::kDamaged);

  ASSERT_TRUE(WritePlanFile(path, Sample()));
  EXPECT_EQ(ReadPlanFile(path).book, Sample());

  PlanBook doubled = Sample();
  doubled.plans.push_back({"短縮日課", {}});
  PlanBook badBell = Sample();
  badBell.plans[0].bells.push_back({0, 0, 1});
  for (const PlanBook& bad : {doubled, badBell}) {
    EXPECT_FALSE(PlanBookProblem(bad).empty());
    EXPECT_FALSE(WritePlanFile(path, bad));
  }
  EXPECT_EQ(ReadBytes(path), FormatPlanFile(Sample()));

  // The size is judged before reading: a huge file costs nothing.
  WriteBytes(path, std::string(kMaxPlanFileBytes + 1, '#'));
  const PlanFileReading big = ReadPlanFile(path);
  EXPECT_EQ(big.status, PlanFileReading::Status::kDamaged);
  EXPECT_EQ(big.error, "tollvane.plans が大きすぎるため、読み込めません。");

  ASSERT_TRUE(SetAsideDamagedPlanFile(path));
  EXPECT_EQ(ReadPlanFile(path).status, PlanFileReading::Status::kMissing);
  EXPECT_EQ(ReadBytes(path + ".damaged").size(), kMaxPlanFileBytes + 1);
}

}  // namespace
}  // namespace tollvane

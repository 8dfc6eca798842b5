// Thousands of generated files, from plausible schedules to binary junk: loading and parsing
// either succeed or raise the one documented error, and never write outside the schedule.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <random>
#include <string>

#include "engine/errors.h"
#include "schedule/schedule_file.h"
#include "schedule/text_number.h"
#include "support/fakes.h"
#include "support/scratch_folder.h"

namespace tollvane {
namespace {

constexpr int32_t kGuardValue = 0x5A5A5A5A;

struct GuardedSchedule {
  std::array<int32_t, 64> before;
  WeekSchedule schedule;
  std::array<int32_t, 64> after;
};

class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}

  std::string file(int iteration) {
    // The big ones are rarer: they cost the most and find the least.
    if (iteration % 1000 == 0) {
      return manyLines(100000);
    }
    if (iteration % 60 == 1) {
      return longLine();
    }
    switch (pick(4)) {
      case 0:
        return junk(pick(2000));
      case 1:
        return records(pick(200), 0);
      case 2:
        return records(pick(60), 30);  // frequent junk, NULs and odd breaks
      default:
        return mutated();
    }
  }

 private:
  int pick(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random_); }

  std::string junk(int size) {
    std::string bytes;
    for (int i = 0; i < size; ++i) {
      bytes += static_cast<char>(pick(256));
    }
    return bytes;
  }

  std::string lineBreak() {
    static const char* const kBreaks[] = {"\r\n", "\n", "\r"};
    return kBreaks[pick(3)];
  }

  std::string number() {
    static const char* const kOdd[] = {
        "",           "0",           "00",          "-0",        "2147483647", "-2147483648",
        "2147483648", "-2147483649", "99999999999", "$7FFFFFFF", "$80000000",  "0x10",
        "x1F",        " 8",          "8 ",          "+5",        "-",          "abc",
        "９",         "1.5",         "\t3",         "$",         "0x"};
    if (pick(3) == 0) {
      return kOdd[pick(static_cast<int>(std::size(kOdd)))];
    }
    return std::to_string(pick(30) - 5);
  }

  std::string records(int count, int oddPercent) {
    std::string text;
    for (int r = 0; r < count; ++r) {
      text += pick(10) < 8 ? std::to_string(pick(11) - 1) : number();
      text += lineBreak();
      for (int field = 0; field < 3; ++field) {
        text += pick(100) < oddPercent ? number() : std::to_string(pick(60));
        text += lineBreak();
        if (pick(1000) < oddPercent) {
          text += pick(2) ? std::string(1, '\0') : junk(pick(20));
        }
      }
    }
    if (pick(4) == 0 && !text.empty()) {
      text.pop_back();  // a last line without its break, or a CR LF cut in half
    }
    return text;
  }

  std::string longLine() {
    std::string line(static_cast<size_t>(pick(200000) + 1000), '0');
    line.back() = static_cast<char>('1' + pick(9));
    if (pick(2)) {
      line[0] = ' ';
    }
    return "8" + lineBreak() + line + lineBreak() + "0\r\n1\r\n";
  }

  std::string manyLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
      text += (i % 4 == 0) ? std::to_string(pick(9) + 1) : std::to_string(pick(100));
      text += lineBreak();
    }
    return text;
  }

  std::string mutated() {
    if (resetFile_.empty()) {
      WeekSchedule schedule;
      ResetWeekSchedule(schedule);
      LineBuffer lines;
      BuildScheduleLines(schedule, lines);
      for (const auto& line : lines) {
        resetFile_ += line + "\r\n";
      }
    }
    std::string text = resetFile_;
    for (int flips = pick(8); flips > 0; --flips) {
      text[static_cast<size_t>(pick(static_cast<int>(text.size())))] = static_cast<char>(pick(256));
    }
    return text;
  }

  std::mt19937 random_;
  std::string resetFile_;
};

// The splitting rule stated plainly: normalise the breaks to LF, then cut.
LineBuffer ExpectedLines(const std::string& bytes) {
  std::string text = bytes.substr(0, bytes.find('\0'));
  std::string normal;
  normal.reserve(text.size());
  for (size_t start = 0; start < text.size();) {
    const size_t cr = std::min(text.find('\r', start), text.size());
    normal.append(text, start, cr - start);
    if (cr == text.size()) {
      break;
    }
    normal += '\n';
    start = text.compare(cr, 2, "\r\n") == 0 ? cr + 2 : cr + 1;
  }
  LineBuffer lines;
  size_t start = 0;
  while (start < normal.size()) {
    const size_t end = std::min(normal.find('\n', start), normal.size());
    lines.push_back(normal.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool NotAnInteger(const std::string& text) {
  try {
    TextToNumber(text);
    return false;
  } catch (const ConversionError&) {
    return true;
  }
}

TEST(GeneratedFiles, LoadAndParseSucceedOrRaiseTheConversionErrorAndStayInBounds) {
  testing::ScratchFolder folder;
  const std::string path = folder.file("generated.txt");
  constexpr uint32_t kSeed = 20261209;
  Generator generator(kSeed);
  int parsed = 0;
  int refused = 0;
  for (int i = 0; i < 3000; ++i) {
    SCOPED_TRACE("seed " + std::to_string(kSeed) + ", file " + std::to_string(i));
    const std::string bytes = generator.file(i);
    testing::WriteBytes(path, bytes);

    LineBuffer lines;
    ASSERT_NO_THROW(LoadLines(lines, path));
    ASSERT_EQ(lines, ExpectedLines(bytes));

    GuardedSchedule guarded;
    guarded.before.fill(kGuardValue);
    guarded.after.fill(kGuardValue);
    ResetWeekSchedule(guarded.schedule);
    try {
      ParseScheduleRecords(lines, guarded.schedule);
      // Showing the result on the pages never reaches past the 576 drop-downs.
      if (++parsed % 10 == 0) {
        testing::MapPageTexts texts;
        ReadScheduleFile(ReadMode::Overwrite, lines, guarded.schedule, texts);
        ASSERT_EQ(texts.texts.size(), 576u);
      }
    } catch (const ConversionError& e) {
      ++refused;
      // The text named is one of the file's lines, and really is not an integer.
      const std::string what = e.what();
      const std::string tail = "' は整数ではありません";
      ASSERT_GE(what.size(), tail.size() + 1);
      ASSERT_EQ(what.front(), '\'');
      ASSERT_EQ(what.substr(what.size() - tail.size()), tail);
      const std::string text = what.substr(1, what.size() - tail.size() - 1);
      ASSERT_TRUE(NotAnInteger(text)) << text;
      ASSERT_NE(std::find(lines.begin(), lines.end(), text), lines.end()) << text;
    }
    ASSERT_TRUE(std::all_of(guarded.before.begin(), guarded.before.end(),
                            [](int32_t v) { return v == kGuardValue; }));
    ASSERT_TRUE(std::all_of(guarded.after.begin(), guarded.after.end(),
                            [](int32_t v) { return v == kGuardValue; }));
  }
  // Both outcomes must actually occur, or the generator has drifted.
  EXPECT_GT(parsed, 300);
  EXPECT_GT(refused, 300);
}

}  // namespace
}  // namespace tollvane

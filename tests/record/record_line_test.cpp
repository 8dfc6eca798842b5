// The record line: escaping keeps one event on one line, stamps are fixed width, and the parser
// accepts exactly the lines the formatter makes.
#include <gtest/gtest.h>

#include "engine/local_time.h"
#include "record/record_line.h"

namespace tollvane {
namespace {

LocalTime At(int y, int mo, int d, int h, int mi, int s, int ms) {
  return {LocalSecondsOf(y, mo, d, h, mi, s), ms};
}

TEST(RecordLine, FormatsStampKindAndEscapedText) {
  struct Case {
    std::string kind, text, line;
  };
  // clang-format off
  const Case cases[] = {
      {"出力オン", "定時 2 の 3", "2026-12-07 08:30:00.006\t出力オン\t定時 2 の 3\n"},
      {"警告", "a\tb\nc\rd\\e", "2026-12-07 08:30:00.006\t警告\ta\\tb\\nc\\rd\\\\e\n"},
      {"k\tind", "", "2026-12-07 08:30:00.006\tk\\tind\t\n"},
      {"x", std::string("\x01\x7f", 2), "2026-12-07 08:30:00.006\tx\t\\x01\\x7F\n"},
      // Not UTF-8: a lone continuation, a cut sequence, an overlong slash, a surrogate.
      {"x", "\x80 \xE3\x81 \xC0\xAF \xED\xA0\x80",
       "2026-12-07 08:30:00.006\tx\t\\x80 \\xE3\\x81 \\xC0\\xAF \\xED\\xA0\\x80\n"},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(FormatRecordLine(At(2026, 12, 7, 8, 30, 0, 6), c.kind, c.text), c.line);
  }
  EXPECT_EQ(FormatRecordLine(At(1999, 1, 2, 23, 59, 59, 999), "k", "t"),
            "1999-01-02 23:59:59.999\tk\tt\n");
  EXPECT_EQ(RecordDate(At(2027, 2, 28, 23, 59, 59, 0)), "2027-02-28");
}

TEST(RecordLine, ParsingUndoesFormatting) {
  const std::string texts[] = {"",
                               "普通の文",
                               "tab\there\nnew\\line\r",
                               std::string("\0\x1f", 2),
                               "\xFF\xFE binary \xC3",
                               "\\x41 looks like an escape"};
  for (const std::string& text : texts) {
    const std::string line = FormatRecordLine(At(2026, 4, 1, 7, 0, 5, 120), "種類\t", text);
    ASSERT_EQ(line.find('\n'), line.size() - 1);
    auto event = ParseRecordLine(std::string_view(line).substr(0, line.size() - 1));
    ASSERT_TRUE(event) << line;
    EXPECT_EQ(event->date, "2026-04-01");
    EXPECT_EQ(event->time, "07:00:05.120");
    EXPECT_EQ(event->kind, "種類\t");
    EXPECT_EQ(event->text, text);
  }
}

TEST(RecordLine, AnOverlongTextIsCutAtACharacterAndMarked) {
  for (std::size_t extra : {0u, 1u, 2u}) {  // each alignment of a 3-byte character at the cut
    const std::string text = std::string(extra, 'a') + [] {
      std::string s;
      for (int i = 0; i < 3000; ++i)
        s += "あ";
      return s;
    }();
    const std::string line = FormatRecordLine(At(2026, 1, 1, 0, 0, 0, 0), "k", text);
    EXPECT_LE(line.size(), kRecordLineMaxBytes);
    EXPECT_GT(line.size(), kRecordLineMaxBytes - 8);
    auto event = ParseRecordLine(std::string_view(line).substr(0, line.size() - 1));
    ASSERT_TRUE(event);
    EXPECT_TRUE(event->text.ends_with("あ…"));
    EXPECT_TRUE(text.starts_with(event->text.substr(0, event->text.size() - 3)));
  }
  // Escapes are never split either.
  const std::string line =
      FormatRecordLine(At(2026, 1, 1, 0, 0, 0, 0), "k", std::string(5000, '\t'));
  EXPECT_TRUE(ParseRecordLine(std::string_view(line).substr(0, line.size() - 1)));
}

TEST(RecordLine, DamagedLinesAreRefused) {
  const std::string good = "2026-12-07 08:30:00.006\t出力オン\tok";
  ASSERT_TRUE(ParseRecordLine(good));
  const std::string bad[] = {
      "",
      "2026-12-07 08:30:00.006",            // cut after the stamp
      "2026-12-07 08:30:00.006\t出力オン",  // no text field
      "2026-12-07 08:30",
      "2026-13-07 08:30:00.006\tk\tt",  // month 13
      "2026-12-00 08:30:00.006\tk\tt",
      "2026-12-07 24:30:00.006\tk\tt",
      "2026-12-07T08:30:00.006\tk\tt",
      "2026-12-07 08:30:00,006\tk\tt",
      "2026-12-07 08:30:00.006 k\tt",
      "2026-12-07 08:30:00.006\tk\tt\tu",      // a raw tab in the text
      "2026-12-07 08:30:00.006\tk\ta\x01",     // a raw control byte
      "2026-12-07 08:30:00.006\tk\t\xE3\x81",  // cut UTF-8
      "2026-12-07 08:30:00.006\tk\t\\q",       // unknown escape
      "2026-12-07 08:30:00.006\tk\tend\\",     // lone backslash
      "2026-12-07 08:30:00.006\tk\t\\x4",      // short hex escape
      "2026-12-07 08:30:00.006\tk\t\\x4g",
      "\x7f"
      "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0\x01\0\0\0",
      good + std::string(kRecordLineMaxBytes, 'x'),  // overlong
  };
  for (const std::string& line : bad) {
    EXPECT_FALSE(ParseRecordLine(line)) << line;
  }
}

}  // namespace
}  // namespace tollvane

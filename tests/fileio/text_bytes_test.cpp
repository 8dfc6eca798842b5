// The one UTF-8 rule and the one blank rule every reader uses, and the one home-folder rule.
#include "fileio/text_bytes.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "fileio/home_folder.h"
#include "support/scoped_environment.h"

namespace tollvane {
namespace {

TEST(TextBytes, Utf8IsWellFormedOnly) {
  struct Case {
    const char* what;
    std::string bytes;
    bool valid;
    std::size_t firstLength;
  };
  // clang-format off
  const Case cases[] = {
      {"ASCII",                       "a",                    true,  1},
      {"two bytes",                   "\xC3\xA9",             true,  2},
      {"three bytes (Japanese)",      "\xE6\x97\xA5",         true,  3},
      {"four bytes",                  "\xF0\x9F\x94\x94",     true,  4},
      {"overlong two",                "\xC0\xAF",             false, 0},
      {"overlong three",              "\xE0\x80\xAF",         false, 0},
      {"overlong four",               "\xF0\x80\x80\xAF",     false, 0},
      {"surrogate",                   "\xED\xA0\x80",         false, 0},
      {"past U+10FFFF",               "\xF4\x90\x80\x80",     false, 0},
      {"lone continuation",           "\x80",                 false, 0},
      {"cut sequence",                "\xE6\x97",             false, 0},
      {"bad continuation",            "\xE6\x41\xA5",         false, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.what;
    EXPECT_EQ(IsValidUtf8("ok" + c.bytes + "ok"), c.valid) << c.what;
    EXPECT_EQ(Utf8SequenceLength(c.bytes, 0), c.firstLength) << c.what;
  }
}

TEST(TextBytes, TrimTakesBlanksFromBothEndsOnly) {
  EXPECT_EQ(Trim(" \t\r\v\f夏 休み \r\n"), "夏 休み \r\n");  // a line break is no blank
  EXPECT_EQ(Trim("\t 2026/7/20 \r"), "2026/7/20");
  EXPECT_EQ(Trim(" \t "), "");
  EXPECT_EQ(Trim("\xE3\x80\x80x"), "\xE3\x80\x80x");  // the ideographic space is text
}

// A relative or missing HOME gives the account's own home, never a folder relative to wherever
// the program was started; a relative XDG_STATE_HOME is ignored.
TEST(HomeFolder, AnAbsoluteHomeElseTheAccountsOwn) {
  const testing::ScopedEnvironment state("XDG_STATE_HOME", "relative/state");
  const testing::ScopedEnvironment home("HOME", "/home/sensei");
  EXPECT_EQ(StateFolder(), "/home/sensei/.local/state/tollvane");
  for (const char* unusable : {"relative", ""}) {
    ::setenv("HOME", unusable, 1);
    const std::string found = HomeFolder();
    EXPECT_TRUE(found.empty() || found.front() == '/') << found;
  }
}

}  // namespace
}  // namespace tollvane

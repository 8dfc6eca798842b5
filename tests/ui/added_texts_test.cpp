// Every Japanese text the program adds beyond its fixed captions, taken from the code's own
// tables and the desktop files, held against the rules of wording a program can check: the
// words to avoid, internal names only as a record line's closing "(詳細: …)", no space before a
// counter, full-width 。、？, half-width brackets and colons, an accelerator on each new menu item.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "audio/sound_texts.h"
#include "calendar/calendar_texts.h"
#include "engine/texts.h"
#include "record/record_texts.h"
#include "settings/options_texts.h"
#include "ui/window_texts.h"

namespace tollvane {
namespace {

enum class Place {
  kWindow,      // a caption, label, list or status line
  kMessage,     // a message box: whole sentences, each ending in 。
  kErrorBox,    // one sentence without 。; the box adds its own full stop
  kRecordLine,  // sentences ending in 。, an internal name at most in a closing "(詳細: …)"
  kPart,        // a piece of a window text or line, checked for words and spacing only
  kRecordPart,  // a piece of a record line, which may carry the "(詳細: …)"
  kMenuItem,
};

struct Text {
  std::string text;
  Place place;
  std::string table;
};

template <std::size_t N>
void Add(std::vector<Text>& all, const char* const (&table)[N], Place place, const char* name) {
  for (const char* text : table)
    all.push_back({text, place, name});
}

std::string ReadSource(const std::string& relative) {
  std::ifstream in(std::string(TOLLVANE_SOURCE_DIR) + "/" + relative);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The Japanese of the desktop entry ("Key[ja]=…") and of the metainfo (xml:lang="ja").
void AddDesktopTexts(std::vector<Text>& all) {
  const std::string entry = ReadSource("packaging/desktop/tollvane.desktop");
  const std::regex entryLine(R"((\w+)\[ja\]=([^\n]*))");
  for (std::sregex_iterator m(entry.begin(), entry.end(), entryLine), end; m != end; ++m)
    all.push_back({(*m)[2], Place::kWindow, "tollvane.desktop " + (*m)[1].str()});
  const std::string metainfo = ReadSource("packaging/desktop/org.tollvane.Tollvane.metainfo.xml");
  const std::regex element(R"re(<(\w+) xml:lang="ja">([^<]*)<)re");
  for (std::sregex_iterator m(metainfo.begin(), metainfo.end(), element), end; m != end; ++m)
    all.push_back({(*m)[2], Place::kWindow, "metainfo " + (*m)[1].str()});
}

std::vector<Text> AllAddedTexts() {
  std::vector<Text> all;
  Add(all, text::line::kRecordLines, Place::kRecordLine, "engine lines");
  Add(all, text::line::kRecordLineParts, Place::kRecordPart, "engine line parts");
  Add(all, text::calendar::kWindowTexts, Place::kWindow, "calendar window texts");
  Add(all, text::calendar::kMessages, Place::kMessage, "calendar messages");
  Add(all, text::calendar::kMessageParts, Place::kPart, "calendar message parts");
  Add(all, text::sound::kErrorBoxTexts, Place::kErrorBox, "sound errors");
  Add(all, text::record_texts::kRecordLines, Place::kRecordLine, "record's own lines");
  Add(all, text::record_texts::kMessages, Place::kRecordLine, "record's messages");
  Add(all, text::record_texts::kWindowTexts, Place::kWindow, "record window summary");
  Add(all, text::options::kRecordLines, Place::kRecordLine, "option lines");
  Add(all, text::options::kRecordLineParts, Place::kPart, "option names");
  Add(all, text::window::kMenuItems, Place::kMenuItem, "menu items");
  Add(all, text::window::kWindowTexts, Place::kWindow, "window texts");
  Add(all, text::window::kRecordLines, Place::kRecordLine, "window record lines");
  AddDesktopTexts(all);
  return all;
}

constexpr std::string_view kDetailOpen = "(詳細: ";

// A record line's text before its closing "(詳細: …)", which alone may name internals.
std::string MainSentence(const Text& t) {
  const bool mayHaveDetail = t.place == Place::kRecordLine || t.place == Place::kRecordPart;
  const std::size_t at = t.text.rfind(kDetailOpen);
  if (mayHaveDetail && at != std::string::npos && t.text.back() == ')')
    return t.text.substr(0, at);
  return t.text;
}

// Each rule: what it forbids, and a pattern over the UTF-8 bytes of the text it looks at.
struct Rule {
  const char* what;
  const char* pattern;
};

// clang-format off
const Rule kWordRules[] = {
    {"チャイム表 for the schedule", "時間割|時刻表|スケジュール"},
    {"チャイム for one bell time", "ベル|スロット"},
    {"音N for a sound number", "サウンド([0-9]|%d)"},
    {"サウンドファイル for a sound file", "音声"},
    {"休日 for a date without bells", "休業日|休み"},
    {"USB-IO for the board", "ボード|基板|USBIO|長報告|ポート"},
    {"出力オン/出力オフ", "出力を入れ|出力を切"},
    {"動作記録 or 記録 for the record", "ログ(?!イン|アウト)|ジャーナル"},
    {"パソコンの時計", "時刻サーバー|同期"},
    {"取り込み for importing", "インポート"},
    {"シャットダウン/ログアウト for the session's end", "システムの終了|シグナル"},
    {"a counter right after its number", "([0-9]|%d|%llu|%1) +(件|秒|分|時間|行目|行|日|回)"},
    {"full-width 、 。 ？", "[,?!]|(^|[^.])\\.(?![.A-Za-z0-9*%])"},
    {"half-width brackets and colons", "（|）|：|［|］"},
    {"no space after USB-IO or Tollvane", "USB-IO |Tollvane "},
};
// Internal names, also as words inside the main sentence of a record line.
const Rule kInternalNames[] = {
    {"timer names", "\\bTimer[0-9]\\b"},
    {"signals", "\\bSIG[A-Z]+\\b"},
    {"system services", "D-Bus|\\blogind\\b|\\bsystemd\\b"},
    {"milliseconds", "\\bms\\b"},
    {"settings keys", "\\b(AutoArm|ShowNextBell|NationalHolidays|Closed[0-9]*|Open[0-9]*|OPTION|CALENDAR)\\b"},
    {"details outside a record line", "\\(詳細:"},
};
// clang-format on

std::vector<std::string> Faults(const Text& t) {
  std::vector<std::string> faults;
  const auto check = [&](const Rule& rule, const std::string& text) {
    if (std::regex_search(text, std::regex(rule.pattern)))
      faults.push_back(rule.what);
  };
  for (const Rule& rule : kWordRules)
    check(rule, t.text);
  for (const Rule& rule : kInternalNames)
    check(rule, MainSentence(t));
  // No space before "(" after Japanese: a lead or continuation byte of UTF-8, then " (".
  for (std::size_t at = t.text.find(" ("); at != std::string::npos;
       at = t.text.find(" (", at + 1)) {
    if (at > 0 && (static_cast<unsigned char>(t.text[at - 1]) & 0x80) != 0)
      faults.push_back("no space before ( after Japanese");
  }
  const std::string main = MainSentence(t);
  const auto endsWith = [](const std::string& s, std::string_view end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
  };
  switch (t.place) {
    case Place::kMessage:
    case Place::kRecordLine:
      if (!endsWith(main, "。"))
        faults.push_back("a sentence ends in 。");
      break;
    case Place::kErrorBox:
      if (t.text.find("。") != std::string::npos)
        faults.push_back("an error box text is one sentence without 。");
      break;
    case Place::kMenuItem:
      if (!std::regex_search(t.text, std::regex(R"(\(&[A-Z0-9]\)(\.\.\.)?$)")))
        faults.push_back("a menu item ends in its accelerator (&X)");
      break;
    default:
      break;
  }
  return faults;
}

TEST(AddedTexts, FollowTheGlossary) {
  const std::vector<Text> all = AllAddedTexts();
  ASSERT_GT(all.size(), 100u);
  for (const Text& t : all) {
    for (const std::string& fault : Faults(t))
      ADD_FAILURE() << t.table << ": \"" << t.text << "\" breaks: " << fault;
  }
}

// The checks themselves, on texts that break one rule each, so none of them passes everything.
TEST(AddedTexts, EachRuleCatchesItsFault) {
  const Text broken[] = {
      {"時間割を保存しました。", Place::kRecordLine, ""},
      {"次のチャイム 8時30分 (サウンド3)", Place::kWindow, ""},
      {"長報告=成功 ポート=成功", Place::kPart, ""},
      {"鳴らせるチャイム 12 件", Place::kPart, ""},
      {"時計が 3600 秒進みました", Place::kPart, ""},
      {"強制 を鳴らしません: 休日設定", Place::kRecordLine, ""},
      {"USB-IO 出力と音声", Place::kWindow, ""},
      {"最後まで鳴りました。Timer1 (音の長さ)", Place::kRecordLine, ""},
      {"音1 長さ 1000 ms", Place::kPart, ""},
      {"終了の指示を受けました。(詳細: SIGTERM)", Place::kMessage, ""},
      {"[OPTION] AutoArm の値が読めません。", Place::kMessage, ""},
      {"表示する日：", Place::kWindow, ""},
      {"よろしいですか?", Place::kWindow, ""},
      {"動作記録", Place::kMenuItem, ""},
      {"サウンドファイルが見つかりません。", Place::kErrorBox, ""},
      {"チャイムを保存しました", Place::kRecordLine, ""},
      {"ログを開く(&L)", Place::kMenuItem, ""},
  };
  for (const Text& t : broken)
    EXPECT_FALSE(Faults(t).empty()) << t.text;
  const Text fine[] = {
      {"最後まで鳴りました。(詳細: Timer1)", Place::kRecordLine, ""},
      {"ログイン時に起動(&L)", Place::kMenuItem, ""},
      {"音%d %s を鳴らします(長さ%s)。", Place::kRecordLine, ""},
      {"休日のファイル(*.csv *.ics)", Place::kWindow, ""},
  };
  for (const Text& t : fine)
    EXPECT_EQ(Faults(t), std::vector<std::string>{}) << t.text;
}

TEST(AddedTexts, MenuFindsTheProgramByItsJapaneseWordsAndItemsHaveDistinctKeys) {
  const std::string entry = ReadSource("packaging/desktop/tollvane.desktop");
  const std::size_t line = entry.find("\nKeywords[ja]=");
  ASSERT_NE(line, std::string::npos);
  const std::string keywords = entry.substr(line, entry.find('\n', line + 1) - line);
  for (const char* keyword : {"チャイム;", "時程;", "日課;"})
    EXPECT_NE(keywords.find(keyword), std::string::npos) << keyword;

  // The accelerators of the added items differ from each other and from those of the
  // fixed items of 編集 (登録音源確認(&S), 休日設定確認(&K)).
  std::set<char> keys = {'S', 'K'};
  for (const char* item : text::window::kMenuItems) {
    const char* amp = std::strchr(item, '&');
    ASSERT_NE(amp, nullptr) << item;
    EXPECT_TRUE(keys.insert(amp[1]).second) << item;
  }
}

}  // namespace
}  // namespace tollvane

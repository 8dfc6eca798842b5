// Every Japanese text added beyond the fixed captions, from the code's own tables and the
// desktop files, held against the wording rules a program can check.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "audio/sound_texts.h"
#include "calendar/calendar_texts.h"
#include "desktop/desktop_texts.h"
#include "engine/texts.h"
#include "lifecycle/lifecycle_texts.h"
#include "plans/plan_texts.h"
#include "record/record_texts.h"
#include "settings/location_texts.h"
#include "settings/options_texts.h"
#include "ui/window_texts.h"

namespace tollvane {
namespace {

enum class Place {
  kWindow,    // captions, labels, lists, the status line; also parts of messages
  kMessage,   // a message box: sentences, the last ending in 。
  kErrorBox,  // one sentence without 。: the box adds its own full stop
  kRecord,    // sentences ending in 。; internal names only in a closing "(詳細: …)"
  kRecordPart,
  kMenuItem,
  kDetail,  // only ever inside a record line's "(詳細: …)"
};

struct Text {
  std::string text;
  Place place;
};

std::string ReadSource(const char* relative) {
  std::ifstream in(std::string(TOLLVANE_SOURCE_DIR) + "/" + relative);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<Text> AllAddedTexts() {
  std::vector<Text> all;
  const auto add = [&](const auto& table, Place place) {
    for (const char* text : table)
      all.push_back({text, place});
  };
  add(text::line::kRecordLines, Place::kRecord);
  add(text::line::kRecordLineParts, Place::kRecordPart);
  add(text::calendar::kWindowTexts, Place::kWindow);
  add(text::calendar::kMessages, Place::kMessage);
  add(text::calendar::kMessageParts, Place::kWindow);
  add(text::sound::kErrorBoxTexts, Place::kErrorBox);
  add(text::record_texts::kRecordLines, Place::kRecord);
  add(text::record_texts::kMessages, Place::kRecord);
  add(text::record_texts::kWindowTexts, Place::kWindow);
  add(text::options::kRecordLines, Place::kRecord);
  add(text::options::kRecordLineParts, Place::kWindow);
  add(text::window::kMenuItems, Place::kMenuItem);
  add(text::window::kWindowTexts, Place::kWindow);
  add(text::window::kRecordLines, Place::kRecord);
  add(text::window::kPlanWindowTexts, Place::kWindow);
  add(text::window::kPlanMessages, Place::kMessage);
  add(text::calendar::kImportMessages, Place::kMessage);
  add(text::calendar::kImportParts, Place::kWindow);
  add(text::plans::kMessages, Place::kMessage);
  add(text::plans::kMessageParts, Place::kWindow);
  add(text::lifecycle::kRecordLines, Place::kRecord);
  add(text::lifecycle::kMessages, Place::kMessage);
  add(text::lifecycle::kWindowTexts, Place::kWindow);
  add(text::lifecycle::kRecordLineParts, Place::kRecordPart);
  add(text::desktop::kWindowTexts, Place::kWindow);
  add(text::desktop::kRecordLines, Place::kRecord);
  add(text::desktop::kRecordLineParts, Place::kRecordPart);
  add(text::desktop::kDetails, Place::kDetail);
  add(text::desktop::kErrorBoxTexts, Place::kErrorBox);
  add(text::record_texts::kRecordLineParts, Place::kRecordPart);
  add(text::location::kRecordLines, Place::kRecord);
  add(text::location::kDetails, Place::kDetail);
  // The desktop entry's "Key[ja]=…" and the metainfo's xml:lang="ja" elements.
  for (const auto& [file, pattern] :
       {std::pair{"packaging/desktop/tollvane.desktop", R"(\[ja\]=([^\n]*))"},
        std::pair{"packaging/desktop/org.tollvane.Tollvane.metainfo.xml",
                  R"re(xml:lang="ja">([^<]*)<)re"}}) {
    const std::string bytes = ReadSource(file);
    const std::regex value(pattern);
    for (std::sregex_iterator m(bytes.begin(), bytes.end(), value), end; m != end; ++m)
      all.push_back({(*m)[1], Place::kWindow});
  }
  return all;
}

struct Rule {
  const char* what;
  const char* pattern;  // over the UTF-8 bytes
  bool mainSentenceOnly;
};

// clang-format off
const Rule kRules[] = {
    {"チャイム表 for the schedule", "時間割|時刻表|スケジュール", false},
    {"チャイム for one bell time", "ベル|スロット", false},
    {"音N for a sound number", "サウンド([0-9]|%d)", false},
    {"サウンドファイル for a sound file", "音声", false},
    {"休日 for a date without bells", "休業日|休み", false},
    {"USB-IO for the board", "ボード|基板|USBIO|長報告|ポート", false},
    {"出力オン/出力オフ", "出力を入れ|出力を切", false},
    {"動作記録 for the record", "ログ(?!イン|アウト)|ジャーナル", false},
    {"パソコンの時計", "時刻サーバー|同期", false},
    {"取り込み for importing", "インポート", false},
    {"シャットダウン/ログアウト", "システムの終了|シグナル", false},
    {"no space before a counter", "([0-9]|%d|%llu|%1) +(件|秒|分|時間|行目|行|日|回)", false},
    {"full-width 、。？", "[,?!]|(^|[^.])\\.(?![.A-Za-z0-9*%])", false},
    {"half-width brackets and colons", "（|）|：", false},
    {"no space after USB-IO or Tollvane", "USB-IO |Tollvane ", false},
    {"no space before ( after Japanese", "[\\x80-\\xff] \\(", false},
    {"internal names only as details", "\\b(Timer[0-9]|SIG[A-Z]+|logind|systemd|ms|AutoArm|"
     "ShowNextBell|NationalHolidays|Closed[0-9]*|Open[0-9]*|OPTION|CALENDAR)\\b|D-Bus|\\(詳細:",
     true},
};
// clang-format on

std::vector<std::string> Faults(const Text& t) {
  // A record line's closing "(詳細: …)" alone may name internals.
  std::string main = t.text;
  const std::size_t detail = main.rfind("(詳細: ");
  if ((t.place == Place::kRecord || t.place == Place::kRecordPart) && detail != std::string::npos &&
      main.back() == ')')
    main.resize(detail);
  if (t.place == Place::kDetail)
    main.clear();
  std::vector<std::string> faults;
  for (const Rule& rule : kRules) {
    if (std::regex_search(rule.mainSentenceOnly ? main : t.text, std::regex(rule.pattern)))
      faults.push_back(rule.what);
  }
  const bool endsInFullStop = main.size() >= 3 && main.compare(main.size() - 3, 3, "。") == 0;
  if ((t.place == Place::kMessage || t.place == Place::kRecord) && !endsInFullStop)
    faults.push_back("a sentence ends in 。");
  if (t.place == Place::kErrorBox && t.text.find("。") != std::string::npos)
    faults.push_back("an error box text has no 。");
  if (t.place == Place::kMenuItem && !std::regex_search(t.text, std::regex(R"(\(&[A-Z]\)$)")))
    faults.push_back("a menu item ends in its accelerator");
  return faults;
}

TEST(AddedTexts, FollowTheGlossary) {
  const std::vector<Text> all = AllAddedTexts();
  ASSERT_GT(all.size(), 100u);
  for (const Text& t : all)
    EXPECT_EQ(Faults(t), std::vector<std::string>{}) << t.text;

  const std::string entry = ReadSource("packaging/desktop/tollvane.desktop");
  const std::size_t keywords = entry.find("\nKeywords[ja]=");
  ASSERT_NE(keywords, std::string::npos);
  for (const char* word : {"=チャイム;", ";時程;", ";日課;"})
    EXPECT_NE(entry.find(word, keywords), std::string::npos) << word;

  // Distinct accelerators, also from the fixed items 登録音源確認(&S) and 休日設定確認(&K).
  std::set<char> keys = {'S', 'K'};
  for (const char* item : text::window::kMenuItems)
    EXPECT_TRUE(keys.insert(std::strchr(item, '&')[1]).second) << item;
}

// Each rule on a text that breaks it, and texts the rules must let pass.
TEST(AddedTexts, EachRuleCatchesItsFault) {
  const Text broken[] = {
      {"時間割を保存しました。", Place::kRecord},
      {"次のチャイム 8時30分(サウンド3)", Place::kWindow},
      {"長報告=成功", Place::kRecordPart},
      {"鳴らせるチャイム 12 件", Place::kWindow},
      {"強制 を鳴らしません: 休日設定", Place::kRecord},
      {"USB-IO 出力と音声", Place::kWindow},
      {"最後まで鳴りました。Timer1(音の長さ)", Place::kRecord},
      {"長さ1000 ms", Place::kRecordPart},
      {"終了します。(詳細: SIGTERM)", Place::kMessage},
      {"本日は鳴りません (元日)", Place::kWindow},
      {"表示する日：", Place::kWindow},
      {"よろしいですか?", Place::kWindow},
      {"動作記録", Place::kMenuItem},
      {"見つかりません。", Place::kErrorBox},
      {"ログを開く(&L)", Place::kMenuItem},
      {"ボードが応答しません", Place::kDetail},
  };
  for (const Text& t : broken)
    EXPECT_FALSE(Faults(t).empty()) << t.text;
  const Text fine[] = {
      {"最後まで鳴りました。(詳細: Timer1)", Place::kRecord},
      {"ログイン時に起動(&L)", Place::kMenuItem},
      {"音%d %s を鳴らします(長さ%s)。", Place::kRecord},
      {"取り込み...", Place::kWindow},
      {"休日のファイル(*.csv *.ics)", Place::kWindow},
      {"logind の応答: %s %s", Place::kDetail},
  };
  for (const Text& t : fine)
    EXPECT_EQ(Faults(t), std::vector<std::string>{}) << t.text;
}

}  // namespace
}  // namespace tollvane

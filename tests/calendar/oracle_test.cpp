// Every day from 1970 to 2050 against an independent table of Japan's holidays (the npm
// package @holiday-jp/holiday_jp, pinned in oracle/package-lock.json). The dates must agree
// exactly; the names agree after the table's own naming is mapped onto ours:
// - the table names a substitute day "<holiday> 振替休日", we say "振替休日";
// - it names a day between two holidays "休日", we say "国民の休日";
// - it names the 2019 imperial days "休日（祝日扱い）", we give their own names;
// - it calls 2019's sports day "体育の日（スポーツの日）"; the new name applied from 2020;
// - it shortens the 1989 and 1993 imperial days' names.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "calendar/civil_date.h"
#include "calendar/national_holidays.h"

namespace tollvane {
namespace {

std::string OracleName(const std::string& date, std::string name) {
  static const std::map<std::string, std::string> kSpecial = {
      {"2019/05/01", "天皇の即位の日"},
      {"2019/10/22", "即位礼正殿の儀"},
      {"2019/10/14", "体育の日"},
      {"1989/02/24", "昭和天皇の大喪の礼"},
      {"1993/06/09", "皇太子徳仁親王の結婚の儀"},
  };
  if (const auto special = kSpecial.find(date); special != kSpecial.end()) {
    return special->second;
  }
  constexpr std::string_view kSubstitute = " 振替休日";
  if (name.ends_with(kSubstitute)) {
    return "振替休日";
  }
  return name == "休日" ? "国民の休日" : name;
}

TEST(NationalHolidayOracle, EveryDayFrom1970To2050) {
  const std::string dir = ORACLE_DIR;
  std::ifstream table(dir + "/holidays.tsv");
  if (!table) {
    std::ifstream why(dir + "/unavailable.txt");
    std::stringstream reason;
    reason << why.rdbuf();
    GTEST_SKIP() << "the holiday table could not be fetched: "
                 << (reason.str().empty() ? "the fetch step did not run" : reason.str());
  }
  std::map<CivilDate, std::string> expected;
  for (std::string line; std::getline(table, line);) {
    const std::size_t tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos) << line;
    const auto date = ParseDate(line.substr(0, tab));
    ASSERT_TRUE(date) << line;
    expected[*date] = OracleName(line.substr(0, tab), line.substr(tab + 1));
  }
  ASSERT_GT(expected.size(), 1300u) << "the table looks truncated";

  int differences = 0;
  for (CivilDate date{1970, 1, 1}; date <= CivilDate{2050, 12, 31}; date = AddDays(date, 1)) {
    const auto ours = JapaneseNationalHoliday(date.year, date.month, date.day);
    const auto theirs = expected.find(date);
    const std::string oursText = ours ? std::string(*ours) : "-";
    const std::string theirsText = theirs != expected.end() ? theirs->second : "-";
    if (oursText != theirsText && ++differences <= 20) {
      ADD_FAILURE() << FormatDate(date) << ": ours " << oursText << ", table " << theirsText;
    }
  }
  EXPECT_EQ(differences, 0);
}

}  // namespace
}  // namespace tollvane

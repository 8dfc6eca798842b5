#include "calendar/national_holidays.h"

#include <gtest/gtest.h>

#include <string>

#include "calendar/civil_date.h"

namespace tollvane {
namespace {

struct Case {
  CivilDate date;
  const char* name;  // nullptr: an ordinary day
};

// clang-format off
const Case kTrickyDays[] = {
    // Substitutes: the old rule only the Monday, the 2007 rule past further holidays.
    {{1973, 2, 12}, nullptr},            // a Sunday holiday before the 1973 amendment
    {{1973, 4, 30}, "振替休日"},          // the first substitute day
    {{2006, 5, 4}, "国民の休日"},
    {{2008, 5, 6}, "振替休日"},           // Sunday 5/4, past Monday 5/5
    {{2019, 5, 6}, "振替休日"},
    {{2020, 5, 6}, "振替休日"},           // Sunday 5/3, past 5/4 and 5/5
    {{2012, 1, 2}, "振替休日"},
    // Days between two holidays.
    {{1986, 5, 4}, nullptr},             // a Sunday under the old rule
    {{1988, 5, 4}, "国民の休日"},
    {{1992, 5, 4}, "振替休日"},           // the substitute wins over the between-day rule
    {{2009, 9, 22}, "国民の休日"},         // a September between-day
    {{2015, 9, 22}, "国民の休日"},
    {{2026, 9, 22}, "国民の休日"},
    {{2019, 4, 30}, "国民の休日"},
    {{2019, 5, 2}, "国民の休日"},
    // The one-off and moved days.
    {{1959, 4, 10}, "皇太子明仁親王の結婚の儀"},
    {{1989, 2, 24}, "昭和天皇の大喪の礼"},
    {{1990, 11, 12}, "即位礼正殿の儀"},
    {{1993, 6, 9}, "皇太子徳仁親王の結婚の儀"},
    {{2019, 5, 1}, "天皇の即位の日"},
    {{2019, 10, 22}, "即位礼正殿の儀"},
    {{2019, 12, 23}, nullptr},           // no emperor's birthday in 2019
    {{2019, 2, 23}, nullptr},
    {{2020, 7, 23}, "海の日"},
    {{2020, 7, 24}, "スポーツの日"},
    {{2020, 8, 10}, "山の日"},
    {{2020, 10, 12}, nullptr},
    {{2021, 7, 22}, "海の日"},
    {{2021, 7, 23}, "スポーツの日"},
    {{2021, 8, 8}, "山の日"},
    {{2021, 8, 9}, "振替休日"},
    {{2021, 7, 19}, nullptr},            // the third Monday, moved that year
    // Renamed and moved holidays at their boundaries.
    {{1988, 4, 29}, "天皇誕生日"},
    {{1989, 4, 29}, "みどりの日"},
    {{2007, 4, 29}, "昭和の日"},
    {{2007, 5, 4}, "みどりの日"},
    {{1999, 1, 15}, "成人の日"},
    {{2000, 1, 10}, "成人の日"},         // second Monday from 2000
    {{2000, 1, 15}, nullptr},
    {{1995, 7, 20}, nullptr},            // before the sea day
    {{1996, 7, 20}, "海の日"},
    {{2003, 7, 21}, "海の日"},
    {{2003, 9, 15}, "敬老の日"},
    {{2015, 8, 11}, nullptr},            // before the mountain day
    {{2016, 8, 11}, "山の日"},
    {{2019, 10, 14}, "体育の日"},
    {{2022, 10, 10}, "スポーツの日"},
    {{1966, 9, 15}, "敬老の日"},
    {{1966, 2, 11}, nullptr},
    {{1967, 2, 11}, "建国記念の日"},
    // Equinoxes on both sides of the formula's 1980 seam and far ahead.
    {{1979, 9, 24}, "秋分の日"},
    {{1980, 9, 23}, "秋分の日"},
    {{2012, 9, 22}, "秋分の日"},
    {{2025, 3, 20}, "春分の日"},
    // The law and the calendar's edges.
    {{1948, 7, 19}, nullptr},
    {{1948, 9, 23}, "秋分の日"},
    {{1948, 1, 1}, nullptr},
    {{2024, 2, 29}, nullptr},
    {{2023, 2, 29}, nullptr},            // impossible date
    {{2024, 13, 1}, nullptr},
};
// clang-format on

TEST(JapaneseNationalHoliday, TrickyDays) {
  for (const Case& c : kTrickyDays) {
    const auto name = JapaneseNationalHoliday(c.date.year, c.date.month, c.date.day);
    if (c.name == nullptr) {
      EXPECT_FALSE(name) << FormatDate(c.date) << " gave " << *name;
    } else {
      EXPECT_EQ(name.value_or("-"), c.name) << FormatDate(c.date);
    }
  }
}

TEST(JapaneseNationalHoliday, EveryYearHasItsFixedDaysAndNoHolidayOutsideTheLaw) {
  for (int year = 1949; year <= 2200; ++year) {
    EXPECT_EQ(JapaneseNationalHoliday(year, 1, 1).value_or("-"), "元日") << year;
    EXPECT_EQ(JapaneseNationalHoliday(year, 11, 3).value_or("-"), "文化の日") << year;
  }
  for (CivilDate d{1900, 1, 1}; d < CivilDate{1948, 7, 20}; d = AddDays(d, 1)) {
    ASSERT_FALSE(JapaneseNationalHoliday(d.year, d.month, d.day)) << FormatDate(d);
  }
}

TEST(CivilDate, ArithmeticWeekdaysAndText) {
  EXPECT_EQ(Weekday({1970, 1, 1}), 5);  // Thursday
  EXPECT_EQ(Weekday({2026, 12, 6}), kSunday);
  EXPECT_EQ(AddDays({2024, 2, 28}, 1), (CivilDate{2024, 2, 29}));
  EXPECT_EQ(AddDays({2100, 2, 28}, 1), (CivilDate{2100, 3, 1}));
  EXPECT_EQ(AddDays({1969, 12, 31}, 1), (CivilDate{1970, 1, 1}));
  for (int64_t days = -800000; days <= 800000; days += 997) {
    ASSERT_EQ(DaysFromCivil(CivilFromDays(days)), days);
  }
  struct {
    const char* text;
    std::optional<CivilDate> date;
  } const kTexts[] = {
      {"2026/1/5", CivilDate{2026, 1, 5}}, {"2026/01/05", CivilDate{2026, 1, 5}},
      {"2026/2/29", std::nullopt},         {"26/1/5", std::nullopt},
      {"2026/1/5 ", std::nullopt},         {"2026/-1/5", std::nullopt},
      {"2026/1/", std::nullopt},           {"2026-01-05", std::nullopt},
  };
  for (const auto& t : kTexts) {
    EXPECT_EQ(ParseDate(t.text), t.date) << t.text;
  }
  EXPECT_EQ(FormatDate({2026, 1, 5}), "2026/01/05");
}

}  // namespace
}  // namespace tollvane

#include "calendar/national_holidays.h"

#include <cmath>

#include "calendar/civil_date.h"

namespace tollvane {
namespace {

constexpr CivilDate kLawInForce{1948, 7, 20};
// The 1973 amendment: a holiday on a Sunday moves to the Monday.
constexpr CivilDate kSubstituteFrom{1973, 4, 12};
// The 1985 amendment: a day between two holidays is a holiday too.
constexpr CivilDate kBetweenFrom{1985, 12, 27};
// The 2005 amendment, in force 2007: the substitute passes over further holidays, and a day
// between two holidays no longer needs to be other than a Sunday.
constexpr CivilDate kAmendment2007{2007, 1, 1};

int NthMonday(int32_t year, int32_t month, int n) {
  const int first = Weekday({year, month, 1});
  const int firstMonday = 1 + (kMonday - first + 7) % 7;
  return firstMonday + 7 * (n - 1);
}

// The usual approximation of the equinox days in Japan Standard Time; the years before 1980
// count their leap days from 1983, and the integer division truncates as the formula intends.
std::optional<int> EquinoxDay(int32_t year, bool spring) {
  double base = 0;
  int leapDays = 0;
  if (year >= 1900 && year <= 1979) {
    base = spring ? 20.8357 : 23.2588;
    leapDays = (year - 1983) / 4;
  } else if (year >= 1980 && year <= 2099) {
    base = spring ? 20.8431 : 23.2488;
    leapDays = (year - 1980) / 4;
  } else if (year >= 2100 && year <= 2150) {
    base = spring ? 21.8510 : 24.2488;
    leapDays = (year - 1980) / 4;
  } else {
    return std::nullopt;
  }
  return static_cast<int>(std::floor(base + 0.242194 * (year - 1980) - leapDays));
}

bool IsEquinox(int32_t year, int32_t day, bool spring) {
  const std::optional<int> equinox = EquinoxDay(year, spring);
  return equinox && *equinox == day;
}

// The named holidays ("国民の祝日") and the one-off imperial days, which their special laws
// count as named holidays for the substitute and between-day rules.
std::optional<std::string_view> NamedHoliday(CivilDate date) {
  if (date < kLawInForce) {
    return std::nullopt;
  }
  const int32_t y = date.year;
  const int32_t d = date.day;
  switch (date.month) {
    case 1:
      if (d == 1)
        return "元日";
      if (y <= 1999 ? d == 15 : d == NthMonday(y, 1, 2))
        return "成人の日";
      break;
    case 2:
      if (d == 11 && y >= 1967)
        return "建国記念の日";
      if (d == 23 && y >= 2020)
        return "天皇誕生日";
      if (y == 1989 && d == 24)
        return "昭和天皇の大喪の礼";
      break;
    case 3:
      if (IsEquinox(y, d, true))
        return "春分の日";
      break;
    case 4:
      if (d == 29) {
        if (y <= 1988)
          return "天皇誕生日";
        if (y <= 2006)
          return "みどりの日";
        return "昭和の日";
      }
      if (y == 1959 && d == 10)
        return "皇太子明仁親王の結婚の儀";
      break;
    case 5:
      if (d == 3)
        return "憲法記念日";
      if (d == 4 && y >= 2007)
        return "みどりの日";
      if (d == 5)
        return "こどもの日";
      if (y == 2019 && d == 1)
        return "天皇の即位の日";
      break;
    case 6:
      if (y == 1993 && d == 9)
        return "皇太子徳仁親王の結婚の儀";
      break;
    case 7:
      // The 2020 and 2021 holidays moved around the Olympic Games.
      if (y == 2020) {
        if (d == 23)
          return "海の日";
        if (d == 24)
          return "スポーツの日";
      } else if (y == 2021) {
        if (d == 22)
          return "海の日";
        if (d == 23)
          return "スポーツの日";
      } else if (y >= 1996 && y <= 2002 && d == 20) {
        return "海の日";
      } else if (y >= 2003 && d == NthMonday(y, 7, 3)) {
        return "海の日";
      }
      break;
    case 8:
      if (y >= 2016 && d == (y == 2020 ? 10 : y == 2021 ? 8 : 11))
        return "山の日";
      break;
    case 9:
      if (y >= 1966 && (y <= 2002 ? d == 15 : d == NthMonday(y, 9, 3)))
        return "敬老の日";
      if (IsEquinox(y, d, false))
        return "秋分の日";
      break;
    case 10:
      if (y >= 1966 && y <= 1999 && d == 10)
        return "体育の日";
      if (y >= 2000 && y <= 2019 && d == NthMonday(y, 10, 2))
        return "体育の日";
      if (y >= 2022 && d == NthMonday(y, 10, 2))
        return "スポーツの日";
      if (y == 2019 && d == 22)
        return "即位礼正殿の儀";
      break;
    case 11:
      if (d == 3)
        return "文化の日";
      if (d == 23)
        return "勤労感謝の日";
      if (y == 1990 && d == 12)
        return "即位礼正殿の儀";
      break;
    case 12:
      if (d == 23 && y >= 1989 && y <= 2018)
        return "天皇誕生日";
      break;
    default:
      break;
  }
  return std::nullopt;
}

bool IsSubstituteHoliday(CivilDate date) {
  if (date < kAmendment2007) {
    const CivilDate before = AddDays(date, -1);
    return before >= kSubstituteFrom && Weekday(before) == kSunday && NamedHoliday(before);
  }
  // The first day after a Sunday holiday that is not itself a named holiday.
  for (CivilDate before = AddDays(date, -1); NamedHoliday(before); before = AddDays(before, -1)) {
    if (Weekday(before) == kSunday) {
      return true;
    }
  }
  return false;
}

bool IsBetweenHolidays(CivilDate date) {
  if (date < kBetweenFrom) {
    return false;
  }
  if (date < kAmendment2007 && Weekday(date) == kSunday) {
    return false;
  }
  return NamedHoliday(AddDays(date, -1)) && NamedHoliday(AddDays(date, 1));
}

}  // namespace

std::optional<std::string_view> JapaneseNationalHoliday(int32_t year, int32_t month, int32_t day) {
  if (!IsValidDate(year, month, day)) {
    return std::nullopt;
  }
  const CivilDate date{year, month, day};
  if (const auto name = NamedHoliday(date)) {
    return name;
  }
  if (date < kLawInForce) {
    return std::nullopt;
  }
  // Before 2007 the between-day rule excluded substitute days, so the substitute comes first.
  if (IsSubstituteHoliday(date)) {
    return "振替休日";
  }
  if (IsBetweenHolidays(date)) {
    return "国民の休日";
  }
  return std::nullopt;
}

}  // namespace tollvane

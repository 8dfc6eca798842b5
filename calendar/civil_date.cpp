#include "calendar/civil_date.h"

#include <charconv>
#include <cstdio>

#include "engine/texts.h"

namespace tollvane {

bool IsValidDate(int32_t year, int32_t month, int32_t day) {
  if (month < 1 || month > 12 || day < 1) {
    return false;
  }
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const int last = month == 2 && leap ? 29 : kDays[month - 1];
  return day <= last;
}

// The era-based conversion (400-year cycles of 146097 days), exact for every int32 year.
int64_t DaysFromCivil(CivilDate date) {
  const int64_t y = static_cast<int64_t>(date.year) - (date.month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t mp = (date.month + 9) % 12;
  const int64_t doy = (153 * mp + 2) / 5 + date.day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  return {static_cast<int32_t>(year), static_cast<int32_t>(month), static_cast<int32_t>(day)};
}

int Weekday(CivilDate date) {
  // 1970-01-01 was a Thursday (5).
  const int64_t days = DaysFromCivil(date);
  const int64_t fromSunday = ((days + 4) % 7 + 7) % 7;
  return static_cast<int>(fromSunday) + 1;
}

std::string_view WeekdayName(int weekday) {
  static constexpr std::string_view kNames[8] = {"", "日", "月", "火", "水", "木", "金", "土"};
  return weekday >= 1 && weekday <= 7 ? kNames[weekday] : kNames[0];
}

namespace {

// Digits only (no sign, no blanks), at least minDigits and at most maxDigits of them.
std::optional<int32_t> Digits(std::string_view text, std::size_t minDigits, std::size_t maxDigits) {
  if (text.size() < minDigits || text.size() > maxDigits) {
    return std::nullopt;
  }
  for (char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
  }
  int32_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

}  // namespace

std::optional<CivilDate> ParseDate(std::string_view text) {
  const std::size_t first = text.find('/');
  if (first == std::string_view::npos) {
    return std::nullopt;
  }
  const std::size_t second = text.find('/', first + 1);
  if (second == std::string_view::npos) {
    return std::nullopt;
  }
  const auto year = Digits(text.substr(0, first), 4, 4);
  const auto month = Digits(text.substr(first + 1, second - first - 1), 1, 2);
  const auto day = Digits(text.substr(second + 1), 1, 2);
  if (!year || !month || !day || !IsValidDate(*year, *month, *day)) {
    return std::nullopt;
  }
  return CivilDate{*year, *month, *day};
}

std::string ShownDate(CivilDate date) {
  return text::Formatted(text::kWindowDate, static_cast<int>(date.year),
                         static_cast<int>(date.month), static_cast<int>(date.day),
                         std::string(WeekdayName(Weekday(date))).c_str());
}

std::string FormatDate(CivilDate date) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d", static_cast<int>(date.year),
                static_cast<int>(date.month), static_cast<int>(date.day));
  return text;
}

}  // namespace tollvane

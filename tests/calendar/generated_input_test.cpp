// Generated holiday files: whatever a file holds, a reader returns days or one error, never
// both, never a crash; and a day it returns is a real date.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "calendar/day_import.h"

namespace tollvane {
namespace {

// Mostly well-formed files with now and then a broken, cut or foreign line.
class FileGenerator {
 public:
  explicit FileGenerator(unsigned seed) : random_(seed) {}

  std::string csv() {
    std::string out = pick(1) ? "\xEF\xBB\xBF" : "";
    const int lines = pick(12);
    for (int i = 0; i < lines; ++i) {
      out += pick(9) > 0 ? std::to_string(1990 + pick(60)) + "/" + std::to_string(pick(13)) + "/" +
                               std::to_string(pick(32)) + "," + Name()
                         : Broken();
      out += pick(1) ? "\r\n" : "\n";
    }
    return out;
  }

  std::string ics() {
    static const char* const kProperties[] = {
        "DTEND;VALUE=DATE:20260603",
        "DTEND;VALUE=DATE:20250101",
        "RRULE:FREQ=YEARLY",

        "RRULE:FREQ=YEARLY;COUNT=3",
        "EXDATE;VALUE=DATE:20270601",
        "RECURRENCE-ID;VALUE=DATE:20270601",
        "UID:1",
        "STATUS:CANCELLED",
        "DURATION:P3D",
        "DURATION:-P1D",
        "DTSTART;TZID=Asia/Tokyo:20260601T100000",
        "RRULE:FREQ=YEARLY;UNTIL=20000101",
        "SUMMARY:行事\\n二行目",
    };
    std::string out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    const int events = pick(6);
    for (int e = 0; e < events; ++e) {
      out += "BEGIN:VEVENT\r\n";
      out += pick(5) > 0 ? "DTSTART;VALUE=DATE:20" + std::to_string(10 + pick(30)) + "0" +
                               std::to_string(1 + pick(8)) + std::to_string(10 + pick(18))
                         : std::string(pick(1) ? "DTSTART:20260601T100000" : "DTSTART:x");
      out += "\r\n";
      for (int i = pick(4); i > 0; --i) {
        out += std::string(kProperties[pick(std::size(kProperties) - 1)]) + "\r\n";
      }
      if (pick(15) == 0) {
        out += Broken() + "\r\n";
      }
      out += pick(30) > 0 ? "END:VEVENT\r\n" : "";
    }
    return out + (pick(20) > 0 ? "END:VCALENDAR\r\n" : "");
  }

 private:
  int pick(int high) { return std::uniform_int_distribution<int>(0, high)(random_); }
  std::string Name() {
    static const char* const kNames[] = {"元日", "\"振替休日\"", "", "a,b", "\x8C\xB3\x93\xFA"};
    return kNames[pick(std::size(kNames) - 1)];
  }
  std::string Broken() {
    static const char* const kBroken[] = {"\xFF\xFE", "2024/1", ",", "\"", "END:VEVENT", "\x82"};
    return kBroken[pick(std::size(kBroken) - 1)];
  }
  std::mt19937 random_;
};

TEST(GeneratedDayFiles, DaysOrOneErrorNeverBoth) {
  FileGenerator generate(20260401);
  for (int run = 0; run < 3000; ++run) {
    const std::string bytes = run % 2 == 0 ? generate.ics() : generate.csv();
    const ImportOutcome outcome = ReadDayFile(bytes, {2040, 12, 31});
    ASSERT_EQ(outcome.ok, outcome.error.empty()) << bytes;
    ASSERT_EQ(outcome.ok, !outcome.days.empty()) << bytes;
    for (const NamedDay& day : outcome.days) {
      ASSERT_TRUE(IsValidDate(day.date)) << bytes;
      ASSERT_EQ(day.name.find_first_of("\r\n"), std::string::npos) << bytes;
    }
  }
}

}  // namespace
}  // namespace tollvane

#include "schedule/tabs.h"

#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <string>

#include "engine/errors.h"
#include "support/fakes.h"

namespace tollvane {
namespace {

using testing::MapPageTexts;

constexpr BellSlot kGuard{-777, -777, -777};

WeekSchedule Guarded() {
  WeekSchedule schedule;
  for (auto& timetable : schedule.timetables) {
    timetable.fill(kGuard);
  }
  return schedule;
}

bool SameSlot(const BellSlot& a, const BellSlot& b) {
  return a.hour == b.hour && a.minute == b.minute && a.sound == b.sound;
}

void SetSlot(MapPageTexts& texts, int t, int n, const std::string& hour, const std::string& minute,
             const std::string& sound) {
  texts.setText(DropDownName(t, n, SlotField::Hour), hour);
  texts.setText(DropDownName(t, n, SlotField::Minute), minute);
  texts.setText(DropDownName(t, n, SlotField::Sound), sound);
}

TEST(DropDownNames, PrefixTwoDigitSlotAndKind) {
  EXPECT_EQ(DropDownName(2, 1, SlotField::Hour), "mo01ji");
  EXPECT_EQ(DropDownName(2, 1, SlotField::Minute), "mo01fu");
  EXPECT_EQ(DropDownName(2, 1, SlotField::Sound), "mo01snd");
  EXPECT_EQ(DropDownName(1, 10, SlotField::Minute), "su10fu");
  EXPECT_EQ(DropDownName(7, 9, SlotField::Sound), "sa09snd");
  EXPECT_EQ(DropDownName(8, 24, SlotField::Sound), "ak24snd");
  EXPECT_THROW(DropDownName(0, 1, SlotField::Hour), std::out_of_range);
  EXPECT_THROW(DropDownName(9, 1, SlotField::Hour), std::out_of_range);
  EXPECT_THROW(DropDownName(1, 0, SlotField::Hour), std::out_of_range);
  EXPECT_THROW(DropDownName(1, 25, SlotField::Hour), std::out_of_range);
}

TEST(GatherTab, ConvertsTypedTextsAsTheOperatorExpects) {
  MapPageTexts texts;
  SetSlot(texts, 3, 1, "8", "30", "");    // empty sound is 1
  SetSlot(texts, 3, 2, "9", "0", "0");    // sound 0 is 1
  SetSlot(texts, 3, 3, "25", "7", "11");  // no range check
  SetSlot(texts, 3, 4, " 9", "5", "2");   // leading blank
  SetSlot(texts, 3, 5, "", "30", "3");    // no hour, minute kept
  SetSlot(texts, 3, 6, "8", "", "4");     // no minute
  SetSlot(texts, 3, 7, "00", "00", "00");
  SetSlot(texts, 3, 8, "-3", "$A", "-1");
  WeekSchedule schedule = Guarded();
  GatherTab(schedule, texts, 3);
  EXPECT_TRUE(SameSlot(schedule.at(3, 1), {8, 30, 1}));
  EXPECT_TRUE(SameSlot(schedule.at(3, 2), {9, 0, 1}));
  EXPECT_TRUE(SameSlot(schedule.at(3, 3), {25, 7, 11}));
  EXPECT_TRUE(SameSlot(schedule.at(3, 4), {9, 5, 2}));
  EXPECT_TRUE(SameSlot(schedule.at(3, 5), {0, 30, 3}));
  EXPECT_TRUE(SameSlot(schedule.at(3, 6), {8, 0, 4}));
  EXPECT_TRUE(SameSlot(schedule.at(3, 7), {0, 0, 1}));
  EXPECT_TRUE(SameSlot(schedule.at(3, 8), {-3, 10, -1}));
  // Untouched design-time texts: empty, empty, "1".
  EXPECT_TRUE(SameSlot(schedule.at(3, 24), {0, 0, 1}));
  // Only Tuesday changes, and the texts stay as typed.
  for (int t = 1; t <= kTimetableCount; ++t) {
    if (t != 3) {
      EXPECT_TRUE(SameSlot(schedule.at(t, 1), kGuard)) << t;
    }
  }
  EXPECT_EQ(texts.text("tu04ji"), " 9");
}

TEST(GatherTab, ConversionErrorKeepsExactlyTheFieldsBeforeIt) {
  for (const std::string bad : {"9 ", "９", " ", "abc"}) {
    MapPageTexts texts;
    for (int n = 1; n <= kSlotsPerTimetable; ++n) {
      SetSlot(texts, 8, n, "10", std::to_string(n), "2");
    }
    texts.setText("ak05fu", bad);
    WeekSchedule schedule = Guarded();
    try {
      GatherTab(schedule, texts, 8);
      ADD_FAILURE() << "gathered '" << bad << "'";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()), "'" + bad + "' は整数ではありません");
    }
    for (int n = 1; n <= 4; ++n) {
      EXPECT_TRUE(SameSlot(schedule.at(8, n), {10, n, 2})) << n;
    }
    EXPECT_EQ(schedule.at(8, 5).hour, 10);
    EXPECT_EQ(schedule.at(8, 5).minute, kGuard.minute);
    EXPECT_EQ(schedule.at(8, 5).sound, kGuard.sound);
    for (int n = 6; n <= kSlotsPerTimetable; ++n) {
      EXPECT_TRUE(SameSlot(schedule.at(8, n), kGuard)) << n;
    }
  }
}

TEST(GatherAllTabs, ErrorOnTuesdayLeavesMondayDoneAndLaterPagesUntouched) {
  MapPageTexts texts;
  for (int t = 1; t <= kTimetableCount; ++t) {
    for (int n = 1; n <= kSlotsPerTimetable; ++n) {
      SetSlot(texts, t, n, std::to_string(t + 7), std::to_string(n), "3");
    }
  }
  texts.setText("tu10snd", "x");
  WeekSchedule schedule = Guarded();
  EXPECT_THROW(GatherAllTabs(schedule, texts), ConversionError);
  for (int n = 1; n <= kSlotsPerTimetable; ++n) {
    EXPECT_TRUE(SameSlot(schedule.at(2, n), {9, n, 3})) << n;
  }
  for (int n = 1; n <= 9; ++n) {
    EXPECT_TRUE(SameSlot(schedule.at(3, n), {10, n, 3})) << n;
  }
  EXPECT_EQ(schedule.at(3, 10).hour, 10);
  EXPECT_EQ(schedule.at(3, 10).minute, 10);
  EXPECT_EQ(schedule.at(3, 10).sound, kGuard.sound);
  for (int n = 11; n <= kSlotsPerTimetable; ++n) {
    EXPECT_TRUE(SameSlot(schedule.at(3, n), kGuard)) << n;
  }
  // Wednesday .. Saturday, Sunday and the common page come after Tuesday.
  for (int t : {4, 5, 6, 7, 1, 8}) {
    for (int n = 1; n <= kSlotsPerTimetable; ++n) {
      EXPECT_TRUE(SameSlot(schedule.at(t, n), kGuard)) << t << "/" << n;
    }
  }
}

TEST(GatherAllTabs, GathersEveryPage) {
  MapPageTexts texts;
  for (int t = 1; t <= kTimetableCount; ++t) {
    SetSlot(texts, t, 24, std::to_string(t), "", "");
  }
  WeekSchedule schedule = Guarded();
  GatherAllTabs(schedule, texts);
  for (int t = 1; t <= kTimetableCount; ++t) {
    EXPECT_TRUE(SameSlot(schedule.at(t, 24), {t, 0, 1})) << t;
    EXPECT_TRUE(SameSlot(schedule.at(t, 1), {0, 0, 1})) << t;
  }
}

TEST(LoadTab, WritesDecimalFormsAndBlanksSlotsWithoutHour) {
  WeekSchedule schedule;
  ResetWeekSchedule(schedule);
  schedule.at(6, 1) = {8, 0, 3};
  schedule.at(6, 2) = {0, 45, 5};  // no hour: minute hidden too
  schedule.at(6, 3) = {-3, -5, 0};
  schedule.at(6, 4) = {INT32_MAX, INT32_MIN, 12};
  schedule.at(6, 5) = {18, 55, 10};
  MapPageTexts texts;
  LoadTab(schedule, texts, 6);
  auto shown = [&](int n) {
    return texts.text(DropDownName(6, n, SlotField::Hour)) + "|" +
           texts.text(DropDownName(6, n, SlotField::Minute)) + "|" +
           texts.text(DropDownName(6, n, SlotField::Sound));
  };
  EXPECT_EQ(shown(1), "8|0|3");
  EXPECT_EQ(shown(2), "||5");
  EXPECT_EQ(shown(3), "-3|-5|0");
  EXPECT_EQ(shown(4), "2147483647|-2147483648|12");
  EXPECT_EQ(shown(5), "18|55|10");
  EXPECT_EQ(shown(24), "||1");
  // Only Friday's 72 drop-downs were written.
  EXPECT_EQ(texts.texts.size(), 72u);
  for (const auto& [name, text] : texts.texts) {
    EXPECT_EQ(name.substr(0, 2), "fr");
  }
}

TEST(LoadAllTabs, ResetScheduleShowsDesignTimeTextsOnEveryPage) {
  WeekSchedule schedule;
  ResetWeekSchedule(schedule);
  MapPageTexts texts;
  for (int t = 1; t <= kTimetableCount; ++t) {
    SetSlot(texts, t, 7, "9", "15", "4");
  }
  LoadAllTabs(schedule, texts);
  EXPECT_EQ(texts.texts.size(), 576u);
  for (int t = 1; t <= kTimetableCount; ++t) {
    for (int n = 1; n <= kSlotsPerTimetable; ++n) {
      EXPECT_EQ(texts.text(DropDownName(t, n, SlotField::Hour)), "");
      EXPECT_EQ(texts.text(DropDownName(t, n, SlotField::Minute)), "");
      EXPECT_EQ(texts.text(DropDownName(t, n, SlotField::Sound)), "1");
    }
  }
}

}  // namespace
}  // namespace tollvane

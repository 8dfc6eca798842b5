#include "schedule/tabs.h"

#include <stdexcept>

#include "schedule/text_number.h"

namespace tollvane {

namespace {

// Indexed by timetable number - 1: Sunday .. Saturday, then the common page.
constexpr const char* kPagePrefix[kTimetableCount] = {"su", "mo", "tu", "we",
                                                      "th", "fr", "sa", "ak"};

void CheckTimetable(int timetable) {
  if (timetable < 1 || timetable > kTimetableCount) {
    throw std::out_of_range("timetable number " + std::to_string(timetable));
  }
}

}  // namespace

std::string DropDownName(int timetable, int slot, SlotField field) {
  CheckTimetable(timetable);
  if (slot < 1 || slot > kSlotsPerTimetable) {
    throw std::out_of_range("slot number " + std::to_string(slot));
  }
  std::string name = kPagePrefix[timetable - 1];
  name += static_cast<char>('0' + slot / 10);
  name += static_cast<char>('0' + slot % 10);
  switch (field) {
    case SlotField::Hour:
      name += "ji";
      break;
    case SlotField::Minute:
      name += "fu";
      break;
    case SlotField::Sound:
      name += "snd";
      break;
  }
  return name;
}

void GatherTab(WeekSchedule& schedule, const PageTexts& texts, int timetable) {
  CheckTimetable(timetable);
  for (int n = 1; n <= kSlotsPerTimetable; ++n) {
    // Each field lands before the next is converted: a failing drop-down leaves exactly the
    // fields before it gathered.
    BellSlot& slot = schedule.at(timetable, n);
    slot.hour = TextToNumber(texts.text(DropDownName(timetable, n, SlotField::Hour)));
    slot.minute = TextToNumber(texts.text(DropDownName(timetable, n, SlotField::Minute)));
    slot.sound = TextToSoundNumber(texts.text(DropDownName(timetable, n, SlotField::Sound)));
  }
}

void GatherAllTabs(WeekSchedule& schedule, const PageTexts& texts) {
  for (int timetable : kPageOrder) {
    GatherTab(schedule, texts, timetable);
  }
}

void LoadTab(const WeekSchedule& schedule, PageTexts& texts, int timetable) {
  CheckTimetable(timetable);
  for (int n = 1; n <= kSlotsPerTimetable; ++n) {
    const BellSlot& slot = schedule.at(timetable, n);
    texts.setText(DropDownName(timetable, n, SlotField::Hour), std::to_string(slot.hour));
    texts.setText(DropDownName(timetable, n, SlotField::Minute), std::to_string(slot.minute));
    texts.setText(DropDownName(timetable, n, SlotField::Sound), std::to_string(slot.sound));
  }
  // An hour of 0 means "no bell chosen": the page shows it, and its minute, as empty. The
  // test reads the drop-down back, as the page now shows it.
  for (int n = 1; n <= kSlotsPerTimetable; ++n) {
    const std::string hourName = DropDownName(timetable, n, SlotField::Hour);
    if (texts.text(hourName) == "0") {
      texts.setText(hourName, "");
      texts.setText(DropDownName(timetable, n, SlotField::Minute), "");
    }
  }
}

void LoadAllTabs(const WeekSchedule& schedule, PageTexts& texts) {
  for (int timetable : kPageOrder) {
    LoadTab(schedule, texts, timetable);
  }
}

}  // namespace tollvane

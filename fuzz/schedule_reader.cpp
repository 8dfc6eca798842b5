// The schedule file reader from the file's bytes to the editor's pages, in both modes. The
// first input byte picks the mode (bit 0: append) and how the pages look before the read
// (bit 1: blank instead of filled); the rest is the file.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/errors.h"
#include "engine/week_schedule.h"
#include "fuzz_check.h"
#include "schedule/schedule_file.h"
#include "schedule/tabs.h"

namespace {

using tollvane::BellSlot;
using tollvane::DropDownName;
using tollvane::kSlotsPerTimetable;
using tollvane::kTimetableCount;
using tollvane::LineBuffer;
using tollvane::ReadMode;
using tollvane::SlotField;
using tollvane::WeekSchedule;
using tollvane::fuzz::Guarded;

// The 576 drop-downs and nothing else: a read that names any other one is a fault.
class Pages : public tollvane::PageTexts {
 public:
  Pages() : texts_(Names().size()) {
    for (const auto& [name, index] : Names())
      texts_[index] = name.ends_with("snd") ? "1" : "";
  }
  std::string text(const std::string& name) const override { return texts_[IndexOf(name)]; }
  void setText(const std::string& name, const std::string& text) override {
    texts_[IndexOf(name)] = text;
  }

 private:
  static const std::unordered_map<std::string, size_t>& Names() {
    static const auto names = [] {
      std::unordered_map<std::string, size_t> all;
      for (int t = 1; t <= kTimetableCount; ++t) {
        for (int n = 1; n <= kSlotsPerTimetable; ++n) {
          for (SlotField f : {SlotField::Hour, SlotField::Minute, SlotField::Sound})
            all.emplace(DropDownName(t, n, f), all.size());
        }
      }
      return all;
    }();
    return names;
  }
  static size_t IndexOf(const std::string& name) {
    const auto it = Names().find(name);
    FUZZ_CHECK(it != Names().end());
    return it->second;
  }

  std::vector<std::string> texts_;
};

// A timetable an operator could have typed: a bell every 50 minutes from 8:30, sounds 1..10.
void FillPages(Pages& pages) {
  for (int t = 1; t <= kTimetableCount; ++t) {
    for (int n = 1; n <= 12 + t; ++n) {
      const int minutes = 8 * 60 + 30 + (n - 1) * 50 + t;
      pages.setText(DropDownName(t, n, SlotField::Hour), std::to_string(minutes / 60 % 24));
      pages.setText(DropDownName(t, n, SlotField::Minute), std::to_string(minutes % 60));
      pages.setText(DropDownName(t, n, SlotField::Sound), std::to_string((n + t) % 10 + 1));
    }
  }
}

// A week schedule as arming leaves it, so a read that forgets to reset it shows.
void FillSchedule(WeekSchedule& schedule) {
  for (int t = 1; t <= kTimetableCount; ++t) {
    for (int n = 1; n <= kSlotsPerTimetable; ++n)
      schedule.at(t, n) = BellSlot{n % 24, (n * 7 + t) % 60, t};
  }
}

bool IsReset(const WeekSchedule& schedule) {
  for (const auto& timetable : schedule.timetables) {
    for (const BellSlot& slot : timetable) {
      if (slot.hour != 0 || slot.minute != 0 || slot.sound != 1)
        return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const ReadMode mode = (data[0] & 1) != 0 ? ReadMode::Append : ReadMode::Overwrite;
  const bool blankPages = (data[0] & 2) != 0;
  const std::string path = tollvane::fuzz::WriteScratchFile("schedule.txt", data + 1, size - 1);

  Guarded<LineBuffer> lines;
  lines.value.push_back("stale line the load must clear");
  try {
    tollvane::LoadLines(lines.value, path);
  } catch (const tollvane::FileOpenError&) {
    FUZZ_CHECK(false);  // a regular file of a few kilobytes always loads
  }
  FUZZ_CHECK(lines.intact());
  // Never more lines than line breaks plus one, and no line holds a break or a NUL.
  size_t breaks = 0;
  for (size_t i = 1; i < size; ++i)
    breaks += data[i] == '\n' || data[i] == '\r';
  FUZZ_CHECK(lines.value.size() <= breaks + 1);
  for (const std::string& line : lines.value)
    FUZZ_CHECK(line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);

  Pages pages;
  if (!blankPages)
    FillPages(pages);
  Guarded<WeekSchedule> schedule;
  FillSchedule(schedule.value);
  bool complete = true;
  try {
    tollvane::ReadScheduleFile(mode, lines.value, schedule.value, pages);
  } catch (const tollvane::ConversionError&) {
    complete = false;  // the operator sees the error; what was read so far stays
  }
  FUZZ_CHECK(schedule.intact());
  if (!complete)
    return 0;
  FUZZ_CHECK(IsReset(schedule.value));

  // What the read put on the pages stores and reads back to the very same pages.
  Guarded<WeekSchedule> gathered;
  tollvane::GatherAllTabs(gathered.value, pages);
  FUZZ_CHECK(gathered.intact());
  LineBuffer stored;
  tollvane::BuildScheduleLines(gathered.value, stored);
  FUZZ_CHECK(stored.size() == 4u * kTimetableCount * kSlotsPerTimetable);
  Pages reread;
  WeekSchedule scratch;
  tollvane::ReadScheduleFile(ReadMode::Overwrite, stored, scratch, reread);
  for (int t = 1; t <= kTimetableCount; ++t) {
    for (int n = 1; n <= kSlotsPerTimetable; ++n) {
      const std::string hour = pages.text(DropDownName(t, n, SlotField::Hour));
      const std::string minute = pages.text(DropDownName(t, n, SlotField::Minute));
      const std::string sound = pages.text(DropDownName(t, n, SlotField::Sound));
      FUZZ_CHECK(reread.text(DropDownName(t, n, SlotField::Hour)) == hour);
      FUZZ_CHECK(reread.text(DropDownName(t, n, SlotField::Minute)) == minute);
      // Sound 0 is "no sound chosen", which the pages gather as sound 1.
      FUZZ_CHECK(reread.text(DropDownName(t, n, SlotField::Sound)) ==
                 (sound == "0" ? std::string("1") : sound));
    }
  }
  return 0;
}

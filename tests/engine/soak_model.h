// An independent model of what the bell engine and the editor commands must do, written from
// the rules of the program rather than from the engine's code, for the soak to compare with
// after every event.
//
// Which seconds a tick handles: the tick reads the clock once (second S). If the previous
// handled second L exists and 0 < S - L <= 10, seconds L+1 .. S are handled in order, each
// once; if S == L nothing is handled (a doubled tick); otherwise (a jump back, or forward by
// more than 10 s) S alone is handled. So a stall of up to 10 s still rings a bell exactly
// once, a forward jump over a bell's :00 or :05 loses that step, and a jump back over it
// handles the second again when the clock passes it a second time (the step happens twice,
// as on a clock set back an hour). An error raised while handling a second ends the tick
// there; that second counts as handled and the next tick goes on after it.
//
// A jump that takes the clock out of a bell's lead-in (after its output went on at :00, before
// its :05 was handled; landing within :00 .. :05 of that minute is still the lead-in) switches
// the output off at once, unless the output is already off or a sound is playing or waits in
// Timer2: that sound's end switches it off.
#pragma once

#include <time.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <vector>

#include "soak_fakes.h"

namespace tollvane::testing::soak {

inline constexpr int kTables = 8;
inline constexpr int kSlots = 24;
inline constexpr int kCommon = 8;

struct Slot {
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t sound = 1;
  bool operator==(const Slot&) const = default;
};
using Table = std::array<Slot, kSlots>;
using Week = std::array<Table, kTables>;  // index = timetable number - 1

inline Week ResetWeek() {
  return Week{};
}

// What a page shows, read back as a gather would, after the page was loaded from a slot.
inline Slot PageViewOf(const Slot& s) {
  const int32_t sound = s.sound == 0 ? 1 : s.sound;
  return s.hour == 0 ? Slot{0, 0, sound} : Slot{s.hour, s.minute, sound};
}

// A line of a generated schedule file.
enum class Field : uint8_t { Number, Empty, Bad };
struct FileRecord {
  std::array<int32_t, 4> value{};  // timetable, hour, minute, sound
  std::array<Field, 4> kind{};
};

// Parses records into a week the way a schedule file is read; false when a line does not
// convert (the fields before it stay stored).
inline bool ParseRecords(const std::vector<FileRecord>& records, Week& week) {
  std::array<int, kTables + 1> cursor;
  cursor.fill(1);
  for (const FileRecord& r : records) {
    if (r.kind[0] == Field::Bad) {
      return false;
    }
    const int32_t timetable = r.kind[0] == Field::Empty ? 0 : r.value[0];
    if (timetable < 1 || timetable > kTables || cursor[timetable] > kSlots) {
      continue;
    }
    Slot& slot = week[timetable - 1][cursor[timetable] - 1];
    int32_t* fields[3] = {&slot.hour, &slot.minute, &slot.sound};
    for (int f = 0; f < 3; ++f) {
      if (r.kind[f + 1] == Field::Bad) {
        return false;
      }
      *fields[f] = r.kind[f + 1] == Field::Empty ? 0 : r.value[f + 1];
    }
    ++cursor[timetable];
  }
  return true;
}

// A window timer: a new interval restarts a running timer, the same one does not; enabling an
// enabled timer does nothing; interval 0 never fires.
struct TimerModel {
  bool enabled = false;
  int interval = 0;
  int64_t dueAt = 0;
  void setInterval(int ms, int64_t now) {
    if (ms == interval) {
      return;
    }
    interval = ms;
    if (enabled) {
      dueAt = now + ms;
    }
  }
  void setEnabled(bool e, int64_t now) {
    if (e == enabled) {
      return;
    }
    enabled = e;
    if (e) {
      dueAt = now + interval;
    }
  }
  void fired(int64_t now) { dueAt = now + interval; }
};

struct Calendar {
  int32_t year = 0, month = 0, day = 0, weekday = 0;  // weekday 1 = Sunday
};

// Calendar fields from the C library, not from the engine's own arithmetic.
inline Calendar CalendarOfDay(int64_t dayNumber) {
  const time_t t = static_cast<time_t>(dayNumber * 86400);
  struct tm tm {};
  gmtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday + 1};
}

inline int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

struct Counters {
  int64_t bellsOn = 0;          // output switched on by a matching slot at :00
  int64_t bellsSound = 0;       // sound started (or refused to open) for a slot at :05
  int64_t bellsSuppressed = 0;  // matching slot steps on holidays or at 00:00
  int64_t bellEnds = 0;         // Timer1 or the player's end switched a bell off
  int64_t handledSeconds = 0;
  int64_t openErrors = 0;
  int64_t plannedBellSteps = 0;  // :00 and :05 steps of bells an assignment decided
};

// The day plans as the school calendar states them, for the model to apply on its own:
// - a plan entry covers its days; where entries overlap the later one counts, and an entry
//   naming a plan that does not exist counts as none;
// - on a date with a plan, the plan's bells ring; else with a swap, the armed pages of that
//   weekday (the common page too when it is Monday to Friday); else the date's own pages;
//   the date's extra bells ring on top; where several share a minute, the last of them in
//   that order (by time, stably) is the one that rings;
// - a date with any of these is a school day, but the holiday list still silences it; a
//   plan without bells and no extras is silent all day, like a holiday;
// - 00:00 always rings the pages (that is, nothing, and the nightly output-off).
struct PlanEntry {
  int64_t firstDay = 0, lastDay = 0;  // day numbers
  int plan = -1;                      // index into plans; -1: a name no plan has
};
struct SwapEntry {
  int64_t dayNumber = 0;
  int weekday = 0;
};
struct ExtraEntry {
  int64_t dayNumber = 0;
  Slot bell;
};
struct DayPlans {
  std::vector<std::vector<Slot>> plans;
  std::vector<PlanEntry> entries;
  std::vector<SwapEntry> swaps;
  std::vector<ExtraEntry> extras;
};

class Model {
 public:
  explicit Model(const SoundPool& pool) : pool_(pool) {
    soundOf.fill(0);
    holidays.fill({0, 0});
    assigned_.reserve(1024);  // before the first day, so the soak's allocation count holds
  }

  // ---- inputs the soak keeps in step with the program's data
  Week week = ResetWeek();   // the WeekSchedule
  Week pages = ResetWeek();  // what each tab page gathers to
  // Which field of a slot's row holds text that is not a number: 0 none, 1 hour, 2 minute,
  // 3 sound number. A gather stops there with the conversion error.
  std::array<std::array<uint8_t, kSlots>, kTables> badField{};
  std::array<int, kSoundTableSize> soundOf;  // pool index per sound number; 0 = empty
  int32_t holidayCount = 0;
  std::array<std::array<int32_t, 2>, kHolidayCapacity + 1> holidays;
  DayPlans dayPlans;

  // ---- observable state
  bool armed = false;
  int page = 8;
  int copySource = 0;
  bool paste1 = false;
  bool save1 = false;
  bool output = false;
  bool checkBox1 = false;
  bool button3 = false;
  bool forceStopCaption = false;
  uint8_t soundPlaying = 0;
  bool endOnPlayerEnd = false;
  TimerModel timer1;
  TimerModel timer2{false, 5000, 0};
  int memoLines = 0;

  // The CurrentClock of the latest handled second.
  int32_t hour = 0, minute = 0, second = 0;
  Calendar cal;

  CallLog expected;
  std::array<Asked, SoakPrompts::kCapacity> asked{};
  int askedCount = 0;
  Counters counters;
  int64_t now = 0;  // elapsed ms of the event being handled

  void Begin(int64_t elapsedMs) {
    now = elapsedMs;
    expected.clear();
    askedCount = 0;
  }
  void Ask(Asked kind) {
    if (askedCount < SoakPrompts::kCapacity) {
      asked[askedCount] = kind;
    }
    ++askedCount;
  }

  // ---- clock
  bool Tick(int64_t wallSecond) {
    int64_t first = wallSecond;
    if (hasLast_) {
      const int64_t behind = wallSecond - last_;
      if (behind == 0) {
        return true;
      }
      if (behind > 0 && behind <= 10) {
        first = last_ + 1;
      } else if (leadInSound_ != INT64_MIN &&
                 (wallSecond < leadInSound_ - 5 || wallSecond > leadInSound_)) {
        leadInSound_ = INT64_MIN;
        if (output && soundPlaying == 0 && !timer2.enabled) {
          OutputOff();
        }
      }
    }
    for (int64_t s = first; s <= wallSecond; ++s) {
      hasLast_ = true;
      last_ = s;
      if (s == leadInSound_) {
        leadInSound_ = INT64_MIN;
      }
      if (!HandleSecond(s)) {
        return false;
      }
    }
    return true;
  }

  bool HolidayListed() const {
    const int32_t count = std::min<int32_t>(holidayCount, kHolidayCapacity);
    for (int32_t n = 1; n <= count; ++n) {
      if (holidays[n][0] == cal.month && holidays[n][1] == cal.day) {
        return true;
      }
    }
    return false;
  }
  bool Suppressed() const { return HolidayListed() || NoChimeDay() || (hour == 0 && minute == 0); }

  // ---- day plans
  int PlanOfDay() const {
    int plan = -1;
    for (const PlanEntry& e : dayPlans.entries) {
      if (e.firstDay <= calDay_ && calDay_ <= e.lastDay) {
        plan = e.plan;  // the later entry counts
      }
    }
    return plan;
  }
  bool HasExtras() const {
    return std::any_of(dayPlans.extras.begin(), dayPlans.extras.end(),
                       [&](const ExtraEntry& e) { return e.dayNumber == calDay_; });
  }
  bool NoChimeDay() const {
    const int plan = PlanOfDay();
    return plan >= 0 && dayPlans.plans[static_cast<size_t>(plan)].empty() && !HasExtras();
  }
  // The bells of a date an assignment decides, or false for a date that rings its pages.
  bool AssignedBells(std::vector<Slot>& bells) const {
    bells.clear();
    const int plan = PlanOfDay();
    int swap = 0;
    for (const SwapEntry& e : dayPlans.swaps) {
      if (e.dayNumber == calDay_) {
        swap = e.weekday;
      }
    }
    const bool extras = HasExtras();
    if (plan < 0 && swap == 0 && !extras) {
      return false;
    }
    const auto pagesOf = [&](int weekday) {
      if (weekday >= 2 && weekday <= 6) {
        bells.insert(bells.end(), week[kCommon - 1].begin(), week[kCommon - 1].end());
      }
      bells.insert(bells.end(), week[weekday - 1].begin(), week[weekday - 1].end());
    };
    if (plan >= 0) {
      bells = dayPlans.plans[static_cast<size_t>(plan)];
    } else {
      pagesOf(swap != 0 ? swap : cal.weekday);
    }
    for (const ExtraEntry& e : dayPlans.extras) {
      if (e.dayNumber == calDay_) {
        bells.push_back(e.bell);
      }
    }
    std::stable_sort(bells.begin(), bells.end(), [](const Slot& a, const Slot& b) {
      return int64_t{a.hour} * 60 + a.minute < int64_t{b.hour} * 60 + b.minute;
    });
    return true;
  }

  // ---- bell signal
  void OutputOn() {
    if (Suppressed()) {
      return;
    }
    expected.add(Call::On, -1, false);
    output = true;
    if (!forceStopCaption) {
      button3 = true;
    }
    checkBox1 = true;
  }
  void OutputOff() {
    expected.add(Call::Off, -1, false);
    output = false;
    checkBox1 = false;
    button3 = false;
    forceStopCaption = false;
  }
  // False when the player refuses the file.
  bool PlaySound(int32_t number) {
    if (Suppressed()) {
      OutputOff();
      return true;
    }
    const int file = number >= 0 && number < kSoundTableSize ? soundOf[number] : 0;
    endOnPlayerEnd = false;
    expected.add(Call::Open, file, false);
    const PooledSound& sound = pool_[file];
    if (sound.kind == SoundKind::FailsToOpen) {
      ++counters.openErrors;
      return false;
    }
    const int length = sound.kind == SoundKind::Timed ? sound.lengthMs : 0;
    timer1.setInterval(length, now);
    timer1.setEnabled(true, now);
    // A sound without a usable length is ended by the player's end report instead.
    endOnPlayerEnd = length <= 0;
    expected.add(Call::Play, file, false);
    soundPlaying = 1;
    return true;
  }
  void StopSound() {
    expected.add(Call::Stop, -1, false);
    soundPlaying = 0;
    endOnPlayerEnd = false;
  }
  void Timer1Timer() {
    StopSound();
    OutputOff();
    timer1.setEnabled(false, now);
    ++counters.bellEnds;
  }
  bool Timer2Timer() {
    if (!PlaySound(1)) {
      return false;
    }
    timer2.setEnabled(false, now);
    return true;
  }
  void PlayerEnd() {
    if (endOnPlayerEnd) {
      endOnPlayerEnd = false;
      Timer1Timer();
    }
  }
  void Button1Click(Answer answer) {
    if (!forceStopCaption) {
      Ask(Asked::ForcedRing);
      if (answer != Answer::Ok) {
        return;
      }
      forceStopCaption = true;
      OutputOn();
      timer2.setEnabled(true, now);
      return;
    }
    forceStopCaption = false;
    timer2.setEnabled(false, now);
    if (soundPlaying == 1) {
      StopSound();
    }
    OutputOff();
  }
  void Button3Click() {
    timer1.setEnabled(false, now);
    if (soundPlaying == 1) {
      StopSound();
    }
    OutputOff();
  }

  // ---- arming and the editor
  void Disarm() {
    armed = false;
    week = ResetWeek();
    memoLines = 0;
  }
  // Gathers one page field by field; false at a text that does not convert.
  bool Gather(int timetable) {
    const size_t t = static_cast<size_t>(timetable - 1);
    for (size_t n = 0; n < kSlots; ++n) {
      const uint8_t bad = badField[t][n];
      if (bad == 1) {
        return false;
      }
      week[t][n].hour = pages[t][n].hour;
      if (bad == 2) {
        return false;
      }
      week[t][n].minute = pages[t][n].minute;
      if (bad == 3) {
        return false;
      }
      week[t][n].sound = pages[t][n].sound;
    }
    return true;
  }
  bool GatherAll() {
    for (int timetable : {2, 3, 4, 5, 6, 7, 1, 8}) {
      if (!Gather(timetable)) {
        return false;
      }
    }
    return true;
  }
  bool Button2Click(int boardResult) {
    if (armed) {
      Disarm();
      return true;
    }
    armed = true;
    memoLines = 0;
    expected.add(Call::Init, -1, false);
    if (boardResult != 0) {
      Ask(Asked::BoardMissing);
    }
    memoLines = 2;  // "USBIO" and the board's answer
    if (!GatherAll()) {
      return false;
    }
    memoLines = 3;
    for (const Table& t : week) {
      for (const Slot& s : t) {
        memoLines += s.hour != 0 ? 1 : 0;
      }
    }
    return true;
  }
  void LoadAllPages() {
    for (int t = 0; t < kTables; ++t) {
      for (int n = 0; n < kSlots; ++n) {
        pages[t][n] = PageViewOf(week[t][n]);
      }
    }
    badField = {};
  }
  // A whole read of a file; false when it stopped on a line that does not convert.
  bool ReadFile(const std::vector<FileRecord>& records, bool append) {
    if (append && !GatherAll()) {
      return false;
    }
    if (!ParseRecords(records, week)) {
      return false;
    }
    LoadAllPages();
    week = ResetWeek();
    return true;
  }
  // Open: disarm first; a cancelled dialog ends there. missing = the file cannot be read.
  bool Open(bool chosen, bool missing, const std::vector<FileRecord>& records) {
    if (armed) {
      Disarm();
    }
    if (!chosen) {
      return true;
    }
    save1 = true;
    if (missing) {
      return false;
    }
    return ReadFile(records, false);
  }
  void Drop(bool missing, bool overwrite, const std::vector<FileRecord>& records) {
    if (armed) {
      Disarm();
    }
    if (missing) {
      Ask(Asked::CannotOpen);
      return;
    }
    Ask(Asked::Overwrite);
    const bool ok = ReadFile(records, !overwrite);
    if (!ok) {
      Ask(Asked::CannotOpen);
      return;
    }
    if (overwrite) {
      save1 = true;
    }
  }
  // False when the gather stopped; nothing is written then.
  bool BuildForSave() {
    if (!armed) {
      if (!GatherAll()) {
        return false;
      }
      week = ResetWeek();  // gathered, written, then reset
    }
    return true;
  }
  void New(Answer answer) {
    Ask(Asked::NewSchedule);
    if (answer != Answer::Ok) {
      return;
    }
    week = ResetWeek();
    pages = ResetWeek();
    badField = {};
    save1 = false;
  }
  bool Copy() {
    if (page < 2 || page > 6) {
      return true;
    }
    copySource = page - 1;
    paste1 = true;
    return Gather(page);
  }
  void Paste() {
    if (page < 2 || page > 6 || copySource == 0) {
      return;
    }
    const int source = copySource + 1;
    if (source != page) {
      week[page - 1] = week[source - 1];
    }
    for (int n = 0; n < kSlots; ++n) {
      pages[page - 1][n] = PageViewOf(week[page - 1][n]);
    }
    badField[page - 1] = {};
  }

 private:
  bool HandleSecond(int64_t s) {
    ++counters.handledSeconds;
    const int64_t dayNumber = FloorDiv(s, 86400);
    if (dayNumber != calDay_) {
      calDay_ = dayNumber;
      cal = CalendarOfDay(dayNumber);
    }
    const int64_t ofDay = s - dayNumber * 86400;
    hour = static_cast<int32_t>(ofDay / 3600);
    minute = static_cast<int32_t>(ofDay / 60 % 60);
    second = static_cast<int32_t>(ofDay % 60);
    if (hour == 0 && minute == 0) {
      page = cal.weekday;
    }
    if (second != 0 && second != 5) {
      return true;
    }
    if (!(hour == 0 && minute == 0) && !HolidayListed() && !NoChimeDay() &&
        AssignedBells(assigned_)) {
      // One bell a minute: the last of those sharing it.
      const Slot* ringing = nullptr;
      for (const Slot& bell : assigned_) {
        if (bell.hour == hour && bell.minute == minute) {
          ringing = &bell;
        }
      }
      if (ringing == nullptr) {
        return true;
      }
      ++counters.plannedBellSteps;
      const Table one{*ringing};
      return RingSlots(one, 1);
    }
    if (cal.weekday >= 2 && cal.weekday <= 6 && !Ring(kCommon)) {
      return false;
    }
    return Ring(cal.weekday);
  }
  bool Ring(int timetable) { return RingSlots(week[timetable - 1], kSlots); }
  bool RingSlots(const Table& slots, int count) {
    for (int n = 0; n < count; ++n) {
      const Slot& slot = slots[static_cast<size_t>(n)];
      if (slot.hour != hour || slot.minute != minute) {
        continue;
      }
      if (Suppressed()) {
        ++counters.bellsSuppressed;
      } else if (second == 0) {
        ++counters.bellsOn;
      } else {
        ++counters.bellsSound;
      }
      if (second == 5 && !PlaySound(slot.sound)) {
        return false;
      }
      if (second == 0) {
        if (!Suppressed()) {
          leadInSound_ = calDay_ * 86400 + (hour * 60 + minute) * 60 + 5;
        }
        OutputOn();
      }
    }
    return true;
  }

  const SoundPool& pool_;
  bool hasLast_ = false;
  int64_t last_ = 0;
  int64_t leadInSound_ = INT64_MIN;  // the :05 still due of a bell whose output went on
  int64_t calDay_ = INT64_MIN;
  std::vector<Slot> assigned_;
};

}  // namespace tollvane::testing::soak

// A long soak of the bell engine and the editor commands on simulated time: random schedules
// (also values the editor cannot produce), holidays, late, doubled and jumping ticks, and an
// operator who arms, disarms, forces and stops bells, loads, saves, copies and pastes. After
// every event the program's calls and visible state are compared with soak_model.h.
//
// TOLLVANE_SOAK_SEED picks the random sequence (printed with every failure; a fixed one by
// default so that a failure in CI can be replayed), TOLLVANE_SOAK_DAYS the number of simulated
// days (400 by default).
#include <gtest/gtest.h>
#include <malloc.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "calendar/day_rule.h"
#include "engine/bell_engine.h"
#include "engine/editor_commands.h"
#include "engine/local_time.h"
#include "schedule/tabs.h"
#include "sim_loop.h"
#include "soak_fakes.h"
#include "soak_model.h"
#include "support/fakes.h"
#include "support/scratch_folder.h"

#if defined(__SANITIZE_ADDRESS__)
#define TOLLVANE_SOAK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TOLLVANE_SOAK_ASAN 1
#endif
#endif

namespace tollvane::testing::soak {

// Blocks from operator new not yet returned; -1 where the sanitizer owns operator new.
long LiveAllocations();

namespace {

constexpr int64_t kDayMs = 86400000;
constexpr int kTickSlackMs = 5;
constexpr int kMaxFileRecords = 260;

long ResidentPages() {
  std::ifstream statm("/proc/self/statm");
  long size = 0;
  long resident = -1;
  statm >> size >> resident;
  return resident;
}

uint64_t EnvNumber(const char* name, uint64_t fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') {
    return fallback;
  }
  return std::strtoull(text, nullptr, 10);
}

enum class Action : uint8_t {
  EditSlot,
  SwitchPage,
  Button2,
  ForcedRing,
  ForcedRingCancelled,
  Button3,
  Copy,
  Paste,
  Open,
  OpenCancelled,
  OpenMissing,
  DropOverwrite,
  DropAppend,
  DropMissing,
  Save,
  SaveAs,
  SaveAsCancelled,
  New,
  NewCancelled,
  Stall,
  DoubleTick,
  Jump,
  Holidays,
  SoundTableEntry,
  BrokenFile,
  Count
};

const char* ActionName(Action a) {
  static const char* const kNames[] = {"edit slot",
                                       "switch page",
                                       "Button2",
                                       "forced ring",
                                       "forced ring cancelled",
                                       "Button3",
                                       "copy",
                                       "paste",
                                       "open",
                                       "open cancelled",
                                       "open missing",
                                       "drop overwrite",
                                       "drop append",
                                       "drop missing",
                                       "save",
                                       "save as",
                                       "save as cancelled",
                                       "new",
                                       "new cancelled",
                                       "stall",
                                       "double tick",
                                       "jump",
                                       "holidays",
                                       "sound table entry",
                                       "broken file"};
  return kNames[static_cast<int>(a)];
}

// One recent event, kept for the failure report.
struct Trace {
  char kind = ' ';  // T tick, D doubled tick, 1 Timer1, 2 Timer2, E player end, A action
  Action action = Action::Count;
  int64_t elapsedMs = 0;
  int64_t wallMs = 0;
  std::array<CallRecord, 6> calls{};
  int callCount = 0;
};

class Soak {
 public:
  Soak(uint64_t seed, int64_t days) : seed_(seed), days_(days), rng_(seed) {}

  std::string Run();

  int64_t ticks = 0;
  int64_t actions = 0;
  int64_t jumps = 0;
  int64_t stalls = 0;
  int64_t doubledTicks = 0;
  int64_t engineErrors = 0;
  long residentAfterFirstDay = -1;
  long residentAtEnd = -1;
  long liveAfterFirstDay = 0;
  long liveAtEnd = 0;
  Counters counters() const { return model_.counters; }

 private:
  int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }

  void SetUp();
  Slot RandomSlot();
  void WritePageSlot(int timetable, int slot, const Slot& s, bool blankHour, bool blankSound);
  void WriteBadText(int timetable, int slot);
  std::string WriteScheduleFile(bool broken);
  void RandomHolidays();
  void RandomDayPlans(int64_t startDay);
  void SetSoundEntry(int number, int poolIndex);

  Action PickAction();
  void Perform(Action a);
  int64_t NextActionDelay();

  template <typename Handler>
  bool Guard(Handler handler) {
    try {
      handler();
      return true;
    } catch (const std::runtime_error&) {
      ++engineErrors;
      return false;
    }
  }
  void Check(char kind, bool engineOk, bool modelOk);
  void Measure(long& resident, long& live);
  void Fail(const std::string& what);
  std::string Where() const;

  const uint64_t seed_;
  const int64_t days_;
  std::mt19937_64 rng_;
  ScratchFolder folder_;

  SoundPool pool_;
  ProgramData data_;
  SimClock clock_;
  CallLog log_;
  SoakBoard board_{log_, data_};
  SoakPlayer player_{log_, data_, pool_, clock_};
  SimTimer timer1_{clock_, 0};
  SimTimer timer2_{clock_, 0};
  SoakPrompts prompts_;
  SoakView view_;
  MapPageTexts pages_;
  SoakDialogs dialogs_;
  SchoolCalendar calendar_;
  CalendarDayRule dayRule_{calendar_};
  BellEngine engine_{{data_, clock_, board_, player_, timer1_, timer2_, prompts_, view_, pages_,
                      nullptr, nullptr, nullptr, nullptr, &dayRule_}};
  EditorCommands editor_{{data_, pages_, view_, prompts_, dialogs_, board_, clock_}};
  Model model_{pool_};

  std::array<std::array<int32_t, 2>, 12> popularTimes_{};
  std::vector<FileRecord> records_;
  std::string missingPath_;
  int fileCounter_ = 0;
  bool warmingUp_ = false;
  bool armSoon_ = false;
  std::optional<int64_t> bellEndDue_;

  int64_t nextTickAt_ = 0;
  std::optional<int64_t> doubledTickAt_;
  bool doubleNextTick_ = false;
  int64_t blockedUntil_ = 0;
  int64_t nextActionAt_ = 0;
  std::string failure_;

  std::array<Trace, 24> traces_{};
  int traceNext_ = 0;
};

void Soak::SetUp() {
  // Sound files: every behaviour of a player, lengths drawn per seed.
  pool_[0] = {"", SoundKind::FailsToOpen, 0};
  pool_[1] = {"chime.wav", SoundKind::Timed, Uniform(2000, 30000)};
  pool_[2] = {"long.mp3", SoundKind::Timed, Uniform(15, 40) * 60000};  // past the next bells
  pool_[3] = {"zero.wav", SoundKind::ZeroLength, Uniform(3000, 60000)};
  pool_[4] = {"unknown.wma", SoundKind::UnknownLength, Uniform(3000, 60000)};
  pool_[5] = {"missing.mp3", SoundKind::FailsToOpen, 0};
  pool_[6] = {"blip.wav", SoundKind::Timed, Uniform(1, 999)};
  pool_[7] = {"gong.mp3", SoundKind::Timed, Uniform(30000, 120000)};
  pool_[8] = {"march.mp3", SoundKind::Timed, Uniform(120000, 360000)};
  pool_[9] = {"bell.wav", SoundKind::Timed, Uniform(5000, 15000)};
  for (auto& t : popularTimes_) {
    t = {Uniform(7, 17), Uniform(0, 11) * 5};
  }
  missingPath_ = folder_.file("nowhere/absent.txt");

  // A start some time between 2020 and 2035, anywhere in the day.
  const int64_t startDay = LocalSecondsOf(2020, 1, 1, 0, 0, 0) / 86400 + Uniform(0, 365 * 15);
  clock_.startMs = startDay * kDayMs + int64_t{Uniform(0, 86399)} * 1000 + Uniform(0, 999);

  model_.Begin(0);
  Guard([this] { editor_.FormCreate(folder_.file("no-settings.INI")); });
  model_.expected.add(Call::Off, -1, false);  // window creation drives the output off
  model_.page = CalendarOfDay(FloorDiv(clock_.wallMs(), kDayMs)).weekday;
  SetSoundEntry(1, 1);
  for (int n = 2; n <= kRegisteredSounds; ++n) {
    SetSoundEntry(n, Uniform(1, 9));
  }
  SetSoundEntry(Uniform(2, 10), 5);  // one registered file that cannot be opened
  SetSoundEntry(Uniform(2, 10), 0);  // and one number left unregistered
  RandomHolidays();
  RandomDayPlans(startDay);
  Check('A', true, true);
  nextTickAt_ = MillisecondsToNextTick(clock_.now(), kTickSlackMs);
  nextActionAt_ = 2000;
}

void Soak::SetSoundEntry(int number, int poolIndex) {
  data_.soundTable[static_cast<size_t>(number)] = pool_[poolIndex].name;
  model_.soundOf[static_cast<size_t>(number)] = poolIndex;
}

Slot Soak::RandomSlot() {
  const int kind = Uniform(0, 99);
  if (kind < 20) {
    return {};
  }
  const int32_t sound = Uniform(1, 10);
  if (kind < 75) {
    if (Chance(0.5)) {
      const auto& t = popularTimes_[static_cast<size_t>(Uniform(0, 11))];
      return {t[0], t[1], sound};
    }
    return {Uniform(8, 18), Uniform(0, 11) * 5, sound};
  }
  if (kind < 85) {
    return {0, Uniform(1, 59), sound};  // an empty hour with a minute rings at 0:m
  }
  if (kind < 95) {
    static constexpr int32_t kOddSounds[] = {0, -3, 11, 25, 49, 50, 1000, INT32_MIN, INT32_MAX};
    const int32_t odd = kOddSounds[Uniform(0, 8)];
    return {Uniform(0, 23), Uniform(0, 59), Chance(0.5) ? odd : sound};
  }
  static constexpr int32_t kOddHours[] = {24, 25, -1, 100, INT32_MAX, INT32_MIN};
  static constexpr int32_t kOddMinutes[] = {60, -5, 99, 0, 30};
  return {kOddHours[Uniform(0, 5)], kOddMinutes[Uniform(0, 4)], sound};
}

void Soak::WritePageSlot(int timetable, int slot, const Slot& s, bool blankHour, bool blankSound) {
  const bool hourBlank = blankHour && s.hour == 0;
  pages_.setText(DropDownName(timetable, slot, SlotField::Hour),
                 hourBlank ? std::string() : std::to_string(s.hour));
  pages_.setText(DropDownName(timetable, slot, SlotField::Minute),
                 hourBlank && s.minute == 0 ? std::string() : std::to_string(s.minute));
  const bool soundBlank = blankSound && s.sound == 1;
  pages_.setText(DropDownName(timetable, slot, SlotField::Sound),
                 soundBlank ? std::string() : std::to_string(s.sound));
  model_.pages[static_cast<size_t>(timetable - 1)][static_cast<size_t>(slot - 1)] = {
      s.hour, s.minute, s.sound == 0 ? 1 : s.sound};
  model_.badField[static_cast<size_t>(timetable - 1)][static_cast<size_t>(slot - 1)] = 0;
}

// Text typed into a drop-down that is no number; the next gather of its page stops there.
void Soak::WriteBadText(int timetable, int slot) {
  static constexpr SlotField kFields[] = {SlotField::Hour, SlotField::Minute, SlotField::Sound};
  const int field = Uniform(0, 2);
  pages_.setText(DropDownName(timetable, slot, kFields[field]), Chance(0.5) ? "8:30" : "abc");
  model_.badField[static_cast<size_t>(timetable - 1)][static_cast<size_t>(slot - 1)] =
      static_cast<uint8_t>(field + 1);
}

// A schedule file in the scratch folder; records_ holds what it says.
std::string Soak::WriteScheduleFile(bool broken) {
  records_.clear();
  // While warming up every file is as long as files get, so that the buffers reading them
  // reach their final size on the first day.
  const bool largest = warmingUp_;
  const bool standard = !largest && Chance(0.6);
  const int count = largest ? kMaxFileRecords : standard ? 192 : Uniform(0, kMaxFileRecords);
  static constexpr int kWriterOrder[kTables] = {8, 1, 2, 3, 4, 5, 6, 7};
  for (int r = 0; r < count; ++r) {
    FileRecord rec;
    const Slot s = RandomSlot();
    rec.value = {standard ? kWriterOrder[r / 24] : Uniform(-1, 9), s.hour, s.minute, s.sound};
    if (largest) {
      rec.value[1] = INT32_MIN;  // the longest number text
    }
    for (auto& k : rec.kind) {
      k = Chance(0.01) ? Field::Empty : Field::Number;
    }
    if (broken && Chance(3.0 / (count + 1))) {
      rec.kind[static_cast<size_t>(Uniform(0, 3))] = Field::Bad;
    }
    records_.push_back(rec);
  }
  static const char* const kBreaks[] = {"\r\n", "\n", "\r"};
  const char* lineBreak = kBreaks[Chance(0.8) ? 0 : Uniform(1, 2)];
  std::string bytes;
  for (const FileRecord& rec : records_) {
    for (int f = 0; f < 4; ++f) {
      switch (rec.kind[static_cast<size_t>(f)]) {
        case Field::Number:
          bytes += std::to_string(rec.value[static_cast<size_t>(f)]);
          break;
        case Field::Empty:
          break;
        case Field::Bad:
          bytes += "abc";
          break;
      }
      bytes += lineBreak;
    }
  }
  for (int extra = largest ? 3 : Chance(0.1) ? Uniform(1, 3) : 0; extra > 0; --extra) {
    bytes += "7";  // a partial record at the end is ignored
    bytes += lineBreak;
  }
  const std::string path = folder_.file("schedule" + std::to_string(fileCounter_++ % 4) + ".txt");
  WriteBytes(path, bytes);
  return path;
}

// A few plans, and assignments on days of the first weeks and later, as a school sets them up
// once: the calendar for the engine, the same entries for the model to judge on its own.
void Soak::RandomDayPlans(int64_t startDay) {
  const auto randomBell = [&] {
    const auto& popular = popularTimes_[static_cast<size_t>(Uniform(0, 11))];
    return Chance(0.6) ? Slot{popular[0], popular[1], Uniform(1, 10)}
                       : Slot{Uniform(0, 23), Uniform(0, 59), Uniform(1, 10)};
  };
  const int planCount = 3;
  for (int p = 0; p < planCount; ++p) {
    DayPlan plan{"日課" + std::to_string(p), {}};
    std::vector<Slot> bells;
    const int count = p == 1 ? 0 : p == 2 ? kMaxPlanBells : Uniform(1, 12);  // 1: ノーチャイム
    while (static_cast<int>(bells.size()) < count) {
      const Slot bell = randomBell();
      if (bell.hour == 0 && bell.minute == 0) {
        continue;  // never rings, and no plan may hold it
      }
      bells.push_back(bell);
      plan.bells.push_back({bell.hour, bell.minute, bell.sound});
    }
    calendar_.plans.plans.push_back(std::move(plan));
    model_.dayPlans.plans.push_back(std::move(bells));
  }
  // The first two days hold a plan, a swap and extras, so that every path of the assigned days
  // has run before the soak measures its memory after the first day; the rest fall later.
  const auto someDay = [&] { return startDay + (Chance(0.7) ? Uniform(2, 30) : Uniform(31, 400)); };
  const auto addPlan = [&](int64_t first, int64_t last, int plan) {
    calendar_.assignments.planDays.push_back(
        {CivilFromDays(first), CivilFromDays(last),
         plan < 0 ? "ない日課" : "日課" + std::to_string(plan)});
    model_.dayPlans.entries.push_back({first, last, plan});
  };
  const auto addSwap = [&](int64_t day, int weekday) {
    calendar_.assignments.swaps.push_back({CivilFromDays(day), weekday});
    model_.dayPlans.swaps.push_back({day, weekday});
  };
  const auto addExtra = [&](int64_t day) {
    Slot bell = randomBell();
    if (bell.hour == 0 && bell.minute == 0) {
      bell.minute = 1;
    }
    calendar_.assignments.extraBells.push_back(
        {CivilFromDays(day), {bell.hour, bell.minute, bell.sound}});
    model_.dayPlans.extras.push_back({day, bell});
  };
  addPlan(startDay, startDay, 2);
  addExtra(startDay);
  addSwap(startDay + 1, Uniform(2, 6));
  addExtra(startDay + 1);
  for (int i = 0; i < 12; ++i) {
    const int64_t first = someDay();
    addPlan(first, first + (Chance(0.7) ? 0 : Uniform(1, 4)),
            Chance(0.1) ? -1 : Uniform(0, planCount - 1));
  }
  for (int i = 0; i < 8; ++i) {
    addSwap(someDay(), Uniform(1, 7));
  }
  for (int i = 0; i < 12; ++i) {
    addExtra(someDay());
  }
}

void Soak::RandomHolidays() {
  HolidayList& list = data_.holidayList;
  const int shape = Uniform(0, 9);
  if (shape < 6) {
    list.count = Uniform(0, kHolidayCapacity);
  } else if (shape < 9) {
    static constexpr int32_t kLarge[] = {49, 100, 1000, INT32_MAX};
    list.count = kLarge[Uniform(0, 3)];  // a hand-edited settings file
  } else {
    list.count = -Uniform(1, 5);
  }
  for (int n = 1; n <= kHolidayCapacity; ++n) {
    int32_t month = Uniform(0, 13);
    int32_t day = Uniform(0, 32);
    if (Chance(0.03)) {
      // Close to today, so holidays really fall on simulated days.
      const Calendar soon = CalendarOfDay(FloorDiv(clock_.wallMs(), kDayMs) + Uniform(0, 20));
      month = soon.month;
      day = soon.day;
    } else if (Chance(0.1)) {
      month = 0;  // an empty dialog row
      day = 0;
    }
    list.at(n) = {month, day, std::to_string(month) + "/" + std::to_string(day)};
    model_.holidays[static_cast<size_t>(n)] = {month, day};
  }
  model_.holidayCount = list.count;
}

Action Soak::PickAction() {
  struct Weight {
    Action action;
    int weight;
  };
  static constexpr Weight kWeights[] = {
      {Action::EditSlot, 30},
      {Action::SwitchPage, 12},
      {Action::Button2, 10},
      {Action::ForcedRing, 5},
      {Action::ForcedRingCancelled, 2},
      {Action::Button3, 12},
      {Action::Copy, 5},
      {Action::Paste, 5},
      {Action::Open, 2},
      {Action::OpenCancelled, 1},
      {Action::OpenMissing, 1},
      {Action::DropOverwrite, 2},
      {Action::DropAppend, 2},
      {Action::DropMissing, 1},
      {Action::Save, 1},
      {Action::SaveAs, 1},
      {Action::SaveAsCancelled, 1},
      {Action::New, 1},
      {Action::NewCancelled, 1},
      {Action::Stall, 10},
      {Action::DoubleTick, 8},
      {Action::Jump, 4},
      {Action::Holidays, 1},
      {Action::SoundTableEntry, 2},
      {Action::BrokenFile, 1},
  };
  int total = 0;
  for (const Weight& w : kWeights) {
    total += w.weight;
  }
  int pick = Uniform(0, total - 1);
  for (const Weight& w : kWeights) {
    if (pick < w.weight) {
      return w.action;
    }
    pick -= w.weight;
  }
  return Action::EditSlot;
}

// Mostly a few minutes; often aimed a few seconds around the next slot of today, so that
// stalls, jumps and stops meet bells.
int64_t Soak::NextActionDelay() {
  if (Chance(0.4)) {
    const int64_t wallSec = FloorDiv(clock_.wallMs(), 1000);
    const int64_t ofDay = wallSec - FloorDiv(wallSec, 86400) * 86400;
    const int weekday = CalendarOfDay(FloorDiv(wallSec, 86400)).weekday;
    int64_t best = INT64_MAX;
    for (int t : {kCommon, weekday}) {
      if (t == kCommon && (weekday < 2 || weekday > 6)) {
        continue;
      }
      for (const Slot& s : model_.week[static_cast<size_t>(t - 1)]) {
        if (s.hour < 0 || s.hour > 23 || s.minute < 0 || s.minute > 59) {
          continue;
        }
        const int64_t at = (s.hour * 60 + s.minute) * 60;
        if (at > ofDay && at - ofDay < best) {
          best = at - ofDay;
        }
      }
    }
    if (best != INT64_MAX) {
      return std::max<int64_t>(1, best * 1000 + Uniform(-12000, 20000));
    }
  }
  return std::exponential_distribution<double>(1.0 / 600000.0)(rng_) + 1;
}

void Soak::Perform(Action a) {
  const bool stopShown = view_.button3Visible;  // Button3 covers Button1 and Button2
  bool engineOk = true;
  bool modelOk = true;
  switch (a) {
    case Action::EditSlot: {
      const int t = Uniform(1, kTables);
      const int n = Uniform(1, kSlots);
      if (Chance(0.02)) {
        WriteBadText(t, n);
      } else {
        WritePageSlot(t, n, RandomSlot(), Chance(0.7), Chance(0.5));
      }
      break;
    }
    case Action::SwitchPage:
      view_.page = Uniform(1, kTables);
      model_.page = view_.page;
      break;
    case Action::Button2:
      // Mostly armed, as a school runs it, so that most simulated days ring.
      if (stopShown || (model_.armed && Chance(0.7))) {
        return;
      }
      board_.initResult = Chance(0.8) ? 0 : 1;
      engineOk = Guard([this] { engine_.Button2Click(); });
      modelOk = model_.Button2Click(board_.initResult);
      break;
    case Action::ForcedRing:
    case Action::ForcedRingCancelled:
      if (stopShown) {
        return;
      }
      prompts_.forcedRingAnswer = a == Action::ForcedRing ? Answer::Ok : Answer::Cancel;
      engineOk = Guard([this] { engine_.Button1Click(); });
      model_.Button1Click(prompts_.forcedRingAnswer);
      break;
    case Action::Button3:
      if (!stopShown) {
        return;
      }
      engineOk = Guard([this] { engine_.Button3Click(); });
      model_.Button3Click();
      break;
    case Action::Copy:
      engineOk = Guard([this] { editor_.Copy1Click(); });
      modelOk = model_.Copy();
      break;
    case Action::Paste:
      if (!view_.paste1Enabled) {
        return;
      }
      engineOk = Guard([this] { editor_.Paste1Click(); });
      model_.Paste();
      break;
    case Action::Open:
    case Action::OpenCancelled:
    case Action::OpenMissing:
    case Action::BrokenFile: {
      const bool chosen = a != Action::OpenCancelled;
      const bool missing = a == Action::OpenMissing;
      const std::string path = missing ? missingPath_ : WriteScheduleFile(a == Action::BrokenFile);
      dialogs_.answer = chosen ? std::optional<std::string>(path) : std::nullopt;
      engineOk = Guard([this] { editor_.Open1Click(); });
      modelOk = model_.Open(chosen, missing, records_);
      break;
    }
    case Action::DropOverwrite:
    case Action::DropAppend:
    case Action::DropMissing: {
      const bool missing = a == Action::DropMissing;
      const std::string path = missing ? missingPath_ : WriteScheduleFile(Chance(0.2));
      prompts_.overwriteAnswer = a == Action::DropAppend ? Answer::No : Answer::Yes;
      engineOk = Guard([&] { editor_.DropFiles({path, folder_.file("ignored.txt")}); });
      const bool overwrite = a == Action::DropOverwrite;
      model_.Drop(missing, overwrite, records_);
      break;
    }
    case Action::Save:
      if (!model_.save1) {
        return;
      }
      engineOk = Guard([this] { editor_.Save1Click(); });
      modelOk = model_.BuildForSave() && editor_.currentFile() != missingPath_;
      break;
    case Action::SaveAs:
    case Action::SaveAsCancelled:
      dialogs_.answer = a == Action::SaveAs ? std::optional<std::string>(folder_.file("saved.txt"))
                                            : std::nullopt;
      engineOk = Guard([this] { editor_.SaveAs1Click(); });
      modelOk = model_.BuildForSave();
      break;
    case Action::New:
    case Action::NewCancelled:
      prompts_.newAnswer = a == Action::New ? Answer::Ok : Answer::Cancel;
      engineOk = Guard([this] { editor_.N1Click(); });
      model_.New(prompts_.newAnswer);
      break;
    case Action::Stall:
      ++stalls;
      // Often right at the edge of the catch-up window.
      blockedUntil_ =
          clock_.elapsedMs + (Chance(0.4) ? Uniform(8500, 11500) : Uniform(1000, 15999));
      break;
    case Action::DoubleTick:
      doubleNextTick_ = true;
      break;
    case Action::Jump: {
      ++jumps;
      const int kind = Uniform(0, 3);
      const int sign = Chance(0.5) ? 1 : -1;
      int64_t delta = 0;
      if (kind < 2) {
        delta = int64_t{Uniform(1, 30)} * 1000;
      } else if (kind == 2) {
        delta = 3600000;  // a daylight-saving change
      } else {
        delta = int64_t{Uniform(1, 3)} * kDayMs;
      }
      clock_.jumpMs += sign * delta + Uniform(-300, 300);
      break;
    }
    case Action::Holidays:
      RandomHolidays();
      break;
    case Action::SoundTableEntry:
      SetSoundEntry(Uniform(1, kRegisteredSounds), Uniform(0, kSoundPoolSize - 1));
      break;
    case Action::Count:
      break;
  }
  if (a == Action::Open || a == Action::DropOverwrite || a == Action::DropAppend ||
      a == Action::New) {
    armSoon_ = Chance(0.7);
  }
  if (a == Action::Stall || a == Action::DoubleTick || a == Action::Jump) {
    return;  // nothing ran in the program
  }
  ++actions;
  Check('A', engineOk, modelOk);
}

void Soak::Check(char kind, bool engineOk, bool modelOk) {
  if (!failure_.empty()) {
    return;
  }
  Trace& trace = traces_[static_cast<size_t>((traceNext_ + traces_.size() - 1) % traces_.size())];
  trace.callCount = log_.size();
  for (int i = 0; i < std::min<int>(log_.size(), trace.calls.size()); ++i) {
    trace.calls[static_cast<size_t>(i)] = log_[i];
  }
  if (engineOk != modelOk) {
    Fail(engineOk ? "the handler completed where it should have raised an error"
                  : "the handler raised an error where it should have completed");
    return;
  }
  if (!(log_ == model_.expected)) {
    std::string got, want;
    auto names = [](const CallLog& l, std::string& out) {
      static const char* const kCalls[] = {"on", "off", "init", "open", "play", "stop"};
      for (int i = 0; i < l.size(); ++i) {
        out += kCalls[static_cast<int>(l[i].call)];
        if (l[i].file >= 0) {
          out += "(" + std::to_string(l[i].file) + ")";
        }
        out += " ";
      }
    };
    names(log_, got);
    names(model_.expected, want);
    Fail("board and player calls: got [" + got + "] expected [" + want + "]");
    return;
  }
  for (int i = 0; i < log_.size(); ++i) {
    if ((log_[i].call == Call::On || log_[i].call == Call::Play) && log_[i].atMidnight) {
      Fail("a bell rang at 00:00");
      return;
    }
  }
  // A sound that could play must have switched the output off by its end, unless the output
  // was switched on again (another bell, a forced ring) or another sound was opened since.
  for (int i = 0; i < log_.size(); ++i) {
    if (log_[i].call == Call::On || log_[i].call == Call::Open) {
      bellEndDue_.reset();
    }
    if (log_[i].call == Call::Play) {
      bellEndDue_ = clock_.elapsedMs + pool_[static_cast<size_t>(log_[i].file)].lengthMs;
    }
  }
  if (board_.on != view_.checkBox1) {
    Fail("board output and the output indicator disagree");
    return;
  }
  const bool captionKnown = view_.button1 == text::kForce || view_.button1 == text::kForceStop;
  if (board_.on != model_.output || view_.checkBox1 != model_.checkBox1 ||
      view_.button3Visible != model_.button3 || !captionKnown ||
      (view_.button1 == text::kForceStop) != model_.forceStopCaption) {
    Fail("bell controls differ from the model");
    return;
  }
  if (data_.soundPlaying != model_.soundPlaying) {
    Fail("soundPlaying differs from the model");
    return;
  }
  const auto dueOf = [](const TimerModel& t) -> std::optional<int64_t> {
    if (t.enabled && t.interval > 0) {
      return t.dueAt;
    }
    return std::nullopt;
  };
  if (timer1_.enabled() != model_.timer1.enabled || timer1_.interval() != model_.timer1.interval ||
      timer1_.due() != dueOf(model_.timer1)) {
    Fail("Timer1 differs from the model");
    return;
  }
  if (timer2_.enabled() != model_.timer2.enabled || timer2_.interval() != 5000 ||
      timer2_.due() != dueOf(model_.timer2)) {
    Fail("Timer2 differs from the model");
    return;
  }
  if (view_.page != model_.page) {
    Fail("active page differs from the model");
    return;
  }
  const bool modelAsks =
      prompts_.count == model_.askedCount &&
      std::equal(prompts_.asked.begin(),
                 prompts_.asked.begin() + std::min(prompts_.count, SoakPrompts::kCapacity),
                 model_.asked.begin());
  if (!modelAsks) {
    Fail("message boxes differ from the model");
    return;
  }
  if (kind == 'A') {
    for (int t = 1; t <= kTables; ++t) {
      for (int n = 1; n <= kSlots; ++n) {
        const BellSlot& got = data_.weekSchedule.at(t, n);
        const Slot& want = model_.week[static_cast<size_t>(t - 1)][static_cast<size_t>(n - 1)];
        if (got.hour != want.hour || got.minute != want.minute || got.sound != want.sound) {
          Fail("WeekSchedule timetable " + std::to_string(t) + " slot " + std::to_string(n) +
               " holds " + std::to_string(got.hour) + ":" + std::to_string(got.minute) + "/" +
               std::to_string(got.sound) + ", expected " + std::to_string(want.hour) + ":" +
               std::to_string(want.minute) + "/" + std::to_string(want.sound));
          return;
        }
      }
    }
    if ((view_.button2 == text::kDisarm) != model_.armed ||
        (view_.button2 != text::kArm && view_.button2 != text::kDisarm)) {
      Fail("arm button differs from the model");
      return;
    }
    if (view_.memoLines != model_.memoLines) {
      Fail("armed-slot listing has " + std::to_string(view_.memoLines) + " lines, expected " +
           std::to_string(model_.memoLines));
      return;
    }
    if (view_.save1Enabled != model_.save1 || view_.paste1Enabled != model_.paste1) {
      Fail("menu items differ from the model");
      return;
    }
  }
}

std::string Soak::Where() const {
  const int64_t wallMs = clock_.wallMs();
  const time_t wall = static_cast<time_t>(FloorDiv(wallMs, 1000));
  struct tm tm {};
  gmtime_r(&wall, &tm);
  char text[160];
  std::snprintf(text, sizeof text,
                "seed %" PRIu64 ", simulated day %" PRId64
                ", clock %04d-%02d-%02d %02d:%02d:%02d.%03d",
                seed_, clock_.elapsedMs / kDayMs, tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(wallMs - wall * int64_t{1000}));
  return text;
}

void Soak::Fail(const std::string& what) {
  if (!failure_.empty()) {
    return;
  }
  failure_ = what + "\n  at " + Where() + "\n  recent events (oldest first):\n";
  for (int i = 0; i < static_cast<int>(traces_.size()); ++i) {
    const Trace& t = traces_[static_cast<size_t>((traceNext_ + i) % traces_.size())];
    if (t.kind == ' ') {
      continue;
    }
    const time_t wall = static_cast<time_t>(FloorDiv(t.wallMs, 1000));
    struct tm tm {};
    gmtime_r(&wall, &tm);
    char line[160];
    std::snprintf(line, sizeof line, "    %c %02d:%02d:%02d.%03d (elapsed %" PRId64 " ms) %s\n",
                  t.kind, tm.tm_hour, tm.tm_min, tm.tm_sec,
                  static_cast<int>(t.wallMs - wall * int64_t{1000}), t.elapsedMs,
                  t.kind == 'A' ? ActionName(t.action) : "");
    failure_ += line;
    if (t.callCount > 0) {
      failure_ += "      calls:";
      for (int c = 0; c < std::min<int>(t.callCount, t.calls.size()); ++c) {
        static const char* const kCalls[] = {"on", "off", "init", "open", "play", "stop"};
        const CallRecord& r = t.calls[static_cast<size_t>(c)];
        failure_ += std::string(" ") + kCalls[static_cast<int>(r.call)];
        if (r.file >= 0) {
          failure_ += "(" + pool_[static_cast<size_t>(r.file)].name + ")";
        }
      }
      failure_ += t.callCount > static_cast<int>(t.calls.size()) ? " ...\n" : "\n";
    }
  }
}

// The editor keeps the lines of the last file read, so both measurements follow the same
// read of a longest file; the rest of what lives on the heap has its final size by then.
void Soak::Measure(long& resident, long& live) {
  model_.Begin(clock_.elapsedMs);
  log_.clear();
  prompts_.clear();
  warmingUp_ = true;
  Perform(Action::Open);
  warmingUp_ = false;
  dialogs_.answer.reset();
  resident = ResidentPages();
  live = LiveAllocations();
}

std::string Soak::Run() {
  // Freed heap stays with the process and large blocks come from the heap too, so resident
  // memory only grows when the heap's high-water mark does, which a leak would make it do.
  mallopt(M_TRIM_THRESHOLD, INT_MAX);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  // A touched reserve at the top of the heap absorbs the few pages by which fragmentation
  // (the editor keeps each file's lines in a buffer of that file's size) moves the heap's
  // high-water mark over months; the exact count of live allocations, checked beside it,
  // catches leaks far smaller than that.
  {
    constexpr size_t kReserveBytes = 1 << 20;
    auto* reserve = static_cast<volatile char*>(std::malloc(kReserveBytes));
    for (size_t i = 0; i < kReserveBytes; i += 4096) {
      reserve[i] = 1;
    }
    std::free(const_cast<char*>(reserve));
  }
  SetUp();
  const int64_t endMs = days_ * kDayMs;
  // The first day runs every kind of action in turn, so that all code and data the soak ever
  // touches is resident before memory is measured.
  const int warmUpActions = static_cast<int>(Action::Count) * 3;
  int warmUp = 0;
  while (failure_.empty() && clock_.elapsedMs < endMs) {
    enum class Next { Tick, Doubled, Timer1, Timer2, PlayerEnd, Act } next = Next::Tick;
    int64_t at = nextTickAt_;
    auto consider = [&](std::optional<int64_t> due, Next kind) {
      if (due && *due < at) {
        at = *due;
        next = kind;
      }
    };
    consider(doubledTickAt_, Next::Doubled);
    consider(timer1_.due(), Next::Timer1);
    consider(timer2_.due(), Next::Timer2);
    consider(player_.endDue, Next::PlayerEnd);
    consider(nextActionAt_, Next::Act);
    // A stalled loop delivers whatever came due once it runs again.
    at = std::max(at, blockedUntil_);
    if (at >= kDayMs && residentAfterFirstDay < 0) {
      Measure(residentAfterFirstDay, liveAfterFirstDay);
    }
    if (at > clock_.elapsedMs && bellEndDue_ && clock_.elapsedMs >= *bellEndDue_) {
      // Everything due up to now has run, Timer1 or the player's end among it.
      if (board_.on) {
        Fail("the output is still on after the sound's end");
        break;
      }
      bellEndDue_.reset();
    }
    clock_.elapsedMs = std::max(clock_.elapsedMs, at);
    const int64_t wallSecond = FloorDiv(clock_.wallMs(), 1000);
    model_.Begin(clock_.elapsedMs);
    log_.clear();
    prompts_.clear();
    Trace& trace = traces_[static_cast<size_t>(traceNext_)];
    traceNext_ = (traceNext_ + 1) % static_cast<int>(traces_.size());
    trace = {' ', Action::Count, clock_.elapsedMs, clock_.wallMs()};
    switch (next) {
      case Next::Tick:
      case Next::Doubled: {
        trace.kind = next == Next::Tick ? 'T' : 'D';
        const bool engineOk = Guard([this] { engine_.T1SecTimer(); });
        const bool modelOk = model_.Tick(wallSecond);
        Check(trace.kind, engineOk, modelOk);
        if (next == Next::Doubled) {
          doubledTickAt_.reset();
          break;
        }
        ++ticks;
        nextTickAt_ = clock_.elapsedMs + MillisecondsToNextTick(clock_.now(), kTickSlackMs);
        if (doubleNextTick_) {
          // A second tick inside the same second, as a timer that fires early gives.
          doubleNextTick_ = false;
          ++doubledTicks;
          const int64_t left = 999 - (clock_.wallMs() - wallSecond * 1000);
          if (left > 0) {
            doubledTickAt_ = clock_.elapsedMs + Uniform(1, static_cast<int>(left));
          }
        }
        break;
      }
      case Next::Timer1: {
        trace.kind = '1';
        timer1_.fired();
        model_.timer1.fired(clock_.elapsedMs);
        const bool engineOk = Guard([this] { engine_.Timer1Timer(); });
        model_.Timer1Timer();
        Check('1', engineOk, true);
        if (failure_.empty() && (board_.on || view_.checkBox1)) {
          Fail("the output stayed on after Timer1 ended the bell");
        }
        break;
      }
      case Next::Timer2: {
        trace.kind = '2';
        timer2_.fired();
        model_.timer2.fired(clock_.elapsedMs);
        const bool engineOk = Guard([this] { engine_.Timer2Timer(); });
        const bool modelOk = model_.Timer2Timer();
        Check('2', engineOk, modelOk);
        break;
      }
      case Next::PlayerEnd: {
        trace.kind = 'E';
        const bool ends = model_.endOnPlayerEnd;
        const bool engineOk = Guard([this] { player_.finish(); });
        model_.PlayerEnd();
        Check('E', engineOk, true);
        if (failure_.empty() && ends && (board_.on || view_.checkBox1)) {
          Fail("the output stayed on after a sound without a length ended");
        }
        break;
      }
      case Next::Act: {
        trace.kind = 'A';
        Action a = PickAction();
        if (clock_.elapsedMs < kDayMs && warmUp < warmUpActions) {
          a = static_cast<Action>(warmUp++ % static_cast<int>(Action::Count));
        }
        warmingUp_ = clock_.elapsedMs < kDayMs;
        if (armSoon_ && !model_.armed) {
          a = Action::Button2;  // the operator arms what was just loaded
        }
        armSoon_ = false;
        trace.action = a;
        Perform(a);
        dialogs_.answer.reset();  // keep no path alive between actions
        nextActionAt_ =
            clock_.elapsedMs + (clock_.elapsedMs < kDayMs && warmUp < warmUpActions ? 300000
                                : armSoon_ ? Uniform(1000, 60000)
                                           : NextActionDelay());
        break;
      }
    }
  }
  Measure(residentAtEnd, liveAtEnd);
  return failure_;
}

constexpr uint64_t kDefaultSeed = 20261209;

TEST(Soak, BellsFollowTheRulesThroughMonthsOfRandomSchedulesAndOperators) {
  const uint64_t seed = EnvNumber("TOLLVANE_SOAK_SEED", kDefaultSeed);
  const int64_t days =
      std::max<int64_t>(1, static_cast<int64_t>(EnvNumber("TOLLVANE_SOAK_DAYS", 400)));
  SCOPED_TRACE("TOLLVANE_SOAK_SEED=" + std::to_string(seed));
  const auto started = std::chrono::steady_clock::now();
  Soak soak(seed, days);
  const std::string failure = soak.Run();
  const double wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const Counters c = soak.counters();
  std::printf("soak seed %" PRIu64 ": %" PRId64 " days, %" PRId64 " ticks (%" PRId64
              " seconds handled), %" PRId64 " bells switched on, %" PRId64
              " sounds started or refused, "
              "%" PRId64 " bell steps suppressed, %" PRId64 " bell ends, %" PRId64
              " actions, %" PRId64 " stalls, %" PRId64 " doubled ticks, %" PRId64
              " clock jumps, %" PRId64 " handler errors; %.1f s wall time\n",
              seed, days, soak.ticks, c.handledSeconds, c.bellsOn, c.bellsSound, c.bellsSuppressed,
              c.bellEnds, soak.actions, soak.stalls, soak.doubledTicks, soak.jumps,
              soak.engineErrors, wallSeconds);
  ASSERT_TRUE(failure.empty()) << failure << "  rerun with TOLLVANE_SOAK_SEED=" << seed;
  EXPECT_GT(c.bellsOn, days) << "the soak rang too few bells to mean anything";
  std::printf("%" PRId64 " steps of bells from day plans, swaps and extras\n", c.plannedBellSteps);
  if (days > 30) {
    EXPECT_GT(c.plannedBellSteps, 0) << "no assigned day rang; TOLLVANE_SOAK_SEED=" << seed;
  }
#ifndef TOLLVANE_SOAK_ASAN
  if (days > 1) {
    std::printf(
        "resident pages after the first day %ld, at the end %ld; live allocations %ld, %ld\n",
        soak.residentAfterFirstDay, soak.residentAtEnd, soak.liveAfterFirstDay, soak.liveAtEnd);
    EXPECT_EQ(soak.residentAtEnd, soak.residentAfterFirstDay)
        << "resident memory grew; TOLLVANE_SOAK_SEED=" << seed;
    EXPECT_EQ(soak.liveAtEnd, soak.liveAfterFirstDay)
        << "allocations were left behind; TOLLVANE_SOAK_SEED=" << seed;
  }
#endif
}

}  // namespace
}  // namespace tollvane::testing::soak

#ifndef TOLLVANE_SOAK_ASAN
// Counts the blocks of every C++ allocation in this program, so the soak can see a leak of a
// few bytes a day that resident memory would hide.
namespace {
std::atomic<long> gLiveAllocations{0};
}  // namespace

long tollvane::testing::soak::LiveAllocations() {
  return gLiveAllocations.load();
}

void* operator new(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) {
    throw std::bad_alloc();
  }
  ++gLiveAllocations;
  return block;
}
void operator delete(void* block) noexcept {
  if (block != nullptr) {
    --gLiveAllocations;
    std::free(block);
  }
}
void operator delete(void* block, std::size_t) noexcept {
  operator delete(block);
}
#else
long tollvane::testing::soak::LiveAllocations() {
  return -1;
}
#endif

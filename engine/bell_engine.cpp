#include "engine/bell_engine.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string>

#include "engine/arming.h"
#include "engine/local_time.h"
#include "engine/texts.h"
#include "schedule/tabs.h"

namespace tollvane {
namespace {

constexpr int kForcedRingDelayMs = 5000;
constexpr int kForcedRingSound = 1;
// A late tick replays at most this many seconds; a longer gap is a suspend or a clock change,
// after which old bells must not ring.
constexpr int64_t kMaxCatchUpSeconds = 10;
constexpr int kOutputOnSecond = 0;
constexpr int kSoundSecond = 5;

constexpr const char* kForcedRingQuestion = "Okを押すと5秒後にチャイムが鳴ります";
constexpr const char* kBoardMissing = "USB-IOが接続されていません。";

// Index 0 is never shown; the clock yields 1..7.
constexpr const char* kWeekdayNames[8] = {" ", "日", "月", "火", "水", "木", "金", "土"};

void AppendNumber(std::string& out, int32_t value) {
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

std::string DateLabel(const CurrentClock& c) {
  std::string label;
  label.reserve(40);
  AppendNumber(label, c.year);
  label += "年";
  AppendNumber(label, c.month);
  label += "月";
  AppendNumber(label, c.day);
  label += "日";
  label += kWeekdayNames[c.weekday >= 1 && c.weekday <= 7 ? c.weekday : 0];
  label += "曜日";
  return label;
}

std::string TimeLabel(const CurrentClock& c) {
  std::string label;
  label.reserve(32);
  AppendNumber(label, c.hour);
  label += "時";
  AppendNumber(label, c.minute);
  label += "分";
  AppendNumber(label, c.second);
  label += "秒";
  return label;
}

struct ListingPage {
  int timetable;
  const char* prefix;
};

// The listing runs common first, then Monday to Sunday.
constexpr ListingPage kListingOrder[kTimetableCount] = {
    {kCommonTimetable, ""}, {2, "月曜 "}, {3, "火曜 "}, {4, "水曜 "},
    {5, "木曜 "},           {6, "金曜 "}, {7, "土曜 "}, {1, "日曜 "},
};

}  // namespace

BellEngine::BellEngine(const BellEngineParts& parts) : p_(parts) {
  p_.timer2.setInterval(kForcedRingDelayMs);
  p_.player.setEndHandler([this] { OnPlayerEnd(); });
}

void BellEngine::T1SecTimer() {
  const int64_t now = p_.clock.now().localSeconds;
  int64_t first = now;
  if (lastHandledSecond_ != INT64_MIN) {
    const int64_t behind = now - lastHandledSecond_;
    if (behind == 0) {
      return;  // this second was handled by an earlier tick
    }
    if (behind > 0 && behind <= kMaxCatchUpSeconds) {
      first = lastHandledSecond_ + 1;
    }
  }
  for (int64_t second = first; second <= now; ++second) {
    // Marked before it runs: an error ends this tick, and the next tick must neither repeat
    // this second nor lose the ones after it.
    lastHandledSecond_ = second;
    HandleSecond(second);
  }
}

void BellEngine::HandleSecond(int64_t localSeconds) {
  CurrentClock& clock = p_.data.currentClock;
  clock = BreakDown(localSeconds);
  p_.view.setLabel3(DateLabel(clock));
  p_.view.setLabel61(TimeLabel(clock));
  if (clock.hour == 0 && clock.minute == 0) {
    p_.view.setActivePage(clock.weekday);
  }
  if (clock.weekday >= 2 && clock.weekday <= 6) {
    RingSlotsAt(kCommonTimetable);
  }
  if (clock.weekday >= 1 && clock.weekday <= 7) {
    RingSlotsAt(clock.weekday);
  }
}

void BellEngine::RingSlotsAt(int timetable) {
  const CurrentClock clock = p_.data.currentClock;
  if (clock.second != kOutputOnSecond && clock.second != kSoundSecond) {
    return;
  }
  for (int n = 1; n <= kSlotsPerTimetable; ++n) {
    const BellSlot slot = p_.data.weekSchedule.at(timetable, n);
    if (slot.hour != clock.hour || slot.minute != clock.minute) {
      continue;
    }
    if (clock.second == kSoundSecond) {
      PlayBellSound(slot.sound);
    }
    if (clock.second == kOutputOnSecond) {
      BoardOutputOn();
    }
  }
}

bool BellEngine::BellSuppressed() const {
  const CurrentClock& clock = p_.data.currentClock;
  const HolidayList& holidays = p_.data.holidayList;
  // The count comes from the settings file; never read past the entries that exist.
  const int32_t count = std::min(holidays.count, kHolidayCapacity);
  for (int32_t n = 1; n <= count; ++n) {
    if (holidays.at(n).month == clock.month && holidays.at(n).day == clock.day) {
      return true;
    }
  }
  return clock.hour == 0 && clock.minute == 0;
}

void BellEngine::BoardOutputOn() {
  if (BellSuppressed()) {
    return;
  }
  p_.board.outputOn();
  // A forced ring already shows its own stop caption on Button1.
  if (p_.view.button1Caption() == text::kForce) {
    p_.view.setButton3Visible(true);
  }
  p_.view.setCheckBox1Checked(true);
}

void BellEngine::BoardOutputOff() {
  p_.board.outputOff();
  p_.view.setCheckBox1Checked(false);
  p_.view.setButton3Visible(false);
  if (p_.view.button1Caption() == text::kForceStop) {
    p_.view.setButton1Caption(text::kForce);
  }
}

void BellEngine::PlayBellSound(int32_t soundNumber) {
  if (BellSuppressed()) {
    BoardOutputOff();
    return;
  }
  // Only a schedule file can carry a number outside the table; it names no file, which fails
  // to open like an empty entry instead of reading outside the table.
  static const std::string kNoFile;
  const std::string& fileName = soundNumber >= 0 && soundNumber < kSoundTableSize
                                    ? p_.data.soundTable[static_cast<size_t>(soundNumber)]
                                    : kNoFile;
  endOnPlayerEnd_ = false;
  p_.player.setFileName(fileName);
  p_.player.open();
  p_.player.setTimeFormatMilliseconds();
  int length = 0;
  try {
    length = p_.player.length();
  } catch (const EMCIDeviceError&) {
    length = 0;  // some files carry no length; the player's end report then ends the bell
  }
  const bool timed = length > 0;
  p_.timer1.setInterval(timed ? length : 0);
  p_.timer1.setEnabled(true);
  // An interval of 0 never fires, which would leave the output on for good.
  endOnPlayerEnd_ = !timed;
  p_.player.setNotify(true);
  p_.player.setWait(false);
  p_.player.play();
  p_.data.soundPlaying = 1;
}

void BellEngine::StopSound() {
  p_.player.setNotify(true);
  p_.player.setWait(false);
  p_.player.stop();
  p_.data.soundPlaying = 0;
  endOnPlayerEnd_ = false;  // a stopped sound never reaches its end
}

void BellEngine::OnPlayerEnd() {
  if (!endOnPlayerEnd_) {
    return;  // Timer1 ends a sound whose length is known
  }
  endOnPlayerEnd_ = false;
  Timer1Timer();
}

void BellEngine::Timer1Timer() {
  // At the nominal length a sound server may still hold the chime's tail (up to its latency).
  // The player's end report then ends the bell; Timer1 waits once more as a bound, in case the
  // report never comes.
  constexpr int kPlayOutBoundMs = 5000;
  if (!endOnPlayerEnd_ && p_.data.soundPlaying == 1 && p_.player.playingOut()) {
    endOnPlayerEnd_ = true;
    p_.timer1.setInterval(kPlayOutBoundMs);
    return;
  }
  StopSound();
  BoardOutputOff();
  p_.timer1.setEnabled(false);
}

void BellEngine::Timer2Timer() {
  // Disabled only after the sound started, so a failing open retries every 5 s.
  PlayBellSound(kForcedRingSound);
  p_.timer2.setEnabled(false);
}

void BellEngine::Button1Click() {
  if (p_.view.button1Caption() == text::kForce) {
    if (p_.prompts.ask(kForcedRingQuestion, text::kConfirm, Buttons::OkCancel) != Answer::Ok) {
      return;
    }
    p_.view.setButton1Caption(text::kForceStop);
    BoardOutputOn();
    p_.timer2.setEnabled(true);
    return;
  }
  p_.view.setButton1Caption(text::kForce);
  p_.timer2.setEnabled(false);
  if (p_.data.soundPlaying == 1) {
    StopSound();
  }
  BoardOutputOff();
}

void BellEngine::Button3Click() {
  p_.timer1.setEnabled(false);
  if (p_.data.soundPlaying == 1) {
    StopSound();
  }
  BoardOutputOff();
}

void BellEngine::Button2Click() {
  if (IsArmed(p_.view)) {
    Disarm(p_.data.weekSchedule, p_.view);
    return;
  }
  p_.view.setButton2Caption(text::kDisarm);
  p_.view.clearMemo1();
  const int boardResult = p_.board.init();
  if (boardResult != 0) {
    p_.prompts.ask(kBoardMissing, text::kConfirm, Buttons::Ok);
  }
  p_.view.appendMemo1("USBIO");
  p_.view.appendMemo1(std::to_string(boardResult));
  GatherAllTabs(p_.data.weekSchedule, p_.pages);
  p_.view.appendMemo1("セット");
  for (const ListingPage& page : kListingOrder) {
    ListTimetable(page.timetable, page.prefix);
  }
}

void BellEngine::ListTimetable(int timetable, const char* prefix) {
  for (int n = 1; n <= kSlotsPerTimetable; ++n) {
    const BellSlot& slot = p_.data.weekSchedule.at(timetable, n);
    if (slot.hour == 0) {
      continue;
    }
    char line[96];
    std::snprintf(line, sizeof line, "%s%2d 時 %2d 分 %2d 番", prefix, slot.hour, slot.minute,
                  slot.sound);
    p_.view.appendMemo1(line);
  }
}

}  // namespace tollvane

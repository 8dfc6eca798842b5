#include "engine/bell_engine.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <exception>
#include <string>

#include "engine/arming.h"
#include "engine/local_time.h"
#include "engine/texts.h"
#include "lifecycle/start_up.h"
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
constexpr int64_t kLeadInMs = (kSoundSecond - kOutputOnSecond) * 1000;
// A jump over more days than this is not searched for the bells it skipped.
constexpr int kMaxSkippedDaysSearched = 7;
constexpr int kMaxSkippedBellsListed = 10;

constexpr const char* kForcedRingQuestion = "Okを押すと5秒後にチャイムが鳴ります";
constexpr const char* kBoardMissing = "USB-IOが接続されていません。";
constexpr const char* kHolidayListReason = "休日設定";

const char* TimetableName(int timetable) {
  static constexpr const char* kNames[kTimetableCount + 1] = {
      "", "日曜", "月曜", "火曜", "水曜", "木曜", "金曜", "土曜", "朝・夕共通"};
  return timetable >= 1 && timetable <= kTimetableCount ? kNames[timetable] : "";
}

// "1時間5分", "30秒": the larger units only as far as they are needed.
std::string Duration(int64_t seconds) {
  std::string text;
  const int64_t hours = seconds / 3600;
  const int64_t minutes = seconds / 60 % 60;
  const int64_t rest = seconds % 60;
  if (hours > 0) {
    text += std::to_string(hours) + text::line::kHours;
  }
  if (minutes > 0) {
    text += std::to_string(minutes) + text::line::kMinutes;
  }
  if (rest > 0 || text.empty()) {
    text += std::to_string(rest) + text::line::kSeconds;
  }
  return text;
}

// A sound's length to a tenth of a second: "12.5秒", "2分5.0秒".
std::string SoundLength(int milliseconds) {
  const int tenths = (milliseconds + 50) / 100;
  const int minutes = tenths / 600;
  char text[48];
  if (minutes > 0) {
    std::snprintf(text, sizeof text, "%d%s%d.%d%s", minutes, text::line::kMinutes,
                  tenths % 600 / 10, tenths % 10, text::line::kSeconds);
  } else {
    std::snprintf(text, sizeof text, "%d.%d%s", tenths / 10, tenths % 10, text::line::kSeconds);
  }
  return text;
}

std::string Moment(const CurrentClock& c) {
  char text[32];
  std::snprintf(text, sizeof text, "%d/%d %d:%02d:%02d", c.month, c.day, c.hour, c.minute,
                c.second);
  return text;
}

bool RingsAtAll(const BellSlot& slot) {
  return slot.hour >= 0 && slot.hour < 24 && slot.minute >= 0 && slot.minute < 60;
}

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
  dayBells_.reserve(DayRule::kMaxBellsOfADay);
  p_.timer2.setInterval(kForcedRingDelayMs);
  p_.player.setEndHandler([this] { OnPlayerEnd(); });
  if (p_.clockSync != nullptr) {
    p_.clockSync->setChangeHandler([this](std::optional<bool> reading) { WatchClock(reading); });
  }
}

void BellEngine::T1SecTimer() {
  const LocalTime reading = p_.clock.now();
  const int64_t now = reading.localSeconds;
  int64_t first = now;
  if (lastHandledSecond_ != INT64_MIN) {
    const int64_t behind = now - lastHandledSecond_;
    if (behind == 0) {
      return;  // this second was handled by an earlier tick
    }
    if (behind > 0 && behind <= kMaxCatchUpSeconds) {
      first = lastHandledSecond_ + 1;
    } else {
      RecordClockJump(lastHandledSecond_, now);
      EndLeadInJumpedOver(now);
    }
  }
  tickSecond_ = now;
  tickMs_ = now * 1000 + reading.millisecond;
  for (int64_t second = first; second <= now; ++second) {
    // Marked before it runs: an error ends this tick, and the next tick must neither repeat
    // this second nor lose the ones after it.
    lastHandledSecond_ = second;
    if (second == leadInSoundSecond_) {
      leadInSoundSecond_ = INT64_MIN;  // its sound is handled now, even if the sound fails
    }
    HandleSecond(second);
  }
  // The fallback reading waits for a second that starts no bell, as it may take a while.
  const int64_t secondOfMinute = ((now % 60) + 60) % 60;
  if (p_.clockSync != nullptr && clockWatch_.watching()) {
    if (!IsArmed(p_.view)) {
      clockWatch_.disarmed();
    } else if (secondOfMinute > kSoundSecond + 5 && clockWatch_.pollDue(now)) {
      WatchClock(p_.clockSync->synchronized());
    }
  }
}

void BellEngine::WatchClock(std::optional<bool> reading) {
  if (!IsArmed(p_.view)) {
    clockWatch_.disarmed();
    return;
  }
  if (!clockWatch_.watching()) {
    return;  // not armed through Arm: nothing is being followed yet
  }
  NoteClock(clockWatch_.reading(p_.clock.now().localSeconds, reading));
}

void BellEngine::NoteClock(const std::optional<ClockSyncWatch::Note>& note) {
  if (note) {
    record().record(note->kind, note->text);
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
  // 00:00 stays the pages' on every day: nothing rings then, and the reset pages' calls are
  // the nightly output-off.
  if (!(clock.hour == 0 && clock.minute == 0) && RingAssignedAt(localSeconds)) {
    return;
  }
  if (clock.weekday >= 2 && clock.weekday <= 6) {
    RingSlotsAt(kCommonTimetable, localSeconds);
  }
  if (clock.weekday >= 1 && clock.weekday <= 7) {
    RingSlotsAt(clock.weekday, localSeconds);
  }
}

void BellEngine::RingSlotsAt(int timetable, int64_t localSeconds) {
  const CurrentClock clock = p_.data.currentClock;
  if (clock.second != kOutputOnSecond && clock.second != kSoundSecond) {
    return;
  }
  for (int n = 1; n <= kSlotsPerTimetable; ++n) {
    const BellSlot slot = p_.data.weekSchedule.at(timetable, n);
    if (slot.hour != clock.hour || slot.minute != clock.minute) {
      continue;
    }
    if (clock.second == kOutputOnSecond) {
      std::snprintf(ringContextBuffer_, sizeof ringContextBuffer_, text::line::kScheduledBell,
                    TimetableName(timetable), n, slot.hour, slot.minute, slot.sound);
    }
    RingMatch(slot.sound, localSeconds);
  }
}

bool BellEngine::RingAssignedAt(int64_t localSeconds) {
  const CurrentClock clock = p_.data.currentClock;
  if (p_.dayRule == nullptr || (clock.second != kOutputOnSecond && clock.second != kSoundSecond) ||
      !p_.dayRule->assignedBells(p_.data.holidayList, p_.data.weekSchedule, clock.year, clock.month,
                                 clock.day, dayBells_)) {
    return false;
  }
  for (const DayRule::Bell& bell : dayBells_) {
    if (bell.hour != clock.hour || bell.minute != clock.minute) {
      continue;
    }
    if (clock.second == kOutputOnSecond) {
      std::snprintf(ringContextBuffer_, sizeof ringContextBuffer_, text::line::kAssignedBell,
                    bell.origin, bell.hour, bell.minute, bell.sound);
    }
    RingMatch(bell.sound, localSeconds);
  }
  return true;
}

void BellEngine::RingMatch(int32_t sound, int64_t localSeconds) {
  const CurrentClock clock = p_.data.currentClock;
  const int64_t minute = localSeconds / 60;
  // Second 5 replayed by a late tick less than 5 s after this minute's output really went on:
  // the sound waits for the rest of the lead-in, so the amplifier has its time to come up.
  const int64_t sinceOutputOn = tickMs_ - outputOnAtMs_;
  const bool deferSound = clock.second == kSoundSecond && p_.leadInTimer != nullptr &&
                          outputOnMinute_ == minute && localSeconds < tickSecond_ &&
                          sinceOutputOn < kLeadInMs;
  if (clock.second == kSoundSecond) {
    if (deferSound) {
      if (deferredCount_ < static_cast<int>(deferredSounds_.size())) {
        deferredSounds_[static_cast<size_t>(deferredCount_++)] = sound;
      }
      p_.leadInTimer->setInterval(static_cast<int>(kLeadInMs - sinceOutputOn));
      p_.leadInTimer->setEnabled(true);
    } else {
      PlayBellSound(sound);
    }
  }
  if (clock.second == kOutputOnSecond) {
    ringContext_ = ringContextBuffer_;
    if (BellSuppressed()) {
      // Once per slot, and not for the nightly 00:00 calls of the reset schedule.
      if (!(clock.hour == 0 && clock.minute == 0)) {
        RecordSilenced();
      }
    } else {
      outputOnMinute_ = minute;
      outputOnAtMs_ = tickMs_;
      leadInSoundSecond_ = minute * 60 + kSoundSecond;
    }
    BoardOutputOn();
    ringContext_ = "";
  }
}

void BellEngine::EndLeadInJumpedOver(int64_t now) {
  if (leadInSoundSecond_ == INT64_MIN ||
      (now >= leadInSoundSecond_ - kSoundSecond && now <= leadInSoundSecond_)) {
    return;  // no lead-in, or the clock is still within it: the sound comes as usual
  }
  const int64_t soundSecond = leadInSoundSecond_;
  leadInSoundSecond_ = INT64_MIN;
  // Its sound second will not be handled, so no Timer1 would ever switch the output off. A
  // sound playing or on its way (a forced ring's, a deferred one) ends the bell itself.
  const bool soundComing = p_.data.soundPlaying == 1 || p_.timer2.enabled() ||
                           (p_.leadInTimer != nullptr && p_.leadInTimer->enabled());
  if (!outputShownOn_ || soundComing) {
    return;
  }
  EndBell(now > soundSecond ? text::line::kOffClockForward : text::line::kOffClockBack);
  BoardOutputOff();
}

void BellEngine::LeadInTimer() {
  p_.leadInTimer->setEnabled(false);
  // Taken out first: an error in one sound must not leave the rest to ring again later.
  const int count = deferredCount_;
  deferredCount_ = 0;
  const std::array<int32_t, 2 * kSlotsPerTimetable> sounds = deferredSounds_;
  for (int i = 0; i < count; ++i) {
    PlayBellSound(sounds[static_cast<size_t>(i)]);
  }
}

bool BellEngine::BellSuppressed() const {
  const CurrentClock& clock = p_.data.currentClock;
  return SilentReasonOn(clock.month, clock.day, clock.year).has_value() ||
         (clock.hour == 0 && clock.minute == 0);
}

std::optional<std::string> BellEngine::DaySilentReason() const {
  const CurrentClock& clock = p_.data.currentClock;
  return SilentReasonOn(clock.month, clock.day, clock.year);
}

std::optional<std::string> BellEngine::SilentReasonOn(int32_t month, int32_t day,
                                                      int32_t year) const {
  if (p_.dayRule != nullptr) {
    return p_.dayRule->silentReason(p_.data.holidayList, year, month, day);
  }
  const HolidayList& holidays = p_.data.holidayList;
  // The count comes from the settings file; never read past the entries that exist.
  const int32_t count = std::min(holidays.count, kHolidayCapacity);
  for (int32_t n = 1; n <= count; ++n) {
    if (holidays.at(n).month == month && holidays.at(n).day == day) {
      return kHolidayListReason;
    }
  }
  return std::nullopt;
}

void BellEngine::RecordSilenced() {
  const std::string reason = DaySilentReason().value_or(kHolidayListReason);
  record().record(text::record::kSuppressed,
                  text::Formatted(text::line::kSilenced, ringContext_, reason.c_str()));
}

void BellEngine::NoteBoardWrites(const char* kind, const char* context) {
  const BoardWrites writes = p_.board.lastWrites();
  char line[320];
  if (writes.known) {
    // Both writes make the output; the operator needs to know only whether it went out.
    const bool written = writes.longReportWritten && writes.portWritten;
    std::snprintf(line, sizeof line, text::line::kBoardWrite, context, *context ? " " : "",
                  written ? text::line::kWriteSucceeded : text::line::kWriteFailed);
  } else {
    std::snprintf(line, sizeof line, "%s", context);
  }
  record().record(kind, line);
  if (!writes.known) {
    return;
  }
  const bool failed = !writes.longReportWritten || !writes.portWritten;
  if (failed && !boardLost_) {
    boardLost_ = true;
    record().record(text::record::kBoardLost, text::line::kBoardLost);
  } else if (!failed && boardLost_) {
    boardLost_ = false;
    record().record(text::record::kBoardFound, text::line::kBoardBack);
  }
}

void BellEngine::BoardOutputOn() {
  if (BellSuppressed()) {
    return;
  }
  if (timer1Stale_) {
    timer1Stale_ = false;
    playOutWait_ = false;
    p_.timer1.setEnabled(false);
  }
  p_.board.outputOn();
  outputShownOn_ = true;
  NoteBoardWrites(text::record::kOutputOn, ringContext_);
  // A forced ring already shows its own stop caption on Button1.
  if (p_.view.button1Caption() == text::kForce) {
    p_.view.setButton3Visible(true);
  }
  p_.view.setCheckBox1Checked(true);
}

void BellEngine::BoardOutputOff() {
  p_.board.outputOff();
  // An output that was already off (the nightly switch-off, a second stop) is not news.
  if (outputShownOn_) {
    NoteBoardWrites(text::record::kOutputOff, "");
  }
  outputShownOn_ = false;
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
  playOutWait_ = false;
  timer1Stale_ = false;
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
  record().record(text::record::kSound,
                  text::Formatted(timed ? text::line::kSoundTimed : text::line::kSoundUntimed,
                                  static_cast<int>(soundNumber), fileName.c_str(),
                                  SoundLength(length).c_str()));
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
  endedByPlayer_ = true;
  Timer1Timer();
}

void BellEngine::EndBell(const char* how) {
  record().record(text::record::kBellEnd, how);
}

void BellEngine::Timer1Timer() {
  // At the nominal length a sound server may still hold the chime's tail (up to its latency).
  // The player's end report then ends the bell; Timer1 waits once more as a bound, in case the
  // report never comes.
  constexpr int kPlayOutBoundMs = 5000;
  if (timer1Stale_) {
    // Its bell was stopped during the wait; whatever rings now is another bell's.
    timer1Stale_ = false;
    playOutWait_ = false;
    p_.timer1.setEnabled(false);
    return;
  }
  if (!endOnPlayerEnd_ && p_.data.soundPlaying == 1 && p_.player.playingOut()) {
    endOnPlayerEnd_ = true;
    playOutWait_ = true;
    p_.timer1.setInterval(kPlayOutBoundMs);
    return;
  }
  playOutWait_ = false;
  EndBell(endedByPlayer_ ? text::line::kEndedByPlayer : text::line::kEndedByLength);
  endedByPlayer_ = false;
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
    ringContext_ = text::line::kForcedBell;
    if (BellSuppressed() && !(p_.data.currentClock.hour == 0 && p_.data.currentClock.minute == 0)) {
      RecordSilenced();
    }
    BoardOutputOn();
    ringContext_ = "";
    p_.timer2.setEnabled(true);
    return;
  }
  EndBell(text::line::kStoppedByForceStop);
  p_.view.setButton1Caption(text::kForce);
  p_.timer2.setEnabled(false);
  // Timer1 keeps running for a sound still within its length; in the play-out wait that
  // length has passed, so the wait ends here and Timer1 no longer belongs to any bell.
  if (playOutWait_) {
    playOutWait_ = false;
    timer1Stale_ = true;
  }
  if (p_.data.soundPlaying == 1) {
    StopSound();
  }
  BoardOutputOff();
}

void BellEngine::Button3Click() {
  EndBell(text::line::kStoppedByBellStop);
  p_.timer1.setEnabled(false);
  playOutWait_ = false;
  timer1Stale_ = false;
  if (p_.data.soundPlaying == 1) {
    StopSound();
  }
  BoardOutputOff();
}

void BellEngine::Button2Click() {
  if (IsArmed(p_.view)) {
    Disarm(p_.data.weekSchedule, p_.view, watchers());
    return;
  }
  Arm(false);
}

void BellEngine::Arm(bool unattended) {
  p_.view.setButton2Caption(text::kDisarm);
  p_.view.clearMemo1();
  const int boardResult = p_.board.init();
  if (boardResult != 0) {
    if (unattended) {
      p_.prompts.inform(kBoardMissing, text::kConfirm);
    } else {
      p_.prompts.ask(kBoardMissing, text::kConfirm, Buttons::Ok);
    }
  }
  p_.view.appendMemo1("USBIO");
  p_.view.appendMemo1(std::to_string(boardResult));
  // A drop-down that does not convert stops the copy with its error, but the caption already
  // says armed and the slots copied before it ring: the sleep lock and the record follow the
  // caption, and the error goes on to its box afterwards.
  std::exception_ptr gatherError;
  std::string gatherFailure;
  try {
    GatherAllTabs(p_.data.weekSchedule, p_.pages);
  } catch (const std::exception& error) {
    gatherError = std::current_exception();
    gatherFailure = error.what();
  }
  if (!gatherError) {
    p_.view.appendMemo1("セット");
    for (const ListingPage& page : kListingOrder) {
      ListTimetable(page.timetable, page.prefix);
    }
  }

  const int armedSlots = CountArmedBells(p_.data.weekSchedule);
  char line[128];
  std::snprintf(line, sizeof line, unattended ? text::line::kArmedUnattended : text::line::kArmed,
                armedSlots, boardResult == 0 ? text::line::kWithBoard : text::line::kWithoutBoard);
  std::string entry = line;
  if (gatherError) {
    entry += text::Formatted(text::line::kArmStoppedAt, gatherFailure.c_str());
  }
  record().record(text::record::kArm, entry);
  if (p_.inhibitor != nullptr) {
    p_.inhibitor->acquire();
  }
  if (p_.clockSync != nullptr) {
    NoteClock(clockWatch_.armed(p_.clock.now().localSeconds, p_.clockSync->synchronized()));
  }
  if (gatherError) {
    std::rethrow_exception(gatherError);
  }
}

void BellEngine::RecordClockJump(int64_t fromSecond, int64_t toSecond) {
  const int64_t delta = toSecond - fromSecond;
  const CurrentClock from = BreakDown(fromSecond);
  const CurrentClock to = BreakDown(toSecond);
  std::string entry = text::Formatted(
      delta < 0 ? text::line::kClockBack : text::line::kClockForward,
      Duration(delta < 0 ? -delta : delta).c_str(), Moment(from).c_str(), Moment(to).c_str());
  if (delta > 1) {
    // Bells whose output-on second lies in the gap: they are not rung late.
    int listed = 0;
    int skipped = 0;
    const int64_t firstDay = (fromSecond + 1) / 86400 - ((fromSecond + 1) % 86400 < 0 ? 1 : 0);
    const int64_t lastDay =
        std::min<int64_t>((toSecond - 1) / 86400, firstDay + kMaxSkippedDaysSearched - 1);
    std::string bells;
    for (int64_t day = firstDay; day <= lastDay; ++day) {
      const CurrentClock date = BreakDown(day * 86400);
      const bool silentDay = SilentReasonOn(date.month, date.day, date.year).has_value();
      const auto skip = [&](const BellSlot& slot) {
        const int64_t at = day * 86400 + slot.hour * 3600 + slot.minute * 60;
        if (at <= fromSecond || at >= toSecond) {
          return;
        }
        ++skipped;
        if (listed < kMaxSkippedBellsListed) {
          char bell[48];
          std::snprintf(bell, sizeof bell, "%s%d/%d %d:%02d 音%d",
                        listed ? text::line::kBellListSeparator : "", date.month, date.day,
                        slot.hour, slot.minute, slot.sound);
          bells += bell;
          ++listed;
        }
      };
      // A day an assignment decides skipped its own bells, not its pages'.
      if (!silentDay && p_.dayRule != nullptr &&
          p_.dayRule->assignedBells(p_.data.holidayList, p_.data.weekSchedule, date.year,
                                    date.month, date.day, dayBells_)) {
        for (const DayRule::Bell& bell : dayBells_) {
          skip({bell.hour, bell.minute, bell.sound});
        }
        continue;
      }
      for (int timetable : {kCommonTimetable, static_cast<int>(date.weekday)}) {
        if (timetable == kCommonTimetable && (date.weekday < 2 || date.weekday > 6)) {
          continue;
        }
        for (const BellSlot& slot : p_.data.weekSchedule.timetables[timetable - 1]) {
          if (!RingsAtAll(slot) || (slot.hour == 0 && slot.minute == 0) || silentDay) {
            continue;
          }
          skip(slot);
        }
      }
    }
    if (skipped == 0) {
      entry += text::line::kNoBellSkipped;
    } else {
      const std::string more =
          skipped > listed ? std::string(text::line::kBellListSeparator) + text::line::kMoreBells
                           : std::string();
      entry += text::Formatted(text::line::kBellsSkipped, skipped, bells.c_str(), more.c_str());
    }
    if ((toSecond - 1) / 86400 > lastDay) {
      entry += text::Formatted(text::line::kNotSearchedBeyond, kMaxSkippedDaysSearched);
    }
  }
  record().record(text::record::kClock, entry);
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

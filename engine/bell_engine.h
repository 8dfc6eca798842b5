// The bell engine: the one-second tick, the bell signal sequence, the forced ring, the stop
// button and arming, over the main window's controls seen through MainView.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/sound_player.h"
#include "engine/arming.h"
#include "engine/clock_watch.h"
#include "engine/interfaces.h"
#include "engine/week_schedule.h"
#include "schedule/page_texts.h"

namespace tollvane {

struct BellEngineParts {
  ProgramData& data;
  const Clock& clock;
  Board& board;
  SoundPlayer& player;  // MediaPlayer1 of the main window
  BellTimer& timer1;    // bell end
  BellTimer& timer2;    // forced ring delay, 5000 ms
  Prompts& prompts;
  MainView& view;
  PageTexts& pages;
  // Optional parts; without them the engine rings exactly as the controls alone describe.
  // The lead-in timer starts a sound that a late tick would start together with its output.
  BellTimer* leadInTimer = nullptr;
  Recorder* recorder = nullptr;
  SleepInhibitor* inhibitor = nullptr;
  ClockSync* clockSync = nullptr;
  const DayRule* dayRule = nullptr;
};

class BellEngine {
 public:
  explicit BellEngine(const BellEngineParts& parts);

  // T1Sec: reads the clock once and handles every local second since the last tick exactly
  // once (at most 10 s back; a jump back or far forward handles only the current second).
  void T1SecTimer();

  bool BellSuppressed() const;
  void BoardOutputOn();
  void BoardOutputOff();
  void PlayBellSound(int32_t soundNumber);
  void StopSound();

  void Timer1Timer();
  void Timer2Timer();
  void Button1Click();  // forced ring / forced stop
  void Button2Click();  // arm / disarm
  void Button3Click();  // stop a scheduled bell
  // Arms as the button does; unattended, the board-missing message does not wait for OK.
  void Arm(bool unattended);
  void LeadInTimer();  // the deferred sound of a late tick's bell

  // Why today (by the latest tick) is silent, or nothing when it rings; midnight aside.
  std::optional<std::string> DaySilentReason() const;
  // The clock's last reading while armed said it is not being set automatically.
  bool ClockUnsynchronised() const {
    return clockWatch_.watching() && clockWatch_.unsynchronised();
  }

 private:
  void HandleSecond(int64_t localSeconds);
  void RingSlotsAt(int timetable, int64_t localSeconds);
  // Rings the bells an assignment decides for today; false when today rings its pages.
  bool RingAssignedAt(int64_t localSeconds);
  // One matching bell at second 0 (its context in ringContextBuffer_) or 5.
  void RingMatch(int32_t sound, int64_t localSeconds);
  void OnPlayerEnd();
  void ListTimetable(int timetable, const char* prefix);
  void EndBell(const char* how);
  void NoteBoardWrites(const char* kind, const char* context);
  // The slot or forced ring in ringContext_ does not ring today: one line says why.
  void RecordSilenced();
  void RecordClockJump(int64_t fromSecond, int64_t toSecond);
  // A jump that leaves the lead-in of a bell before its sound second ends that bell.
  void EndLeadInJumpedOver(int64_t now);
  void WatchClock(std::optional<bool> reading);
  void NoteClock(const std::optional<ClockSyncWatch::Note>& note);
  std::optional<std::string> SilentReasonOn(int32_t month, int32_t day, int32_t year) const;
  Recorder& record() { return p_.recorder != nullptr ? *p_.recorder : noRecord_; }
  ArmWatchers watchers() { return {p_.recorder, p_.inhibitor}; }

  BellEngineParts p_;
  NullRecorder noRecord_;
  int64_t lastHandledSecond_ = INT64_MIN;
  // The clock of the tick being handled, in local seconds and milliseconds.
  int64_t tickSecond_ = 0;
  int64_t tickMs_ = 0;
  // The output-on of the minute being rung, for the lead-in after a late tick.
  int64_t outputOnMinute_ = INT64_MIN;
  int64_t outputOnAtMs_ = 0;
  // The sound second of the bell in its lead-in, until a tick handles it.
  int64_t leadInSoundSecond_ = INT64_MIN;
  // Sounds waiting for the lead-in timer, in ringing order; fixed, as nothing is allocated
  // per bell.
  std::array<int32_t, 2 * kSlotsPerTimetable> deferredSounds_{};
  int deferredCount_ = 0;
  // Today's assigned bells, refilled at seconds 0 and 5 so that a plan or calendar change
  // counts at once; its room is taken once, when the engine is made.
  std::vector<DayRule::Bell> dayBells_;
  // What the next board signal is for, for the record.
  const char* ringContext_ = "";
  char ringContextBuffer_[256] = {};  // a bell's origin (up to 175 bytes) and its time
  bool outputShownOn_ = false;
  bool boardLost_ = false;
  bool endedByPlayer_ = false;
  // The sound playing now had no usable length, so its end comes from the player instead
  // of Timer1.
  bool endOnPlayerEnd_ = false;
  // Timer1 runs at the play-out bound, past the sound's nominal length.
  bool playOutWait_ = false;
  // The bell Timer1 was timing was stopped during that wait: when it fires it only stops.
  bool timer1Stale_ = false;
  ClockSyncWatch clockWatch_;
  // Takes the end handler back when the engine goes, so a late end report from the player
  // cannot reach a destroyed engine.
  struct EndHandlerRelease {
    SoundPlayer& player;
    ~EndHandlerRelease() { player.setEndHandler({}); }
  };
  EndHandlerRelease endHandlerRelease_{p_.player};
  struct ChangeHandlerRelease {
    ClockSync* source;
    ~ChangeHandlerRelease() {
      if (source != nullptr) {
        source->setChangeHandler({});
      }
    }
  };
  ChangeHandlerRelease changeHandlerRelease_{p_.clockSync};
};

}  // namespace tollvane

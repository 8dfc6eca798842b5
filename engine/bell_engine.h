// The bell engine: the one-second tick, the bell signal sequence, the forced ring, the stop
// button and arming, over the main window's controls seen through MainView.
#pragma once

#include <cstdint>

#include "audio/sound_player.h"
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

 private:
  void HandleSecond(int64_t localSeconds);
  void RingSlotsAt(int timetable);
  void OnPlayerEnd();
  void ListTimetable(int timetable, const char* prefix);

  BellEngineParts p_;
  int64_t lastHandledSecond_ = INT64_MIN;
  // The sound playing now had no usable length, so its end comes from the player instead
  // of Timer1.
  bool endOnPlayerEnd_ = false;
  // Takes the end handler back when the engine goes, so a late end report from the player
  // cannot reach a destroyed engine.
  struct EndHandlerRelease {
    SoundPlayer& player;
    ~EndHandlerRelease() { player.setEndHandler({}); }
  };
  EndHandlerRelease endHandlerRelease_{p_.player};
};

}  // namespace tollvane

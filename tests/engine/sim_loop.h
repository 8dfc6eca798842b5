// Simulated time for the bell engine: a clock, window timers and the T1Sec loop, driven event
// by event so that a whole day (or a year) of ticks runs in milliseconds of real time.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/bell_engine.h"
#include "engine/interfaces.h"
#include "engine/local_time.h"

namespace tollvane::testing {

// The timers run on elapsed time; the engine reads elapsed time plus a start point plus any
// jumps a test makes, as a wall clock that can be set back or forward.
class SimClock : public Clock {
 public:
  LocalTime now() const override {
    const int64_t ms = wallMs();
    int64_t seconds = ms / 1000;
    if (ms % 1000 < 0) {
      --seconds;
    }
    return {seconds, static_cast<int>(ms - seconds * 1000)};
  }
  int64_t wallMs() const { return startMs + elapsedMs + jumpMs; }
  void startAt(int year, int month, int day, int hour, int minute, int second, int ms = 0) {
    startMs = LocalSecondsOf(year, month, day, hour, minute, second) * 1000 + ms;
    elapsedMs = 0;
    jumpMs = 0;
  }

  int64_t startMs = 0;
  int64_t elapsedMs = 0;
  int64_t jumpMs = 0;
};

// A window timer on simulated time: changing the interval of a running timer restarts it,
// the same interval does not; enabling an enabled timer does nothing; interval 0 never fires.
class SimTimer : public BellTimer {
 public:
  explicit SimTimer(const SimClock& clock, int interval = 1000)
      : clock_(clock), interval_(interval) {}
  void setInterval(int milliseconds) override {
    if (milliseconds == interval_) {
      return;
    }
    interval_ = milliseconds;
    if (enabled_) {
      restart();
    }
  }
  int interval() const override { return interval_; }
  void setEnabled(bool enabled) override {
    if (enabled == enabled_) {
      return;
    }
    enabled_ = enabled;
    if (enabled_) {
      restart();
    }
  }
  bool enabled() const override { return enabled_; }
  // Elapsed time at which the timer fires next, if it fires at all.
  std::optional<int64_t> due() const {
    if (enabled_ && interval_ > 0) {
      return dueAt_;
    }
    return std::nullopt;
  }
  // Called just before its handler runs: a periodic timer is due again one interval later.
  void fired() {
    ++fires;
    dueAt_ = clock_.elapsedMs + interval_;
  }

  int starts = 0;
  int fires = 0;

 private:
  void restart() {
    ++starts;
    dueAt_ = clock_.elapsedMs + interval_;
  }

  const SimClock& clock_;
  int interval_;
  bool enabled_ = false;
  int64_t dueAt_ = 0;
};

// The main window's event loop as far as the engine sees it: T1Sec re-armed after each tick
// with MillisecondsToNextTick, Timer1 and Timer2 firing when due, and an error raised by a
// handler reported (as the window's error box would show it) without ending the loop.
class SimLoop {
 public:
  SimLoop(BellEngine& engine, SimClock& clock, SimTimer& timer1, SimTimer& timer2)
      : engine_(engine), clock_(clock), timer1_(timer1), timer2_(timer2) {}

  // T1Sec starts with the window: its first tick comes after the next second boundary.
  void start() { nextTickAt_ = clock_.elapsedMs + MillisecondsToNextTick(clock_.now(), slackMs); }
  // Runs up to and including the next tick.
  void runToNextTick() { runFor(nextTickAt_ - clock_.elapsedMs); }

  void runFor(int64_t milliseconds) {
    const int64_t end = clock_.elapsedMs + milliseconds;
    for (;;) {
      enum class Next { Tick, Timer1, Timer2 } next = Next::Tick;
      int64_t at = nextTickAt_;
      if (auto due = timer1_.due(); due && *due < at) {
        at = *due;
        next = Next::Timer1;
      }
      if (auto due = timer2_.due(); due && *due < at) {
        at = *due;
        next = Next::Timer2;
      }
      if (at > end) {
        break;
      }
      clock_.elapsedMs = at;
      switch (next) {
        case Next::Tick:
          ++ticks;
          Guard([this] { engine_.T1SecTimer(); });
          nextTickAt_ = clock_.elapsedMs + MillisecondsToNextTick(clock_.now(), slackMs);
          break;
        case Next::Timer1:
          timer1_.fired();
          Guard([this] { engine_.Timer1Timer(); });
          break;
        case Next::Timer2:
          timer2_.fired();
          Guard([this] { engine_.Timer2Timer(); });
          break;
      }
    }
    clock_.elapsedMs = end;
  }

  // Runs until the wall clock reads the given local time of the day the clock started on (or
  // of a later day when dayOffset is given).
  void runUntil(int hour, int minute, int second, int ms = 0, int dayOffset = 0) {
    const int64_t startDay = clock_.startMs / 86400000;
    const int64_t target = (startDay + dayOffset) * 86400000 +
                           ((hour * 60 + minute) * 60 + second) * int64_t{1000} + ms;
    if (target < clock_.wallMs()) {
      throw std::logic_error("runUntil: target lies in the past");
    }
    runFor(target - clock_.wallMs());
  }

  int slackMs = 5;
  int64_t ticks = 0;
  int64_t errorCount = 0;
  bool keepErrors = true;
  std::vector<std::string> errors;

 private:
  template <typename Handler>
  void Guard(Handler handler) {
    try {
      handler();
    } catch (const std::runtime_error& error) {
      ++errorCount;
      if (keepErrors) {
        errors.push_back(error.what());
      }
    }
  }

  BellEngine& engine_;
  SimClock& clock_;
  SimTimer& timer1_;
  SimTimer& timer2_;
  int64_t nextTickAt_ = 0;
};

}  // namespace tollvane::testing

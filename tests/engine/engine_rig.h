// A bell engine wired to recording fakes and simulated time, as the engine tests use it.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/bell_engine.h"
#include "sim_loop.h"
#include "support/fakes.h"

namespace tollvane::testing {

// Keeps every time label the engine shows, so a test can see each handled second.
class TickView : public RecordingView {
 public:
  void setLabel61(const std::string& t) override {
    RecordingView::setLabel61(t);
    shownTimes.push_back(t);
  }
  std::vector<std::string> shownTimes;
};

// The record's lines of one kind, in order.
class KindRecorder : public Recorder {
 public:
  explicit KindRecorder(std::string kind) : kind_(std::move(kind)) {}
  void record(std::string_view kind, std::string_view text) override {
    if (kind == kind_) {
      lines.emplace_back(text);
    }
  }
  std::vector<std::string> lines;

 private:
  std::string kind_;
};

struct EngineRig {
  EngineRig() { Fill(); }
  // With a day rule and a record, as the main window wires them.
  EngineRig(const DayRule* dayRule, Recorder* recorder)
      : engine{{data, clock, board, player, timer1, timer2, prompts, view, pages, nullptr, recorder,
                nullptr, nullptr, dayRule}} {
    Fill();
  }
  void Fill() {
    ResetWeekSchedule(data.weekSchedule);
    data.soundTable[1] = "chime.wav";
    data.soundTable[2] = "gong.mp3";
    data.soundTable[3] = "bell.wma";
    player.lengths = {{"chime.wav", 12000}, {"gong.mp3", 20000}, {"bell.wma", 7000}};
  }

  // Board events since the last call, so each step of a test sees only its own writes.
  std::vector<std::string> takeBoard() {
    std::vector<std::string> events;
    events.swap(board.events);
    return events;
  }
  std::vector<std::string> takePlayer() {
    std::vector<std::string> calls;
    calls.swap(player.calls);
    return calls;
  }

  ProgramData data;
  SimClock clock;
  RecordingBoard board;
  FakePlayer player;
  SimTimer timer1{clock};
  SimTimer timer2{clock};
  ScriptedPrompts prompts;
  TickView view;
  MapPageTexts pages;
  BellEngine engine{{data, clock, board, player, timer1, timer2, prompts, view, pages}};
  SimLoop loop{engine, clock, timer1, timer2};
};

}  // namespace tollvane::testing

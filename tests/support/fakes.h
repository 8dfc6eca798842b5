// Test doubles for the interfaces in engine/interfaces.h and audio/sound_player.h.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "audio/sound_player.h"
#include "engine/interfaces.h"
#include "engine/texts.h"
#include "schedule/page_texts.h"

namespace tollvane::testing {

// The record's lines as "kind text", in order.
class LineRecorder : public Recorder {
 public:
  void record(std::string_view kind, std::string_view text) override {
    lines.push_back(std::string(kind) + " " + std::string(text));
  }
  bool has(const std::string& fragment) const {
    for (const std::string& line : lines) {
      if (line.find(fragment) != std::string::npos)
        return true;
    }
    return false;
  }
  // The texts of one kind's lines.
  std::vector<std::string> kinds(std::string_view kind) const {
    std::vector<std::string> found;
    for (const std::string& line : lines) {
      if (line.rfind(std::string(kind) + " ", 0) == 0)
        found.push_back(line.substr(kind.size() + 1));
    }
    return found;
  }
  std::vector<std::string> lines;
};

class FakeClock : public Clock {
 public:
  LocalTime now() const override { return time; }
  LocalTime time;
};

class RecordingBoard : public Board {
 public:
  void outputOn() override { events.push_back("on"); }
  void outputOff() override { events.push_back("off"); }
  int init() override {
    events.push_back("init");
    return initResult;
  }
  std::vector<std::string> events;
  int initResult = 0;
};

// Follows the window-timer rules; the test decides when a due timer fires.
class FakeTimer : public BellTimer {
 public:
  void setInterval(int milliseconds) override {
    if (milliseconds == interval_)
      return;
    interval_ = milliseconds;
    if (enabled_)
      ++starts;
  }
  int interval() const override { return interval_; }
  void setEnabled(bool enabled) override {
    if (enabled == enabled_)
      return;
    enabled_ = enabled;
    if (enabled_)
      ++starts;
  }
  bool enabled() const override { return enabled_; }
  // True when an enabled timer with a non-zero interval would fire.
  bool armed() const { return enabled_ && interval_ > 0; }
  int starts = 0;

 private:
  int interval_ = 1000;
  bool enabled_ = false;
};

// Answers message boxes from a script and records what was asked.
class ScriptedPrompts : public Prompts {
 public:
  struct Asked {
    std::string text, caption;
    Buttons buttons;
  };
  Answer ask(const std::string& text, const std::string& caption, Buttons buttons) override {
    asked.push_back({text, caption, buttons});
    if (answers.empty())
      throw std::logic_error("unexpected message box: " + text);
    Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<Answer> answers;
  std::vector<Asked> asked;
};

class ScriptedFileDialogs : public FileDialogs {
 public:
  std::optional<std::string> openSchedule() override { return take(); }
  std::optional<std::string> saveSchedule(const std::string& currentFile) override {
    saveInitial.push_back(currentFile);
    return take();
  }
  std::optional<std::string> openCsv() override { return take(); }
  std::optional<std::string> saveCsv(const std::string& suggested) override {
    saveInitial.push_back(suggested);
    return take();
  }
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> saveInitial;

 private:
  std::optional<std::string> take() {
    if (answers.empty())
      throw std::logic_error("unexpected file dialog");
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
};

class RecordingView : public MainView {
 public:
  std::string button1Caption() const override { return button1; }
  void setButton1Caption(const std::string& c) override { button1 = c; }
  std::string button2Caption() const override { return button2; }
  void setButton2Caption(const std::string& c) override { button2 = c; }
  void setButton3Visible(bool v) override { button3Visible = v; }
  void setCheckBox1Checked(bool c) override { checkBox1 = c; }
  void clearMemo1() override { memo1.clear(); }
  void appendMemo1(const std::string& line) override { memo1.push_back(line); }
  void setLabel3(const std::string& t) override { label3 = t; }
  void setLabel61(const std::string& t) override { label61 = t; }
  void setActivePage(int t) override { page = t; }
  int activePage() const override { return page; }
  void setCaption(const std::string& c) override { caption = c; }
  void setSave1Enabled(bool e) override { save1Enabled = e; }
  void setPaste1Enabled(bool e) override { paste1Enabled = e; }
  void bringToFront() override { ++raised; }

  std::string button1 = text::kForce;
  std::string button2 = text::kArm;
  bool button3Visible = false;
  bool checkBox1 = false;
  std::vector<std::string> memo1;
  std::string label3 = "日付表示";
  std::string label61 = "時刻表示";
  int page = 8;
  std::string caption = text::kApplicationTitle;
  bool save1Enabled = false;
  bool paste1Enabled = false;
  int raised = 0;
};

// The 576 drop-down texts; names never set read as the design-time text.
class MapPageTexts : public PageTexts {
 public:
  std::string text(const std::string& name) const override {
    auto it = texts.find(name);
    if (it != texts.end())
      return it->second;
    return name.size() > 3 && name.substr(name.size() - 3) == "snd" ? "1" : "";
  }
  void setText(const std::string& name, const std::string& t) override { texts[name] = t; }
  std::map<std::string, std::string> texts;
};

// A player that opens what a test allows and records every call.
class FakePlayer : public SoundPlayer {
 public:
  void setFileName(const std::string& f) override { file_ = f; }
  const std::string& fileName() const override { return file_; }
  void open() override {
    calls.push_back("open " + file_);
    open_ = false;
    auto it = lengths.find(file_);
    if (it == lengths.end())
      throw EMCIDeviceError("cannot open " + file_);
    open_ = true;
  }
  bool isOpen() const override { return open_; }
  void setTimeFormatMilliseconds() override {}
  int length() override {
    if (!open_)
      throw EMCIDeviceError("MCI デバイスがありません");
    return lengths.at(file_);
  }
  void setNotify(bool) override {}
  void setWait(bool) override {}
  void play() override {
    if (!open_)
      throw EMCIDeviceError("MCI デバイスがありません");
    calls.push_back("play " + file_);
    playing = true;
  }
  void stop() override {
    calls.push_back("stop");
    playing = false;
  }
  void close() override { open_ = false; }
  void setEndHandler(std::function<void()> h) override { endHandler = std::move(h); }
  // Plays the end of the sound as the real player reports it.
  void finish() {
    playing = false;
    if (endHandler)
      endHandler();
  }

  std::map<std::string, int> lengths;  // file name -> length in ms; absent = fails to open
  std::vector<std::string> calls;
  bool playing = false;
  std::function<void()> endHandler;

 private:
  std::string file_;
  bool open_ = false;
};

}  // namespace tollvane::testing

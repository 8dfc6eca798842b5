// Allocation-free doubles for the soak: every board write and player call lands in one fixed
// call log together with the clock the engine held at that moment, so a year of ticks can be
// checked call by call without the heap growing.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "audio/sound_player.h"
#include "engine/interfaces.h"
#include "engine/texts.h"
#include "engine/week_schedule.h"
#include "sim_loop.h"

namespace tollvane::testing {

enum class Call : uint8_t { On, Off, Init, Open, Play, Stop };

struct CallRecord {
  Call call;
  int file;         // sound pool index for Open and Play, else -1
  bool atMidnight;  // CurrentClock read 00:00 when the call was made
  bool operator==(const CallRecord& o) const { return call == o.call && file == o.file; }
};

class CallLog {
 public:
  static constexpr int kCapacity = 1024;
  void add(Call call, int file, bool atMidnight) {
    if (size_ == kCapacity) {
      overflow_ = true;
      return;
    }
    records_[size_++] = {call, file, atMidnight};
  }
  void clear() {
    size_ = 0;
    overflow_ = false;
  }
  int size() const { return size_; }
  bool overflow() const { return overflow_; }
  const CallRecord& operator[](int i) const { return records_[i]; }
  bool operator==(const CallLog& o) const {
    if (size_ != o.size_ || overflow_ != o.overflow_) {
      return false;
    }
    for (int i = 0; i < size_; ++i) {
      if (!(records_[i] == o.records_[i])) {
        return false;
      }
    }
    return true;
  }

 private:
  std::array<CallRecord, kCapacity> records_{};
  int size_ = 0;
  bool overflow_ = false;
};

inline bool AtMidnight(const ProgramData& data) {
  return data.currentClock.hour == 0 && data.currentClock.minute == 0;
}

class SoakBoard : public Board {
 public:
  SoakBoard(CallLog& log, const ProgramData& data) : log_(log), data_(data) {}
  void outputOn() override {
    log_.add(Call::On, -1, AtMidnight(data_));
    on = true;
  }
  void outputOff() override {
    log_.add(Call::Off, -1, AtMidnight(data_));
    on = false;
  }
  int init() override {
    log_.add(Call::Init, -1, AtMidnight(data_));
    return initResult;
  }
  bool on = false;
  int initResult = 0;

 private:
  CallLog& log_;
  const ProgramData& data_;
};

// How a sound file behaves in the player.
enum class SoundKind : uint8_t {
  Timed,          // length() reports its duration
  ZeroLength,     // length() reports 0
  UnknownLength,  // length() raises
  FailsToOpen,
};

struct PooledSound {
  std::string name;
  SoundKind kind = SoundKind::FailsToOpen;
  int lengthMs = 0;  // what plays until the player reports the end
};

inline constexpr int kSoundPoolSize = 10;
using SoundPool = std::array<PooledSound, kSoundPoolSize>;

// Plays on simulated time: a started sound reports its end lengthMs later unless it is
// stopped or another file is opened first.
class SoakPlayer : public SoundPlayer {
 public:
  SoakPlayer(CallLog& log, const ProgramData& data, const SoundPool& pool, const SimClock& clock)
      : log_(log), data_(data), pool_(pool), clock_(clock) {}

  void setFileName(const std::string& f) override { file_ = f; }
  const std::string& fileName() const override { return file_; }
  void open() override {
    const int id = PoolIndex(file_);
    log_.add(Call::Open, id, AtMidnight(data_));
    close();
    if (pool_[id].kind == SoundKind::FailsToOpen) {
      throw EMCIDeviceError("原因不明のエラー");
    }
    open_ = true;
    current_ = id;
  }
  bool isOpen() const override { return open_; }
  void setTimeFormatMilliseconds() override {}
  int length() override {
    if (!open_) {
      throw EMCIDeviceError("MCI デバイスがありません");
    }
    switch (pool_[current_].kind) {
      case SoundKind::Timed:
        return pool_[current_].lengthMs;
      case SoundKind::ZeroLength:
        return 0;
      default:
        throw EMCIDeviceError("原因不明のエラー");
    }
  }
  void setNotify(bool) override {}
  void setWait(bool) override {}
  void play() override {
    if (!open_) {
      throw EMCIDeviceError("MCI デバイスがありません");
    }
    log_.add(Call::Play, current_, AtMidnight(data_));
    endDue = clock_.elapsedMs + pool_[current_].lengthMs;
  }
  void stop() override {
    log_.add(Call::Stop, -1, AtMidnight(data_));
    endDue.reset();
  }
  void close() override {
    open_ = false;
    endDue.reset();
  }
  void setEndHandler(std::function<void()> handler) override { endHandler_ = std::move(handler); }

  // The played sound reached its end.
  void finish() {
    endDue.reset();
    if (endHandler_) {
      endHandler_();
    }
  }

  // Elapsed time at which the playing sound ends, while one plays.
  std::optional<int64_t> endDue;

 private:
  int PoolIndex(const std::string& name) const {
    for (int i = 0; i < kSoundPoolSize; ++i) {
      if (pool_[i].name == name) {
        return i;
      }
    }
    return 0;  // entry 0 of the pool is the empty name
  }

  CallLog& log_;
  const ProgramData& data_;
  const SoundPool& pool_;
  const SimClock& clock_;
  std::function<void()> endHandler_;
  std::string file_;
  bool open_ = false;
  int current_ = 0;
};

enum class Asked : uint8_t { ForcedRing, BoardMissing, Overwrite, CannotOpen, NewSchedule };

// Knows each box the engine and the editor may show by its exact text, caption and buttons;
// anything else is a fault and ends the soak.
class SoakPrompts : public Prompts {
 public:
  static constexpr int kCapacity = 8;
  Answer ask(const std::string& text, const std::string& caption, Buttons buttons) override {
    const Asked kind = Classify(text, caption, buttons);
    if (count < kCapacity) {
      asked[count] = kind;
    }
    ++count;
    switch (kind) {
      case Asked::ForcedRing:
        return forcedRingAnswer;
      case Asked::Overwrite:
        return overwriteAnswer;
      case Asked::NewSchedule:
        return newAnswer;
      default:
        return Answer::Ok;
    }
  }
  void clear() { count = 0; }

  std::array<Asked, kCapacity> asked{};
  int count = 0;
  Answer forcedRingAnswer = Answer::Ok;
  Answer overwriteAnswer = Answer::Yes;
  Answer newAnswer = Answer::Ok;

 private:
  static Asked Classify(const std::string& text, const std::string& caption, Buttons buttons) {
    if (text == "Okを押すと5秒後にチャイムが鳴ります" && caption == "確認" &&
        buttons == Buttons::OkCancel) {
      return Asked::ForcedRing;
    }
    if (text == "USB-IOが接続されていません。" && caption == "確認" && buttons == Buttons::Ok) {
      return Asked::BoardMissing;
    }
    if (text == "上書きしますか？(追加の場合はキャンセル)" && caption == "選択" &&
        buttons == Buttons::YesNo) {
      return Asked::Overwrite;
    }
    if (text == "ファイルがオープンできません" && caption == "警告" && buttons == Buttons::Ok) {
      return Asked::CannotOpen;
    }
    if (text == "新規に作成します。\n表示されているデータは消えます" && caption == "警告" &&
        buttons == Buttons::OkCancel) {
      return Asked::NewSchedule;
    }
    throw std::logic_error("unexpected message box: " + text);
  }
};

class SoakDialogs : public FileDialogs {
 public:
  std::optional<std::string> openSchedule() override { return answer; }
  std::optional<std::string> saveSchedule(const std::string&) override { return answer; }
  std::optional<std::string> answer;
};

// The main window as the engine sees it; the listing is only counted.
class SoakView : public MainView {
 public:
  std::string button1Caption() const override { return button1; }
  void setButton1Caption(const std::string& c) override { button1 = c; }
  std::string button2Caption() const override { return button2; }
  void setButton2Caption(const std::string& c) override { button2 = c; }
  void setButton3Visible(bool v) override { button3Visible = v; }
  void setCheckBox1Checked(bool c) override { checkBox1 = c; }
  void clearMemo1() override { memoLines = 0; }
  void appendMemo1(const std::string&) override { ++memoLines; }
  void setLabel3(const std::string& t) override { label3 = t; }
  void setLabel61(const std::string& t) override { label61 = t; }
  void setActivePage(int t) override { page = t; }
  int activePage() const override { return page; }
  void setCaption(const std::string& c) override { caption = c; }
  void setSave1Enabled(bool e) override { save1Enabled = e; }
  void setPaste1Enabled(bool e) override { paste1Enabled = e; }
  void bringToFront() override {}

  std::string button1 = text::kForce;
  std::string button2 = text::kArm;
  bool button3Visible = false;
  bool checkBox1 = false;
  int memoLines = 0;
  std::string label3 = "日付表示";
  std::string label61 = "時刻表示";
  int page = 8;
  std::string caption = text::kApplicationTitle;
  bool save1Enabled = false;
  bool paste1Enabled = false;
};

}  // namespace tollvane::testing

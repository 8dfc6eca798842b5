// The small interfaces behind which the windows, the clock, the board and the dialogs sit, so
// that the engine and the editor commands run without Qt and tests can drive a whole day.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tollvane {

struct HolidayList;
struct WeekSchedule;

// A reading of the local clock. localSeconds counts seconds since 1970-01-01 00:00:00 in
// local time (UTC seconds plus the zone offset in force), so calendar fields follow from it
// without any time-zone lookup and a DST change shows up as a jump.
struct LocalTime {
  int64_t localSeconds = 0;
  int millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime now() const = 0;
};

// Results of the two writes of the last board signal, for the bell record only.
struct BoardWrites {
  bool known = false;  // false where the board cannot tell
  bool longReportWritten = false;
  bool portWritten = false;
};

// The USB-IO board as the bell engine uses it. Results of the writes are ignored by design.
class Board {
 public:
  virtual ~Board() = default;
  virtual void outputOn() = 0;   // long report 02 00 .., then port 1 := 0x00
  virtual void outputOff() = 0;  // long report 02 01 .., then port 1 := 0x01
  virtual int init() = 0;        // 0 = board ready, 1 = not found
  virtual BoardWrites lastWrites() const { return {}; }
};

// The bell record: one line per event, stamped with the local time when it is recorded.
// kind is a short Japanese tag ("出力オン", "警告" ..), text the rest of the line. Recording
// never throws and never waits for a disk.
class Recorder {
 public:
  virtual ~Recorder() = default;
  virtual void record(std::string_view kind, std::string_view text) = 0;
};

class NullRecorder : public Recorder {
 public:
  void record(std::string_view, std::string_view) override {}
};

// Keeps the machine from sleeping while the system is armed. Both calls may be repeated;
// failures (no system bus, no logind) are the implementation's to record.
class SleepInhibitor {
 public:
  virtual ~SleepInhibitor() = default;
  virtual void acquire() = 0;
  virtual void release() = 0;
};

// Whether a calendar day is silent, and why: the holiday list first, then whatever school
// calendar the program keeps. Nothing means the day rings.
class DayRule {
 public:
  virtual ~DayRule() = default;
  virtual std::optional<std::string> silentReason(const HolidayList& holidays, int year, int month,
                                                  int day) const = 0;

  // One bell of a day whose bells an assignment decides (a day plan, a weekday swap, extras).
  struct Bell {
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t sound = 0;
    // How the record names it, "短縮日課 3番目", "臨時 1番目"; held in place, so that a day's
    // bells cost no allocation once the engine's list has its room.
    char origin[176] = {};
  };
  // Room for a day's most bells: a plan's or two pages' 48, and the extras.
  static constexpr std::size_t kMaxBellsOfADay = 160;
  // The bells of such a day, one per minute in ringing order, into bells (at most
  // kMaxBellsOfADay). False, leaving bells empty, on a day that rings the schedule's pages as
  // they stand or is silent: the engine then rings the pages as always.
  virtual bool assignedBells(const HolidayList& /*holidays*/, const WeekSchedule& /*schedule*/,
                             int /*year*/, int /*month*/, int /*day*/,
                             std::vector<Bell>& bells) const {
    bells.clear();
    return false;
  }
};

// Whether the system clock is synchronised to a time source; nothing when it cannot be told.
class ClockSync {
 public:
  virtual ~ClockSync() = default;
  virtual std::optional<bool> synchronized() = 0;
  // Called with the new state whenever the source reports a change; an empty handler stops
  // the reports. Sources that cannot report changes are read again instead.
  virtual void setChangeHandler(std::function<void(std::optional<bool>)> handler) {
    static_cast<void>(handler);
  }
};

// A window timer: changing the interval of a running timer restarts it, setting the same
// interval again does not; enabling an enabled timer does nothing; interval 0 never fires.
class BellTimer {
 public:
  virtual ~BellTimer() = default;
  virtual void setInterval(int milliseconds) = 0;
  virtual int interval() const = 0;
  virtual void setEnabled(bool enabled) = 0;
  virtual bool enabled() const = 0;
};

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

// Modal message boxes. The first button of each set is the default.
class Prompts {
 public:
  virtual ~Prompts() = default;
  virtual Answer ask(const std::string& text, const std::string& caption, Buttons buttons) = 0;
  // A message with an OK button that nobody may be there to press: it must not wait. Where a
  // box cannot be shown without waiting, asking is the fallback.
  virtual void inform(const std::string& text, const std::string& caption) {
    ask(text, caption, Buttons::Ok);
  }
};

// The schedule file dialogs: filter "Tollvane|*.txt", default extension "txt".
// An empty optional means the operator cancelled.
class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  virtual std::optional<std::string> openSchedule() = 0;
  virtual std::optional<std::string> saveSchedule(const std::string& currentFile) = 0;
  // The year plan's CSV files, to read ("*.csv", the file must exist) and to write (the
  // suggested name first). Windows without them never ask, so the default offers no file.
  virtual std::optional<std::string> openCsv() { return std::nullopt; }
  virtual std::optional<std::string> saveCsv(const std::string& suggested) {
    (void)suggested;
    return std::nullopt;
  }
};

// What the engine and the editor commands see of the main window.
class MainView {
 public:
  virtual ~MainView() = default;

  virtual std::string button1Caption() const = 0;
  virtual void setButton1Caption(const std::string& caption) = 0;
  virtual std::string button2Caption() const = 0;
  virtual void setButton2Caption(const std::string& caption) = 0;
  virtual void setButton3Visible(bool visible) = 0;
  virtual void setCheckBox1Checked(bool checked) = 0;
  virtual void clearMemo1() = 0;
  virtual void appendMemo1(const std::string& line) = 0;
  virtual void setLabel3(const std::string& text) = 0;
  virtual void setLabel61(const std::string& text) = 0;
  // Pages by timetable number: 1..7 = Sun..Sat, 8 = common.
  virtual void setActivePage(int timetable) = 0;
  virtual int activePage() const = 0;

  virtual void setCaption(const std::string& caption) = 0;
  virtual void setSave1Enabled(bool enabled) = 0;
  virtual void setPaste1Enabled(bool enabled) = 0;
  virtual void bringToFront() = 0;
};

}  // namespace tollvane

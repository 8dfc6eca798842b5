// Follows whether the system clock is being set automatically while the system is armed, and
// says so in the record only when that changes: a clock that is set a minute after boot is
// not news, one that stays unset, or stops being set, is.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tollvane {

class ClockSyncWatch {
 public:
  // A reading is taken at least this often as a fallback for the change signal.
  static constexpr int64_t kPollSeconds = 540;
  // After arming, an unset clock is news only once it has stayed unset this long.
  static constexpr int64_t kGraceSeconds = 540;

  struct Note {
    const char* kind;
    std::string text;
  };

  // Readings: true set automatically, false not, nothing when it cannot be told.
  std::optional<Note> armed(int64_t nowSeconds, std::optional<bool> reading);
  std::optional<Note> reading(int64_t nowSeconds, std::optional<bool> reading);
  void disarmed() { watching_ = false; }

  bool watching() const { return watching_; }
  bool pollDue(int64_t nowSeconds) const {
    return watching_ && nowSeconds - lastReadingAt_ >= kPollSeconds;
  }
  // The last reading said the clock is not being set.
  bool unsynchronised() const { return last_ == std::optional<bool>(false); }

 private:
  bool watching_ = false;
  int64_t armedAt_ = 0;
  int64_t lastReadingAt_ = 0;
  std::optional<bool> last_;
  // What the record last said: nothing yet, set, or not set.
  std::optional<bool> told_;
  bool toldUnknown_ = false;
};

}  // namespace tollvane

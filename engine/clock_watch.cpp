#include "engine/clock_watch.h"

#include "engine/texts.h"

namespace tollvane {

std::optional<ClockSyncWatch::Note> ClockSyncWatch::armed(int64_t nowSeconds,
                                                          std::optional<bool> value) {
  watching_ = true;
  armedAt_ = nowSeconds;
  if (!value && !toldUnknown_) {
    // Said once per run: a machine without the service cannot tell any better tomorrow.
    toldUnknown_ = true;
    lastReadingAt_ = nowSeconds;
    return Note{text::record::kWarning, text::line::kClockUnknown};
  }
  // An unset clock at arming waits out the grace; a set one needs no line.
  if (value == std::optional<bool>(true) && !told_) {
    told_ = true;
  }
  return reading(nowSeconds, value);
}

std::optional<ClockSyncWatch::Note> ClockSyncWatch::reading(int64_t nowSeconds,
                                                            std::optional<bool> value) {
  lastReadingAt_ = nowSeconds;
  if (!value) {
    return std::nullopt;  // a reading that failed changes nothing that is known
  }
  last_ = value;
  if (!watching_ || told_ == value) {
    return std::nullopt;
  }
  if (*value) {
    const bool wasTold = told_.has_value();
    told_ = true;
    if (!wasTold) {
      return std::nullopt;  // set within the grace: nothing was said, nothing to take back
    }
    return Note{text::record::kClockSync, text::line::kClockRegained};
  }
  // Lost after being set is news at once; unset since arming only after the grace.
  if (!told_ && nowSeconds - armedAt_ < kGraceSeconds) {
    return std::nullopt;
  }
  told_ = false;
  return Note{text::record::kWarning, text::line::kClockNotSet};
}

}  // namespace tollvane

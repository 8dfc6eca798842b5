#include "settings/settings_file.h"

#include <errno.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "engine/errors.h"
#include "schedule/text_number.h"
#include "settings/profile.h"
#include "settings/settings_location.h"

namespace tollvane {

namespace {

constexpr const char* kSoundSection = "SOUND";
constexpr const char* kHolidaySection = "HOLIDAY";
constexpr const char* kMissing = "-";

// The default "-" and a one-character value both end a list.
constexpr std::size_t kShortestValue = 2;

std::string ItemKey(int n) {
  return "Item" + std::to_string(n);
}
std::string DayKey(int n) {
  return "Day" + std::to_string(n);
}

}  // namespace

std::string ExecutablePath() {
  std::string buffer(4096, '\0');
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) {
      // No /proc (a bare chroot): the name the program was started with is the best guess.
      return program_invocation_name != nullptr ? program_invocation_name : "tollvane";
    }
    if (static_cast<std::size_t>(n) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(n));
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  // After a package upgrade replaced the running binary the kernel reports the old inode
  // with this suffix; the settings file still belongs beside the new one.
  constexpr std::string_view kDeleted = " (deleted)";
  if (buffer.size() > kDeleted.size() && buffer.ends_with(kDeleted)) {
    buffer.resize(buffer.size() - kDeleted.size());
  }
  return buffer;
}

std::string SettingsPathForExecutable(const std::string& executablePath) {
  const std::size_t slash = executablePath.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = executablePath.rfind('.');
  if (dot == std::string::npos || dot < nameStart) {
    return executablePath + ".INI";
  }
  return executablePath.substr(0, dot) + ".INI";
}

std::string SettingsFilePath() {
  const SystemFileAccess files;
  return PrepareSettingsLocation(
      ChooseSettingsLocation(ExecutablePath(), SettingsEnvironment::FromProcess(), files));
}

void ReadSettings(const std::string& path, SoundTable& sounds, HolidayList& holidays) {
  // One read of the whole file, held open for this one operation only.
  const Profile profile = Profile::Load(path);

  for (int n = 1; n <= kRegisteredSounds; ++n) {
    std::string value = profile.value(kSoundSection, ItemKey(n)).value_or(kMissing);
    if (value.size() < kShortestValue) {
      sounds[n].clear();
      break;
    }
    sounds[n] = std::move(value);
  }

  int count = 0;
  for (int n = 1; n <= kHolidayCapacity; ++n) {
    // Every value read is kept as the entry's text, the one that ends the list included.
    holidays.at(n).text = profile.value(kHolidaySection, DayKey(n)).value_or(kMissing);
    if (holidays.at(n).text.size() < kShortestValue) {
      break;
    }
    count = n;
  }
  // The count stands before any conversion, so a failing entry leaves it including that entry
  // and the ones after it; the pairs converted before the failure stay stored.
  holidays.count = count;

  for (int i = 1; i <= count; ++i) {
    Holiday& holiday = holidays.at(i);
    const std::size_t slash = holiday.text.find('/');
    // Without "/" the month part is empty and fails like any other empty part, so the day
    // below is only reached with a slash.
    holiday.month =
        StrToInt32(slash == std::string::npos ? std::string() : holiday.text.substr(0, slash));
    holiday.day = StrToInt32(holiday.text.substr(slash + 1));
  }
}

void UpdateSoundSettings(const std::string& path,
                         const std::array<std::string, kRegisteredSounds>& items,
                         SoundTable& sounds) {
  for (int n = 1; n <= kRegisteredSounds; ++n) {
    if (!WriteProfileString(path, kSoundSection, ItemKey(n), items[n - 1])) {
      throw WriteError(path);
    }
  }
  for (int n = 1; n <= kRegisteredSounds; ++n) {
    sounds[n] = items[n - 1];
  }
}

void UpdateHolidaySettings(const std::string& path,
                           const std::array<std::string, 2 * kHolidayRows>& texts,
                           HolidayList& holidays) {
  for (int r = 1; r <= kHolidayRows; ++r) {
    holidays.at(r).month = TextToNumber(texts[2 * r - 2]);
    holidays.at(r).day = TextToNumber(texts[2 * r - 1]);
  }
  for (int r = 1; r <= kHolidayRows; ++r) {
    const Holiday& holiday = holidays.at(r);
    if (!WriteProfileString(path, kHolidaySection, DayKey(r),
                            FormatHoliday(holiday.month, holiday.day))) {
      throw WriteError(path);
    }
  }
}

std::string FormatHoliday(int32_t month, int32_t day) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%2d/%2d", static_cast<int>(month), static_cast<int>(day));
  return buffer;
}

}  // namespace tollvane

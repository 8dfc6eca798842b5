// The settings file: section SOUND (Item1..Item10) and section HOLIDAY
// (Day1..Day20, read up to Day48).
#pragma once

#include <array>
#include <string>

#include "engine/week_schedule.h"

namespace tollvane {

// The running executable's absolute path (from /proc/self/exe, without the " (deleted)" an
// upgrade leaves; the start name where /proc is missing).
std::string ExecutablePath();

// The settings file in use (see ChooseSettingsLocation): beside the running executable when
// that place can be written, else the user's own file, seeded from the defaults on first use.
std::string SettingsFilePath();
// The executable's path with its extension replaced by ".INI" (".INI" appended when the file
// name has no dot).
std::string SettingsPathForExecutable(const std::string& executablePath);

// Fills the SoundTable and the HolidayList. A missing file is no error. A holiday month or
// day that does not convert raises ConversionError after the count is set and the earlier
// pairs are stored.
void ReadSettings(const std::string& path, SoundTable& sounds, HolidayList& holidays);

// The sound dialog's update: writes Item1..Item10 one key at a time, then copies the texts
// into SoundTable entries 1..10. A failed write raises WriteError(path) at that key; the
// earlier keys stay written and the SoundTable is left unchanged.
void UpdateSoundSettings(const std::string& path,
                         const std::array<std::string, kRegisteredSounds>& items,
                         SoundTable& sounds);

// The holiday dialog's update. texts holds the 40 drop-downs, row r's month at 2r-2 and its
// day at 2r-1. Each converts with TextToNumber and is stored at once into entry r (a
// ConversionError stops there, nothing written); then Day1..Day20 are written as "%2d/%2d".
// The count is left alone.
inline constexpr int kHolidayRows = 20;
void UpdateHolidaySettings(const std::string& path,
                           const std::array<std::string, 2 * kHolidayRows>& texts,
                           HolidayList& holidays);

// "%2d/%2d"
std::string FormatHoliday(int32_t month, int32_t day);

}  // namespace tollvane

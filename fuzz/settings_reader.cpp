// The settings file reader: the input is the settings file. ReadSettings fills a SoundTable and
// HolidayList that start out holding other values; the INI module behind it must keep every
// byte it does not change.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/errors.h"
#include "engine/week_schedule.h"
#include "fuzz_check.h"
#include "settings/profile.h"
#include "settings/settings_file.h"

namespace {

using tollvane::HolidayList;
using tollvane::kHolidayCapacity;
using tollvane::kMaxProfileValueBytes;
using tollvane::kRegisteredSounds;
using tollvane::kSoundTableSize;
using tollvane::Profile;
using tollvane::SoundTable;
using tollvane::fuzz::Guarded;

const std::string kUntouched = "untouched";

// Lines end at LF (CR LF included); a lone CR is part of the line, as in every profile reader.
bool OneLine(const std::string& value) {
  return value.find('\n') == std::string::npos;
}

void CheckProfile(std::string_view bytes) {
  const Profile profile = Profile::Parse(bytes);
  FUZZ_CHECK(profile.bytes() == bytes);

  // Rewriting one key changes that key only and reads back as written.
  const auto before1 = profile.value("SOUND", "Item1");
  const auto beforeDay = profile.value("HOLIDAY", "Day1");
  Profile changed = profile;
  const std::string sound = "/usr/share/sounds/chime 2.wav";
  FUZZ_CHECK(changed.set("SOUND", "Item2", sound));
  FUZZ_CHECK(changed.value("SOUND", "Item2") == sound);
  FUZZ_CHECK(changed.value("SOUND", "Item1") == before1);
  FUZZ_CHECK(changed.value("HOLIDAY", "Day1") == beforeDay);
  const Profile reread = Profile::Parse(changed.bytes());
  FUZZ_CHECK(reread.value("SOUND", "Item2") == sound);
  FUZZ_CHECK(reread.value("SOUND", "Item1") == before1);
  FUZZ_CHECK(reread.value("HOLIDAY", "Day1") == beforeDay);
  // A value the file cannot hold on one line is refused and changes nothing.
  FUZZ_CHECK(!changed.set("SOUND", "Item3", "two\nlines"));
  FUZZ_CHECK(changed.bytes() == reread.bytes());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CheckProfile(bytes);

  const std::string path = tollvane::fuzz::WriteScratchFile("tollvane.INI", data, size);
  Guarded<SoundTable> sounds;
  sounds.value.fill(kUntouched);
  Guarded<HolidayList> holidays;
  holidays.value.count = -7;
  for (auto& holiday : holidays.value.entries)
    holiday = {99, 99, kUntouched};

  bool complete = true;
  try {
    tollvane::ReadSettings(path, sounds.value, holidays.value);
  } catch (const tollvane::ConversionError&) {
    complete = false;  // a holiday that is not a number; the operator sees the error
  }
  FUZZ_CHECK(sounds.intact());
  FUZZ_CHECK(holidays.intact());

  // Only entries 1..10 of the SoundTable are settings; each one read is a whole value.
  FUZZ_CHECK(sounds.value[0] == kUntouched);
  for (int n = kRegisteredSounds + 1; n < kSoundTableSize; ++n)
    FUZZ_CHECK(sounds.value[static_cast<size_t>(n)] == kUntouched);
  for (int n = 1; n <= kRegisteredSounds; ++n) {
    const std::string& value = sounds.value[static_cast<size_t>(n)];
    FUZZ_CHECK(value.size() <= kMaxProfileValueBytes);
    FUZZ_CHECK(value == kUntouched || OneLine(value));
  }

  const HolidayList& list = holidays.value;
  FUZZ_CHECK(list.count >= 0 && list.count <= kHolidayCapacity);
  FUZZ_CHECK(list.entries[0].text == kUntouched);
  for (int n = 1; n <= list.count; ++n) {
    FUZZ_CHECK(list.at(n).text.size() >= 2);
    FUZZ_CHECK(list.at(n).text.size() <= kMaxProfileValueBytes);
    FUZZ_CHECK(OneLine(list.at(n).text));
  }
  if (complete) {
    // Every listed holiday converted; its text formats back to the same month and day.
    for (int n = 1; n <= list.count; ++n) {
      const std::string formatted = tollvane::FormatHoliday(list.at(n).month, list.at(n).day);
      FUZZ_CHECK(formatted.find('/') != std::string::npos);
    }
  }
  return 0;
}

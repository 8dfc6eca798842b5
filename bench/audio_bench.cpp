// Open latency of the sound player per format: what a bell waits between the tick and the
// start of its sound. Prints figures only.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "audio/gst_sound_player.h"
#include "sound_files.h"

namespace {

using tollvane::GstSoundPlayer;
using tollvane::testing::SoundFormat;

constexpr int kOpens = 20;
constexpr int kToneMs = 3000;

double millisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

const char* keyOf(SoundFormat format) {
  switch (format) {
    case SoundFormat::kWav:
      return "open.wav";
    case SoundFormat::kMp3WithHeader:
      return "open.mp3";
    case SoundFormat::kMp3WithoutHeader:
      return "open.mp3bare";
    case SoundFormat::kWma:
      return "open.wma";
  }
  return "open.other";
}

void measure(SoundFormat format, const tollvane::testing::ScratchFolder& folder) {
  const std::string path =
      folder.file(std::string("bench") + tollvane::testing::extensionOf(format));
  const std::string failure = tollvane::testing::writeSound(format, kToneMs, path);
  if (!failure.empty()) {
    std::printf("%-28s skipped: %s\n", tollvane::testing::formatName(format), failure.c_str());
    std::printf("@ %s\tskipped\n", keyOf(format));
    return;
  }
  GstSoundPlayer player("fakesink sync=true");
  player.setFileName(path);
  std::vector<double> openMs;
  std::vector<double> lengthMs;
  int length = 0;
  for (int i = 0; i < kOpens; ++i) {
    auto start = std::chrono::steady_clock::now();
    player.open();  // closes the previous open first, as every bell does
    openMs.push_back(millisecondsSince(start));
    start = std::chrono::steady_clock::now();
    player.setTimeFormatMilliseconds();
    length = player.length();
    lengthMs.push_back(millisecondsSince(start));
  }
  player.close();
  std::sort(openMs.begin(), openMs.end());
  std::sort(lengthMs.begin(), lengthMs.end());
  std::printf(
      "%-28s open median %7.2f ms  max %7.2f ms | length median %7.2f ms  max %7.2f ms"
      " | length %d ms of %d\n",
      tollvane::testing::formatName(format), openMs[openMs.size() / 2], openMs.back(),
      lengthMs[lengthMs.size() / 2], lengthMs.back(), length, kToneMs);
  std::printf("@ %s\t%.1f ms (+%.1f ms for the length)\n", keyOf(format), openMs[openMs.size() / 2],
              lengthMs[lengthMs.size() / 2]);
}

}  // namespace

int main() {
  tollvane::testing::ScratchFolder folder;
  std::printf("sound player: %d opens of a %d ms tone per format (first open included)\n", kOpens,
              kToneMs);
  for (SoundFormat format : {SoundFormat::kWav, SoundFormat::kMp3WithHeader,
                             SoundFormat::kMp3WithoutHeader, SoundFormat::kWma}) {
    try {
      measure(format, folder);
    } catch (const std::exception& error) {
      std::printf("%-28s failed: %s\n", tollvane::testing::formatName(format), error.what());
    }
  }
  return 0;
}

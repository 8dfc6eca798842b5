// Open latency of the sound player per format: what a bell waits between the tick and the
// start of its sound; and how much of a marked chime's head and tail a private PulseAudio
// server's monitor hears per server latency. Prints figures only.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <glib.h>

#include <cstdlib>
#include <string>

#include "audio/gst_sound_player.h"
#include "pulse_server.h"
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

// One chime through the server at latencyMs; "head/tail" in ms of 100, or why not.
std::string chimeHeard(const tollvane::testing::PulseServer& server, SoundFormat format,
                       int latencyMs, const tollvane::testing::ScratchFolder& folder) {
  const tollvane::testing::MarkedChime chime;
  const std::string path =
      folder.file(std::string("marked") + tollvane::testing::extensionOf(format));
  if (const std::string failure = tollvane::testing::writeMarkedChime(format, chime, path);
      !failure.empty()) {
    return "skipped";
  }
  tollvane::testing::MonitorRecorder recorder;
  if (!recorder.start(server, latencyMs).empty())
    return "no recorder";
  GstSoundPlayer player("pulsesink");
  player.setFileName(path);
  player.open();
  player.play();
  // The player's bus watch runs on this thread's main context, as in the program.
  const gint64 deadline = g_get_monotonic_time() + 10 * G_USEC_PER_SEC;
  while (player.playingOut() && g_get_monotonic_time() < deadline) {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    g_usleep(5000);
  }
  g_usleep(static_cast<gulong>(latencyMs + 300) * 1000);
  player.close();
  recorder.finish();
  const tollvane::testing::ChimeHeard heard =
      tollvane::testing::hearChime(chime, recorder.samples());
  return std::to_string(heard.headMs) + "/" + std::to_string(heard.tailMs);
}

void measureChimes() {
  tollvane::testing::PulseServer server;
  if (const std::string whyNot = server.start(); !whyNot.empty()) {
    std::printf("chime through a sound server skipped: %s\n", whyNot.c_str());
    return;
  }
  setenv("PULSE_SERVER", server.server().c_str(), 1);
  tollvane::testing::ScratchFolder folder;
  std::printf("chime through a sound server: head/tail marker heard, ms of 100\n");
  for (int latencyMs : {20, 200, 500}) {
    std::string row;
    for (SoundFormat format : {SoundFormat::kWav, SoundFormat::kMp3WithHeader, SoundFormat::kWma}) {
      static const char* const kShort[] = {"WAV", "MP3", "MP3 bare", "WMA"};
      row += std::string(row.empty() ? "" : ", ") + kShort[static_cast<int>(format)] + " " +
             chimeHeard(server, format, latencyMs, folder);
    }
    std::printf("  at %3d ms latency: %s\n", latencyMs, row.c_str());
    std::printf("@ chime.%d\t%s\n", latencyMs, row.c_str());
  }
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
  try {
    measureChimes();
  } catch (const std::exception& error) {
    std::printf("chime through a sound server failed: %s\n", error.what());
  }
  return 0;
}

// Writes short sine-tone sound files with GStreamer's own encoders, so that the tests and the
// benchmark need no sample files in the repository.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "support/scratch_folder.h"

namespace tollvane::testing {

enum class SoundFormat {
  kWav,
  kMp3WithHeader,     // CBR MP3 with a Xing length header in front
  kMp3WithoutHeader,  // bare CBR frames: the length is known only by estimate
  kWma,               // WMA version 2 in an ASF container
};

const char* formatName(SoundFormat format);
const char* extensionOf(SoundFormat format);

// Writes a tone of durationMs milliseconds (a multiple of 10) to path. Returns an empty text
// on success, otherwise why it could not (an encoder missing, a pipeline failure).
std::string writeSound(SoundFormat format, int durationMs, const std::string& path);

// A chime that tells which of its ends a player lost: a head marker, a body and a tail marker,
// each a sine tone of its own frequency. The frequencies are multiples of 100 Hz, so that each
// fills a 10 ms window with whole periods.
struct MarkedChime {
  int headHz = 1500;
  int bodyHz = 700;
  int tailHz = 3000;
  int markerMs = 100;
  int bodyMs = 800;
  int amplitude = 26000;  // of 32767
  int totalMs() const { return 2 * markerMs + bodyMs; }
};

// Writes the chime as a 44.1 kHz stereo sound file; empty on success, otherwise why not.
std::string writeMarkedChime(SoundFormat format, const MarkedChime& chime, const std::string& path);

// How long each part of a marked chime was heard in a mono 44.1 kHz recording, by the tone
// that fills each 10 ms window, judged every millisecond. first and last are the indexes of
// the windows' centres where the chime was first and last heard; npos when it never was.
struct ChimeHeard {
  static constexpr size_t npos = static_cast<size_t>(-1);
  int headMs = 0;
  int bodyMs = 0;
  int tailMs = 0;
  size_t first = npos;
  size_t last = npos;
};
ChimeHeard hearChime(const MarkedChime& chime, const std::vector<int16_t>& mono);

// Writes a PNG picture: a file the sound system decodes but that holds no sound.
std::string writePicture(const std::string& path);

}  // namespace tollvane::testing

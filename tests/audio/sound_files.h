// Writes short sine-tone sound files with GStreamer's own encoders, so that the tests and the
// benchmark need no sample files in the repository.
#pragma once

#include <string>

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

// Writes a PNG picture: a file the sound system decodes but that holds no sound.
std::string writePicture(const std::string& path);

}  // namespace tollvane::testing

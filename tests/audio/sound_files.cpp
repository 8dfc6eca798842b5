#include "sound_files.h"

#include <gst/gst.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace tollvane::testing {
namespace {

constexpr int kRate = 44100;
constexpr int kSamplesPer10Ms = kRate / 100;
constexpr GstClockTime kEncodeTimeoutNs = 60 * GST_SECOND;

bool hasElement(const char* name) {
  GstElementFactory* factory = gst_element_factory_find(name);
  if (factory == nullptr)
    return false;
  gst_object_unref(factory);
  return true;
}

struct Encoding {
  std::vector<const char*> elements;  // what the chain needs, for a clear reason
  const char* chain;
};

Encoding encodingOf(SoundFormat format) {
  switch (format) {
    case SoundFormat::kWav:
      return {{"wavenc"}, "wavenc"};
    case SoundFormat::kMp3WithHeader:
      return {{"lamemp3enc", "xingmux"},
              "lamemp3enc target=bitrate bitrate=128 cbr=true ! xingmux"};
    case SoundFormat::kMp3WithoutHeader:
      // lamemp3enc alone writes no Xing or Info frame.
      return {{"lamemp3enc"}, "lamemp3enc target=bitrate bitrate=128 cbr=true"};
    case SoundFormat::kWma:
      if (hasElement("asfmux")) {
        return {{"avenc_wmav2", "asfmux"}, "avenc_wmav2 ! asfmux"};
      }
      return {{"avenc_wmav2", "avmux_asf"}, "avenc_wmav2 ! avmux_asf"};
  }
  return {{}, ""};
}

}  // namespace

const char* formatName(SoundFormat format) {
  switch (format) {
    case SoundFormat::kWav:
      return "WAV";
    case SoundFormat::kMp3WithHeader:
      return "MP3 with length header";
    case SoundFormat::kMp3WithoutHeader:
      return "MP3 without length header";
    case SoundFormat::kWma:
      return "WMA";
  }
  return "?";
}

const char* extensionOf(SoundFormat format) {
  switch (format) {
    case SoundFormat::kWav:
      return ".wav";
    case SoundFormat::kMp3WithHeader:
    case SoundFormat::kMp3WithoutHeader:
      return ".mp3";
    case SoundFormat::kWma:
      return ".wma";
  }
  return "";
}

namespace {

// Runs "<description> ! filesink" to its end. Empty on success, otherwise why not.
std::string encodeToFile(const std::vector<const char*>& needed, const std::string& description,
                         const std::string& path) {
  gst_init(nullptr, nullptr);
  for (const char* element : needed) {
    if (!hasElement(element))
      return std::string("GStreamer element ") + element + " is missing";
  }
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch((description + " ! filesink name=out").c_str(), &error);
  if (error != nullptr) {
    std::string reason = error->message;
    g_error_free(error);
    if (pipeline != nullptr)
      gst_object_unref(pipeline);
    return reason;
  }
  GstElement* out = gst_bin_get_by_name(GST_BIN(pipeline), "out");
  g_object_set(out, "location", path.c_str(), nullptr);
  gst_object_unref(out);

  std::string reason;
  GstBus* bus = gst_element_get_bus(pipeline);
  if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    reason = "the encoding pipeline does not start";
  } else {
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus, kEncodeTimeoutNs, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    if (message == nullptr) {
      reason = "encoding did not finish";
    } else {
      if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        GError* failure = nullptr;
        gst_message_parse_error(message, &failure, nullptr);
        reason = failure != nullptr ? failure->message : "encoding failed";
        if (failure != nullptr)
          g_error_free(failure);
      }
      gst_message_unref(message);
    }
  }
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(bus);
  gst_object_unref(pipeline);
  return reason;
}

}  // namespace

std::string writeSound(SoundFormat format, int durationMs, const std::string& path) {
  gst_init(nullptr, nullptr);
  const Encoding encoding = encodingOf(format);
  std::vector<const char*> needed = {"audiotestsrc", "audioconvert"};
  needed.insert(needed.end(), encoding.elements.begin(), encoding.elements.end());
  const std::string description =
      "audiotestsrc wave=sine freq=880 num-buffers=" + std::to_string(durationMs / 10) +
      " samplesperbuffer=" + std::to_string(kSamplesPer10Ms) +
      " ! audio/x-raw,rate=" + std::to_string(kRate) + ",channels=2 ! audioconvert ! " +
      encoding.chain;
  return encodeToFile(needed, description, path);
}

namespace {

void putLittleEndian(std::ofstream& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out.put(static_cast<char>((value >> (8 * i)) & 0xff));
}

// 16-bit stereo PCM; the phase runs on across the tones so that no click joins them.
std::string writeChimeWav(const MarkedChime& chime, const std::string& path,
                          size_t trailingSilence = 0) {
  std::vector<int16_t> samples;
  double phase = 0;
  for (auto [hz, ms] :
       {std::pair{chime.headHz, chime.markerMs}, std::pair{chime.bodyHz, chime.bodyMs},
        std::pair{chime.tailHz, chime.markerMs}}) {
    for (int i = 0; i < ms * kRate / 1000; ++i) {
      const auto sample = static_cast<int16_t>(std::lround(chime.amplitude * std::sin(phase)));
      samples.insert(samples.end(), {sample, sample});
      phase = std::fmod(phase + 2 * std::numbers::pi * hz / kRate, 2 * std::numbers::pi);
    }
  }
  samples.resize(samples.size() + 2 * trailingSilence);
  std::ofstream out(path, std::ios::binary);
  const auto dataBytes = static_cast<uint32_t>(samples.size() * 2);
  out.write("RIFF", 4);
  putLittleEndian(out, 36 + dataBytes, 4);
  out.write("WAVEfmt ", 8);
  putLittleEndian(out, 16, 4);
  putLittleEndian(out, 1, 2);  // PCM
  putLittleEndian(out, 2, 2);
  putLittleEndian(out, kRate, 4);
  putLittleEndian(out, kRate * 4, 4);
  putLittleEndian(out, 4, 2);
  putLittleEndian(out, 16, 2);
  out.write("data", 4);
  putLittleEndian(out, dataBytes, 4);
  for (int16_t sample : samples)
    putLittleEndian(out, static_cast<uint16_t>(sample), 2);
  out.close();
  return out ? std::string() : "cannot write " + path;
}

}  // namespace

std::string writeMarkedChime(SoundFormat format, const MarkedChime& chime,
                             const std::string& path) {
  if (format == SoundFormat::kWav)
    return writeChimeWav(chime, path);
  const std::string source = path + ".source.wav";
  // The WMA encoder drops the last part frame, so one frame (2048 samples) of silence goes last.
  std::string failure = writeChimeWav(chime, source, format == SoundFormat::kWma ? 2048 : 0);
  if (failure.empty()) {
    const Encoding encoding = encodingOf(format);
    std::vector<const char*> needed = {"filesrc", "wavparse", "audioconvert"};
    needed.insert(needed.end(), encoding.elements.begin(), encoding.elements.end());
    failure = encodeToFile(
        needed, "filesrc location=\"" + source + "\" ! wavparse ! audioconvert ! " + encoding.chain,
        path);
  }
  std::error_code ignored;
  std::filesystem::remove(source, ignored);
  return failure;
}

namespace {

// Amplitude of one frequency in samples [begin, begin + count), by the Goertzel recurrence.
double amplitudeAt(const std::vector<int16_t>& mono, size_t begin, size_t count, int hz) {
  const double coefficient = 2 * std::cos(2 * std::numbers::pi * hz / kRate);
  double previous = 0, beforePrevious = 0;
  for (size_t i = begin; i < begin + count; ++i) {
    const double current = mono[i] + coefficient * previous - beforePrevious;
    beforePrevious = previous;
    previous = current;
  }
  const double power = previous * previous + beforePrevious * beforePrevious -
                       coefficient * previous * beforePrevious;
  return 2 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(count);
}

}  // namespace

ChimeHeard hearChime(const MarkedChime& chime, const std::vector<int16_t>& mono) {
  constexpr size_t kWindow = kSamplesPer10Ms;
  constexpr size_t kHop = kRate / 1000;
  // Half the amplitude: a window across an edge counts for the part that fills most of it.
  const double loud = chime.amplitude / 2.0;
  ChimeHeard heard;
  for (size_t begin = 0; begin + kWindow <= mono.size(); begin += kHop) {
    int* parts[] = {&heard.headMs, &heard.bodyMs, &heard.tailMs};
    const int tones[] = {chime.headHz, chime.bodyHz, chime.tailHz};
    int strongest = -1;
    double strongestAmplitude = loud;
    for (int part = 0; part < 3; ++part) {
      const double amplitude = amplitudeAt(mono, begin, kWindow, tones[part]);
      if (amplitude >= strongestAmplitude) {
        strongest = part;
        strongestAmplitude = amplitude;
      }
    }
    if (strongest < 0)
      continue;
    ++*parts[strongest];
    const size_t centre = begin + kWindow / 2;
    if (heard.first == ChimeHeard::npos)
      heard.first = centre;
    heard.last = centre;
  }
  return heard;
}

std::string writePicture(const std::string& path) {
  return encodeToFile({"videotestsrc", "pngenc"}, "videotestsrc num-buffers=1 ! pngenc", path);
}

}  // namespace tollvane::testing

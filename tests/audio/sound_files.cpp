#include "sound_files.h"

#include <gst/gst.h>

#include <cstdlib>
#include <filesystem>
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

std::string writePicture(const std::string& path) {
  return encodeToFile({"videotestsrc", "pngenc"}, "videotestsrc num-buffers=1 ! pngenc", path);
}

}  // namespace tollvane::testing

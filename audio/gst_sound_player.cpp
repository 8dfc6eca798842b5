#include "audio/gst_sound_player.h"

#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <atomic>
#include <climits>
#include <exception>
#include <mutex>
#include <utility>

#include "audio/sound_texts.h"

namespace tollvane {
namespace {

constexpr char kNoDeviceText[] = "MCI デバイスがありません";
constexpr char kUnknownErrorText[] = "原因不明のエラー";

constexpr GstClockTime kPrerollTimeoutNs = 5 * GST_SECOND;
// An element posts its ERROR on the bus on its own thread, so it can arrive just after the
// state change has been reported as failed.
constexpr GstClockTime kErrorGraceNs = 500 * GST_MSECOND;
constexpr GstClockTime kStateTimeoutNs = 5 * GST_SECOND;
constexpr GstClockTime kDiscoverTimeoutNs = 5 * GST_SECOND;
// A waiting play gives up this long after the sound should have ended.
constexpr gint64 kWaitingPlaySlackUs = 10 * G_USEC_PER_SEC;
constexpr GstClockTime kWaitingPlayPollNs = 100 * GST_MSECOND;

// A sound server mixes a newly started stream into output it has already prepared and passed
// on, up to its latency ahead; what the stream holds for that stretch is never heard. The sound
// therefore starts after this much silence, which a server at up to 500 ms latency leaves to a
// stream that has just joined it. Only an output that keeps its own clock (a sound device or
// server) needs it.
constexpr GstClockTime kServerStartSilenceNs = 400 * GST_MSECOND;

// playbin's GstPlayFlags: sound only, so a file with pictures still plays without a window.
constexpr guint kPlayFlagAudio = 1u << 1;
constexpr guint kPlayFlagSoftVolume = 1u << 4;

struct ObjectUnref {
  void operator()(gpointer object) const { gst_object_unref(object); }
};
template <typename T>
using GstPtr = std::unique_ptr<T, ObjectUnref>;

// Teardown is always state NULL first: it joins the streaming threads before the last unref.
struct PipelineRelease {
  void operator()(GstElement* pipeline) const {
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
  }
};
using PipelinePtr = std::unique_ptr<GstElement, PipelineRelease>;

struct GObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
struct MessageUnref {
  void operator()(GstMessage* message) const { gst_message_unref(message); }
};
using MessagePtr = std::unique_ptr<GstMessage, MessageUnref>;
struct ErrorFree {
  void operator()(GError* error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;
struct GFree {
  void operator()(gpointer memory) const { g_free(memory); }
};
using GCharPtr = std::unique_ptr<gchar, GFree>;

// The player's own texts for the common failures, by GStreamer's error domain and code; they
// read the same whatever the locale. Those about the file name it ("%s") once it is known.
constexpr const char* kFileNotFoundText = text::sound::kFileNotFound;
constexpr const char* kCannotReadText = text::sound::kCannotRead;
constexpr const char* kNotASoundText = text::sound::kNotASound;
constexpr const char* kNoDecoderText = text::sound::kNoDecoder;
constexpr const char* kDeviceBusyText = text::sound::kDeviceBusy;
constexpr const char* kDeviceUnavailableText = text::sound::kDeviceUnavailable;

// The operator has to find the file: a Japanese text names it; an empty name is an entry of
// the sound table that was never filled.
std::string NamingTheFile(SoundErrorTexts texts, std::string text, const std::string& fileName) {
  const std::size_t at = text.find("%s");
  if (texts != SoundErrorTexts::kJapanese || at == std::string::npos)
    return text;
  if (fileName.empty())
    return text::sound::kNoFileGiven;
  return text.replace(at, 2, fileName);
}

// fromSink: the output reported it, so a resource is the sound device, not the file.
const char* japaneseText(const GError* error, bool fromSink) {
  if (error == nullptr)
    return kUnknownErrorText;
  const gint code = error->code;
  if (error->domain == GST_RESOURCE_ERROR) {
    if (code == GST_RESOURCE_ERROR_BUSY)
      return kDeviceBusyText;
    if (fromSink)
      return kDeviceUnavailableText;
    switch (code) {
      case GST_RESOURCE_ERROR_NOT_FOUND:
        return kFileNotFoundText;
      case GST_RESOURCE_ERROR_OPEN_READ:
      case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
      case GST_RESOURCE_ERROR_READ:
      case GST_RESOURCE_ERROR_SEEK:
      case GST_RESOURCE_ERROR_NOT_AUTHORIZED:
        return kCannotReadText;
      default:
        return kUnknownErrorText;
    }
  }
  if (error->domain == GST_STREAM_ERROR) {
    switch (code) {
      case GST_STREAM_ERROR_CODEC_NOT_FOUND:
        return kNoDecoderText;
      case GST_STREAM_ERROR_TYPE_NOT_FOUND:
      case GST_STREAM_ERROR_WRONG_TYPE:
      case GST_STREAM_ERROR_DECODE:
      case GST_STREAM_ERROR_DEMUX:
      case GST_STREAM_ERROR_FORMAT:
        return kNotASoundText;
      default:
        return fromSink ? kDeviceUnavailableText : kUnknownErrorText;
    }
  }
  if (error->domain == GST_CORE_ERROR && code == GST_CORE_ERROR_MISSING_PLUGIN)
    return kNoDecoderText;
  // Any other failure of the output, a sink that cannot be made among them.
  return fromSink ? kDeviceUnavailableText : kUnknownErrorText;
}

std::string textOf(SoundErrorTexts texts, const GError* error, bool fromSink = false) {
  if (texts == SoundErrorTexts::kJapanese)
    return japaneseText(error, fromSink);
  if (error == nullptr || error->message == nullptr || *error->message == '\0') {
    return kUnknownErrorText;
  }
  return error->message;
}

// The text for one of GStreamer's error codes: its own (translated) one, or ours.
std::string gstText(SoundErrorTexts texts, GQuark domain, gint code) {
  if (texts == SoundErrorTexts::kJapanese) {
    const GError error{domain, code, nullptr};
    return japaneseText(&error, false);
  }
  GCharPtr text(gst_error_get_message(domain, code));
  return text && *text ? std::string(text.get()) : std::string(kUnknownErrorText);
}

// gst_init exactly once per process, from whichever thread opens first.
const std::string& initError() {
  static std::once_flag once;
  static std::string error;
  std::call_once(once, [] {
    GError* raw = nullptr;
    if (!gst_init_check(nullptr, nullptr, &raw)) {
      ErrorPtr failure(raw);
      error = textOf(SoundErrorTexts::kSoundSystem, failure.get());
      return;
    }
    gst_pb_utils_init();
  });
  return error;
}

std::string errorText(SoundErrorTexts texts, GstMessage* message) {
  GError* raw = nullptr;
  gst_message_parse_error(message, &raw, nullptr);
  ErrorPtr error(raw);
  GstObject* source = GST_MESSAGE_SRC(message);
  const bool fromSink = source != nullptr && GST_IS_ELEMENT(source) &&
                        GST_OBJECT_FLAG_IS_SET(source, GST_ELEMENT_FLAG_SINK);
  return textOf(texts, error.get(), fromSink);
}

// Discards what is queued before the first ERROR; use it only where the sound has failed.
std::string takeErrorText(SoundErrorTexts texts, GstBus* bus, GstClockTime timeout) {
  MessagePtr message(gst_bus_timed_pop_filtered(bus, timeout, GST_MESSAGE_ERROR));
  return message ? errorText(texts, message.get()) : std::string(kUnknownErrorText);
}

int toMilliseconds(GstClockTime ns) {
  const GstClockTime ms = (ns + GST_MSECOND / 2) / GST_MSECOND;
  return ms > static_cast<GstClockTime>(INT_MAX) ? INT_MAX : static_cast<int>(ms);
}

// A constant-bitrate MP3 without a length header has no duration while prerolled; the
// discoverer scans further into the file and estimates one. 0 when nothing knows it.
int discoveredLength(const std::string& uri) {
  GError* raw = nullptr;
  std::unique_ptr<GstDiscoverer, GObjectUnref> discoverer(
      gst_discoverer_new(kDiscoverTimeoutNs, &raw));
  ErrorPtr createError(raw);
  if (!discoverer)
    return 0;
  raw = nullptr;
  std::unique_ptr<GstDiscovererInfo, GObjectUnref> info(
      gst_discoverer_discover_uri(discoverer.get(), uri.c_str(), &raw));
  ErrorPtr discoverError(raw);
  if (!info)
    return 0;
  const GstClockTime ns = gst_discoverer_info_get_duration(info.get());
  return GST_CLOCK_TIME_IS_VALID(ns) ? toMilliseconds(ns) : 0;
}

GstBusSyncReply markEnd(GstBus*, GstMessage* message, gpointer atEnd) {
  if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
    static_cast<std::atomic<bool>*>(atEnd)->store(true);
  }
  return GST_BUS_PASS;
}

GstElement* makeSink(const std::string& description, GError** error) {
  if (description.empty())
    return gst_element_factory_make("autoaudiosink", nullptr);
  return gst_parse_bin_from_description(description.c_str(), TRUE, error);
}

}  // namespace

// One prerolled playbin. Members are declared so that the pipeline goes first: its state NULL
// stops the streaming threads that write atEnd.
struct GstSoundPlayer::OpenSound {
  OpenSound(const std::string& fileName, const std::string& sinkDescription, SoundErrorTexts texts);
  ~OpenSound() {
    if (watching)
      gst_bus_remove_watch(bus.get());
  }
  OpenSound(const OpenSound&) = delete;
  OpenSound& operator=(const OpenSound&) = delete;

  // Set on a streaming thread the moment EOS is posted, so play knows to rewind even when
  // nobody has dispatched the message yet.
  std::atomic<bool> atEnd{false};
  bool failed = false;  // an ERROR ended playback; the pipeline needs a reset to play again
  bool watching = false;
  std::string uri;
  std::optional<int> discoveredMs;
  GstPtr<GstBus> bus;
  PipelinePtr pipeline;
};

GstSoundPlayer::OpenSound::OpenSound(const std::string& fileName,
                                     const std::string& sinkDescription, SoundErrorTexts texts) {
  if (const std::string& failure = initError(); !failure.empty()) {
    throw EMCIDeviceError(texts == SoundErrorTexts::kJapanese ? kUnknownErrorText : failure);
  }
  // gst_filename_to_uri("") would name the current folder.
  if (fileName.empty()) {
    throw EMCIDeviceError(gstText(texts, GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND));
  }
  GError* raw = nullptr;
  GCharPtr fileUri(gst_filename_to_uri(fileName.c_str(), &raw));
  ErrorPtr uriError(raw);
  if (!fileUri)
    throw EMCIDeviceError(textOf(texts, uriError.get()));
  uri = fileUri.get();

  GstElement* playbin = gst_element_factory_make("playbin", nullptr);
  if (playbin == nullptr) {
    throw EMCIDeviceError(gstText(texts, GST_CORE_ERROR, GST_CORE_ERROR_MISSING_PLUGIN));
  }
  pipeline.reset(GST_ELEMENT(gst_object_ref_sink(playbin)));

  raw = nullptr;
  GstElement* made = makeSink(sinkDescription, &raw);
  ErrorPtr sinkError(raw);
  GstPtr<GstElement> sink(made != nullptr ? GST_ELEMENT(gst_object_ref_sink(made)) : nullptr);
  if (!sink || sinkError) {
    throw EMCIDeviceError(sinkError
                              ? textOf(texts, sinkError.get(), true)
                              : gstText(texts, GST_CORE_ERROR, GST_CORE_ERROR_MISSING_PLUGIN));
  }
  g_object_set(pipeline.get(), "uri", uri.c_str(), "audio-sink", sink.get(), "flags",
               kPlayFlagAudio | kPlayFlagSoftVolume, nullptr);

  bus.reset(gst_element_get_bus(pipeline.get()));
  gst_bus_set_sync_handler(bus.get(), markEnd, &atEnd, nullptr);

  GstStateChangeReturn result = gst_element_set_state(pipeline.get(), GST_STATE_PAUSED);
  if (result == GST_STATE_CHANGE_ASYNC) {
    result = gst_element_get_state(pipeline.get(), nullptr, nullptr, kPrerollTimeoutNs);
  }
  if (result == GST_STATE_CHANGE_FAILURE || result == GST_STATE_CHANGE_ASYNC) {
    throw EMCIDeviceError(takeErrorText(texts, bus.get(), kErrorGraceNs));
  }
  // Once prerolled the output has opened its device or stream, and says whether it keeps time.
  if (GstClock* clock = gst_element_provide_clock(sink.get())) {
    gst_object_unref(clock);
    // Every start from PAUSED, a resume or a rewound play too, begins this much later.
    gst_pipeline_set_delay(GST_PIPELINE(pipeline.get()), kServerStartSilenceNs);
  }
  // A file that prerolls without any sound in it (a text or picture file) is no sound file.
  gint audioStreams = 0;
  g_object_get(pipeline.get(), "n-audio", &audioStreams, nullptr);
  if (audioStreams == 0) {
    throw EMCIDeviceError(gstText(texts, GST_STREAM_ERROR, GST_STREAM_ERROR_WRONG_TYPE));
  }
}

GstSoundPlayer::GstSoundPlayer(std::string sinkDescription, SoundErrorTexts errorTexts)
    : sinkDescription_(std::move(sinkDescription)), errorTexts_(errorTexts) {}

GstSoundPlayer::~GstSoundPlayer() {
  close();
}

void GstSoundPlayer::setFileName(const std::string& fileName) {
  fileName_ = fileName;
}

const std::string& GstSoundPlayer::fileName() const {
  return fileName_;
}

void GstSoundPlayer::open() {
  close();
  lastError_.clear();
  try {
    auto sound = std::make_unique<OpenSound>(fileName_, sinkDescription_, errorTexts_);
    // The watch runs on the opening thread's default main context: in the program that is
    // the Qt event loop, which dispatches GLib sources.
    sound->watching = gst_bus_add_watch(sound->bus.get(), &GstSoundPlayer::busWatch, this) != 0;
    sound_ = std::move(sound);
  } catch (const EMCIDeviceError& error) {
    lastError_ = NamingTheFile(errorTexts_, error.what(), fileName_);
    throw EMCIDeviceError(lastError_);
  }
}

bool GstSoundPlayer::isOpen() const {
  return sound_ != nullptr;
}

// Milliseconds is the only time format there is, and lengths are always given in it.
void GstSoundPlayer::setTimeFormatMilliseconds() {
  if (sound_) {
    lastError_.clear();
  } else {
    lastError_ = kNoDeviceText;
  }
}

int GstSoundPlayer::length() {
  if (!sound_) {
    lastError_ = kNoDeviceText;
    throw EMCIDeviceError(kNoDeviceText);
  }
  lastError_.clear();
  gint64 ns = -1;
  if (gst_element_query_duration(sound_->pipeline.get(), GST_FORMAT_TIME, &ns) && ns >= 0) {
    return toMilliseconds(static_cast<GstClockTime>(ns));
  }
  if (!sound_->discoveredMs)
    sound_->discoveredMs = discoveredLength(sound_->uri);
  return *sound_->discoveredMs;
}

void GstSoundPlayer::setNotify(bool notify) {
  notifyRequest_ = notify;
}

void GstSoundPlayer::setWait(bool wait) {
  waitRequest_ = wait;
}

void GstSoundPlayer::play() {
  if (!sound_) {
    lastError_ = kNoDeviceText;
    throw EMCIDeviceError(kNoDeviceText);
  }
  const bool notify = notifyRequest_.value_or(true);
  const bool wait = waitRequest_.value_or(false);
  notifyRequest_.reset();
  waitRequest_.reset();
  lastError_.clear();

  rewindIfAtEnd();
  if (gst_element_set_state(sound_->pipeline.get(), GST_STATE_PLAYING) ==
      GST_STATE_CHANGE_FAILURE) {
    lastError_ =
        NamingTheFile(errorTexts_, takeErrorText(errorTexts_, sound_->bus.get(), 0), fileName_);
    running_ = false;
    return;
  }
  running_ = true;
  notifyEnd_ = notify;
  if (wait)
    waitForEnd();
}

void GstSoundPlayer::rewindIfAtEnd() {
  GstElement* pipeline = sound_->pipeline.get();
  if (sound_->failed) {
    // After an error the elements may refuse to seek; NULL resets them and the position.
    sound_->failed = false;
    sound_->atEnd = false;
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_element_set_state(pipeline, GST_STATE_PAUSED);
    gst_element_get_state(pipeline, nullptr, nullptr, kStateTimeoutNs);
    return;
  }
  if (!sound_->atEnd.load())
    return;
  gst_element_set_state(pipeline, GST_STATE_PAUSED);
  gst_element_get_state(pipeline, nullptr, nullptr, kStateTimeoutNs);
  // Cleared before the seek: an EOS still queued from the last run is then recognisably stale.
  sound_->atEnd = false;
  if (!gst_element_seek_simple(
          pipeline, GST_FORMAT_TIME,
          static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), 0)) {
    lastError_ = kUnknownErrorText;
  }
  gst_element_get_state(pipeline, nullptr, nullptr, kStateTimeoutNs);
}

// A play with a wait request returns when the sound has ended, as a waiting command does.
void GstSoundPlayer::waitForEnd() {
  const gint64 deadline = g_get_monotonic_time() +
                          static_cast<gint64>(length()) * G_USEC_PER_SEC / 1000 +
                          kWaitingPlaySlackUs;
  while (running_ && g_get_monotonic_time() < deadline) {
    MessagePtr message(gst_bus_timed_pop_filtered(
        sound_->bus.get(), kWaitingPlayPollNs,
        static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    if (message && noteBusMessage(message.get())) {
      callEndHandler();
      return;
    }
  }
}

void GstSoundPlayer::stop() {
  if (!sound_)
    return;
  const bool wait = waitRequest_.value_or(true);
  notifyRequest_.reset();
  waitRequest_.reset();
  lastError_.clear();
  running_ = false;

  // PAUSED keeps the position, so a later play goes on from here (or rewinds at the end).
  GstElement* pipeline = sound_->pipeline.get();
  GstStateChangeReturn result = gst_element_set_state(pipeline, GST_STATE_PAUSED);
  if (result == GST_STATE_CHANGE_ASYNC && wait) {
    result = gst_element_get_state(pipeline, nullptr, nullptr, kStateTimeoutNs);
  }
  if (result == GST_STATE_CHANGE_FAILURE)
    lastError_ =
        NamingTheFile(errorTexts_, takeErrorText(errorTexts_, sound_->bus.get(), 0), fileName_);
}

void GstSoundPlayer::close() {
  sound_.reset();
  running_ = false;
}

// The sink posts EOS only once its last sample has been played out, so until then the sound
// is still being heard.
bool GstSoundPlayer::playingOut() const {
  return sound_ != nullptr && running_ && !sound_->atEnd.load();
}

void GstSoundPlayer::setEndHandler(std::function<void()> handler) {
  endHandler_ = std::move(handler);
}

void GstSoundPlayer::dispatchPending() {
  bool endDue = false;
  while (sound_) {
    MessagePtr message(gst_bus_pop(sound_->bus.get()));
    if (!message)
      break;
    endDue = noteBusMessage(message.get()) || endDue;
  }
  if (endDue)
    callEndHandler();
}

bool GstSoundPlayer::noteBusMessage(GstMessage* message) {
  if (!sound_)
    return false;
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
      // A rewind or a reopen since the message was posted makes it stale.
      if (!sound_->atEnd.load())
        return false;
      break;
    case GST_MESSAGE_ERROR:
      lastError_ = NamingTheFile(errorTexts_, errorText(errorTexts_, message), fileName_);
      sound_->failed = true;
      sound_->atEnd = true;
      break;
    default:
      return false;
  }
  if (!running_)
    return false;
  running_ = false;
  return notifyEnd_;
}

// The handler may reopen or close this player; nothing here touches the player after it.
void GstSoundPlayer::callEndHandler() {
  const std::function<void()> handler = endHandler_;
  if (handler)
    handler();
}

int GstSoundPlayer::busWatch(GstBus*, GstMessage* message, void* self) {
  auto* player = static_cast<GstSoundPlayer*>(self);
  if (!player->noteBusMessage(message))
    return G_SOURCE_CONTINUE;
  // An exception must not unwind through GLib's C frames; there is no caller to take it.
  try {
    player->callEndHandler();
  } catch (const std::exception& error) {
    g_warning("end of sound handler failed: %s", error.what());
  } catch (...) {
    g_warning("end of sound handler failed");
  }
  return G_SOURCE_CONTINUE;
}

}  // namespace tollvane

// The sound player on GStreamer: one playbin per open sound, prerolled synchronously so that
// open can report a readable error and length can answer at once.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "audio/sound_player.h"

// GStreamer's own declarations, repeated so that callers need not see its headers.
typedef struct _GstBus GstBus;
typedef struct _GstMessage GstMessage;

namespace tollvane {

// Which texts the player's errors carry: GStreamer's own, in the locale's language where it
// has a translation, or the player's Japanese texts for the common failures (file not found,
// unreadable, not a sound, no decoder, sound device busy or unusable; otherwise
// "原因不明のエラー") whatever the locale.
enum class SoundErrorTexts { kSoundSystem, kJapanese };

class GstSoundPlayer : public SoundPlayer {
 public:
  // sinkDescription: a gst-launch style description of the audio sink, e.g. "fakesink
  // sync=true"; empty means the desktop's default output (autoaudiosink).
  explicit GstSoundPlayer(std::string sinkDescription = {},
                          SoundErrorTexts errorTexts = SoundErrorTexts::kSoundSystem);
  ~GstSoundPlayer() override;
  GstSoundPlayer(const GstSoundPlayer&) = delete;
  GstSoundPlayer& operator=(const GstSoundPlayer&) = delete;

  void setFileName(const std::string& fileName) override;
  const std::string& fileName() const override;
  void open() override;
  bool isOpen() const override;
  void setTimeFormatMilliseconds() override;
  int length() override;
  void setNotify(bool notify) override;
  void setWait(bool wait) override;
  void play() override;
  void stop() override;
  void close() override;
  bool playingOut() const override;
  void setEndHandler(std::function<void()> handler) override;

  // Handles the bus messages queued so far (end of sound, playback errors). Needed only where
  // nothing iterates the thread-default GLib main context; the bus watch does it otherwise.
  void dispatchPending();

  // Text of the last failed command, empty after a successful one. Play and stop report
  // their failures only here.
  const std::string& lastError() const { return lastError_; }

 private:
  struct OpenSound;

  // Updates the play state from one bus message; true when the end handler is due.
  bool noteBusMessage(GstMessage* message);
  void callEndHandler();
  void rewindIfAtEnd();
  void waitForEnd();
  static int busWatch(GstBus* bus, GstMessage* message, void* self);

  std::string sinkDescription_;
  SoundErrorTexts errorTexts_;
  std::string fileName_;
  std::unique_ptr<OpenSound> sound_;
  std::optional<bool> notifyRequest_;
  std::optional<bool> waitRequest_;
  std::function<void()> endHandler_;
  std::string lastError_;
  // A play is under way whose end has not been reported, and whether it asked for the report.
  bool running_ = false;
  bool notifyEnd_ = false;
};

}  // namespace tollvane

// What the program needs of a sound player: open a file by name, tell its length, play it in
// the background, stop it. The GStreamer player implements it; engine tests use a fake.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace tollvane {

// Raised by open (with the sound system's text, or "原因不明のエラー") and by play, stop or
// length on a closed player ("MCI デバイスがありません").
class EMCIDeviceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;

  virtual void setFileName(const std::string& fileName) = 0;
  virtual const std::string& fileName() const = 0;
  // Closes an open sound first; prerolls synchronously; raises EMCIDeviceError on failure
  // and leaves the player closed.
  virtual void open() = 0;
  virtual bool isOpen() const = 0;
  virtual void setTimeFormatMilliseconds() = 0;
  // Length of the open sound in the current time format; raises on a closed player.
  virtual int length() = 0;
  // One-shot requests consumed by the next play or stop.
  virtual void setNotify(bool notify) = 0;
  virtual void setWait(bool wait) = 0;
  // Starts from the current position (rewinding first when at the end); returns at once.
  virtual void play() = 0;
  // Stops; waits for the pipeline unless a wait request of false is pending.
  // On a closed player it does nothing.
  virtual void stop() = 0;
  virtual void close() = 0;
  // True while a play is under way whose end the sound system has not yet reached. A sound
  // server still holds up to its latency of the sound when the nominal length has passed.
  virtual bool playingOut() const { return false; }
  // Called on the owner's thread when a played sound reaches its end.
  virtual void setEndHandler(std::function<void()> handler) = 0;
};

}  // namespace tollvane

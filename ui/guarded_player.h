// Hands every call on to the window's player, but runs the end-of-sound handler through the
// window's Guard: the real player calls it from a GLib bus watch, where an exception would
// cross C code.
#pragma once

#include <QPointer>
#include <QWidget>

#include "audio/sound_player.h"
#include "ui/guard.h"

namespace tollvane {

class GuardedPlayer : public SoundPlayer {
 public:
  GuardedPlayer(SoundPlayer& inner, QWidget* window) : inner_(inner), window_(window) {}

  void setFileName(const std::string& fileName) override { inner_.setFileName(fileName); }
  const std::string& fileName() const override { return inner_.fileName(); }
  void open() override { inner_.open(); }
  bool isOpen() const override { return inner_.isOpen(); }
  void setTimeFormatMilliseconds() override { inner_.setTimeFormatMilliseconds(); }
  int length() override { return inner_.length(); }
  void setNotify(bool notify) override { inner_.setNotify(notify); }
  void setWait(bool wait) override { inner_.setWait(wait); }
  void play() override { inner_.play(); }
  void stop() override { inner_.stop(); }
  void close() override { inner_.close(); }
  bool playingOut() const override { return inner_.playingOut(); }
  void setEndHandler(std::function<void()> handler) override {
    if (!handler) {
      inner_.setEndHandler({});
      return;
    }
    QPointer<QWidget> window = window_;
    inner_.setEndHandler([window, handler = std::move(handler)] {
      if (window)
        Guard(window, handler);
    });
  }

 private:
  SoundPlayer& inner_;
  QWidget* window_;
};

}  // namespace tollvane

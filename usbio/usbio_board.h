// The bell engine's board, on libusbio's host interface.
#pragma once

#include "engine/interfaces.h"

namespace tollvane {

class UsbioBoard : public Board {
 public:
  // Hands the library's messages to handler (text, caption); null leaves the handler as it is.
  explicit UsbioBoard(void (*messageHandler)(const char* text, const char* caption) = nullptr);
  void outputOn() override;
  void outputOff() override;
  int init() override;
  // What the two reports of the last outputOn()/outputOff() came to; known after the first.
  BoardWrites lastWrites() const override { return last_; }

 private:
  void signal(bool on);

  BoardWrites last_;
};

}  // namespace tollvane

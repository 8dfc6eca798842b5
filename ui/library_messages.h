// The USB-IO library's own messages ("Error at Load …" and the like). They come from board
// writes that nobody may be there to see (the window's creation, an unattended start, a
// scheduled bell), so they are recorded and shown without waiting; only while the operator's
// own action runs (a click of a bell button) do they wait for OK as the library's boxes do.
#pragma once

namespace tollvane {

class Recorder;

// Where the messages are recorded too (null: nowhere).
void SetLibraryMessageRecord(Recorder* recorder);

// The library's message handler.
void ShowLibraryMessage(const char* text, const char* caption);

// While one lives, the operator is acting: the library's messages are modal.
class OperatorAction {
 public:
  OperatorAction();
  ~OperatorAction();
  OperatorAction(const OperatorAction&) = delete;
  OperatorAction& operator=(const OperatorAction&) = delete;
  static bool running();
};

}  // namespace tollvane

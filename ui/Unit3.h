// The sound source dialog: ten registered sound files, each with a play and a browse button.
// "更新" stores them in the settings file and the SoundTable; "確認" and the close box discard.
#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "audio/sound_player.h"
#include "engine/week_schedule.h"

class QLineEdit;
class QPushButton;

namespace tollvane {

class SoundFileChooser;

class TForm3 : public QDialog {
  Q_OBJECT
 public:
  TForm3(SoundPlayer& mediaPlayer1, SoundFileChooser& openDialog1, SoundTable& soundTable,
         std::string settingsPath, QWidget* parent = nullptr);

  // Entries 1..10 into Edit1..Edit10, as the main window does before each opening.
  void loadSounds(const SoundTable& soundTable);

  void Play(int row);    // Button4Click .. Button13Click
  void Browse(int row);  // Button2Click, Button14Click .. Button22Click
  void Button1Click();   // "確認"
  void Button3Click();   // "更新"
  bool previewPlaying() const { return previewPlaying_ != 0; }

  static constexpr int kRows = kRegisteredSounds;

 protected:
  void showEvent(QShowEvent* event) override;
  // Every way of closing ends here: accept, reject, Escape and the close box.
  void done(int result) override;

 private:
  SoundPlayer& mediaPlayer1_;
  SoundFileChooser& openDialog1_;
  SoundTable& soundTable_;
  std::string settingsPath_;
  std::array<QLineEdit*, kRows> edits_{};
  int previewPlaying_ = 0;
};

}  // namespace tollvane

// Qt implementations of the engine's small interfaces: window timers, message boxes and the
// file dialogs, plus the fonts the windows use.
#pragma once

#include <QFont>
#include <QObject>
#include <QRect>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>

#include "engine/interfaces.h"

class QLabel;
class QPushButton;
class QWidget;

namespace tollvane {

// The program's texts are UTF-8.
inline QString Q(const std::string& text) {
  return QString::fromStdString(text);
}
inline QString Q(const char* text) {
  return QString::fromUtf8(text);
}

// The layouts' "ＭＳ Ｐゴシック" and "ＭＳ ゴシック" map to their metric-compatible
// IPA fonts; sizes are pixel heights.
QFont ProportionalFont(int pixelSize, bool bold = false, bool italic = false);
QFont FixedFont(int pixelSize);

// A named label at (x, y), sized to its text.
QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int x, int y,
                  const QFont& font);
// A named button at its geometry that never turns itself into the default on focus, so Enter
// in a drop-down never clicks it; Enter on the button itself presses it.
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text, QRect geometry);

// The window a message box or dialog should belong to: the active one, but never an error box.
QWidget* DialogParent();

// Makes Qt's own texts (standard buttons, file dialogs, context menus) read in Japanese
// whatever the locale; see InstallJapaneseTexts.
void InstallJapaneseTranslations();

// A window timer over QTimer. Setting the interval it already has does not restart it;
// enabling an enabled timer does nothing; an interval of 0 (or less) never fires, where a
// QTimer would fire on every pass of the event loop.
class QtBellTimer : public QObject, public BellTimer {
  Q_OBJECT
 public:
  QtBellTimer(int intervalMs, std::function<void()> onTimeout, QObject* parent = nullptr);
  void setInterval(int milliseconds) override;
  int interval() const override { return interval_; }
  void setEnabled(bool enabled) override;
  bool enabled() const override { return enabled_; }
  // Whether the underlying QTimer is counting (enabled with a positive interval).
  bool running() const { return timer_.isActive(); }

 private:
  void apply();
  QTimer timer_;
  int interval_;
  bool enabled_ = false;
};

// Modal message boxes; the first button of each set is the default. The icon follows the
// caption: "警告" warning, "選択" question, "確認" question when there is a choice, else
// information.
class QtPrompts : public Prompts {
 public:
  explicit QtPrompts(std::function<QWidget*()> parent = {});
  Answer ask(const std::string& text, const std::string& caption, Buttons buttons) override;
  void inform(const std::string& text, const std::string& caption) override;

 private:
  std::function<QWidget*()> parent_;
};

// The schedule file dialogs: filter "Tollvane (*.txt)", default suffix "txt". The open
// dialog accepts a typed name of a file that does not exist (loading then reports it); the
// save dialog does not ask before replacing a file.
class QtFileDialogs : public FileDialogs {
 public:
  explicit QtFileDialogs(std::function<QWidget*()> parent = {});
  std::optional<std::string> openSchedule() override;
  std::optional<std::string> saveSchedule(const std::string& currentFile) override;
  std::optional<std::string> openCsv() override;
  std::optional<std::string> saveCsv(const std::string& suggested) override;

 private:
  std::function<QWidget*()> parent_;
};

// The sound source dialog's file chooser. Returns the chosen file's full path.
class SoundFileChooser {
 public:
  virtual ~SoundFileChooser() = default;
  virtual std::optional<std::string> chooseSoundFile(QWidget* parent) = 0;
};

// Title "サウンドファイルを指定してください", filters MP3, WAV, WMA (MP3 first), starting in the
// current directory. Choosing a file makes its folder the current directory, so that the bare
// file name the dialog registers plays from there.
class QtSoundFileChooser : public SoundFileChooser {
 public:
  std::optional<std::string> chooseSoundFile(QWidget* parent) override;
};

// "Tollvane|*.txt" style filters to Qt's "Tollvane (*.txt)" form, entries joined by ";;".
QString QtFilter(const std::string& filter);

}  // namespace tollvane

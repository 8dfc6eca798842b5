// Renders the four windows to PNG files so that a person can compare them with the layouts:
//   tollvane-render-windows FOLDER
// Runs on any Qt platform; scripts/render-windows uses the offscreen one with the real fonts.
#include <QDir>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "engine/local_time.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"
#include "ui/guard.h"
#include "ui/qt_services.h"

namespace {

using namespace tollvane;

// A late date and time, so that the labels show their widest captions.
class FixedClock : public Clock {
 public:
  LocalTime now() const override { return {LocalSecondsOf(2026, 12, 30, 18, 55, 58), 0}; }
};

class NoBoard : public Board {
 public:
  void outputOn() override {}
  void outputOff() override {}
  int init() override { return 1; }
};

class SilentPlayer : public SoundPlayer {
 public:
  void setFileName(const std::string& f) override { file_ = f; }
  const std::string& fileName() const override { return file_; }
  void open() override {}
  bool isOpen() const override { return false; }
  void setTimeFormatMilliseconds() override {}
  int length() override { return 0; }
  void setNotify(bool) override {}
  void setWait(bool) override {}
  void play() override {}
  void stop() override {}
  void close() override {}
  void setEndHandler(std::function<void()>) override {}

 private:
  std::string file_;
};

class NoPrompts : public Prompts {
 public:
  Answer ask(const std::string&, const std::string&, Buttons b) override {
    return b == Buttons::YesNo || b == Buttons::YesNoCancel ? Answer::No : Answer::Cancel;
  }
};

class NoDialogs : public FileDialogs, public SoundFileChooser {
 public:
  std::optional<std::string> openSchedule() override { return {}; }
  std::optional<std::string> saveSchedule(const std::string&) override { return {}; }
  std::optional<std::string> chooseSoundFile(QWidget*) override { return {}; }
};

bool Save(QWidget* window, const QString& folder, const char* name) {
  window->show();
  QCoreApplication::processEvents();
  const QString path = QDir(folder).filePath(QLatin1String(name));
  const bool ok = window->grab().save(path);
  std::printf("%s %s (%dx%d)\n", ok ? "wrote" : "FAILED", qPrintable(path), window->width(),
              window->height());
  window->hide();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  TollvaneApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);
  InstallJapaneseTranslations();

  FixedClock clock;
  NoBoard board;
  SilentPlayer player, preview;
  NoPrompts prompts;
  NoDialogs dialogs;
  const std::string settings = QDir(folder).filePath(QStringLiteral("render.INI")).toStdString();
  TForm1 form1({clock, board, player, preview, prompts, dialogs, dialogs, settings,
                QDir(folder).filePath(QStringLiteral("no-autosave.dat")).toStdString()});
  form1.T1SecTimer();  // the date and time labels with their captions of a tick
  form1.form3()->loadSounds(form1.data().soundTable);
  form1.form4()->loadHolidays(form1.data().holidayList);

  bool ok = Save(&form1, folder, "TForm1.png");
  // Armed with a listing, during a bell: the stop button over the two others.
  form1.setText("mo03ji", "12");
  form1.setText("mo03fu", "40");
  form1.setText("mo03snd", "10");
  form1.setText("mo01ji", "8");
  form1.setText("mo01fu", "5");
  form1.Button2Click();
  form1.setButton3Visible(true);
  form1.setCheckBox1Checked(true);
  ok = Save(&form1, folder, "TForm1-ringing.png") && ok;
  ok = Save(form1.form2(), folder, "TForm2.png") && ok;
  ok = Save(form1.form3(), folder, "TForm3.png") && ok;
  ok = Save(form1.form4(), folder, "TForm4.png") && ok;
  return ok ? 0 : 1;
}

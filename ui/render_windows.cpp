// Renders the four windows, the plan window and the year's plan to PNG files so that a person can
// compare them with the layouts:
//   tollvane-render-windows FOLDER
// Runs on any Qt platform; scripts/render-windows uses the offscreen one with the real fonts.
#include <QDir>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "calendar/school_calendar.h"
#include "engine/local_time.h"
#include "plans/plan_file.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"
#include "ui/day_plan_window.h"
#include "ui/guard.h"
#include "ui/qt_services.h"
#include "ui/year_dialog.h"

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

  // A school's plans and a year of assignments, beside a settings file of their own.
  const std::string planned = QDir(folder).filePath(QStringLiteral("plans.INI")).toStdString();
  std::ofstream(PlanFilePath(planned))
      << "[短縮日課]\n8:30 1\n9:15 2\n10:05 2\n10:55 2\n11:45 2\n12:20 3\n"
         "[テスト日課]\n8:40 1\n9:30 2\n10:30 2\n11:30 3\n[ノーチャイム]\n";
  std::ofstream(planned) << "[CALENDAR]\r\nNationalHolidays=1\r\n"
                            "Closed1=2026/07/21-2026/08/31 夏休み\r\n"
                            "Closed2=2026/12/25-2027/01/07 冬休み\r\n"
                            "Closed3=2027/03/25-2027/03/31 春休み\r\n"
                            "Plan1=2026/07/01-2026/07/03 テスト日課\r\n"
                            "Plan2=2026/07/20 短縮日課\r\n"
                            "Plan3=2026/12/24 短縮日課\r\n"
                            "Plan4=2027/02/15-2027/02/17 テスト日課\r\n"
                            "Plan5=2026/12/28 ノーチャイム\r\n"
                            "Swap1=2027/03/01 金\r\n"
                            "Extra1=2026/12/10 10:35 2\r\n";
  SchoolCalendar calendar = ReadSchoolCalendar(planned).calendar;
  const auto pages = [&form1] { return form1.data().weekSchedule; };
  DayPlanWindow plans(DayPlanWindowParts{calendar, planned, pages, prompts, {}, [] {}});
  plans.refresh();
  ok = Save(&plans, folder, "DayPlanWindow.png") && ok;
  YearDialog year(YearDialogParts{calendar, form1.data().holidayList, planned, pages,
                                  [] {
                                    return CivilDate{2026, 12, 10};
                                  },
                                  prompts, dialogs});
  year.refresh();
  ok = Save(&year, folder, "YearDialog.png") && ok;
  return ok ? 0 : 1;
}

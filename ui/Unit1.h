// The main window: the schedule editor's eight pages, the bell controls, the armed-slot
// listing and the menus. It holds no logic of its own: the bell engine and the editor commands
// do the work, and the window shows their state through MainView and PageTexts.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <memory>
#include <string>
#include <unordered_map>

#include "audio/sound_player.h"
#include "calendar/day_rule.h"
#include "calendar/school_calendar.h"
#include "engine/interfaces.h"
#include "engine/week_schedule.h"
#include "schedule/page_texts.h"
#include "settings/options.h"
#include "ui/guarded_player.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace tollvane {

class BellEngine;
class EditorCommands;
class QtBellTimer;
class SchedulePage;
class SoundFileChooser;
class TForm2;
class TForm3;
class TForm4;
class SchoolCalendarDialog;
class RecordWindow;
class DayFileChooser;
class DayPlanWindow;
class YearDialog;

// Everything the main window works with from outside; main builds the real ones, tests build
// fakes. All must outlive the window.
struct MainWindowParts {
  const Clock& clock;
  Board& board;
  SoundPlayer& player;         // MediaPlayer1 of the main window
  SoundPlayer& previewPlayer;  // MediaPlayer1 of the sound source dialog
  Prompts& prompts;
  FileDialogs& fileDialogs;
  SoundFileChooser& soundChooser;
  std::string settingsPath;
  std::string autosavePath;  // "dorrel.dat", resolved against the current directory
  // Optional: the bell record, the sleep lock while armed, the clock check at arming.
  Recorder* recorder = nullptr;
  SleepInhibitor* inhibitor = nullptr;
  ClockSync* clockSync = nullptr;
  // The bell record's folder for the "動作記録" window; empty: the default one.
  std::string recordFolder{};
  // The school calendar's file chooser; null: the file dialog.
  DayFileChooser* dayChooser = nullptr;
};

class TForm1 : public QMainWindow, public MainView, public PageTexts {
  Q_OBJECT
 public:
  // Builds the window, runs FormCreate, then creates the about box, the sound source dialog
  // and the holiday dialog, in this order.
  explicit TForm1(const MainWindowParts& parts, QWidget* parent = nullptr);
  ~TForm1() override;

  ProgramData& data() { return data_; }
  TForm2* form2() const { return form2_; }
  TForm3* form3() const { return form3_; }
  TForm4* form4() const { return form4_; }

  // Handlers, each behind the error guard.
  void T1SecTimer();  // one tick, then re-armed to the next second of the clock
  void Timer1Timer();
  void Timer2Timer();
  void LeadInTimer();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void FormShow();
  void N1Click();
  void Open1Click();
  void Save1Click();
  void SaveAs1Click();
  void Exit1Click();
  void sndchkClick();
  void N2Click();
  void About1Click();
  void Copy1Click();
  void Paste1Click();
  void DropFiles(const std::vector<std::string>& files);
  // The checkable items after the menu's first ones: arm at start, start with the session, the
  // next-bell line.
  void AutoArm1Click();
  void Autostart1Click();
  void NextBell1Click();
  void Record1Click();    // the "動作記録" window
  void Calendar1Click();  // the school calendar dialog
  void Plans1Click();     // the plan window "日課表"
  void YearPlan1Click();  // the year's plan, from the plan window or the calendar dialog
  const SchoolCalendar& calendar() const { return calendar_; }
  // The desktop session ends: the pages go to "dorrel.dat" without a question. A failure is
  // recorded, not shown: nobody is there to read a box.
  void SaveForSessionEnd();
  // A session manager's checkpoint (a logout that may yet be cancelled): the same save, and
  // nothing else changes.
  void SaveForCheckpoint() { SaveForSessionEnd(); }
  const Options& options() const { return options_; }

  // Milliseconds until T1Sec fires next (for checks of the phase lock).
  int msToNextTick() const;
  static constexpr int kTickSlackMs = 5;

  // MainView
  std::string button1Caption() const override;
  void setButton1Caption(const std::string& caption) override;
  std::string button2Caption() const override;
  void setButton2Caption(const std::string& caption) override;
  void setButton3Visible(bool visible) override;
  void setCheckBox1Checked(bool checked) override;
  void clearMemo1() override;
  void appendMemo1(const std::string& line) override;
  void setLabel3(const std::string& text) override;
  void setLabel61(const std::string& text) override;
  void setActivePage(int timetable) override;
  int activePage() const override;
  void setCaption(const std::string& caption) override;
  void setSave1Enabled(bool enabled) override;
  void setPaste1Enabled(bool enabled) override;
  void bringToFront() override;

  // PageTexts over the 576 drop-downs
  std::string text(const std::string& name) const override;
  void setText(const std::string& name, const std::string& text) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildWindow();
  void buildMenus();
  void armTick();
  void showNextBellLine(bool show);
  void updateNextBell();
  WeekSchedule previewSchedule();
  void startUnattended();
  Recorder& record() { return parts_.recorder != nullptr ? *parts_.recorder : noRecord_; }
  QComboBox* dropDown(const std::string& name) const;

  MainWindowParts parts_;
  ProgramData data_;
  GuardedPlayer mediaPlayer1_;

  QLabel* label1_ = nullptr;
  QLabel* label2_ = nullptr;
  QLabel* label3_ = nullptr;
  QLabel* label61_ = nullptr;
  QLabel* label60_ = nullptr;
  QPushButton* button1_ = nullptr;
  QPushButton* button2_ = nullptr;
  QPushButton* button3_ = nullptr;
  QCheckBox* checkBox1_ = nullptr;
  QPlainTextEdit* memo1_ = nullptr;
  QTabWidget* pageControl1_ = nullptr;
  QMenu* popupMenu1_ = nullptr;
  QAction* save1_ = nullptr;
  QAction* paste1_ = nullptr;
  QAction* autoArm1_ = nullptr;
  QAction* autostart1_ = nullptr;
  QAction* nextBell1_ = nullptr;
  QLabel* nextBellLine_ = nullptr;
  Options options_;
  SchoolCalendar calendar_;
  CalendarDayRule dayRule_{calendar_};
  NullRecorder noRecord_;
  std::unordered_map<std::string, QComboBox*> dropDowns_;

  QTimer t1Sec_;
  QtBellTimer* timer1_ = nullptr;
  QtBellTimer* timer2_ = nullptr;
  QtBellTimer* leadIn_ = nullptr;
  std::unique_ptr<BellEngine> engine_;
  std::unique_ptr<EditorCommands> commands_;
  bool shown_ = false;
  // The window itself is writing the drop-downs: not an edit of the operator's.
  bool settingTexts_ = false;

  TForm2* form2_ = nullptr;
  TForm3* form3_ = nullptr;
  TForm4* form4_ = nullptr;
  SchoolCalendarDialog* calendarDialog_ = nullptr;  // made when first opened, as is the next
  RecordWindow* recordWindow_ = nullptr;
  DayPlanWindow* planWindow_ = nullptr;  // made when first opened, as is the next
  YearDialog* yearDialog_ = nullptr;
  std::unique_ptr<DayFileChooser> ownDayChooser_;
};

}  // namespace tollvane

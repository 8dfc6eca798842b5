#include "ui/Unit1.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>
#include <stdexcept>

#include "calendar/calendar_texts.h"
#include "desktop/autostart.h"
#include "engine/arming.h"
#include "engine/bell_engine.h"
#include "engine/editor_commands.h"
#include "engine/local_time.h"
#include "engine/texts.h"
#include "lifecycle/next_bell_line.h"
#include "lifecycle/start_up.h"
#include "plans/plan_file.h"
#include "record/record_files.h"
#include "schedule/tabs.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"
#include "ui/day_plan_window.h"
#include "ui/guard.h"
#include "ui/keyboard.h"
#include "ui/library_messages.h"
#include "ui/qt_services.h"
#include "ui/record_window.h"
#include "ui/schedule_page.h"
#include "ui/school_calendar_dialog.h"
#include "ui/window_texts.h"
#include "ui/year_dialog.h"

namespace tollvane {

namespace {

constexpr int kClientWidth = 663;
constexpr int kClientHeight = 426;
constexpr int kTimer2IntervalMs = 5000;
constexpr int kDefaultTimerIntervalMs = 1000;
constexpr int kTabHeight = 20;

struct PageInfo {
  const char* name;
  const char* tab;
  const char* heading;
  const char* prefix;
};

// In page order: Mon .. Sun, then the common page; matches kPageOrder.
const PageInfo kPages[kTimetableCount] = {
    {"Mon", "月", "月曜日のチャイム", "mo"}, {"Tue", "火", "火曜日のチャイム", "tu"},
    {"Wed", "水", "水曜日のチャイム", "we"}, {"Thu", "木", "木曜日のチャイム", "th"},
    {"Fri", "金", "金曜日のチャイム", "fr"}, {"Sat", "土", "土曜日のチャイム", "sa"},
    {"Sun", "日", "日曜日のチャイム", "su"}, {"Mor", "朝・夕共通", "共通のチャイム", "ak"},
};

// Tabs of a fixed height, whatever the style would make them, so the pages keep the room the
// 24 rows of drop-downs need.
class PageTabBar : public QTabBar {
 public:
  using QTabBar::QTabBar;

 protected:
  QSize tabSizeHint(int index) const override {
    QSize size = QTabBar::tabSizeHint(index);
    size.setHeight(kTabHeight);
    return size;
  }
  QSize minimumTabSizeHint(int index) const override {
    QSize size = QTabBar::minimumTabSizeHint(index);
    size.setHeight(kTabHeight);
    return size;
  }
};

class PageControl : public QTabWidget {
 public:
  explicit PageControl(QWidget* parent) : QTabWidget(parent) { setTabBar(new PageTabBar(this)); }
};

}  // namespace

TForm1::TForm1(const MainWindowParts& parts, QWidget* parent)
    : QMainWindow(parent), parts_(parts), mediaPlayer1_(parts.player, this) {
  setObjectName(QStringLiteral("Form1"));
  buildWindow();
  buildMenus();

  timer1_ = new QtBellTimer(
      kDefaultTimerIntervalMs, [this] { Timer1Timer(); }, this);
  timer1_->setObjectName(QStringLiteral("Timer1"));
  timer2_ = new QtBellTimer(
      kTimer2IntervalMs, [this] { Timer2Timer(); }, this);
  timer2_->setObjectName(QStringLiteral("Timer2"));
  leadIn_ = new QtBellTimer(
      kDefaultTimerIntervalMs, [this] { LeadInTimer(); }, this);
  leadIn_->setObjectName(QStringLiteral("LeadInTimer"));
  t1Sec_.setObjectName(QStringLiteral("T1Sec"));
  t1Sec_.setSingleShot(true);
  t1Sec_.setTimerType(Qt::PreciseTimer);
  connect(&t1Sec_, &QTimer::timeout, this, [this] { T1SecTimer(); });

  engine_ = std::make_unique<BellEngine>(BellEngineParts{
      data_, parts_.clock, parts_.board, mediaPlayer1_, *timer1_, *timer2_, parts_.prompts, *this,
      *this, leadIn_, parts_.recorder, parts_.inhibitor, parts_.clockSync, &dayRule_});
  commands_ = std::make_unique<EditorCommands>(
      EditorParts{data_, *this, *this, parts_.prompts, parts_.fileDialogs, parts_.board,
                  parts_.clock, ArmWatchers{parts_.recorder, parts_.inhibitor}});

  // An edit of the operator's makes the pages what an automatic save may keep.
  for (const auto& [name, box] : dropDowns_) {
    connect(box, &QComboBox::editTextChanged, this, [this] {
      if (!settingTexts_) {
        commands_->PageEdited();
      }
    });
  }

  setAcceptDrops(true);
  // The first tick comes one second after creation; until then the labels show their
  // design-time captions.
  armTick();
  Guard(this, [this] { commands_->FormCreate(parts_.settingsPath); });
  // Read apart from the sounds and holidays: a damaged calendar value is reported and left
  // out, and it can neither stop the start nor silence a school day.
  Guard(this, [this] {
    CalendarReading reading = ReadSchoolCalendar(parts_.settingsPath);
    calendar_ = std::move(reading.calendar);
    for (const CalendarProblem& problem : reading.problems) {
      record().record(text::record::kWarning, ProblemReport({problem}));
    }
    if (!reading.problems.empty()) {
      parts_.prompts.inform(ProblemReport(reading.problems), text::kWarning);
    }
  });
  // The options are read apart from the sounds and holidays, so a damaged option can neither
  // stop the start nor change what the settings reader does.
  std::vector<std::string> problems;
  options_ = ReadOptions(parts_.settingsPath, problems);
  for (const std::string& problem : problems) {
    record().record(text::record::kWarning, problem);
  }
  autoArm1_->setChecked(options_.autoArm);
  nextBell1_->setChecked(options_.showNextBell);
  Guard(this, [this] { autostart1_->setChecked(AutostartOn()); });
  if (options_.showNextBell) {
    showNextBellLine(true);
  }

  form2_ = new TForm2(this);
  form3_ = new TForm3(parts_.previewPlayer, parts_.soundChooser, data_.soundTable,
                      parts_.settingsPath, this);
  form4_ = new TForm4(data_.holidayList, parts_.settingsPath, this);
}

TForm1::~TForm1() = default;

void TForm1::buildWindow() {
  setWindowTitle(QString::fromUtf8(text::kApplicationTitle));
  // A fixed frame with the system menu and the minimise box.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(ProportionalFont(12));

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("Client"));
  client->setFixedSize(kClientWidth, kClientHeight);
  client->setAutoFillBackground(true);
  QPalette palette = client->palette();
  palette.setColor(QPalette::Window, QColor(255, 255, 181));
  client->setPalette(palette);
  setCentralWidget(client);

  label1_ = MakeLabel(client, "Label1", QStringLiteral("Tollvane"), 8, 2,
                      ProportionalFont(27, true, true));
  QPalette teal = label1_->palette();
  teal.setColor(QPalette::WindowText, QColor(0, 128, 128));
  label1_->setPalette(teal);
  label2_ = MakeLabel(client, "Label2", QStringLiteral("Ver1.7 ベルスケジューラ"), 16, 38,
                      ProportionalFont(16, true, true));
  label3_ = MakeLabel(client, "Label3", QStringLiteral("日付表示"), 253, 16, ProportionalFont(16));
  label61_ =
      MakeLabel(client, "Label61", QStringLiteral("時刻表示"), 256, 40, ProportionalFont(16));
  // The tick rewrites these captions; give them room for the longest date and time.
  label3_->resize(230, label3_->height());
  label61_->resize(200, label61_->height());

  button1_ = MakeButton(client, "Button1", QString::fromUtf8(text::kForce), {488, 16, 73, 25});
  button2_ = MakeButton(client, "Button2", QString::fromUtf8(text::kArm), {568, 16, 73, 25});
  button3_ = MakeButton(client, "Button3", QStringLiteral("チャイム停止"), {488, 8, 153, 33});
  button3_->setFont(ProportionalFont(12, true));
  button3_->hide();  // created last, so it covers Button1 and Button2 while shown
  checkBox1_ = new QCheckBox(QStringLiteral("出力状態"), client);
  checkBox1_->setObjectName(QStringLiteral("CheckBox1"));
  checkBox1_->setGeometry(568, 44, 81, 17);
  checkBox1_->setEnabled(false);
  connect(button1_, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(button2_, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(button3_, &QPushButton::clicked, this, [this] { Button3Click(); });

  pageControl1_ = new PageControl(client);
  pageControl1_->setObjectName(QStringLiteral("PageControl1"));
  pageControl1_->setGeometry(8, 64, 433, 353);
  pageControl1_->setUsesScrollButtons(false);
  pageControl1_->tabBar()->setExpanding(false);
  // The page strip takes the focus by Tab (arrow keys then switch pages), not by a click.
  pageControl1_->setFocusPolicy(Qt::TabFocus);
  AddPageKeys(pageControl1_, this);
  for (int i = 0; i < kTimetableCount; ++i) {
    auto* page = new SchedulePage(QLatin1String(kPages[i].prefix),
                                  QString::fromUtf8(kPages[i].heading), pageControl1_);
    page->setObjectName(QLatin1String(kPages[i].name));
    pageControl1_->addTab(page, QString::fromUtf8(kPages[i].tab));
    for (int slot = 1; slot <= SchedulePage::kSlots; ++slot) {
      for (int kind = 0; kind < 3; ++kind) {
        QComboBox* box = page->dropDown(slot, kind);
        dropDowns_[box->objectName().toStdString()] = box;
      }
    }
  }
  pageControl1_->setCurrentIndex(kTimetableCount - 1);  // the layout's own page: Mor

  label60_ = MakeLabel(client, "Label60", QStringLiteral("設定内容"), 448, 66, font());
  memo1_ = new QPlainTextEdit(client);
  memo1_->setObjectName(QStringLiteral("Memo1"));
  memo1_->setGeometry(448, 84, 207, 333);
  memo1_->setReadOnly(true);
  memo1_->setFont(FixedFont(12));
  memo1_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void TForm1::buildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  auto addItem = [this](QMenu* menu, const char* name, const QString& caption,
                        const QKeySequence& shortcut, void (TForm1::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
      action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    return action;
  };

  QMenu* file = bar->addMenu(QStringLiteral("ファイル(&F)"));
  file->setObjectName(QStringLiteral("File1"));
  addItem(file, "N1", QStringLiteral("新規(&N)"), QKeySequence(Qt::CTRL | Qt::Key_N),
          &TForm1::N1Click);
  addItem(file, "Open1", QStringLiteral("開く(&O)"), QKeySequence(Qt::CTRL | Qt::Key_O),
          &TForm1::Open1Click);
  save1_ = addItem(file, "Save1", QStringLiteral("上書き保存(&S)"),
                   QKeySequence(Qt::CTRL | Qt::Key_S), &TForm1::Save1Click);
  save1_->setEnabled(false);
  addItem(file, "SaveAs1", QStringLiteral("名前を付けて保存(&A)"), QKeySequence(),
          &TForm1::SaveAs1Click);
  addItem(file, "Exit1", QStringLiteral("終了(&Q)"), QKeySequence(Qt::CTRL | Qt::Key_Q),
          &TForm1::Exit1Click);

  QMenu* edit = bar->addMenu(QStringLiteral("編集(&E)"));
  edit->setObjectName(QStringLiteral("E1"));
  addItem(edit, "sndchk", QStringLiteral("登録音源確認(&S)"), QKeySequence(), &TForm1::sndchkClick);
  addItem(edit, "N2", QStringLiteral("休日設定確認(&K)"), QKeySequence(), &TForm1::N2Click);
  addItem(edit, "Calendar1", QString::fromUtf8(text::window::kCalendarItem), QKeySequence(),
          &TForm1::Calendar1Click);
  edit->addSeparator();
  autoArm1_ = addItem(edit, "AutoArm1", QString::fromUtf8(text::window::kAutoArmItem),
                      QKeySequence(), &TForm1::AutoArm1Click);
  autoArm1_->setCheckable(true);
  autostart1_ = addItem(edit, "Autostart1", QString::fromUtf8(text::window::kAutostartItem),
                        QKeySequence(), &TForm1::Autostart1Click);
  autostart1_->setCheckable(true);
  nextBell1_ = addItem(edit, "NextBell1", QString::fromUtf8(text::window::kNextBellItem),
                       QKeySequence(), &TForm1::NextBell1Click);
  nextBell1_->setCheckable(true);
  addItem(edit, "Record1", QString::fromUtf8(text::window::kRecordItem), QKeySequence(),
          &TForm1::Record1Click);
  addItem(edit, "Plans1", QString::fromUtf8(text::window::kPlansItem), QKeySequence(),
          &TForm1::Plans1Click);

  QMenu* help = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
  help->setObjectName(QStringLiteral("H1"));
  addItem(help, "About1", QStringLiteral("バージョン情報(&A)"), QKeySequence(),
          &TForm1::About1Click);

  popupMenu1_ = new QMenu(this);
  popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
  addItem(popupMenu1_, "Copy1", QStringLiteral("コピー"), QKeySequence(), &TForm1::Copy1Click);
  paste1_ = addItem(popupMenu1_, "Paste1", QStringLiteral("貼り付け"), QKeySequence(),
                    &TForm1::Paste1Click);
  paste1_->setEnabled(false);
  pageControl1_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(pageControl1_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { popupMenu1_->popup(pageControl1_->mapToGlobal(pos)); });

  // Client area 663 x 426 below the menu bar, centred on the screen.
  setFixedSize(kClientWidth, kClientHeight + bar->sizeHint().height());
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = geometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

void TForm1::armTick() {
  t1Sec_.start(MillisecondsToNextTick(parts_.clock.now(), kTickSlackMs));
}

int TForm1::msToNextTick() const {
  return t1Sec_.remainingTime();
}

void TForm1::T1SecTimer() {
  Guard(this, [this] { engine_->T1SecTimer(); });
  if (nextBellLine_ != nullptr) {
    Guard(this, [this] { updateNextBell(); });
  }
  // Re-armed from the clock after every tick, so the timer stays locked to the clock's
  // seconds however late this tick was delivered.
  armTick();
}

void TForm1::Timer1Timer() {
  Guard(this, [this] { engine_->Timer1Timer(); });
}
void TForm1::Timer2Timer() {
  Guard(this, [this] { engine_->Timer2Timer(); });
}
void TForm1::LeadInTimer() {
  Guard(this, [this] { engine_->LeadInTimer(); });
}
void TForm1::Button1Click() {
  const OperatorAction operatorAction;
  Guard(this, [this] { engine_->Button1Click(); });
}
void TForm1::Button2Click() {
  const OperatorAction operatorAction;
  Guard(this, [this] { engine_->Button2Click(); });
}
void TForm1::Button3Click() {
  const OperatorAction operatorAction;
  Guard(this, [this] { engine_->Button3Click(); });
}
void TForm1::FormShow() {
  if (DecideStart(options_.autoArm) == StartWay::kOfferReload) {
    Guard(this, [this] { commands_->FormShow(parts_.autosavePath); });
    return;
  }
  startUnattended();
}

void TForm1::startUnattended() {
  // Nobody may be there: the last schedule is taken as if Yes had been answered, and no
  // message waits for OK.
  const AutosaveFileState before = InspectAutosave(parts_.autosavePath);
  Guard(this, [this] { commands_->ReloadWithoutAsking(parts_.autosavePath); });
  Guard(this, [this] { engine_->Arm(true); });
  const StartNotice notice = NoticeAfterUnattendedStart(
      before, commands_->reloadError(), parts_.autosavePath, CountArmedBells(data_.weekSchedule));
  if (!notice.recordLine.empty()) {
    record().record(text::record::kWarning, notice.recordLine);
  }
  if (notice.box) {
    Guard(this, [this, &notice] { parts_.prompts.inform(notice.boxText, text::kWarning); });
  }
}

void TForm1::AutoArm1Click() {
  const bool on = autoArm1_->isChecked();
  // The item shows what the file holds: a failed write puts the tick back.
  if (!Guard(this, [this, on] { WriteOption(parts_.settingsPath, kAutoArmKey, on); })) {
    autoArm1_->setChecked(!on);
    return;
  }
  options_.autoArm = on;
  record().record(text::record::kFile,
                  text::Formatted(on ? text::window::kOptionOn : text::window::kOptionOff,
                                  text::options::kAutoArmName, parts_.settingsPath.c_str()));
}

void TForm1::Autostart1Click() {
  const bool on = autostart1_->isChecked();
  if (!Guard(this, [on] { SetAutostart(on); })) {
    autostart1_->setChecked(!on);
  }
}

void TForm1::NextBell1Click() {
  const bool on = nextBell1_->isChecked();
  if (!Guard(this, [this, on] { WriteOption(parts_.settingsPath, kShowNextBellKey, on); })) {
    nextBell1_->setChecked(!on);
    return;
  }
  options_.showNextBell = on;
  record().record(text::record::kFile,
                  text::Formatted(on ? text::window::kOptionOn : text::window::kOptionOff,
                                  text::options::kShowNextBellName, parts_.settingsPath.c_str()));
  showNextBellLine(on);
}

void TForm1::Record1Click() {
  Guard(this, [this] {
    if (recordWindow_ == nullptr) {
      recordWindow_ =
          new RecordWindow(parts_.recordFolder.empty() ? DefaultRecordFolder()
                                                       : std::filesystem::path(parts_.recordFolder),
                           this);
    }
    recordWindow_->show();
    recordWindow_->raise();
    recordWindow_->activateWindow();
  });
}

void TForm1::showNextBellLine(bool show) {
  const int menuHeight = menuBar()->sizeHint().height();
  if (!show) {
    if (nextBellLine_ != nullptr) {
      statusBar()->hide();
    }
    setFixedSize(kClientWidth, kClientHeight + menuHeight);
    nextBellLine_ = nullptr;
    return;
  }
  // The line lives below the client area, so nothing above it moves; it exists only while
  // the item is ticked, so the window keeps its size otherwise.
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar1"));
  bar->setSizeGripEnabled(false);
  if (nextBellLine_ == nullptr) {
    QLabel* existing = bar->findChild<QLabel*>(QStringLiteral("NextBellLine"));
    nextBellLine_ = existing != nullptr ? existing : new QLabel(bar);
    nextBellLine_->setObjectName(QStringLiteral("NextBellLine"));
    bar->addWidget(nextBellLine_, 1);
  }
  bar->show();
  setFixedSize(kClientWidth, kClientHeight + menuHeight + bar->sizeHint().height());
  Guard(this, [this] { updateNextBell(); });
}

void TForm1::Calendar1Click() {
  Guard(this, [this] {
    if (calendarDialog_ == nullptr) {
      DayFileChooser* chooser = parts_.dayChooser;
      if (chooser == nullptr) {
        ownDayChooser_ = std::make_unique<QtDayFileChooser>();
        chooser = ownDayChooser_.get();
      }
      calendarDialog_ = new SchoolCalendarDialog(
          CalendarDialogParts{calendar_, data_.holidayList, parts_.settingsPath,
                              [this] { return previewSchedule(); },
                              [this] {
                                const CurrentClock now = BreakDown(parts_.clock.now().localSeconds);
                                return CivilDate{now.year, now.month, now.day};
                              },
                              *chooser, parts_.prompts, [this] { YearPlan1Click(); }},
          this);
    }
    calendarDialog_->refresh();
    const SchoolCalendar before = calendar_;
    calendarDialog_->exec();
    // Each change in the dialog is written at once; one line tells the record it happened.
    if (!(calendar_ == before)) {
      record().record(text::record::kFile,
                      text::Formatted(text::window::kCalendarSaved, parts_.settingsPath.c_str()));
    }
    if (nextBellLine_ != nullptr) {
      updateNextBell();
    }
  });
}

// Each change in the plan window and the year's plan is written at once; the next-bell line
// and the record follow each.
void TForm1::Plans1Click() {
  Guard(this, [this] {
    if (planWindow_ == nullptr) {
      planWindow_ = new DayPlanWindow(
          DayPlanWindowParts{
              calendar_, parts_.settingsPath, [this] { return previewSchedule(); }, parts_.prompts,
              [this] {
                record().record(text::record::kFile,
                                text::Formatted(text::window::kPlansSaved,
                                                PlanFilePath(parts_.settingsPath).c_str()));
                if (nextBellLine_ != nullptr)
                  updateNextBell();
              },
              [this] { YearPlan1Click(); }},
          this);
    }
    planWindow_->refresh();
    planWindow_->exec();
  });
}

void TForm1::YearPlan1Click() {
  Guard(this, [this] {
    if (yearDialog_ == nullptr) {
      yearDialog_ = new YearDialog(
          YearDialogParts{calendar_, data_.holidayList, parts_.settingsPath,
                          [this] { return previewSchedule(); },
                          [this] {
                            const CurrentClock now = BreakDown(parts_.clock.now().localSeconds);
                            return CivilDate{now.year, now.month, now.day};
                          },
                          parts_.prompts, parts_.fileDialogs,
                          [this] {
                            record().record(text::record::kFile,
                                            text::Formatted(text::window::kCalendarSaved,
                                                            parts_.settingsPath.c_str()));
                            if (nextBellLine_ != nullptr)
                              updateNextBell();
                          }},
          this);
    }
    yearDialog_->refresh();
    yearDialog_->exec();
  });
}

WeekSchedule TForm1::previewSchedule() {
  return PreviewSchedule(IsArmed(*this), data_.weekSchedule, *this);
}

void TForm1::updateNextBell() {
  const CurrentClock now = BreakDown(parts_.clock.now().localSeconds);
  nextBellLine_->setText(
      QString::fromStdString(NextBellLine(IsArmed(*this), data_.weekSchedule, data_.holidayList,
                                          calendar_, now, engine_->ClockUnsynchronised())));
}

void TForm1::SaveForSessionEnd() {
  try {
    commands_->SaveForSessionEnd(parts_.autosavePath);
  } catch (const std::exception& error) {
    // A page that does not convert: nothing was written.
    record().record(text::record::kError,
                    text::Formatted(text::window::kSessionSaveFailed, parts_.autosavePath.c_str(),
                                    error.what()));
  }
}
void TForm1::N1Click() {
  Guard(this, [this] { commands_->N1Click(); });
}
void TForm1::Open1Click() {
  Guard(this, [this] { commands_->Open1Click(); });
}
void TForm1::Save1Click() {
  // The shortcut reaches here only while the item is enabled, as the menu does.
  if (!save1_->isEnabled())
    return;
  Guard(this, [this] { commands_->Save1Click(); });
}
void TForm1::SaveAs1Click() {
  Guard(this, [this] { commands_->SaveAs1Click(); });
}
void TForm1::Exit1Click() {
  close();
}
void TForm1::Copy1Click() {
  Guard(this, [this] { commands_->Copy1Click(); });
}
void TForm1::Paste1Click() {
  if (!paste1_->isEnabled())
    return;
  Guard(this, [this] { commands_->Paste1Click(); });
}
void TForm1::DropFiles(const std::vector<std::string>& files) {
  Guard(this, [this, &files] { commands_->DropFiles(files); });
}

void TForm1::sndchkClick() {
  Guard(this, [this] {
    form3_->loadSounds(data_.soundTable);
    // "更新" is the dialog's only way to close with Accepted, and it has written the file.
    if (form3_->exec() == QDialog::Accepted) {
      record().record(text::record::kFile,
                      text::Formatted(text::window::kSoundsSaved, parts_.settingsPath.c_str()));
    }
  });
}

void TForm1::N2Click() {
  Guard(this, [this] {
    form4_->loadHolidays(data_.holidayList);
    if (form4_->exec() == QDialog::Accepted) {
      record().record(text::record::kFile,
                      text::Formatted(text::window::kHolidaysSaved, parts_.settingsPath.c_str()));
    }
  });
}

void TForm1::About1Click() {
  Guard(this, [this] { form2_->exec(); });
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_)
    return;
  shown_ = true;
  // Once the window is up and the event loop runs, as the other three windows exist by now.
  QMetaObject::invokeMethod(this, &TForm1::FormShow, Qt::QueuedConnection);
}

void TForm1::closeEvent(QCloseEvent* event) {
  bool mayClose = false;
  // A failed save is shown by the guard and keeps the window open.
  Guard(this, [this, &mayClose] { mayClose = commands_->FormCloseQuery(parts_.autosavePath); });
  if (mayClose) {
    event->accept();
  } else {
    event->ignore();
  }
}

namespace {

std::vector<std::string> LocalFiles(const QMimeData* mime) {
  std::vector<std::string> files;
  if (mime == nullptr || !mime->hasUrls())
    return files;
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile())
      files.push_back(url.toLocalFile().toStdString());
  }
  return files;
}

}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalFiles(event->mimeData()).empty())
    event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  std::vector<std::string> files = LocalFiles(event->mimeData());
  if (files.empty())
    return;
  event->acceptProposedAction();
  files.resize(1);  // only the first file is read
  DropFiles(files);
}

std::string TForm1::button1Caption() const {
  return button1_->text().toStdString();
}
void TForm1::setButton1Caption(const std::string& caption) {
  button1_->setText(Q(caption));
}
std::string TForm1::button2Caption() const {
  return button2_->text().toStdString();
}
void TForm1::setButton2Caption(const std::string& caption) {
  button2_->setText(Q(caption));
}
void TForm1::setButton3Visible(bool visible) {
  button3_->setVisible(visible);
}
void TForm1::setCheckBox1Checked(bool checked) {
  checkBox1_->setChecked(checked);
}
void TForm1::clearMemo1() {
  memo1_->clear();
}
void TForm1::appendMemo1(const std::string& line) {
  memo1_->appendPlainText(Q(line));
}
void TForm1::setLabel3(const std::string& text) {
  label3_->setText(Q(text));
}
void TForm1::setLabel61(const std::string& text) {
  label61_->setText(Q(text));
}

void TForm1::setActivePage(int timetable) {
  for (int i = 0; i < kTimetableCount; ++i) {
    if (kPageOrder[i] == timetable)
      pageControl1_->setCurrentIndex(i);
  }
}

int TForm1::activePage() const {
  return kPageOrder[pageControl1_->currentIndex()];
}
void TForm1::setCaption(const std::string& caption) {
  setWindowTitle(Q(caption));
}
void TForm1::setSave1Enabled(bool enabled) {
  save1_->setEnabled(enabled);
}
void TForm1::setPaste1Enabled(bool enabled) {
  paste1_->setEnabled(enabled);
}

void TForm1::bringToFront() {
  if (isMinimized())
    setWindowState(windowState() & ~Qt::WindowMinimized);
  raise();
  activateWindow();
}

QComboBox* TForm1::dropDown(const std::string& name) const {
  auto it = dropDowns_.find(name);
  if (it == dropDowns_.end())
    throw std::logic_error("no drop-down named " + name);
  return it->second;
}

std::string TForm1::text(const std::string& name) const {
  return dropDown(name)->currentText().toStdString();
}

void TForm1::setText(const std::string& name, const std::string& text) {
  QComboBox* box = dropDown(name);
  settingTexts_ = true;
  box->setEditText(Q(text));
  settingTexts_ = false;
}

}  // namespace tollvane

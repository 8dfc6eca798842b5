// The school calendar dialog: national holidays on or off, closed periods, open days, the
// import of holiday files and the next 14 days as they will ring. Every change is stored in
// memory and in the settings file at once; the rules live in calendar/.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "calendar/civil_date.h"
#include "calendar/school_calendar.h"
#include "engine/interfaces.h"
#include "engine/week_schedule.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace tollvane {

// The import's questions to the operator: which file, and whether to take its days.
class DayFileChooser {
 public:
  virtual ~DayFileChooser() = default;
  // The chosen file's full path.
  virtual std::optional<std::string> chooseDayFile(QWidget* parent) = 0;
  // The days the import would add, one line each, under the question; true to take them.
  virtual bool confirmImport(QWidget* parent, const std::string& question,
                             const std::vector<std::string>& lines) = 0;
};

// Title "取り込むファイルを指定してください", filters CSV and iCalendar; the days in a list of
// their own, since a file may bring thousands.
class QtDayFileChooser : public DayFileChooser {
 public:
  std::optional<std::string> chooseDayFile(QWidget* parent) override;
  bool confirmImport(QWidget* parent, const std::string& question,
                     const std::vector<std::string>& lines) override;
};

struct CalendarDialogParts {
  SchoolCalendar& calendar;  // the main window's, which the bell engine asks
  const HolidayList& holidays;
  std::string settingsPath;
  // The timetables the preview shows: the armed schedule when armed, else the pages.
  std::function<WeekSchedule()> schedule;
  std::function<CivilDate()> today;
  DayFileChooser& chooser;
  Prompts& prompts;
  // Opens the year's plan; null: no button. The button shows only once plans or date
  // assignments exist, so a calendar without them looks as it always did.
  std::function<void()> openYear = {};
};

class SchoolCalendarDialog : public QDialog {
  Q_OBJECT
 public:
  explicit SchoolCalendarDialog(CalendarDialogParts parts, QWidget* parent = nullptr);

  // Shows the calendar and the preview afresh; the main window calls it before each opening.
  void refresh();

  void CheckBox1Click();  // national holidays on/off
  void Button1Click();    // add a closed period
  void Button2Click();    // remove the selected closed period
  void Button3Click();    // add an open day
  void Button4Click();    // remove the selected open day
  void Button5Click();    // import a CSV or iCalendar file
  void Button6Click();    // clear the imported days
  void Button7Click();    // close
  void YearPlanClick();   // the year's plan, then the calendar afresh

 private:
  void refreshPreview();
  bool Check(const std::string& error);

  CalendarDialogParts p_;
  QCheckBox* checkBox1_ = nullptr;
  QListWidget* listBox1_ = nullptr;   // closed periods
  QListWidget* listBox2_ = nullptr;   // open days
  QLineEdit* edit1_ = nullptr;        // closed period: first day
  QLineEdit* edit2_ = nullptr;        // last day
  QLineEdit* edit3_ = nullptr;        // name
  QLineEdit* edit4_ = nullptr;        // open day: date
  QLineEdit* edit5_ = nullptr;        // name
  QLabel* label1_ = nullptr;          // imported days count
  QTreeWidget* listView1_ = nullptr;  // preview
  QPushButton* yearPlan_ = nullptr;
};

}  // namespace tollvane

// The year's plan: the year view, the chosen day's bells and what can be assigned to it (a
// plan for the day or a range, another weekday's pages, extra bells, nothing), the verdict's
// order in one line, and the year's assignments from a CSV file and its verdicts to one.
// Every assignment is written to the settings file's "CALENDAR" keys first, through the
// calendar's rules, and then in effect at once.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "calendar/civil_date.h"
#include "calendar/school_calendar.h"
#include "engine/interfaces.h"
#include "engine/week_schedule.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace tollvane {

class YearView;

struct YearDialogParts {
  SchoolCalendar& calendar;  // the main window's, with its plans, which the bell engine asks
  const HolidayList& holidays;
  std::string settingsPath;
  std::function<WeekSchedule()> schedule;
  std::function<CivilDate()> today;
  Prompts& prompts;
  FileDialogs& fileDialogs;
  std::function<void()> changed = {};
};

class YearDialog : public QDialog {
  Q_OBJECT
 public:
  explicit YearDialog(YearDialogParts parts, QWidget* parent = nullptr);

  // The school year holding today, afresh; the caller runs it before each opening.
  void refresh();
  // Colours the shown school year from the verdicts (the benchmark's row).
  void fill();
  YearView* yearView() const { return yearView_; }

  void PreviousYearClick();
  void NextYearClick();
  void AssignPlanClick();  // the plan to the chosen day, or to the range up to "まで"
  void AssignSwapClick();  // the chosen weekday's pages on the chosen day
  void AddExtraClick();    // one extra bell on the chosen day
  void ClearDayClick();    // the chosen day's assignments removed
  void ImportClick();      // a CSV of "日付,日課", previewed and confirmed
  void ExportClick();      // the year's verdicts as CSV

 private:
  void showDay(CivilDate date);
  bool Check(const std::string& error);
  void stored();

  YearDialogParts p_;
  int firstYear_ = 0;
  YearView* yearView_ = nullptr;
  QLabel* yearLabel_ = nullptr;
  QLabel* dayLabel_ = nullptr;
  QListWidget* dayBells_ = nullptr;
  QComboBox* planCombo_ = nullptr;
  QLineEdit* lastDate_ = nullptr;
  QComboBox* swapCombo_ = nullptr;
  std::array<QComboBox*, 3> extra_{};
  QLabel* notes_ = nullptr;  // overlaps and plans that are missing
};

}  // namespace tollvane

// The plan window "日課表": the list of day plans (add, rename, copy from a weekday's pages,
// delete) and the chosen plan's bells as rows of the pages' drop-downs. Each change goes to
// the plan file first and only then into the book the bell engine reads; the rules live in
// plans/.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "calendar/school_calendar.h"
#include "engine/interfaces.h"
#include "engine/week_schedule.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tollvane {

struct DayPlanWindowParts {
  SchoolCalendar& calendar;  // the main window's, with its plans, which the bell engine asks
  std::string settingsPath;  // the plan file lies beside it
  // The pages a copy takes: the armed schedule when armed, else the pages.
  std::function<WeekSchedule()> schedule;
  Prompts& prompts;
  // Called after every stored change, so the next-bell line and the like follow at once.
  std::function<void()> changed = {};
  // Opens the year view; null: no button.
  std::function<void()> openYear = {};
};

class DayPlanWindow : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kRows = 48;

  explicit DayPlanWindow(DayPlanWindowParts parts, QWidget* parent = nullptr);

  // Shows the plans afresh; the main window calls it before each opening. A damaged plan file
  // is shown, and every change refused, until the operator sets it aside (or mends it by
  // hand: it is read again here).
  void refresh();

  void ListBox1Change();  // a plan chosen
  void Button1Click();    // 追加
  void Button2Click();    // 名前の変更
  void Button3Click();    // 曜日からコピー
  void Button4Click();    // 削除
  void Button5Click();    // 更新: the rows become the plan's bells
  void Button8Click();    // set the damaged file aside and start an empty book

 private:
  void showPlans(int select);
  void showBells();
  const DayPlan* selectedPlan() const;
  bool Check(const std::string& error);
  bool damaged() const { return !p_.calendar.planFileError.empty(); }
  void stored(int select);

  DayPlanWindowParts p_;
  QListWidget* listBox1_ = nullptr;
  QLineEdit* edit1_ = nullptr;      // a new plan's name
  QComboBox* comboBox1_ = nullptr;  // the weekday to copy
  QLabel* heading_ = nullptr;       // "短縮日課のチャイム"
  QLabel* label2_ = nullptr;        // the file's state
  QPushButton* button8_ = nullptr;  // shown only with a damaged file
  std::array<std::array<QComboBox*, 3>, kRows> rows_{};
};

}  // namespace tollvane

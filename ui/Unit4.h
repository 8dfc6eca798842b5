// The holiday dialog: the first 20 HolidayList entries as month and day drop-downs.
// "更新" stores them in memory and in the settings file; "確認" and the close box discard.
#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "engine/week_schedule.h"

class QComboBox;

namespace tollvane {

class TForm4 : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kRows = 20;

  TForm4(HolidayList& holidayList, std::string settingsPath, QWidget* parent = nullptr);

  // Entries 1..20 as decimal texts, whatever the count, as the main window does before each
  // opening.
  void loadHolidays(const HolidayList& holidayList);

  void Button1Click();  // "確認"
  void Button2Click();  // "更新"

 private:
  HolidayList& holidayList_;
  std::string settingsPath_;
  std::array<QComboBox*, 2 * kRows> comboBoxes_{};  // ComboBox1 .. ComboBox40
};

}  // namespace tollvane

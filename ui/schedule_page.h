// One tab page of the schedule editor: a panel with a heading, column headings and 24 slots
// of three editable drop-downs (hour, minute, sound number), named prefix + NN + kind.
#pragma once

#include <QString>
#include <QWidget>
#include <array>

class QComboBox;

namespace tollvane {

// One of a slot's editable drop-downs (kind 0 hour, 1 minute, 2 sound number) as the pages
// build them, unnamed and unplaced; the plan window's slots are the same controls.
QComboBox* MakeSlotDropDown(QWidget* parent, int kind);
// The top of the row'th slot (1-based) of a column of twelve: rows come in pairs.
int SlotRowTop(int row);

class SchedulePage : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kSlots = 24;

  // prefix "mo", "tu", .. "ak"; heading "月曜日のチャイム" etc.
  SchedulePage(const QString& prefix, const QString& heading, QWidget* parent = nullptr);

  // Drop-downs of slot 1..24: 0 hour, 1 minute, 2 sound number.
  QComboBox* dropDown(int slot, int kind) const { return dropDowns_[slot - 1][kind]; }

 private:
  std::array<std::array<QComboBox*, 3>, kSlots> dropDowns_{};
};

}  // namespace tollvane

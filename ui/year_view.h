// The school year at a glance: twelve months, April to March, each day coloured by what it
// rings, with the plan's or the silence's name on hover and a legend. A click selects a day.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "calendar/civil_date.h"

namespace tollvane {

// What a day looks like: its kind picks the colour.
enum class YearCellKind {
  kNormal,     // 平常
  kPlan,       // a plan with bells
  kSwap,       // another weekday's pages
  kNoChime,    // a plan without bells
  kSilent,     // a holiday, a closed period, no bells that day
  kExtraOnly,  // 平常 with extra bells on top
};

struct YearCell {
  CivilDate date;
  YearCellKind kind = YearCellKind::kNormal;
  bool nationalHoliday = false;  // the number drawn in red
  QString tip;                   // "2027/2/15(月) テスト日課 6件"
};

QColor YearCellColor(YearCellKind kind);
QString YearCellKindName(YearCellKind kind);

class YearView : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kCellWidth = 22;
  static constexpr int kCellHeight = 16;
  static constexpr int kMonthWidth = 7 * kCellWidth + 8;
  static constexpr int kMonthHeight = 8 * kCellHeight + 4;

  explicit YearView(QWidget* parent = nullptr);

  // The school year starting in April of firstYear; cells in date order from 4/1.
  void setCells(int firstYear, std::vector<YearCell> cells);
  const std::vector<YearCell>& cells() const { return cells_; }
  int firstYear() const { return firstYear_; }

  void select(CivilDate date);
  CivilDate selected() const { return selected_; }
  // Where a day is drawn, in the widget; empty when it is not in the year.
  QRect cellRect(CivilDate date) const;

  std::function<void(CivilDate)> onSelect;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  const YearCell* cellAt(QPoint point) const;

  int firstYear_ = 0;
  std::vector<YearCell> cells_;
  CivilDate selected_{};
};

}  // namespace tollvane

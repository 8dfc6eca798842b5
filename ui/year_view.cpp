#include "ui/year_view.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "ui/qt_services.h"
#include "ui/window_texts.h"

namespace tollvane {
namespace {

constexpr int kMonthsPerRow = 4;
constexpr int kTitleHeight = 16;
const char* const kWeekdayHeads[7] = {"日", "月", "火", "水", "木", "金", "土"};

// April of the first year is month 0, March of the next is month 11.
CivilDate MonthStart(int firstYear, int index) {
  const int month = (index + 3) % 12 + 1;
  return {month >= 4 ? firstYear : firstYear + 1, month, 1};
}

QPoint MonthOrigin(int index) {
  return {(index % kMonthsPerRow) * YearView::kMonthWidth,
          (index / kMonthsPerRow) * YearView::kMonthHeight};
}

}  // namespace

QColor YearCellColor(YearCellKind kind) {
  switch (kind) {
    case YearCellKind::kNormal:
      return QColor(255, 255, 255);
    case YearCellKind::kPlan:
      return QColor(176, 232, 176);
    case YearCellKind::kSwap:
      return QColor(255, 214, 150);
    case YearCellKind::kNoChime:
      return QColor(190, 200, 235);
    case YearCellKind::kSilent:
      return QColor(215, 215, 215);
    case YearCellKind::kExtraOnly:
      return QColor(255, 236, 110);
  }
  return {};
}

QString YearCellKindName(YearCellKind kind) {
  switch (kind) {
    case YearCellKind::kNormal:
      return QString::fromUtf8(text::window::kNormalDay);
    case YearCellKind::kPlan:
      return QString::fromUtf8(text::window::kPlanDay);
    case YearCellKind::kSwap:
      return QString::fromUtf8(text::window::kSwapDay);
    case YearCellKind::kNoChime:
      return QString::fromUtf8(text::window::kNoChimeDay);
    case YearCellKind::kSilent:
      return QString::fromUtf8(text::window::kSilentDay);
    case YearCellKind::kExtraOnly:
      return QString::fromUtf8(text::window::kExtraOnlyDay);
  }
  return {};
}

YearView::YearView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("YearView"));
  setFixedSize(kMonthsPerRow * kMonthWidth, 3 * kMonthHeight);
  setFont(ProportionalFont(11));
  setMouseTracking(false);
}

void YearView::setCells(int firstYear, std::vector<YearCell> cells) {
  firstYear_ = firstYear;
  cells_ = std::move(cells);
  update();
}

void YearView::select(CivilDate date) {
  selected_ = date;
  update();
  if (onSelect)
    onSelect(date);
}

QRect YearView::cellRect(CivilDate date) const {
  for (int index = 0; index < 12; ++index) {
    const CivilDate start = MonthStart(firstYear_, index);
    if (start.year != date.year || start.month != date.month || !IsValidDate(date))
      continue;
    const int lead = Weekday(start) - 1;  // Sunday first
    const int position = lead + date.day - 1;
    const QPoint origin = MonthOrigin(index);
    return {origin.x() + 4 + (position % 7) * kCellWidth,
            origin.y() + kTitleHeight + kCellHeight + (position / 7) * kCellHeight, kCellWidth,
            kCellHeight};
  }
  return {};
}

const YearCell* YearView::cellAt(QPoint point) const {
  for (const YearCell& cell : cells_) {
    if (cellRect(cell.date).contains(point))
      return &cell;
  }
  return nullptr;
}

void YearView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  const QFont plain = font();
  QFont bold = plain;
  bold.setBold(true);
  for (int index = 0; index < 12; ++index) {
    const CivilDate start = MonthStart(firstYear_, index);
    const QPoint origin = MonthOrigin(index);
    painter.setFont(bold);
    painter.setPen(palette().windowText().color());
    painter.drawText(
        QRect(origin.x() + 4, origin.y(), 7 * kCellWidth, kTitleHeight), Qt::AlignCenter,
        QString::fromUtf8(text::window::kMonthHeading).arg(start.year).arg(start.month));
    painter.setFont(plain);
    for (int d = 0; d < 7; ++d) {
      painter.setPen(d == 0 ? QColor(192, 0, 0) : d == 6 ? QColor(0, 0, 192) : QColor(0, 0, 0));
      painter.drawText(QRect(origin.x() + 4 + d * kCellWidth, origin.y() + kTitleHeight, kCellWidth,
                             kCellHeight),
                       Qt::AlignCenter, QString::fromUtf8(kWeekdayHeads[d]));
    }
  }
  for (const YearCell& cell : cells_) {
    const QRect box = cellRect(cell.date);
    if (box.isEmpty())
      continue;
    painter.fillRect(box.adjusted(0, 0, -1, -1), YearCellColor(cell.kind));
    const int weekday = Weekday(cell.date);
    painter.setPen(cell.nationalHoliday || weekday == kSunday ? QColor(192, 0, 0)
                   : weekday == 7                             ? QColor(0, 0, 192)
                                                              : QColor(0, 0, 0));
    painter.setFont(cell.nationalHoliday ? bold : plain);
    painter.drawText(box, Qt::AlignCenter, QString::number(cell.date.day));
    if (cell.date == selected_) {
      painter.setPen(QPen(QColor(0, 0, 0), 2));
      painter.drawRect(box.adjusted(1, 1, -2, -2));
    }
  }
}

void YearView::mousePressEvent(QMouseEvent* event) {
  if (const YearCell* cell = cellAt(event->position().toPoint()))
    select(cell->date);
}

bool YearView::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    if (const YearCell* cell = cellAt(help->pos()))
      QToolTip::showText(help->globalPos(), cell->tip, this, cellRect(cell->date));
    else
      QToolTip::hideText();
    return true;
  }
  return QWidget::event(event);
}

}  // namespace tollvane

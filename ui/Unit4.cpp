#include "ui/Unit4.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "settings/settings_file.h"
#include "ui/guard.h"
#include "ui/keyboard.h"
#include "ui/qt_services.h"

namespace tollvane {

static_assert(TForm4::kRows == kHolidayRows);

namespace {

constexpr int kPanelTop = 8;
constexpr int kPanelLeft[2] = {8, 152};
constexpr int kPanelWidth = 138;
constexpr int kPanelHeight = 345;
// Window coordinates of the drop-downs; each panel carries its ten rows.
constexpr int kMonthLeft[2] = {32, 176};
constexpr int kDayLeft[2] = {80, 224};
constexpr int kDropDownWidth = 49;
constexpr int kDropDownHeight = 20;

QString RowNumber(int row) {
  if (row < 10)
    return QString(QChar(0xFF10 + row));  // "１" .. "９"
  return QString::number(row);
}

QComboBox* MakeDropDown(QWidget* panel, int number, int first, int last, QRect inWindow,
                        QPoint panelOrigin) {
  auto* box = new DropDown(panel);
  box->setObjectName(QStringLiteral("ComboBox%1").arg(number));
  box->setEditable(true);
  box->setCompleter(nullptr);
  box->setInsertPolicy(QComboBox::NoInsert);
  for (int value = first; value <= last; ++value)
    box->addItem(QString::number(value));
  box->setMaxVisibleItems(12);
  box->setGeometry(inWindow.translated(-panelOrigin));
  return box;
}

}  // namespace

TForm4::TForm4(HolidayList& holidayList, std::string settingsPath, QWidget* parent)
    : QDialog(parent), holidayList_(holidayList), settingsPath_(std::move(settingsPath)) {
  setObjectName(QStringLiteral("Form4"));
  setWindowTitle(QStringLiteral("休日指定確認"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(ProportionalFont(12));
  setFixedSize(295, 398);
  move(561, 114);

  QWidget* previous = nullptr;
  for (int column = 0; column < 2; ++column) {
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel%1").arg(column + 1));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(kPanelLeft[column], kPanelTop, kPanelWidth, kPanelHeight);
    const QPoint origin(kPanelLeft[column], kPanelTop);

    for (const auto& [text, left] : {std::pair{QStringLiteral("月"), kMonthLeft[column]},
                                     std::pair{QStringLiteral("日"), kDayLeft[column]}}) {
      auto* heading = new QLabel(text, panel);
      heading->move(left - origin.x() + 18, 6);
      heading->adjustSize();
    }
    for (int i = 1; i <= 10; ++i) {
      const int row = column * 10 + i;
      const int top = 32 + 32 * (i - 1);
      auto* number = new QLabel(RowNumber(row), panel);
      number->setObjectName(QStringLiteral("RowLabel%1").arg(row));
      number->setFont(ProportionalFont(15));
      number->adjustSize();
      number->setGeometry(0, top - origin.y() + 1, 22, number->height());
      number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

      QComboBox* month =
          MakeDropDown(panel, 2 * row - 1, 1, 12,
                       {kMonthLeft[column], top, kDropDownWidth, kDropDownHeight}, origin);
      QComboBox* day = MakeDropDown(
          panel, 2 * row, 1, 31, {kDayLeft[column], top, kDropDownWidth, kDropDownHeight}, origin);
      // Reading order: the left column top to bottom, then the right one.
      if (previous != nullptr)
        QWidget::setTabOrder(previous, month);
      QWidget::setTabOrder(month, day);
      previous = day;
      comboBoxes_[2 * row - 2] = month;
      comboBoxes_[2 * row - 1] = day;
    }
  }

  auto* confirm =
      MakeButton(this, QStringLiteral("Button1"), QStringLiteral("確認"), {64, 360, 57, 25});
  connect(confirm, &QPushButton::clicked, this, [this] { Button1Click(); });
  auto* update =
      MakeButton(this, QStringLiteral("Button2"), QStringLiteral("更新"), {168, 360, 49, 25});
  connect(update, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TForm4::loadHolidays(const HolidayList& holidayList) {
  for (int row = 1; row <= kRows; ++row) {
    comboBoxes_[2 * row - 2]->setEditText(QString::number(holidayList.at(row).month));
    comboBoxes_[2 * row - 1]->setEditText(QString::number(holidayList.at(row).day));
  }
}

void TForm4::Button1Click() {
  reject();
}

void TForm4::Button2Click() {
  const bool stored = Guard(this, [this] {
    std::array<std::string, 2 * kHolidayRows> texts;
    for (int i = 0; i < 2 * kRows; ++i)
      texts[i] = comboBoxes_[i]->currentText().toStdString();
    UpdateHolidaySettings(settingsPath_, texts, holidayList_);
  });
  // A text that does not convert, or a failed write, leaves the dialog open.
  if (stored)
    accept();
}

}  // namespace tollvane

#include "ui/schedule_page.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPalette>

#include "ui/keyboard.h"
#include "ui/qt_services.h"

namespace tollvane {

namespace {

constexpr int kPanelWidth = 425;
constexpr int kPanelHeight = 323;
constexpr int kDropDownHeight = 20;
constexpr int kColumnX[2][3] = {{26, 82, 138}, {232, 288, 344}};
constexpr int kWidths[3] = {57, 57, 49};
const char* const kKinds[3] = {"ji", "fu", "snd"};

QStringList Items(int kind) {
  QStringList items;
  if (kind == 0) {
    for (int h = 8; h <= 18; ++h)
      items << QString::number(h);
  } else if (kind == 1) {
    for (int m = 0; m <= 55; m += 5)
      items << QString::number(m);
  } else {
    for (int s = 1; s <= 10; ++s)
      items << QString::number(s);
  }
  return items;
}

QLabel* AddLabel(QWidget* parent, const QString& text, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->move(x, y);
  label->adjustSize();
  return label;
}

}  // namespace

// Rows come in pairs: 36, 55, 84, 103, ...
int SlotRowTop(int row) {
  const int r = (row - 1) % 12;
  return 36 + 48 * (r / 2) + 19 * (r % 2);
}

QComboBox* MakeSlotDropDown(QWidget* parent, int kind) {
  auto* box = new DropDown(parent);
  box->setEditable(true);
  // Typed text is the value: no completion that could turn "1" into "10", and Enter must
  // not add what was typed to the item list.
  box->setCompleter(nullptr);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->addItems(Items(kind));
  box->setMaxVisibleItems(12);
  if (kind == 2) {
    box->setCurrentIndex(0);  // "1"
  } else {
    box->setCurrentIndex(-1);
    box->setEditText(QString());
  }
  return box;
}

SchedulePage::SchedulePage(const QString& prefix, const QString& heading, QWidget* parent)
    : QWidget(parent) {
  // The page itself takes the panel's colour too, so no strip shows where the page control's
  // client area is a few pixels taller than the panel.
  setAutoFillBackground(true);
  auto* panel = new QWidget(this);
  panel->setObjectName(prefix + QStringLiteral("Panel"));
  panel->setGeometry(0, 0, kPanelWidth, kPanelHeight);
  panel->setAutoFillBackground(true);
  QPalette palette = panel->palette();
  palette.setColor(QPalette::Window, QColor(196, 255, 255));
  panel->setPalette(palette);
  setPalette(palette);

  AddLabel(panel, heading, 168, 8);
  const QString headings[3] = {QStringLiteral("時"), QStringLiteral("分"), QStringLiteral("音№")};
  const int headingX[2][3] = {{40, 104, 152}, {248, 312, 360}};
  for (int column = 0; column < 2; ++column) {
    for (int kind = 0; kind < 3; ++kind)
      AddLabel(panel, headings[kind], headingX[column][kind], 24);
  }

  QWidget* previous = nullptr;
  for (int slot = 1; slot <= kSlots; ++slot) {
    const int column = slot <= 12 ? 0 : 1;
    for (int kind = 0; kind < 3; ++kind) {
      QComboBox* box = MakeSlotDropDown(panel, kind);
      box->setObjectName(prefix + QStringLiteral("%1").arg(slot, 2, 10, QLatin1Char('0')) +
                         QLatin1String(kKinds[kind]));
      box->setGeometry(kColumnX[column][kind], SlotRowTop(slot), kWidths[kind], kDropDownHeight);
      if (previous != nullptr)
        QWidget::setTabOrder(previous, box);
      previous = box;
      dropDowns_[slot - 1][kind] = box;
    }
  }
}

}  // namespace tollvane

#include "ui/record_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "record/record_files.h"
#include "record/record_kinds.h"
#include "ui/guard.h"
#include "ui/qt_services.h"
#include "ui/window_texts.h"

namespace tollvane {

namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), text.size());
}

// A recorded line break or tab would hide the rest of the cell.
QString OneLine(const std::string& text) {
  QString shown = FromUtf8(text);
  shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
  shown.replace(QLatin1Char('\r'), QLatin1Char(' '));
  shown.replace(QLatin1Char('\t'), QLatin1Char(' '));
  return shown;
}

}  // namespace

RecordWindow::RecordWindow(std::filesystem::path folder, QWidget* parent)
    : QWidget(parent, Qt::Window), folder_(std::move(folder)) {
  setObjectName(QStringLiteral("RecordWindow"));
  setWindowTitle(QString::fromUtf8(text::window::kRecordTitle));
  setFont(ProportionalFont(12));
  resize(720, 480);
  setMinimumSize(480, 240);

  auto* dayLabel = new QLabel(QString::fromUtf8(text::window::kDayLabel), this);
  dayLabel->setFont(ProportionalFont(15));
  comboBox1_ = new QComboBox(this);
  comboBox1_->setObjectName(QStringLiteral("ComboBox1"));
  comboBox1_->setFont(ProportionalFont(15));
  comboBox1_->setMinimumWidth(180);
  comboBox1_->setMaxVisibleItems(20);
  auto* reloadButton = MakeButton(this, QStringLiteral("Button1"),
                                  QString::fromUtf8(text::window::kReloadButton), {0, 0, 100, 25});
  reloadButton->setFont(ProportionalFont(15));
  reloadButton->setMinimumSize(110, 28);

  listView1_ = new QTreeWidget(this);
  listView1_->setObjectName(QStringLiteral("ListView1"));
  listView1_->setHeaderLabels(
      {QString::fromUtf8(text::window::kDateColumn), QString::fromUtf8(text::window::kTimeColumn),
       QString::fromUtf8(text::window::kKindColumn), QString::fromUtf8(text::window::kTextColumn)});
  listView1_->setRootIsDecorated(false);
  listView1_->setUniformRowHeights(true);
  listView1_->setAlternatingRowColors(true);
  listView1_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  listView1_->setFont(ProportionalFont(15));
  listView1_->header()->setStretchLastSection(true);
  listView1_->setColumnWidth(0, 110);
  listView1_->setColumnWidth(1, 110);
  listView1_->setColumnWidth(2, 100);

  label1_ = new QLabel(this);
  label1_->setObjectName(QStringLiteral("Label1"));
  label1_->setFont(ProportionalFont(15));

  auto* top = new QHBoxLayout;
  top->addWidget(dayLabel);
  top->addWidget(comboBox1_);
  top->addStretch();
  top->addWidget(reloadButton);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(listView1_);
  layout->addWidget(label1_);

  connect(reloadButton, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(comboBox1_, &QComboBox::activated, this, [this] { ComboBox1Change(); });
}

void RecordWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Guard(this, [this] { reload(); });
}

void RecordWindow::Button1Click() {
  Guard(this, [this] { reload(); });
}

void RecordWindow::ComboBox1Change() {
  Guard(this, [this] { reload(); });
}

void RecordWindow::reload() {
  // The day chosen stays chosen while it still has a record.
  const QString chosen = comboBox1_->currentData().toString();
  {
    const QSignalBlocker blocker(comboBox1_);
    comboBox1_->clear();
    comboBox1_->addItem(QString::fromUtf8(text::window::kAllDays), QString());
    for (const std::string& day : RecordDays(folder_))
      comboBox1_->addItem(FromUtf8(RecordDayLabel(day)), FromUtf8(day));
    comboBox1_->setCurrentIndex(std::max(0, comboBox1_->findData(chosen)));
  }
  const std::string day = comboBox1_->currentData().toString().toStdString();
  const RecordReading reading = ReadRecord(folder_, day, kMaxEvents);

  const QFont fixed = FixedFont(15);
  const QBrush kAttention(QColor(0xB0, 0x00, 0x00));
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(reading.events.size()));
  for (const RecordEvent& event : reading.events) {
    auto* item = new QTreeWidgetItem(
        {FromUtf8(event.date), FromUtf8(event.time), OneLine(event.kind), OneLine(event.text)});
    item->setFont(0, fixed);
    item->setFont(1, fixed);
    item->setToolTip(3, FromUtf8(event.text));
    if (record_kind::NeedsAttention(event.kind)) {
      for (int column = 2; column < 4; ++column)
        item->setForeground(column, kAttention);
    }
    items.push_back(item);
  }
  listView1_->clear();
  listView1_->addTopLevelItems(items);
  label1_->setText(FromUtf8(RecordSummary(reading, kMaxEvents)));
}

}  // namespace tollvane

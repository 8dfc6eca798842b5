#include "ui/day_plan_window.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <algorithm>

#include "calendar/day_verdict.h"
#include "calendar/plan_edit.h"
#include "engine/texts.h"
#include "plans/plan_file.h"
#include "ui/guard.h"
#include "ui/qt_services.h"
#include "ui/schedule_page.h"
#include "ui/window_texts.h"

namespace tollvane {
namespace {

constexpr int kPanelLeft = 176;
constexpr int kPanelTop = 8;
constexpr int kColumns = 4;
constexpr int kColumnPitch = 206;  // as the pages' two columns stand apart
constexpr int kPanelWidth = kColumns * kColumnPitch + 12;
constexpr int kPanelHeight = 323;
constexpr int kDropDownHeight = 20;
constexpr int kColumnX[3] = {26, 82, 138};
constexpr int kWidths[3] = {57, 57, 49};
constexpr int kHeadingX[3] = {40, 104, 152};
const char* const kKinds[3] = {"ji", "fu", "snd"};

}  // namespace

DayPlanWindow::DayPlanWindow(DayPlanWindowParts parts, QWidget* parent)
    : QDialog(parent), p_(std::move(parts)) {
  setObjectName(QStringLiteral("DayPlanWindow"));
  setWindowTitle(QString::fromUtf8(text::window::kPlansTitle));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  const QFont font = ProportionalFont(12);
  setFont(font);
  setFixedSize(kPanelLeft + kPanelWidth + 8, 404);

  MakeLabel(this, QStringLiteral("Label1"), QString::fromUtf8(text::window::kPlanLabel), 8, 8,
            font);
  listBox1_ = new QListWidget(this);
  listBox1_->setObjectName(QStringLiteral("ListBox1"));
  listBox1_->setGeometry(8, 24, 160, 220);
  connect(listBox1_, &QListWidget::currentRowChanged, this, [this] { ListBox1Change(); });
  edit1_ = new QLineEdit(this);
  edit1_->setObjectName(QStringLiteral("Edit1"));
  edit1_->setPlaceholderText(QString::fromUtf8(text::window::kPlanNameHint));
  edit1_->setGeometry(8, 250, 160, 21);
  auto* add = MakeButton(this, QStringLiteral("Button1"),
                         QString::fromUtf8(text::window::kAddButton), {8, 276, 77, 25});
  connect(add, &QPushButton::clicked, this, [this] { Button1Click(); });
  auto* rename = MakeButton(this, QStringLiteral("Button2"),
                            QString::fromUtf8(text::window::kRenameButton), {91, 276, 77, 25});
  connect(rename, &QPushButton::clicked, this, [this] { Button2Click(); });
  comboBox1_ = new QComboBox(this);
  comboBox1_->setObjectName(QStringLiteral("ComboBox1"));
  for (const int weekday : kWeekdaysMondayFirst)
    comboBox1_->addItem(Q(std::string(WeekdayName(weekday))));
  comboBox1_->setGeometry(8, 310, 49, kDropDownHeight);
  auto* copy = MakeButton(this, QStringLiteral("Button3"),
                          QString::fromUtf8(text::window::kCopyWeekdayButton), {63, 308, 105, 25});
  connect(copy, &QPushButton::clicked, this, [this] { Button3Click(); });
  auto* remove = MakeButton(this, QStringLiteral("Button4"),
                            QString::fromUtf8(text::window::kRemoveButton), {8, 340, 77, 25});
  connect(remove, &QPushButton::clicked, this, [this] { Button4Click(); });

  // The slots on a panel of the pages' colour, four columns of twelve.
  auto* panel = new QWidget(this);
  panel->setObjectName(QStringLiteral("PlanPanel"));
  panel->setGeometry(kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight);
  panel->setAutoFillBackground(true);
  QPalette palette = panel->palette();
  palette.setColor(QPalette::Window, QColor(196, 255, 255));
  panel->setPalette(palette);
  heading_ = MakeLabel(panel, QStringLiteral("Heading"), QString(), 8, 8, font);
  const QString headings[3] = {QString::fromUtf8(text::window::kHourColumn),
                               QString::fromUtf8(text::window::kMinuteColumn),
                               QStringLiteral("音№")};
  for (int column = 0; column < kColumns; ++column) {
    for (int kind = 0; kind < 3; ++kind)
      MakeLabel(panel, QString(), headings[kind], kHeadingX[kind] + column * kColumnPitch, 24,
                font);
  }
  QWidget* previous = nullptr;
  for (int row = 1; row <= kRows; ++row) {
    const int column = (row - 1) / 12;
    for (int kind = 0; kind < 3; ++kind) {
      QComboBox* box = MakeSlotDropDown(panel, kind);
      box->setObjectName(QStringLiteral("pl%1").arg(row, 2, 10, QLatin1Char('0')) +
                         QLatin1String(kKinds[kind]));
      box->setGeometry(kColumnX[kind] + column * kColumnPitch, SlotRowTop(row), kWidths[kind],
                       kDropDownHeight);
      if (previous != nullptr)
        QWidget::setTabOrder(previous, box);
      previous = box;
      rows_[row - 1][kind] = box;
    }
  }

  label2_ = MakeLabel(this, QStringLiteral("Label2"), QString(), kPanelLeft, 340, font);
  label2_->setWordWrap(true);
  label2_->setGeometry(kPanelLeft, 338, 520, 60);
  label2_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  button8_ =
      MakeButton(this, QStringLiteral("Button8"), QString::fromUtf8(text::window::kSetAsideButton),
                 {kPanelLeft + 528, 340, 170, 25});
  connect(button8_, &QPushButton::clicked, this, [this] { Button8Click(); });
  button8_->hide();
  const int right = kPanelLeft + kPanelWidth;
  auto* update =
      MakeButton(this, QStringLiteral("Button5"), QString::fromUtf8(text::window::kUpdateButton),
                 {right - 80, 340, 80, 25});
  connect(update, &QPushButton::clicked, this, [this] { Button5Click(); });
  if (p_.openYear) {
    auto* year =
        MakeButton(this, QStringLiteral("Button6"), QString::fromUtf8(text::window::kYearButton),
                   {right - 266, 372, 97, 25});
    connect(year, &QPushButton::clicked, this, [this] { Guard(this, [this] { p_.openYear(); }); });
  }
  auto* close =
      MakeButton(this, QStringLiteral("Button7"), QString::fromUtf8(text::window::kCloseButton),
                 {right - 80, 372, 80, 25});
  connect(close, &QPushButton::clicked, this, [this] { accept(); });
}

void DayPlanWindow::refresh() {
  Guard(this, [this] {
    if (damaged()) {
      // Mended by hand since: take it; still damaged: keep the message, touch nothing.
      PlanFileReading reading = ReadPlanFile(PlanFilePath(p_.settingsPath));
      if (reading.status != PlanFileReading::Status::kDamaged) {
        p_.calendar.plans = std::move(reading.book);
        p_.calendar.planFileError.clear();
        if (p_.changed)
          p_.changed();
      } else {
        p_.calendar.planFileError = reading.error;
      }
    }
    showPlans(listBox1_->currentRow());
  });
}

void DayPlanWindow::showPlans(int select) {
  const std::vector<DayPlan>& plans = p_.calendar.plans.plans;
  {
    const QSignalBlocker block(listBox1_);
    listBox1_->clear();
    for (const DayPlan& plan : plans)
      listBox1_->addItem(Q(plan.name));
    const int count = static_cast<int>(plans.size());
    listBox1_->setCurrentRow(count == 0 ? -1 : std::clamp(select, 0, count - 1));
  }
  if (damaged()) {
    label2_->setText(
        Q(text::Formatted(text::window::kPlansLocked, p_.calendar.planFileError.c_str())));
    QPalette red = palette();
    red.setColor(QPalette::WindowText, QColor(192, 0, 0));
    label2_->setPalette(red);
    button8_->show();
  } else {
    label2_->setText(
        Q(text::Formatted(text::window::kPlanFileLabel, PlanFilePath(p_.settingsPath).c_str())));
    label2_->setPalette(palette());
    button8_->hide();
  }
  for (QPushButton* button : findChildren<QPushButton*>()) {
    const QString name = button->objectName();
    if (name != QLatin1String("Button6") && name != QLatin1String("Button7") &&
        name != QLatin1String("Button8"))
      button->setEnabled(!damaged());
  }
  edit1_->setEnabled(!damaged());
  showBells();
}

void DayPlanWindow::showBells() {
  const DayPlan* plan = selectedPlan();
  heading_->setText(plan == nullptr
                        ? QString()
                        : Q(text::Formatted(text::window::kPlanBellsHeading, plan->name.c_str())));
  heading_->adjustSize();
  for (int row = 0; row < kRows; ++row) {
    const bool used = plan != nullptr && row < static_cast<int>(plan->bells.size());
    const PlanBell bell = used ? plan->bells[row] : PlanBell{};
    rows_[row][0]->setEditText(used ? QString::number(bell.hour) : QString());
    rows_[row][1]->setEditText(used ? QString::number(bell.minute) : QString());
    rows_[row][2]->setEditText(QString::number(bell.sound));
    for (QComboBox* box : rows_[row])
      box->setEnabled(plan != nullptr && !damaged());
  }
}

const DayPlan* DayPlanWindow::selectedPlan() const {
  const int row = listBox1_->currentRow();
  const std::vector<DayPlan>& plans = p_.calendar.plans.plans;
  return row < 0 || row >= static_cast<int>(plans.size()) ? nullptr : &plans[row];
}

// A change that could not be made is the operator's to fix: a warning, as the calendar
// dialog gives.
bool DayPlanWindow::Check(const std::string& error) {
  if (error.empty())
    return true;
  p_.prompts.ask(error, text::kWarning, Buttons::Ok);
  return false;
}

void DayPlanWindow::stored(int select) {
  showPlans(select);
  if (p_.changed)
    p_.changed();
}

void DayPlanWindow::ListBox1Change() {
  Guard(this, [this] { showBells(); });
}

void DayPlanWindow::Button1Click() {
  Guard(this, [this] {
    if (!Check(AddPlan(p_.calendar, p_.settingsPath, edit1_->text().toStdString())))
      return;
    edit1_->clear();
    stored(static_cast<int>(p_.calendar.plans.plans.size()) - 1);
  });
}

void DayPlanWindow::Button2Click() {
  Guard(this, [this] {
    const int row = listBox1_->currentRow();
    if (selectedPlan() == nullptr)
      return;
    if (!Check(RenamePlan(p_.calendar, p_.settingsPath, static_cast<std::size_t>(row),
                          edit1_->text().toStdString())))
      return;
    edit1_->clear();
    stored(row);
  });
}

// The weekday's bells land in the rows only; "更新" stores them, so a copy over the wrong plan
// costs nothing.
void DayPlanWindow::Button3Click() {
  Guard(this, [this] {
    if (selectedPlan() == nullptr) {
      Check(text::window::kChooseCopyTarget);
      return;
    }
    const int weekday = kWeekdaysMondayFirst[std::max(0, comboBox1_->currentIndex())];
    const std::vector<PlanBell> bells = PlanBellsOfWeekday(p_.schedule(), weekday);
    for (int row = 0; row < kRows; ++row) {
      const bool used = row < static_cast<int>(bells.size());
      rows_[row][0]->setEditText(used ? QString::number(bells[row].hour) : QString());
      rows_[row][1]->setEditText(used ? QString::number(bells[row].minute) : QString());
      rows_[row][2]->setEditText(QString::number(used ? bells[row].sound : 1));
    }
  });
}

void DayPlanWindow::Button4Click() {
  Guard(this, [this] {
    const DayPlan* plan = selectedPlan();
    if (plan == nullptr)
      return;
    const int row = listBox1_->currentRow();
    const int assigned = AssignmentsOfPlan(p_.calendar, plan->name);
    bool removeAssignments = false;
    if (assigned > 0) {
      const Answer answer = p_.prompts.ask(
          text::Formatted(text::window::kRemoveAssignedPlan, plan->name.c_str(), assigned),
          text::kConfirm, Buttons::YesNoCancel);
      if (answer == Answer::Cancel)
        return;
      removeAssignments = answer == Answer::Yes;
    } else if (p_.prompts.ask(text::Formatted(text::window::kRemovePlan, plan->name.c_str()),
                              text::kConfirm, Buttons::OkCancel) != Answer::Ok) {
      return;
    }
    if (!Check(RemovePlan(p_.calendar, p_.settingsPath, static_cast<std::size_t>(row),
                          removeAssignments)))
      return;
    stored(row);
  });
}

void DayPlanWindow::Button5Click() {
  Guard(this, [this] {
    if (selectedPlan() == nullptr)
      return;
    const int row = listBox1_->currentRow();
    // The rows as the pages convert them; an empty row is no bell, a bad one names its row.
    std::vector<PlanBell> bells;
    for (int i = 0; i < kRows; ++i) {
      std::string problem;
      const std::optional<PlanBell> bell = PlanBellFromTexts(
          rows_[i][0]->currentText().toStdString(), rows_[i][1]->currentText().toStdString(),
          rows_[i][2]->currentText().toStdString(), &problem);
      if (!problem.empty()) {
        Check(text::Formatted(text::window::kRowProblem, i + 1, problem.c_str()));
        rows_[i][0]->setFocus();
        return;
      }
      if (bell)
        bells.push_back(*bell);
    }
    if (!Check(SetPlanBells(p_.calendar, p_.settingsPath, static_cast<std::size_t>(row), bells)))
      return;
    stored(row);
  });
}

void DayPlanWindow::Button8Click() {
  Guard(this, [this] {
    if (p_.prompts.ask(text::window::kSetAsideQuestion, text::kConfirm, Buttons::OkCancel) !=
        Answer::Ok)
      return;
    if (!Check(SetAsideDamagedPlans(p_.calendar, p_.settingsPath)))
      return;
    stored(0);
  });
}

}  // namespace tollvane

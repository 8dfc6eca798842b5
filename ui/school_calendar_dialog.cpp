#include "ui/school_calendar_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "calendar/calendar_edit.h"
#include "calendar/day_import.h"
#include "calendar/plan_edit.h"
#include "engine/texts.h"
#include "ui/guard.h"
#include "ui/qt_services.h"
#include "ui/window_texts.h"

namespace tollvane {
namespace {

constexpr int kEditHeight = 21;
// Recurring events of an iCalendar file are laid out this many years ahead; the report
// says so.
constexpr int kImportYearsAhead = 10;

QLineEdit* MakeEdit(QWidget* parent, int number, const QString& placeholder, QRect geometry) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QStringLiteral("Edit%1").arg(number));
  edit->setPlaceholderText(placeholder);
  edit->setGeometry(geometry);
  return edit;
}

QListWidget* MakeList(QWidget* parent, int number, QRect geometry) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QStringLiteral("ListBox%1").arg(number));
  list->setGeometry(geometry);
  return list;
}

namespace t = text::window;

bool HasDayPlans(const SchoolCalendar& calendar) {
  return !calendar.plans.plans.empty() || !calendar.assignments.empty() ||
         !calendar.assignments.unreadable.empty() || !calendar.planFileError.empty();
}

}  // namespace

std::optional<std::string> QtDayFileChooser::chooseDayFile(QWidget* parent) {
  const QString file =
      QFileDialog::getOpenFileName(parent, Q(t::kImportTitle), QString(), Q(t::kImportFilter));
  if (file.isEmpty()) {
    return std::nullopt;
  }
  return file.toStdString();
}

bool QtDayFileChooser::confirmImport(QWidget* parent, const std::string& question,
                                     const std::vector<std::string>& lines) {
  QDialog box(parent);
  box.setObjectName(QStringLiteral("ImportPlanDialog"));
  box.setWindowTitle(QString::fromUtf8(text::window::kImportConfirmTitle));
  box.setFont(ProportionalFont(12));
  auto* layout = new QVBoxLayout(&box);
  auto* questionLabel = new QLabel(Q(question), &box);
  questionLabel->setWordWrap(true);
  layout->addWidget(questionLabel);
  auto* list = new QListWidget(&box);
  list->setObjectName(QStringLiteral("ImportPlanList"));
  list->setUniformItemSizes(true);
  for (const std::string& line : lines)
    list->addItem(Q(line));
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
  buttons->button(QDialogButtonBox::Ok)
      ->setText(QString::fromUtf8(text::window::kImportConfirmButton));
  buttons->button(QDialogButtonBox::Cancel)
      ->setText(QString::fromUtf8(text::window::kCancelButton));
  QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
  layout->addWidget(buttons);
  box.resize(420, 360);
  return box.exec() == QDialog::Accepted;
}

SchoolCalendarDialog::SchoolCalendarDialog(CalendarDialogParts parts, QWidget* parent)
    : QDialog(parent), p_(std::move(parts)) {
  setObjectName(QStringLiteral("SchoolCalendarDialog"));
  setWindowTitle(Q(t::kCalendarTitle));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(ProportionalFont(12));
  setFixedSize(600, 448);

  checkBox1_ = new QCheckBox(Q(t::kNationalHolidaysBox), this);
  checkBox1_->setObjectName(QStringLiteral("CheckBox1"));
  checkBox1_->setGeometry(8, 8, 264, 21);
  connect(checkBox1_, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });

  const QFont font = ProportionalFont(12);
  MakeLabel(this, QStringLiteral("Label2"), Q(t::kClosedPeriodsLabel), 8, 38, font);
  listBox1_ = MakeList(this, 1, {8, 54, 280, 92});
  edit1_ = MakeEdit(this, 1, Q(t::kFirstDayHint), {8, 152, 92, kEditHeight});
  edit2_ = MakeEdit(this, 2, Q(t::kLastDayHint), {104, 152, 92, kEditHeight});
  edit3_ = MakeEdit(this, 3, Q(t::kNameHint), {200, 152, 88, kEditHeight});
  auto* add1 = MakeButton(this, QStringLiteral("Button1"), Q(t::kAddButton), {8, 178, 57, 25});
  connect(add1, &QPushButton::clicked, this, [this] { Button1Click(); });
  auto* remove1 =
      MakeButton(this, QStringLiteral("Button2"), Q(t::kRemoveButton), {72, 178, 57, 25});
  connect(remove1, &QPushButton::clicked, this, [this] { Button2Click(); });

  MakeLabel(this, QStringLiteral("Label3"), Q(t::kOpenDaysLabel), 8, 214, font);
  listBox2_ = MakeList(this, 2, {8, 230, 280, 92});
  edit4_ = MakeEdit(this, 4, Q(t::kDateHint), {8, 328, 92, kEditHeight});
  edit5_ = MakeEdit(this, 5, Q(t::kNameHint), {104, 328, 184, kEditHeight});
  auto* add2 = MakeButton(this, QStringLiteral("Button3"), Q(t::kAddButton), {8, 354, 57, 25});
  connect(add2, &QPushButton::clicked, this, [this] { Button3Click(); });
  auto* remove2 =
      MakeButton(this, QStringLiteral("Button4"), Q(t::kRemoveButton), {72, 354, 57, 25});
  connect(remove2, &QPushButton::clicked, this, [this] { Button4Click(); });

  label1_ = MakeLabel(this, QStringLiteral("Label1"), QString(), 8, 392, font);
  auto* import = MakeButton(this, QStringLiteral("Button5"), Q(t::kImportButton), {8, 412, 97, 25});
  connect(import, &QPushButton::clicked, this, [this] { Button5Click(); });
  auto* clear =
      MakeButton(this, QStringLiteral("Button6"), Q(t::kClearImportedButton), {112, 412, 121, 25});
  connect(clear, &QPushButton::clicked, this, [this] { Button6Click(); });

  MakeLabel(this, QStringLiteral("Label4"), Q(t::kPreviewLabel), 300, 8, font);
  listView1_ = new QTreeWidget(this);
  listView1_->setObjectName(QStringLiteral("ListView1"));
  listView1_->setGeometry(300, 24, 292, 380);
  listView1_->setColumnCount(2);
  listView1_->setHeaderLabels({Q(t::kDateHint), Q(t::kPreviewBellsColumn)});
  listView1_->setUniformRowHeights(true);
  listView1_->header()->resizeSection(0, 128);  // room for the tree's indent

  auto* close = MakeButton(this, QStringLiteral("Button7"), Q(t::kCloseButton), {519, 412, 73, 25});
  connect(close, &QPushButton::clicked, this, [this] { Button7Click(); });
  if (p_.openYear) {
    yearPlan_ = MakeButton(this, QStringLiteral("YearPlan"),
                           QString::fromUtf8(text::window::kYearButton), {415, 412, 97, 25});
    connect(yearPlan_, &QPushButton::clicked, this, [this] { YearPlanClick(); });
    yearPlan_->hide();
  }
}

void SchoolCalendarDialog::refresh() {
  Guard(this, [this] {
    checkBox1_->setChecked(p_.calendar.nationalHolidays);
    listBox1_->clear();
    for (const ClosedPeriod& period : p_.calendar.closedPeriods)
      listBox1_->addItem(Q(FormatClosedPeriod(period)));
    listBox2_->clear();
    for (const NamedDay& day : p_.calendar.openDays)
      listBox2_->addItem(Q(FormatNamedDay(day)));
    label1_->setText(Q(t::kImportedCount).arg(p_.calendar.importedDays.size()));
    label1_->adjustSize();
    if (yearPlan_ != nullptr)
      yearPlan_->setVisible(HasDayPlans(p_.calendar));
    refreshPreview();
  });
}

// A change that could not be made is the operator's to fix, so it gets a warning rather than
// the error box of a failed operation.
bool SchoolCalendarDialog::Check(const EditError& error) {
  if (error.empty())
    return true;
  p_.prompts.ask(error, text::kWarning, Buttons::Ok);
  return false;
}

void SchoolCalendarDialog::refreshPreview() {
  const std::vector<PreviewDay> days =
      PreviewDays(p_.schedule(), p_.holidays, p_.calendar, p_.today());
  listView1_->clear();
  for (const PreviewRow& row : PreviewRows(days)) {
    auto* item = new QTreeWidgetItem(listView1_, {Q(row.date), Q(row.summary)});
    for (const std::string& bell : row.bells)
      new QTreeWidgetItem(item, {QString(), Q(bell)});
  }
  listView1_->expandAll();
}

void SchoolCalendarDialog::CheckBox1Click() {
  const bool on = checkBox1_->isChecked();
  Guard(this, [this, on] { Check(SetNationalHolidays(p_.calendar, p_.settingsPath, on)); });
  refresh();  // a refused change puts the box back
}

void SchoolCalendarDialog::Button1Click() {
  bool added = false;
  Guard(this, [this, &added] {
    added = Check(AddClosedPeriod(p_.calendar, p_.settingsPath, edit1_->text().toStdString(),
                                  edit2_->text().toStdString(), edit3_->text().toStdString()));
  });
  if (added) {
    edit1_->clear();
    edit2_->clear();
    edit3_->clear();
  }
  refresh();
}

void SchoolCalendarDialog::Button2Click() {
  const int row = listBox1_->currentRow();
  if (row < 0)
    return;
  Guard(this, [this, row] {
    Check(RemoveClosedPeriod(p_.calendar, p_.settingsPath, static_cast<std::size_t>(row)));
  });
  refresh();
}

void SchoolCalendarDialog::Button3Click() {
  bool added = false;
  Guard(this, [this, &added] {
    added = Check(AddOpenDay(p_.calendar, p_.settingsPath, edit4_->text().toStdString(),
                             edit5_->text().toStdString()));
  });
  if (added) {
    edit4_->clear();
    edit5_->clear();
  }
  refresh();
}

void SchoolCalendarDialog::Button4Click() {
  const int row = listBox2_->currentRow();
  if (row < 0)
    return;
  Guard(this, [this, row] {
    Check(RemoveOpenDay(p_.calendar, p_.settingsPath, static_cast<std::size_t>(row)));
  });
  refresh();
}

void SchoolCalendarDialog::Button5Click() {
  Guard(this, [this] {
    const std::optional<std::string> file = p_.chooser.chooseDayFile(this);
    if (!file)
      return;
    const CivilDate today = p_.today();
    const ImportPlan plan = PlanDayImport(
        p_.calendar, p_.holidays, ReadDayFileAt(*file, {today.year + kImportYearsAhead, 12, 31}));
    if (!Check(plan.outcome.ok ? EditError() : plan.outcome.error))
      return;
    // Nothing is stored before the operator has seen the days.
    if (!plan.outcome.days.empty() &&
        !p_.chooser.confirmImport(this, ImportPlanQuestion(plan), ImportPlanLines(plan)))
      return;
    const EditError error = ApplyDayImport(p_.calendar, p_.settingsPath, plan);
    refresh();
    if (Check(error))
      p_.prompts.ask(ImportReport(plan.outcome), text::kConfirm, Buttons::Ok);
  });
}

void SchoolCalendarDialog::Button6Click() {
  Guard(this, [this] {
    if (p_.calendar.importedDays.empty())
      return;
    if (p_.prompts.ask(t::kClearImportedQuestion, text::kConfirm, Buttons::OkCancel) != Answer::Ok)
      return;
    Check(ClearImportedDays(p_.calendar, p_.settingsPath));
  });
  refresh();
}

void SchoolCalendarDialog::Button7Click() {
  accept();
}

void SchoolCalendarDialog::YearPlanClick() {
  Guard(this, [this] { p_.openYear(); });
  refresh();
}

}  // namespace tollvane

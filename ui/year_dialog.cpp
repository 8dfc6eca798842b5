#include "ui/year_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "calendar/calendar_texts.h"
#include "calendar/day_verdict.h"
#include "calendar/national_holidays.h"
#include "calendar/plan_csv.h"
#include "calendar/plan_edit.h"
#include "engine/texts.h"
#include "fileio/file_io.h"
#include "ui/guard.h"
#include "ui/qt_services.h"
#include "ui/schedule_page.h"
#include "ui/window_texts.h"
#include "ui/year_view.h"

namespace tollvane {
namespace {

constexpr int kSideLeft = 8 + 4 * YearView::kMonthWidth + 12;
constexpr int kSideWidth = 250;
constexpr int kEditHeight = 21;
constexpr YearCellKind kLegend[] = {YearCellKind::kNormal,  YearCellKind::kPlan,
                                    YearCellKind::kSwap,    YearCellKind::kExtraOnly,
                                    YearCellKind::kNoChime, YearCellKind::kSilent};

YearCellKind KindOf(const DayAnswer& answer) {
  switch (answer.verdict.reason) {
    case DayReason::kPlan:
      return answer.verdict.silent ? YearCellKind::kNoChime : YearCellKind::kPlan;
    case DayReason::kSwap:
      return YearCellKind::kSwap;
    case DayReason::kExtraBells:
      return YearCellKind::kExtraOnly;
    default:
      return answer.verdict.silent ? YearCellKind::kSilent : YearCellKind::kNormal;
  }
}

// "2027/2/15(月) 短縮日課 6件", and the answer's problem on a line of its own.
std::string DaySummary(const DayAnswer& answer) {
  std::string summary = ShownDate(answer.date) + " " + DayPlanLabel(answer);
  if (!answer.verdict.silent)
    summary += text::Formatted(text::window::kDayBellCount, static_cast<int>(answer.bells.size()));
  if (!answer.problem.empty())
    summary += "\n" + answer.problem;
  return summary;
}

}  // namespace

YearDialog::YearDialog(YearDialogParts parts, QWidget* parent)
    : QDialog(parent), p_(std::move(parts)) {
  setObjectName(QStringLiteral("YearDialog"));
  setWindowTitle(QString::fromUtf8(text::window::kYearTitle));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  const QFont font = ProportionalFont(12);
  setFont(font);
  setFixedSize(kSideLeft + kSideWidth + 8, 520);

  auto* previous = MakeButton(this, QStringLiteral("PreviousYear"),
                              QString::fromUtf8(text::window::kPreviousYear), {8, 6, 73, 23});
  connect(previous, &QPushButton::clicked, this, [this] { PreviousYearClick(); });
  yearLabel_ =
      MakeLabel(this, QStringLiteral("YearLabel"), QString(), 92, 10, ProportionalFont(12, true));
  auto* next = MakeButton(this, QStringLiteral("NextYear"),
                          QString::fromUtf8(text::window::kNextYear), {200, 6, 73, 23});
  connect(next, &QPushButton::clicked, this, [this] { NextYearClick(); });

  yearView_ = new YearView(this);
  yearView_->move(8, 36);
  yearView_->onSelect = [this](CivilDate date) { Guard(this, [this, date] { showDay(date); }); };

  // The legend: a swatch and a name for each colour.
  int x = 8;
  const int legendTop = 36 + yearView_->height() + 8;
  for (YearCellKind kind : kLegend) {
    auto* swatch = new QLabel(this);
    swatch->setGeometry(x, legendTop + 2, 14, 12);
    swatch->setAutoFillBackground(true);
    swatch->setFrameStyle(QFrame::Box | QFrame::Plain);
    QPalette colour = swatch->palette();
    colour.setColor(QPalette::Window, YearCellColor(kind));
    swatch->setPalette(colour);
    QLabel* name = MakeLabel(this, QStringLiteral("Legend%1").arg(static_cast<int>(kind)),
                             YearCellKindName(kind), x + 18, legendTop, font);
    x += 18 + name->width() + 14;
  }
  MakeLabel(this, QStringLiteral("LegendHoliday"), QString::fromUtf8(text::window::kHolidayLegend),
            x, legendTop, font);
  auto* order = MakeLabel(this, QStringLiteral("VerdictOrder"),
                          QString::fromUtf8(kVerdictOrderText), 8, legendTop + 22, font);
  order->setWordWrap(true);
  order->setGeometry(8, legendTop + 22, 4 * YearView::kMonthWidth, 34);

  // The chosen day and what can be assigned to it.
  dayLabel_ = MakeLabel(this, QStringLiteral("DayLabel"), QString(), kSideLeft, 10,
                        ProportionalFont(12, true));
  dayLabel_->setWordWrap(true);
  dayLabel_->setGeometry(kSideLeft, 8, kSideWidth, 32);
  dayBells_ = new QListWidget(this);
  dayBells_->setObjectName(QStringLiteral("DayBells"));
  dayBells_->setGeometry(kSideLeft, 42, kSideWidth, 150);

  MakeLabel(this, QStringLiteral("PlanHead"), QString::fromUtf8(text::window::kPlanLabel),
            kSideLeft, 202, font);
  planCombo_ = new QComboBox(this);
  planCombo_->setObjectName(QStringLiteral("PlanCombo"));
  planCombo_->setGeometry(kSideLeft + 40, 198, kSideWidth - 40, kEditHeight);
  lastDate_ = new QLineEdit(this);
  lastDate_->setObjectName(QStringLiteral("LastDate"));
  lastDate_->setPlaceholderText(QString::fromUtf8(text::window::kLastDateHint));
  lastDate_->setGeometry(kSideLeft + 40, 224, 120, kEditHeight);
  auto* assign =
      MakeButton(this, QStringLiteral("AssignPlan"), QString::fromUtf8(text::window::kAssignButton),
                 {kSideLeft + 166, 222, kSideWidth - 166, 25});
  connect(assign, &QPushButton::clicked, this, [this] { AssignPlanClick(); });

  MakeLabel(this, QStringLiteral("SwapHead"), QString::fromUtf8(text::window::kWeekdayLabel),
            kSideLeft, 262, font);
  swapCombo_ = new QComboBox(this);
  swapCombo_->setObjectName(QStringLiteral("SwapCombo"));
  for (const int weekday : kWeekdaysMondayFirst)
    swapCombo_->addItem(Q(std::string(WeekdayName(weekday))) +
                        QString::fromUtf8(text::window::kWeekdayBells));
  swapCombo_->setGeometry(kSideLeft + 40, 258, 120, kEditHeight);
  auto* swap =
      MakeButton(this, QStringLiteral("AssignSwap"), QString::fromUtf8(text::window::kSwapButton),
                 {kSideLeft + 166, 256, kSideWidth - 166, 25});
  connect(swap, &QPushButton::clicked, this, [this] { AssignSwapClick(); });

  MakeLabel(this, QStringLiteral("ExtraHead"), QString::fromUtf8(text::window::kExtraLabel),
            kSideLeft, 296, font);
  const int extraX[3] = {kSideLeft + 40, kSideLeft + 82, kSideLeft + 124};
  const char* const extraNames[3] = {"ExtraHour", "ExtraMinute", "ExtraSound"};
  for (int kind = 0; kind < 3; ++kind) {
    extra_[kind] = MakeSlotDropDown(this, kind);
    extra_[kind]->setObjectName(QLatin1String(extraNames[kind]));
    extra_[kind]->setGeometry(extraX[kind], 292, 40, 20);
  }
  auto* addExtra =
      MakeButton(this, QStringLiteral("AddExtra"), QString::fromUtf8(text::window::kAddButton),
                 {kSideLeft + 166, 290, kSideWidth - 166, 25});
  connect(addExtra, &QPushButton::clicked, this, [this] { AddExtraClick(); });

  auto* clear =
      MakeButton(this, QStringLiteral("ClearDay"), QString::fromUtf8(text::window::kClearDayButton),
                 {kSideLeft, 326, kSideWidth, 25});
  connect(clear, &QPushButton::clicked, this, [this] { ClearDayClick(); });

  notes_ = MakeLabel(this, QStringLiteral("Notes"), QString(), kSideLeft, 360, font);
  notes_->setWordWrap(true);
  notes_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  notes_->setGeometry(kSideLeft, 360, kSideWidth, 100);
  QPalette red = notes_->palette();
  red.setColor(QPalette::WindowText, QColor(192, 0, 0));
  notes_->setPalette(red);

  auto* import =
      MakeButton(this, QStringLiteral("ImportCsv"), QString::fromUtf8(text::window::kImportButton),
                 {kSideLeft, 486, 80, 25});
  connect(import, &QPushButton::clicked, this, [this] { ImportClick(); });
  auto* exportCsv =
      MakeButton(this, QStringLiteral("ExportCsv"), QString::fromUtf8(text::window::kExportButton),
                 {kSideLeft + 86, 486, 80, 25});
  connect(exportCsv, &QPushButton::clicked, this, [this] { ExportClick(); });
  auto* close =
      MakeButton(this, QStringLiteral("CloseButton"), QString::fromUtf8(text::window::kCloseButton),
                 {kSideLeft + kSideWidth - 73, 486, 73, 25});
  connect(close, &QPushButton::clicked, this, [this] { accept(); });
}

void YearDialog::refresh() {
  Guard(this, [this] {
    const CivilDate today = p_.today();
    firstYear_ = SchoolYearOf(today);
    planCombo_->clear();
    for (const DayPlan& plan : p_.calendar.plans.plans)
      planCombo_->addItem(Q(plan.name));
    fill();
    yearView_->select(today);
  });
}

void YearDialog::fill() {
  yearLabel_->setText(QString::fromUtf8(text::window::kSchoolYear).arg(firstYear_));
  yearLabel_->adjustSize();
  const std::vector<DayAnswer> answers =
      SchoolYearAnswers(p_.schedule(), p_.holidays, p_.calendar, firstYear_);
  std::vector<YearCell> cells;
  cells.reserve(answers.size());
  for (const DayAnswer& answer : answers) {
    cells.push_back(
        {answer.date, KindOf(answer),
         JapaneseNationalHoliday(answer.date.year, answer.date.month, answer.date.day).has_value(),
         Q(DaySummary(answer))});
  }
  yearView_->setCells(firstYear_, std::move(cells));
  std::string notes;
  for (const std::string& note : AssignmentNotes(p_.calendar))
    notes += (notes.empty() ? "" : "\n") + note;
  notes_->setText(Q(notes));
}

void YearDialog::showDay(CivilDate date) {
  const DayAnswer answer = AnswerDay(p_.schedule(), p_.holidays, p_.calendar, date);
  dayLabel_->setText(Q(DaySummary(answer)));
  dayBells_->clear();
  for (const std::string& line : BellTexts(answer))
    dayBells_->addItem(Q(line));
}

bool YearDialog::Check(const std::string& error) {
  if (error.empty())
    return true;
  p_.prompts.ask(error, text::kWarning, Buttons::Ok);
  return false;
}

void YearDialog::stored() {
  fill();
  showDay(yearView_->selected());
  if (p_.changed)
    p_.changed();
}

void YearDialog::PreviousYearClick() {
  Guard(this, [this] {
    --firstYear_;
    fill();
  });
}

void YearDialog::NextYearClick() {
  Guard(this, [this] {
    ++firstYear_;
    fill();
  });
}

void YearDialog::AssignPlanClick() {
  Guard(this, [this] {
    if (!Check(AssignPlan(p_.calendar, p_.settingsPath, FormatDate(yearView_->selected()),
                          lastDate_->text().toStdString(),
                          planCombo_->currentText().toStdString())))
      return;
    lastDate_->clear();
    stored();
  });
}

void YearDialog::AssignSwapClick() {
  Guard(this, [this] {
    const int weekday = kWeekdaysMondayFirst[std::max(0, swapCombo_->currentIndex())];
    if (!Check(
            AssignSwap(p_.calendar, p_.settingsPath, FormatDate(yearView_->selected()), weekday)))
      return;
    stored();
  });
}

void YearDialog::AddExtraClick() {
  Guard(this, [this] {
    std::string problem;
    const std::optional<PlanBell> bell = PlanBellFromTexts(
        extra_[0]->currentText().toStdString(), extra_[1]->currentText().toStdString(),
        extra_[2]->currentText().toStdString(), &problem);
    if (!bell) {
      Check(problem.empty() ? text::window::kExtraTimeMissing : problem);
      return;
    }
    if (!Check(
            AddExtraBell(p_.calendar, p_.settingsPath, FormatDate(yearView_->selected()), *bell)))
      return;
    stored();
  });
}

void YearDialog::ClearDayClick() {
  Guard(this, [this] {
    if (!Check(ClearAssignmentsOn(p_.calendar, p_.settingsPath, yearView_->selected())))
      return;
    stored();
  });
}

namespace {

// What a confirmed import changes, a line a day; a long file shows its first days.
constexpr std::size_t kPreviewLines = 20;

std::string ImportQuestion(const PlanCsvPreview& preview) {
  std::string question =
      text::Formatted(text::window::kImportPlanDays, static_cast<int>(preview.days.size()));
  for (std::size_t i = 0; i < preview.days.size() && i < kPreviewLines; ++i)
    question += "\n" + DaySummary(preview.days[i]);
  if (preview.days.size() > kPreviewLines)
    question += text::Formatted(text::window::kMoreDays,
                                static_cast<int>(preview.days.size() - kPreviewLines));
  return question + text::window::kImportPlanDaysQuestion;
}

}  // namespace

void YearDialog::ImportClick() {
  Guard(this, [this] {
    const std::optional<std::string> file = p_.fileDialogs.openCsv();
    if (!file)
      return;
    // Nothing is stored before the operator has seen what the file changes.
    const PlanCsvPreview preview = ReadPlanCsvFile(*file, p_.calendar, p_.schedule(), p_.holidays);
    if (!Check(preview.ok ? std::string() : preview.error))
      return;
    if (p_.prompts.ask(ImportQuestion(preview), text::kConfirm, Buttons::OkCancel) != Answer::Ok)
      return;
    if (!Check(ApplyPlanCsv(p_.calendar, p_.settingsPath, preview)))
      return;
    stored();
  });
}

void YearDialog::ExportClick() {
  Guard(this, [this] {
    const std::optional<std::string> file =
        p_.fileDialogs.saveCsv(text::Formatted(text::window::kYearCsvName, firstYear_));
    if (!file)
      return;
    const std::string csv =
        YearCsv(SchoolYearAnswers(p_.schedule(), p_.holidays, p_.calendar, firstYear_));
    if (!SaveFileBytes(*file, csv))
      Check(text::Formatted(text::calendar::kCannotWrite, file->c_str()));
  });
}

}  // namespace tollvane

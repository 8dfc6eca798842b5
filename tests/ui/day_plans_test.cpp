// The plan window and the year's plan built offscreen: their parts, a plan typed and stored,
// a day assigned from the year view, a damaged plan file, and the calendar dialog as it was
// while no plan exists.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>

#include "calendar/plan_edit.h"
#include "calendar/school_calendar.h"
#include "error_boxes.h"
#include "plans/plan_file.h"
#include "support/fakes.h"
#include "support/scratch_folder.h"
#include "ui/day_plan_window.h"
#include "ui/school_calendar_dialog.h"
#include "ui/year_dialog.h"
#include "ui/year_view.h"
#include "ui_rig.h"

namespace tollvane::testing {
namespace {

class NoDayFiles : public DayFileChooser {
 public:
  std::optional<std::string> chooseDayFile(QWidget*) override { return std::nullopt; }
  bool confirmImport(QWidget*, const std::string&, const std::vector<std::string>&) override {
    return false;
  }
};

// Both windows over one calendar and settings file, as the main window makes them.
class DayPlansTest : public ::testing::Test {
 protected:
  DayPlansTest() {
    ResetWeekSchedule(schedule);
    schedule.at(kCommonTimetable, 1) = {8, 30, 1};
    schedule.at(6, 1) = {15, 10, 3};  // Friday
  }
  ~DayPlansTest() override { CloseErrorBoxes(); }

  // Reads the calendar and plans from the files, as at start, and opens the windows on it.
  void open() {
    calendar = ReadSchoolCalendar(ini).calendar;
    plans = std::make_unique<DayPlanWindow>(
        DayPlanWindowParts{calendar, ini, [this] { return schedule; }, prompts, [] {}, {}});
    plans->refresh();
    year = std::make_unique<YearDialog>(YearDialogParts{calendar, holidays, ini,
                                                        [this] { return schedule; },
                                                        [] {
                                                          return CivilDate{2027, 2, 1};
                                                        },
                                                        prompts, dialogs});
    year->refresh();
  }
  template <typename T>
  T* child(QWidget* window, const char* name) const {
    T* found = window->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  void click(QWidget* window, const char* button) { child<QPushButton>(window, button)->click(); }
  // Types into a slot's drop-down as a person would: select all, then the keys.
  void typeRow(int row, const char* hour, const char* minute, const char* sound) {
    const char* texts[3] = {hour, minute, sound};
    const char* kinds[3] = {"ji", "fu", "snd"};
    for (int kind = 0; kind < 3; ++kind) {
      const QString name =
          QStringLiteral("pl%1%2").arg(row, 2, 10, QLatin1Char('0')).arg(kinds[kind]);
      auto* box = plans->findChild<QComboBox*>(name);
      ASSERT_NE(box, nullptr) << name.toStdString();
      box->lineEdit()->selectAll();
      QTest::keyClick(box->lineEdit(), Qt::Key_Delete);
      QTest::keyClicks(box->lineEdit(), QString::fromUtf8(texts[kind]));
    }
  }
  void addPlan(const char* name) {
    child<QLineEdit>(plans.get(), "Edit1")->setText(QString::fromUtf8(name));
    click(plans.get(), "Button1");
  }
  PlanBook storedPlans() const { return ReadPlanFile(PlanFilePath(ini)).book; }

  ScratchFolder folder;
  std::string ini = folder.file("tollvane.INI");
  SchoolCalendar calendar;
  HolidayList holidays;
  WeekSchedule schedule;
  ScriptedPrompts prompts;
  ScriptedFileDialogs dialogs;
  std::unique_ptr<DayPlanWindow> plans;
  std::unique_ptr<YearDialog> year;
};

TEST_F(DayPlansTest, PartsOfBothWindows) {
  open();
  EXPECT_EQ(plans->windowTitle(), QStringLiteral("日課表"));
  for (const char* name : {"Button1", "Button2", "Button3", "Button4", "Button5", "Button7"})
    child<QPushButton>(plans.get(), name);
  // Four columns of twelve slots, each the pages' three drop-downs, all inside the window and
  // no slot over another (beyond the pixel the pages' own rows share).
  std::vector<QRect> taken;
  for (int row = 1; row <= DayPlanWindow::kRows; ++row) {
    QRect slot;
    for (const char* kind : {"ji", "fu", "snd"}) {
      const QString name = QStringLiteral("pl%1%2").arg(row, 2, 10, QLatin1Char('0')).arg(kind);
      auto* box = plans->findChild<QComboBox*>(name);
      ASSERT_NE(box, nullptr) << name.toStdString();
      const QRect inWindow(box->mapTo(plans.get(), QPoint(0, 0)), box->size());
      EXPECT_TRUE(plans->rect().contains(inWindow)) << name.toStdString();
      slot |= inWindow;
    }
    slot.adjust(0, 0, -1, -1);
    for (const QRect& other : taken)
      EXPECT_FALSE(other.intersects(slot)) << row;
    taken.push_back(slot);
  }
  EXPECT_EQ(plans->findChild<QComboBox*>("pl49ji"), nullptr);
  EXPECT_EQ(child<QComboBox>(plans.get(), "pl12snd")->count(), 10);
  EXPECT_EQ(year->windowTitle(), QStringLiteral("年間予定"));
  EXPECT_EQ(child<QLabel>(year.get(), "VerdictOrder")->text(),
            QString::fromUtf8(kVerdictOrderText));
  EXPECT_EQ(year->yearView()->cells().size(), 365u);  // April 2026 to March 2027
  EXPECT_EQ(year->yearView()->cells().front().date, (CivilDate{2026, 4, 1}));
  EXPECT_TRUE(year->yearView()->cellRect({2026, 3, 31}).isEmpty());
}

TEST_F(DayPlansTest, APlanTypedIsStoredFirstThenInUse) {
  open();
  addPlan("短縮日課");
  typeRow(1, "8", "30", "1");
  typeRow(2, "9", "15", "2");
  typeRow(3, "", "", "1");  // no bell: left out
  typeRow(4, "12", "5", "");
  click(plans.get(), "Button5");
  const PlanBook expected{{{"短縮日課", {{8, 30, 1}, {9, 15, 2}, {12, 5, 1}}}}};
  EXPECT_EQ(storedPlans(), expected);
  EXPECT_EQ(calendar.plans, expected);
  EXPECT_TRUE(prompts.asked.empty());

  // A copy of Friday lands in the rows only, until "更新".
  child<QComboBox>(plans.get(), "ComboBox1")->setCurrentIndex(4);
  click(plans.get(), "Button3");
  EXPECT_EQ(child<QComboBox>(plans.get(), "pl02ji")->currentText(), QStringLiteral("15"));
  EXPECT_EQ(storedPlans(), expected);
  click(plans.get(), "Button5");
  EXPECT_EQ(calendar.plans.plans[0].bells, (std::vector<PlanBell>{{8, 30, 1}, {15, 10, 3}}));

  child<QLineEdit>(plans.get(), "Edit1")->setText(QStringLiteral(" 短縮日課B "));
  click(plans.get(), "Button2");
  EXPECT_EQ(storedPlans().plans.at(0).name, "短縮日課B");
  EXPECT_EQ(child<QListWidget>(plans.get(), "ListBox1")->currentItem()->text(),
            QStringLiteral("短縮日課B"));
}

TEST_F(DayPlansTest, BadRowsAndNamesAreRefusedAndNothingIsStored) {
  open();
  addPlan("短縮日課");
  click(plans.get(), "Button5");
  const PlanBook before = storedPlans();
  struct Case {
    int row;
    const char *hour, *minute, *sound;
    const char* starts;
  } cases[] = {
      {3, "25", "0", "1", "3番目のチャイム: "},
      {1, "8", "x", "1", "1番目のチャイム: "},
      {48, "8", "30", "11", "48番目のチャイム: "},
  };
  for (const Case& c : cases) {
    typeRow(c.row, c.hour, c.minute, c.sound);
    prompts.answers = {Answer::Ok};
    click(plans.get(), "Button5");
    ASSERT_FALSE(prompts.asked.empty()) << c.starts;
    EXPECT_EQ(prompts.asked.back().text.rfind(c.starts, 0), 0u) << prompts.asked.back().text;
    EXPECT_EQ(storedPlans(), before);
    typeRow(c.row, "", "", "1");
  }
  for (const char* name : {"", "短縮日課", "[試験"}) {
    prompts.answers = {Answer::Ok};
    addPlan(name);
    EXPECT_EQ(prompts.asked.back().caption, "警告") << name;
    child<QLineEdit>(plans.get(), "Edit1")->clear();
  }
  EXPECT_EQ(storedPlans(), before);
}

TEST_F(DayPlansTest, ADayAssignedFromTheYearViewAndDeletingItsPlanAsks) {
  std::ofstream(PlanFilePath(ini)) << "[テスト日課]\n8:40 1\n9:30 2\n";
  open();
  const CivilDate monday{2027, 2, 15};
  QTest::mouseClick(year->yearView(), Qt::LeftButton, {},
                    year->yearView()->cellRect(monday).center());
  EXPECT_EQ(year->yearView()->selected(), monday);
  child<QComboBox>(year.get(), "PlanCombo")->setCurrentIndex(0);
  QTest::keyClicks(child<QLineEdit>(year.get(), "LastDate"), "2027/2/17");
  click(year.get(), "AssignPlan");
  ASSERT_TRUE(prompts.asked.empty()) << prompts.asked[0].text;
  const std::vector<PlanDays> assigned{{monday, {2027, 2, 17}, "テスト日課"}};
  EXPECT_EQ(ReadSchoolCalendar(ini).calendar.assignments.planDays, assigned);
  EXPECT_EQ(calendar.assignments.planDays, assigned);
  const auto cell = [this](CivilDate date) {
    for (const YearCell& c : year->yearView()->cells())
      if (c.date == date)
        return c;
    return YearCell{};
  };
  EXPECT_EQ(cell({2027, 2, 17}).kind, YearCellKind::kPlan);
  EXPECT_TRUE(cell(monday).tip.contains(QStringLiteral("テスト日課 2件")))
      << cell(monday).tip.toStdString();
  EXPECT_EQ(cell({2027, 2, 18}).kind, YearCellKind::kNormal);
  EXPECT_EQ(child<QListWidget>(year.get(), "DayBells")->count(), 2);

  // A swap on the Thursday, then "none" clears it again.
  year->yearView()->select({2027, 2, 18});
  child<QComboBox>(year.get(), "SwapCombo")->setCurrentIndex(4);  // 金
  click(year.get(), "AssignSwap");
  EXPECT_EQ(cell({2027, 2, 18}).kind, YearCellKind::kSwap);
  click(year.get(), "ClearDay");
  EXPECT_EQ(cell({2027, 2, 18}).kind, YearCellKind::kNormal);
  // An extra bell typed into the pages' drop-downs rings on top of the day's own.
  QTest::keyClicks(child<QComboBox>(year.get(), "ExtraHour")->lineEdit(), "10");
  QTest::keyClicks(child<QComboBox>(year.get(), "ExtraMinute")->lineEdit(), "35");
  click(year.get(), "AddExtra");
  EXPECT_EQ(cell({2027, 2, 18}).kind, YearCellKind::kExtraOnly);
  EXPECT_EQ(child<QListWidget>(year.get(), "DayBells")->count(), 2);  // 8:30 and 10:35
  EXPECT_TRUE(ReadSchoolCalendar(ini).calendar.assignments.swaps.empty());

  // Deleting the assigned plan asks; Cancel keeps everything, No keeps the assignments.
  plans->refresh();
  prompts.answers = {Answer::Cancel};
  click(plans.get(), "Button4");
  EXPECT_EQ(prompts.asked.back().buttons, Buttons::YesNoCancel);
  EXPECT_EQ(storedPlans().plans.size(), 1u);
  prompts.answers = {Answer::No};
  click(plans.get(), "Button4");
  EXPECT_TRUE(storedPlans().plans.empty());
  EXPECT_EQ(ReadSchoolCalendar(ini).calendar.assignments.planDays, assigned);
}

TEST_F(DayPlansTest, TheYearFromACsvAfterItsPreviewAndBackOut) {
  std::ofstream(PlanFilePath(ini)) << "[テスト日課]\n8:40 1\n9:30 2\n";
  const std::string csv = folder.file("year.csv");
  std::ofstream(csv) << "日付,日課\n2027/02/15-2027/02/16,テスト日課\n";
  const std::string bad = folder.file("bad.csv");
  std::ofstream(bad) << "日付,日課\n2027/02/15,無い日課\n";
  const std::string out = folder.file("out.csv");
  open();
  // A bad file is refused naming its line; a cancelled preview stores nothing; then Ok.
  dialogs.answers = {bad, csv, csv, out};
  prompts.answers = {Answer::Ok, Answer::Cancel, Answer::Ok};
  click(year.get(), "ImportCsv");
  EXPECT_NE(prompts.asked.back().text.find("2行目"), std::string::npos)
      << prompts.asked.back().text;
  click(year.get(), "ImportCsv");
  EXPECT_NE(prompts.asked.back().text.find("2027/2/16(火) テスト日課 2件"), std::string::npos)
      << prompts.asked.back().text;
  EXPECT_TRUE(ReadSchoolCalendar(ini).calendar.assignments.planDays.empty());
  click(year.get(), "ImportCsv");
  const std::vector<PlanDays> assigned{{{2027, 2, 15}, {2027, 2, 16}, "テスト日課"}};
  EXPECT_EQ(ReadSchoolCalendar(ini).calendar.assignments.planDays, assigned);
  EXPECT_EQ(calendar.assignments.planDays, assigned);

  click(year.get(), "ExportCsv");
  EXPECT_EQ(dialogs.saveInitial.back(), "2026年度の日課.csv");
  const std::string written = ReadBytes(out);
  EXPECT_EQ(written.rfind("日付,曜日,日課,チャイム数,最初,最後\n2026/04/01,", 0), 0u);
  EXPECT_NE(written.find("\n2027/02/16,火,テスト日課,2,8:40,9:30\n"), std::string::npos);
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 366);  // the header and 365 days
}

TEST_F(DayPlansTest, ADamagedPlanFileIsShownAndKeptUntilTheOperatorSetsItAside) {
  const std::string damaged = "[短縮日課]\n8:30 1\nこれは壊れた行\n";
  std::ofstream(PlanFilePath(ini)) << damaged;
  open();
  const QString shown = child<QLabel>(plans.get(), "Label2")->text();
  EXPECT_TRUE(shown.contains(QStringLiteral("3行目"))) << shown.toStdString();
  EXPECT_FALSE(child<QPushButton>(plans.get(), "Button1")->isEnabled());
  EXPECT_FALSE(child<QPushButton>(plans.get(), "Button5")->isEnabled());
  EXPECT_TRUE(child<QPushButton>(plans.get(), "Button8")->isVisibleTo(plans.get()));
  // Refusing the question changes nothing; agreeing sets the file aside and frees the window.
  prompts.answers = {Answer::Cancel};
  click(plans.get(), "Button8");
  EXPECT_EQ(ReadBytes(PlanFilePath(ini)), damaged);
  prompts.answers = {Answer::Ok};
  click(plans.get(), "Button8");
  EXPECT_EQ(ReadBytes(PlanFilePath(ini) + ".damaged"), damaged);
  EXPECT_TRUE(child<QPushButton>(plans.get(), "Button1")->isEnabled());
  addPlan("短縮日課");
  EXPECT_EQ(storedPlans().plans.size(), 1u);
}

TEST_F(DayPlansTest, TheCalendarDialogShowsTheYearButtonOnlyOncePlansExist) {
  NoDayFiles chooser;
  int opened = 0;
  SchoolCalendarDialog dialog(CalendarDialogParts{calendar, holidays, ini,
                                                  [this] { return schedule; },
                                                  [] {
                                                    return CivilDate{2027, 2, 1};
                                                  },
                                                  chooser, prompts, [&opened] { ++opened; }});
  dialog.refresh();
  EXPECT_EQ(dialog.size(), QSize(600, 448));
  auto* button = child<QPushButton>(&dialog, "YearPlan");
  EXPECT_FALSE(button->isVisibleTo(&dialog));
  ASSERT_EQ(AddPlan(calendar, ini, "短縮日課"), "");
  dialog.refresh();
  EXPECT_TRUE(button->isVisibleTo(&dialog));
  button->click();
  EXPECT_EQ(opened, 1);
  // The preview names what a day rings once a plan is assigned to it.
  ASSERT_EQ(AssignPlan(calendar, ini, "2027/2/2", "", "短縮日課"), "");
  dialog.refresh();
  const QTreeWidgetItem* tuesday = child<QTreeWidget>(&dialog, "ListView1")->topLevelItem(1);
  EXPECT_TRUE(tuesday->text(1).contains(QStringLiteral("短縮日課")))
      << tuesday->text(1).toStdString();
  EXPECT_EQ(dialog.size(), QSize(600, 448));
}

class PlanMenuTest : public MainWindowTest {};

TEST_F(PlanMenuTest, ThePlanItemComesAfterTheAddedItems) {
  create();
  const QList<QAction*> items = find<QMenu>("E1")->actions();
  ASSERT_FALSE(items.isEmpty());
  EXPECT_EQ(items.back()->objectName(), QStringLiteral("Plans1"));
  EXPECT_EQ(items.back()->text(), QStringLiteral("日課表(&P)"));
  EXPECT_EQ(items[items.size() - 2]->objectName(), QStringLiteral("Record1"));
}

}  // namespace
}  // namespace tollvane::testing

// The school calendar dialog built offscreen: its parts, each change reaching memory and the
// settings file at once, the import through a scripted chooser, and the preview.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <deque>

#include "calendar/school_calendar.h"
#include "error_boxes.h"
#include "support/fakes.h"
#include "support/scratch_folder.h"
#include "ui/school_calendar_dialog.h"

namespace tollvane::testing {
namespace {

class ScriptedDayFiles : public DayFileChooser {
 public:
  std::optional<std::string> chooseDayFile(QWidget*) override {
    std::optional<std::string> next = files.front();
    files.pop_front();
    return next;
  }
  bool confirmImport(QWidget*, const std::string& question,
                     const std::vector<std::string>& lines) override {
    shown.push_back({question, lines});
    return confirm;
  }
  std::deque<std::optional<std::string>> files;
  struct Shown {
    std::string question;
    std::vector<std::string> lines;
  };
  std::vector<Shown> shown;
  bool confirm = true;
};

class CalendarDialogTest : public ::testing::Test {
 protected:
  CalendarDialogTest() {
    ResetWeekSchedule(schedule);
    schedule.at(kCommonTimetable, 1) = {8, 30, 1};
    schedule.at(2, 1) = {8, 30, 3};
    dialog = std::make_unique<SchoolCalendarDialog>(
        CalendarDialogParts{calendar, holidays, ini, [this] { return schedule; },
                            [] {
                              return CivilDate{2026, 9, 20};
                            },
                            chooser, prompts});
    dialog->refresh();
  }
  ~CalendarDialogTest() override { CloseErrorBoxes(); }

  template <typename T>
  T* child(const char* name) const {
    T* found = dialog->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  void type(const char* edit, const char* text) {
    child<QLineEdit>(edit)->setText(QString::fromUtf8(text));
  }
  void click(const char* button) { child<QPushButton>(button)->click(); }
  // The day's line, then its bells.
  QString previewRow(int row) const {
    const QTreeWidgetItem* item = child<QTreeWidget>("ListView1")->topLevelItem(row);
    QString text = item->text(0) + " " + item->text(1);
    for (int i = 0; i < item->childCount(); ++i)
      text += " | " + item->child(i)->text(1);
    return text;
  }

  ScratchFolder folder;
  std::string ini = folder.file("tollvane.INI");
  SchoolCalendar calendar;
  HolidayList holidays;
  WeekSchedule schedule;
  ScriptedDayFiles chooser;
  ScriptedPrompts prompts;
  std::unique_ptr<SchoolCalendarDialog> dialog;
};

TEST_F(CalendarDialogTest, PartsAndFourteenDayPreview) {
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("学校カレンダー"));
  for (const char* name :
       {"Button1", "Button2", "Button3", "Button4", "Button5", "Button6", "Button7"})
    child<QPushButton>(name);
  for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5"})
    child<QLineEdit>(name);
  ASSERT_EQ(child<QTreeWidget>("ListView1")->topLevelItemCount(), 14);
  EXPECT_EQ(previewRow(0), QStringLiteral("2026/9/20(日) チャイムはありません"));
  EXPECT_EQ(previewRow(1), QStringLiteral("2026/9/21(月) 2件 | 8時30分(音1) | 8時30分(音3)"));
}

TEST_F(CalendarDialogTest, EachChangeIsStoredAtOnceAndShownInThePreview) {
  child<QCheckBox>("CheckBox1")->click();
  EXPECT_TRUE(calendar.nationalHolidays);
  EXPECT_EQ(previewRow(1), QStringLiteral("2026/9/21(月) 鳴りません(敬老の日)"));

  type("Edit1", "2026/9/24");
  type("Edit2", "2026/9/25");
  type("Edit3", "秋休み");
  click("Button1");
  type("Edit4", "2026/9/21");
  type("Edit5", "体育祭");
  click("Button3");
  EXPECT_EQ(previewRow(4), QStringLiteral("2026/9/24(木) 鳴りません(秋休み)"));
  EXPECT_EQ(previewRow(1), QStringLiteral("2026/9/21(月) [体育祭] 2件 | 8時30分(音1) | "
                                          "8時30分(音3)"));
  EXPECT_TRUE(child<QLineEdit>("Edit1")->text().isEmpty());
  EXPECT_EQ(ReadSchoolCalendar(ini).calendar, calendar);

  child<QListWidget>("ListBox1")->setCurrentRow(0);
  click("Button2");
  child<QListWidget>("ListBox2")->setCurrentRow(0);
  click("Button4");
  EXPECT_TRUE(calendar.closedPeriods.empty());
  EXPECT_TRUE(calendar.openDays.empty());
  EXPECT_EQ(ReadSchoolCalendar(ini).calendar, calendar);
  EXPECT_TRUE(ErrorTexts().empty());
}

TEST_F(CalendarDialogTest, RefusedChangesWarnAndKeepWhatWasTyped) {
  prompts.answers = {Answer::Ok, Answer::Ok};
  type("Edit1", "2026/9/31");
  click("Button1");
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text, "日付は 2026/4/1 のように入力してください。");
  EXPECT_EQ(prompts.asked[0].caption, "警告");
  EXPECT_EQ(child<QLineEdit>("Edit1")->text(), QStringLiteral("2026/9/31"));
  // A settings file that cannot be written leaves the calendar as it was.
  prompts.answers = {Answer::Ok};
  ini = folder.file("missing/t.INI");
  dialog = std::make_unique<SchoolCalendarDialog>(
      CalendarDialogParts{calendar, holidays, ini, [this] { return schedule; },
                          [] {
                            return CivilDate{2026, 9, 20};
                          },
                          chooser, prompts});
  child<QCheckBox>("CheckBox1")->click();
  EXPECT_FALSE(calendar.nationalHolidays);
  EXPECT_FALSE(child<QCheckBox>("CheckBox1")->isChecked());
  EXPECT_EQ(prompts.asked.back().text,
            ini + " に書き込めません。そのフォルダーに書き込めるか確かめてください。");
  EXPECT_TRUE(calendar.closedPeriods.empty());
}

TEST_F(CalendarDialogTest, ImportThroughTheChooserAndClear) {
  const std::string csv = folder.file("days.csv");
  std::ofstream(csv) << "日付,名称\n2026/9/22,県民の日\n";
  const std::string bad = folder.file("bad.csv");
  std::ofstream(bad) << "2026/9/22,県民の日\nnonsense\n";
  chooser.files = {csv, std::nullopt, bad};
  prompts.answers = {Answer::Ok, Answer::Ok, Answer::Ok};

  click("Button5");
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text, "1日を取り込みました。");
  EXPECT_EQ(previewRow(2), QStringLiteral("2026/9/22(火) 鳴りません(県民の日)"));
  EXPECT_EQ(child<QLabel>("Label1")->text(), QStringLiteral("取り込み済みの休日: 1日"));
  click("Button5");  // cancelled
  click("Button5");
  ASSERT_EQ(prompts.asked.size(), 2u);
  EXPECT_EQ(prompts.asked[1].text,
            "2行目の日付を読み取れません(nonsense)。取り込みは行いませんでした。");
  EXPECT_EQ(calendar.importedDays.size(), 1u);

  click("Button6");  // confirmed
  EXPECT_EQ(prompts.asked[2].caption, "確認");
  EXPECT_TRUE(calendar.importedDays.empty());
  EXPECT_TRUE(ReadSchoolCalendar(ini).calendar.importedDays.empty());
}

TEST_F(CalendarDialogTest, ImportShowsTheDaysFirstAndACancelStoresNothing) {
  const std::string ics = folder.file("events.ics");
  std::ofstream(ics) << "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20260921\r\n"
                        "RRULE:FREQ=YEARLY\r\nSUMMARY:体育祭\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
  chooser.files = {ics, ics};
  chooser.confirm = false;
  click("Button5");
  ASSERT_EQ(chooser.shown.size(), 1u);
  ASSERT_EQ(chooser.shown[0].lines.size(), 11u);  // 2026 to 2036
  EXPECT_EQ(chooser.shown[0].lines[0], "2026/9/21(月) 体育祭(今は休日ではありません)");
  EXPECT_TRUE(calendar.importedDays.empty());
  EXPECT_TRUE(prompts.asked.empty());
  EXPECT_FALSE(std::ifstream(ImportedDaysPath(ini)).good());

  chooser.confirm = true;
  prompts.answers = {Answer::Ok};
  click("Button5");
  EXPECT_EQ(calendar.importedDays.size(), 11u);
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text,
            "11日を取り込みました。繰り返しの予定は2036/12/31(水)までの日を取り込みました。"
            "それより後の日は、その日が近づいたらもう一度同じファイルを取り込んでください。");
  EXPECT_EQ(previewRow(1), QStringLiteral("2026/9/21(月) 鳴りません(体育祭)"));
}

}  // namespace
}  // namespace tollvane::testing

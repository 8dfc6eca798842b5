// The record window on a scratch record folder: columns, newest first, the day filter, reload
// after new events, and damaged or missing files shown without a crash.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "support/scratch_folder.h"
#include "ui/record_window.h"

namespace tollvane::testing {
namespace {

std::string Line(const std::string& stamp, const std::string& kind, const std::string& text) {
  return stamp + "\t" + kind + "\t" + text + "\n";
}

class RecordWindowTest : public ::testing::Test {
 protected:
  RecordWindowTest() {
    WriteBytes(folder.file("2026-12-07.log"),
               Line("2026-12-07 08:30:00.006", "出力オン", "定時 2 の 3") +
                   Line("2026-12-07 08:30:05.010", "再生", "chime3.wav 2000 ms"));
    WriteBytes(folder.file("2026-12-08.log"), Line("2026-12-08 07:00:00.000", "起動", "a\\tb"));
  }
  QTreeWidget* list() const { return window->findChild<QTreeWidget*>("ListView1"); }
  QComboBox* days() const { return window->findChild<QComboBox*>("ComboBox1"); }
  QString summary() const { return window->findChild<QLabel*>("Label1")->text(); }
  std::vector<QString> column(int c) const {
    std::vector<QString> cells;
    for (int row = 0; row < list()->topLevelItemCount(); ++row)
      cells.push_back(list()->topLevelItem(row)->text(c));
    return cells;
  }
  void open() {
    window = std::make_unique<RecordWindow>(folder.path());
    window->show();
    ASSERT_TRUE(list() && days() && window->findChild<QPushButton*>("Button1"));
  }
  void chooseDay(int index) {
    days()->setCurrentIndex(index);
    emit days()->activated(index);
  }

  ScratchFolder folder;
  std::unique_ptr<RecordWindow> window;
};

TEST_F(RecordWindowTest, ListsEveryDayNewestFirstInReadableColumns) {
  open();
  EXPECT_EQ(window->windowTitle(), QStringLiteral("動作記録"));
  QTreeWidgetItem* header = list()->headerItem();
  EXPECT_EQ(header->text(0), QStringLiteral("日付"));
  EXPECT_EQ(header->text(1), QStringLiteral("時刻"));
  EXPECT_EQ(header->text(2), QStringLiteral("種類"));
  EXPECT_EQ(header->text(3), QStringLiteral("内容"));
  EXPECT_EQ(column(0), (std::vector<QString>{"2026-12-08", "2026-12-07", "2026-12-07"}));
  EXPECT_EQ(column(1), (std::vector<QString>{"07:00:00.000", "08:30:05.010", "08:30:00.006"}));
  EXPECT_EQ(column(2), (std::vector<QString>{"起動", "再生", "出力オン"}));
  EXPECT_EQ(column(3), (std::vector<QString>{"a b", "chime3.wav 2000 ms", "定時 2 の 3"}));
  ASSERT_EQ(days()->count(), 3);
  EXPECT_EQ(days()->itemText(0), QStringLiteral("すべての日"));
  EXPECT_EQ(days()->itemText(1), QStringLiteral("2026/12/8(火)"));
  EXPECT_EQ(days()->itemText(2), QStringLiteral("2026/12/7(月)"));
  EXPECT_EQ(summary(), QStringLiteral("3件を新しい順に表示しています"));
  // Trouble stands out from routine events.
  WriteBytes(folder.file("2026-12-08.log"), Line("2026-12-08 07:00:00.000", "起動", "") +
                                                Line("2026-12-08 07:00:01.000", "警告", "時刻"));
  window->findChild<QPushButton*>("Button1")->click();
  EXPECT_NE(list()->topLevelItem(0)->foreground(2), list()->topLevelItem(1)->foreground(2));
  EXPECT_EQ(list()->topLevelItem(1)->foreground(2), list()->topLevelItem(2)->foreground(2));
}

TEST_F(RecordWindowTest, TheDayFilterSurvivesAReloadThatFindsNewEvents) {
  open();
  chooseDay(2);
  EXPECT_EQ(column(3), (std::vector<QString>{"chime3.wav 2000 ms", "定時 2 の 3"}));
  WriteBytes(folder.file("2026-12-09.log"), Line("2026-12-09 08:00:00.000", "起動", "new day"));
  WriteBytes(folder.file("2026-12-07.log"),
             ReadBytes(folder.file("2026-12-07.log")) +
                 Line("2026-12-07 08:30:07.010", "鳴り終わり", "Timer1"));
  window->findChild<QPushButton*>("Button1")->click();
  EXPECT_EQ(days()->count(), 4);
  EXPECT_EQ(days()->currentText(), QStringLiteral("2026/12/7(月)"));
  EXPECT_EQ(column(3), (std::vector<QString>{"Timer1", "chime3.wav 2000 ms", "定時 2 の 3"}));
  chooseDay(0);
  EXPECT_EQ(list()->topLevelItemCount(), 5);
}

TEST_F(RecordWindowTest, DamagedAndMissingRecordsAreShownWithoutACrash) {
  std::string binary;
  for (int i = 0; i < 5000; ++i)
    binary += static_cast<char>(i * 37 % 256);
  WriteBytes(folder.file("2026-12-06.log"), binary);
  WriteBytes(folder.file("2026-12-08.log"), ReadBytes(folder.file("2026-12-08.log")) +
                                                std::string(1u << 20, 'x') + "\n" +
                                                "2026-12-08 07:0");  // a huge line and one cut off
  open();
  EXPECT_EQ(list()->topLevelItemCount(), 3);
  EXPECT_TRUE(summary().contains(QStringLiteral("行を飛ばしました"))) << summary().toStdString();

  std::filesystem::remove_all(folder.path());
  window->findChild<QPushButton*>("Button1")->click();
  EXPECT_EQ(list()->topLevelItemCount(), 0);
  EXPECT_EQ(days()->count(), 1);
  EXPECT_EQ(summary(), QStringLiteral("記録はありません"));
}

}  // namespace
}  // namespace tollvane::testing

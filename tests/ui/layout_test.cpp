// The main window's structure as built: names, positions, item lists, tab order, menus and
// captions of every component the engine and the operator rely on.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "engine/texts.h"
#include "ui_rig.h"

namespace tollvane::testing {
namespace {

const char* const kPrefixes[8] = {"mo", "tu", "we", "th", "fr", "sa", "su", "ak"};
const char* const kPageNames[8] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun", "Mor"};
const char* const kTabCaptions[8] = {"月", "火", "水", "木", "金", "土", "日", "朝・夕共通"};
const char* const kKinds[3] = {"ji", "fu", "snd"};

std::string Name(int page, int slot, int kind) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%s%02d%s", kPrefixes[page], slot, kKinds[kind]);
  return buffer;
}

QStringList ItemsOf(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i)
    items << box->itemText(i);
  return items;
}

using LayoutTest = MainWindowTest;

TEST_F(LayoutTest, PagesStandInOrderWithTheirCaptionsAndColour) {
  start();  // laid out
  auto* pages = find<QTabWidget>("PageControl1");
  ASSERT_NE(pages, nullptr);
  EXPECT_EQ(pages->geometry(), QRect(8, 64, 433, 353));
  EXPECT_EQ(pages->tabBar()->height(), 20);
  ASSERT_EQ(pages->count(), 8);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(pages->widget(i)->objectName().toStdString(), kPageNames[i]);
    EXPECT_EQ(pages->tabText(i).toStdString(), kTabCaptions[i]);
  }
  QWidget* panel = pages->widget(0)->findChild<QWidget*>(QStringLiteral("moPanel"));
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->size(), QSize(425, 323));
  EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(196, 255, 255));
  EXPECT_LE(323, pages->currentWidget()->height()) << "the panel fits below the tabs";
}

TEST_F(LayoutTest, All576DropDownsAreNamedPlacedAndFilled) {
  create();
  const QStringList hours = {"8", "9", "10", "11", "12", "13", "14", "15", "16", "17", "18"};
  const QStringList minutes = {"0",  "5",  "10", "15", "20", "25",
                               "30", "35", "40", "45", "50", "55"};
  const QStringList sounds = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
  const int columnX[2][3] = {{26, 82, 138}, {232, 288, 344}};
  const int widths[3] = {57, 57, 49};
  const int rowY[12] = {36, 55, 84, 103, 132, 151, 180, 199, 228, 247, 276, 295};
  int found = 0;
  for (int page = 0; page < 8; ++page) {
    for (int slot = 1; slot <= 24; ++slot) {
      for (int kind = 0; kind < 3; ++kind) {
        const std::string name = Name(page, slot, kind);
        QComboBox* box = combo(name.c_str());
        ASSERT_NE(box, nullptr) << name;
        ++found;
        EXPECT_TRUE(box->isEditable()) << name;
        EXPECT_EQ(box->geometry(),
                  QRect(columnX[slot > 12][kind], rowY[(slot - 1) % 12], widths[kind], 20))
            << name;
        EXPECT_EQ(ItemsOf(box), kind == 0 ? hours : kind == 1 ? minutes : sounds) << name;
        EXPECT_EQ(box->currentText(), kind == 2 ? QStringLiteral("1") : QString()) << name;
      }
    }
  }
  EXPECT_EQ(found, 576);
  EXPECT_EQ(find<QTabWidget>("PageControl1")->findChildren<QComboBox*>().size(), 576);
}

TEST_F(LayoutTest, TypedTextStaysAsTyped) {
  // Completion would turn a typed "1" into "10", and Enter would add typed text to the list.
  create();
  QComboBox* hour = combo("mo01ji");
  hour->setFocus();
  hour->lineEdit()->selectAll();
  QTest::keyClicks(hour, "1");
  QTest::keyClick(hour, Qt::Key_Return);
  EXPECT_EQ(hour->currentText(), QStringLiteral("1"));
  EXPECT_EQ(hour->count(), 11);
}

TEST_F(LayoutTest, TabOrderRunsHourMinuteSoundThroughTheSlots) {
  create();
  for (int page = 0; page < 8; ++page) {
    QWidget* pageWidget = find<QTabWidget>("PageControl1")->widget(page);
    std::vector<std::string> order;
    QWidget* w = combo(Name(page, 1, 0).c_str());
    for (int stop = 0; stop < 72; ++stop) {
      order.push_back(w->objectName().toStdString());
      do {
        w = w->nextInFocusChain();
      } while (qobject_cast<QComboBox*>(w) == nullptr || !pageWidget->isAncestorOf(w));
    }
    EXPECT_EQ(w->objectName().toStdString(), Name(page, 1, 0)) << "the chain closes after 72";
    for (int slot = 1; slot <= 24; ++slot) {
      for (int kind = 0; kind < 3; ++kind) {
        EXPECT_EQ(order[(slot - 1) * 3 + kind], Name(page, slot, kind));
      }
    }
  }
}

TEST_F(LayoutTest, MenusCarryTheirCaptionsShortcutsAndStates) {
  create();
  struct Item {
    const char* name;
    const char* caption;
    QKeySequence shortcut;
    bool enabled;
  };
  const Item items[] = {
      {"N1", "新規(&N)", QKeySequence(Qt::CTRL | Qt::Key_N), true},
      {"Open1", "開く(&O)", QKeySequence(Qt::CTRL | Qt::Key_O), true},
      {"Save1", "上書き保存(&S)", QKeySequence(Qt::CTRL | Qt::Key_S), false},
      {"SaveAs1", "名前を付けて保存(&A)", QKeySequence(), true},
      {"Exit1", "終了(&Q)", QKeySequence(Qt::CTRL | Qt::Key_Q), true},
      {"sndchk", "登録音源確認(&S)", QKeySequence(), true},
      {"N2", "休日設定確認(&K)", QKeySequence(), true},
      {"About1", "バージョン情報(&A)", QKeySequence(), true},
      {"Copy1", "コピー", QKeySequence(), true},
      {"Paste1", "貼り付け", QKeySequence(), false},
  };
  for (const Item& item : items) {
    auto* action = find<QAction>(item.name);
    ASSERT_NE(action, nullptr) << item.name;
    EXPECT_EQ(action->text().toStdString(), item.caption);
    EXPECT_EQ(action->shortcut(), item.shortcut) << item.name;
    EXPECT_EQ(action->isEnabled(), item.enabled) << item.name;
  }
  QStringList menus;
  for (QAction* a : form->menuBar()->actions())
    menus << a->text();
  EXPECT_EQ(menus, QStringList({"ファイル(&F)", "編集(&E)", "ヘルプ(&H)"}));
  QStringList fileItems;
  for (QAction* a : find<QMenu>("File1")->actions())
    fileItems << a->objectName();
  EXPECT_EQ(fileItems, QStringList({"N1", "Open1", "Save1", "SaveAs1", "Exit1"}));
  QStringList popupItems;
  for (QAction* a : find<QMenu>("PopupMenu1")->actions())
    popupItems << a->objectName();
  EXPECT_EQ(popupItems, QStringList({"Copy1", "Paste1"}));
}

TEST_F(LayoutTest, ControlsStartWithTheirDesignTimeCaptions) {
  create();
  EXPECT_EQ(form->windowTitle().toStdString(), text::kApplicationTitle);
  EXPECT_EQ(form->centralWidget()->size(), QSize(663, 426));
  EXPECT_EQ(form->centralWidget()->palette().color(QPalette::Window), QColor(255, 255, 181));
  EXPECT_EQ(form->font().family(), QStringLiteral("IPAPGothic"));
  EXPECT_EQ(form->font().pixelSize(), 12);
  EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "fixed-size frame";

  struct Button {
    const char* name;
    const char* caption;
    QRect geometry;
    bool hidden;
  };
  for (const Button& b : {Button{"Button1", "強　制", {488, 16, 73, 25}, false},
                          Button{"Button2", "開　始", {568, 16, 73, 25}, false},
                          Button{"Button3", "チャイム停止", {488, 8, 153, 33}, true}}) {
    auto* button = find<QPushButton>(b.name);
    ASSERT_NE(button, nullptr) << b.name;
    EXPECT_EQ(button->text().toStdString(), b.caption);
    EXPECT_EQ(button->geometry(), b.geometry) << b.name;
    EXPECT_EQ(button->isHidden(), b.hidden) << b.name;
  }
  EXPECT_TRUE(find<QPushButton>("Button3")->font().bold());
  auto* output = find<QCheckBox>("CheckBox1");
  EXPECT_EQ(output->text(), QStringLiteral("出力状態"));
  EXPECT_FALSE(output->isEnabled());
  EXPECT_FALSE(output->isChecked());

  EXPECT_EQ(find<QLabel>("Label1")->text(), QStringLiteral("Tollvane"));
  EXPECT_TRUE(find<QLabel>("Label2")->text().startsWith(QStringLiteral("Ver1.7")));
  EXPECT_EQ(find<QLabel>("Label3")->text(), QStringLiteral("日付表示"));
  EXPECT_EQ(find<QLabel>("Label3")->pos(), QPoint(253, 16));
  EXPECT_EQ(find<QLabel>("Label61")->text(), QStringLiteral("時刻表示"));
  EXPECT_EQ(find<QLabel>("Label61")->pos(), QPoint(256, 40));
  EXPECT_EQ(find<QLabel>("Label60")->text(), QStringLiteral("設定内容"));
  auto* memo = find<QPlainTextEdit>("Memo1");
  EXPECT_TRUE(memo->isReadOnly());
  EXPECT_TRUE(memo->toPlainText().isEmpty());
  EXPECT_EQ(memo->font().family(), QStringLiteral("IPAGothic"));
}

TEST_F(LayoutTest, EveryCaptionFitsItsControl) {
  start();
  // The widest captions the tick writes.
  form->setLabel3("2026年12月30日水曜日");
  form->setLabel61("18時55分58秒");
  for (QPushButton* button : form->findChildren<QPushButton*>()) {
    const int needed = button->fontMetrics().horizontalAdvance(button->text()) + 6;
    EXPECT_LE(needed, button->width()) << button->objectName().toStdString();
  }
  for (QLabel* label : form->findChildren<QLabel*>()) {
    const int needed = label->fontMetrics().horizontalAdvance(label->text());
    EXPECT_LE(needed, label->width()) << label->objectName().toStdString();
    EXPECT_LE(label->geometry().right(), label->parentWidget()->width())
        << label->objectName().toStdString();
  }
  // The date and time stay clear of the buttons.
  EXPECT_LT(find<QLabel>("Label3")->x() + find<QLabel>("Label3")->fontMetrics().horizontalAdvance(
                                              find<QLabel>("Label3")->text()),
            488);
}

}  // namespace
}  // namespace tollvane::testing

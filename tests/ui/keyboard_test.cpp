// Keyboard and wheel in the windows: the wheel over drop-downs, Enter on push buttons, the page
// keys and the page strip's focus, and the text selected on entering a drop-down by Tab.
#include <QtTest/qtestspontaneevent.h>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>

#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"
#include "ui_rig.h"

namespace tollvane::testing {
namespace {

enum Window { kMain, kAbout, kSounds, kHolidays };

class KeyboardTest : public MainWindowTest {
 protected:
  KeyboardTest() {
    start();
    form->form4()->loadHolidays(form->data().holidayList);
  }
  ~KeyboardTest() override {
    for (QWidget* dialog : {window(kAbout), window(kSounds), window(kHolidays)})
      dialog->hide();
  }

  QWidget* window(Window which) const {
    switch (which) {
      case kMain:
        return form.get();
      case kAbout:
        return form->form2();
      case kSounds:
        return form->form3();
      case kHolidays:
        return form->form4();
    }
    return nullptr;
  }
  // Shown and active, as key events and the focus need.
  QWidget* shown(Window which) {
    QWidget* w = window(which);
    w->show();
    // The offscreen platform activates only the first window shown by itself.
    QApplication::setActiveWindow(w);
    EXPECT_EQ(QApplication::activeWindow(), w);
    return w;
  }
  template <typename T>
  T* child(Window which, const char* name) const {
    T* found = window(which)->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QTabWidget* pages() const { return child<QTabWidget>(kMain, "PageControl1"); }

  // A wheel turn as the window system delivers it: spontaneous, so Qt gives the focus by
  // wheel and passes an ignored turn on to the parents.
  static void turnWheel(QWidget* widget, int steps) {
    const QPointF centre = QRectF(widget->rect()).center();
    QWheelEvent wheel(centre, widget->mapToGlobal(centre), QPoint(), QPoint(0, -120 * steps),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    QApplication::instance()->notify(widget, &wheel);
  }
};

TEST_F(KeyboardTest, WheelChangesOnlyAFocusedDropDown) {
  const struct {
    Window window;
    const char* name;
  } cases[] = {
      {kMain, "mo01snd"}, {kMain, "mo24ji"}, {kHolidays, "ComboBox1"}, {kHolidays, "ComboBox40"}};
  for (const auto& c : cases) {
    shown(c.window);
    QComboBox* box = child<QComboBox>(c.window, c.name);
    box->setCurrentIndex(2);
    const QString before = box->currentText();
    child<QPushButton>(c.window, "Button1")->setFocus();
    turnWheel(box, 1);
    EXPECT_EQ(box->currentText(), before) << c.name << ": unfocused";
    EXPECT_FALSE(box->hasFocus()) << c.name;
    box->setFocus();
    turnWheel(box, 1);
    EXPECT_EQ(box->currentText(), box->itemText(3)) << c.name << ": focused";
  }
}

TEST_F(KeyboardTest, EnterPressesTheFocusedButtonInEveryWindow) {
  int buttons = 0;
  for (Window which : {kMain, kAbout, kSounds, kHolidays}) {
    QWidget* w = shown(which);
    for (QPushButton* button : w->findChildren<QPushButton*>()) {
      if (button->window() != w)
        continue;
      // Only the press itself is counted; the window's handlers stay out of it.
      QObject::disconnect(button, &QPushButton::clicked, nullptr, nullptr);
      QSignalSpy clicked(button, &QPushButton::clicked);
      button->setFocus();
      QTest::keyClick(button, Qt::Key_Return);
      QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
      EXPECT_EQ(clicked.count(), 2) << button->objectName().toStdString();
      ++buttons;
    }
  }
  EXPECT_EQ(buttons, 3 + 1 + 22 + 2);
}

TEST_F(KeyboardTest, EnterInAFieldPressesNoButton) {
  const struct {
    Window window;
    const char* field;
  } cases[] = {
      {kMain, "mo01ji"}, {kSounds, "Edit1"}, {kHolidays, "ComboBox1"}, {kHolidays, "ComboBox40"}};
  for (const auto& c : cases) {
    QWidget* w = shown(c.window);
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (QPushButton* button : w->findChildren<QPushButton*>())
      spies.push_back(std::make_unique<QSignalSpy>(button, &QPushButton::clicked));
    QWidget* field = child<QWidget>(c.window, c.field);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Return);
    QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
    for (const auto& spy : spies)
      EXPECT_EQ(spy->count(), 0) << c.field;
    EXPECT_TRUE(w->isVisible()) << c.field;
  }
}

TEST_F(KeyboardTest, PageKeysSwitchPagesFromAnywhereInTheMainWindow) {
  shown(kMain);
  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
  const struct {
    const char* focus;
    int from;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int to;
  } cases[] = {
      {"th05fu", 3, Qt::Key_PageDown, ctrl, 4},
      {"th05fu", 3, Qt::Key_PageUp, ctrl, 2},
      {"th05fu", 3, Qt::Key_Tab, ctrl, 4},
      {"th05fu", 3, Qt::Key_Backtab, ctrl | Qt::ShiftModifier, 2},
      {"Button2", 3, Qt::Key_PageDown, ctrl, 4},
      {"Button2", 3, Qt::Key_Backtab, ctrl | Qt::ShiftModifier, 2},
      {"Memo1", 3, Qt::Key_Tab, ctrl, 4},
      {"Memo1", 3, Qt::Key_PageUp, ctrl, 2},
      {"ak01ji", 7, Qt::Key_PageDown, ctrl, 0},  // round from the last page to the first
      {"mo01ji", 0, Qt::Key_PageUp, ctrl, 7},
      {"mo01ji", 0, Qt::Key_PageDown, Qt::NoModifier, 0},  // the drop-down's own key
  };
  for (const auto& c : cases) {
    pages()->setCurrentIndex(c.from);
    QWidget* focus = child<QWidget>(kMain, c.focus);
    if (auto* box = qobject_cast<QComboBox*>(focus))
      box->setEditText(QStringLiteral("8"));
    focus->setFocus();
    ASSERT_TRUE(focus->hasFocus()) << c.focus;
    QTest::keyClick(focus, c.key, c.modifiers);
    EXPECT_EQ(pages()->currentIndex(), c.to) << c.focus << " key " << c.key;
    if (auto* box = qobject_cast<QComboBox*>(focus); box != nullptr && c.modifiers == ctrl) {
      EXPECT_EQ(box->currentText(), QStringLiteral("8")) << c.focus << ": a page key only";
    }
  }
}

TEST_F(KeyboardTest, PageStripTakesTheFocusByTabAndArrowsSwitchPages) {
  shown(kMain);
  pages()->setCurrentIndex(2);
  QWidget* button2 = child<QWidget>(kMain, "Button2");
  button2->setFocus();
  QTest::keyClick(button2, Qt::Key_Tab);
  QTabBar* strip = pages()->tabBar();
  ASSERT_TRUE(strip->hasFocus()) << QApplication::focusWidget()->objectName().toStdString();
  QTest::keyClick(strip, Qt::Key_Right);
  EXPECT_EQ(pages()->currentIndex(), 3);
  QTest::keyClick(strip, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), child<QWidget>(kMain, "th01ji"));
}

TEST_F(KeyboardTest, TheHolidayDialogOpensOnItsFirstDropDownWithTheTextSelected) {
  QWidget* dialog = shown(kHolidays);
  auto* first = child<QComboBox>(kHolidays, "ComboBox1");
  ASSERT_EQ(dialog->focusWidget(), first);
  EXPECT_EQ(first->currentText(), QStringLiteral("0"));
  QTest::keyClicks(first, "1");
  EXPECT_EQ(first->currentText(), QStringLiteral("1"));
}

TEST_F(KeyboardTest, EnteringADropDownByKeyboardSelectsItsTextSoTypingReplacesIt) {
  const struct {
    Window window;
    int page;  // of the main window
    const char* from;
    Qt::Key key;
    const char* to;
  } cases[] = {
      {kMain, 3, "th01ji", Qt::Key_Tab, "th01fu"},
      {kMain, 3, "th01snd", Qt::Key_Backtab, "th01fu"},
      {kMain, 7, "ak12snd", Qt::Key_Tab, "ak13ji"},
      {kHolidays, 0, "ComboBox1", Qt::Key_Tab, "ComboBox2"},
      {kHolidays, 0, "ComboBox3", Qt::Key_Backtab, "ComboBox2"},
      {kHolidays, 0, "ComboBox20", Qt::Key_Tab, "ComboBox21"},
  };
  for (const auto& c : cases) {
    shown(c.window);
    pages()->setCurrentIndex(c.page);
    auto* target = child<QComboBox>(c.window, c.to);
    target->setEditText(QStringLiteral("01"));
    QWidget* from = child<QWidget>(c.window, c.from);
    from->setFocus();
    QTest::keyClick(from, c.key);
    ASSERT_TRUE(target->hasFocus()) << c.to;
    QTest::keyClicks(target, "1");
    EXPECT_EQ(target->currentText(), QStringLiteral("1")) << c.to;
  }
  // A click places the cursor instead.
  shown(kMain);
  pages()->setCurrentIndex(7);
  auto* box = child<QComboBox>(kMain, "ak05fu");
  box->setEditText(QStringLiteral("30"));
  QTest::mouseClick(box->lineEdit(), Qt::LeftButton, Qt::NoModifier,
                    box->lineEdit()->rect().center());
  ASSERT_TRUE(box->hasFocus());
  EXPECT_FALSE(box->lineEdit()->hasSelectedText());
}

}  // namespace
}  // namespace tollvane::testing

// Keyboard and wheel in the windows: the wheel over drop-downs, Enter on push buttons, the page
// keys and the page strip's focus, and the text selected on entering a drop-down by keyboard.
#include <QtTest/qtestspontaneevent.h>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>
#include <map>

#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"
#include "ui_rig.h"

namespace tollvane::testing {
namespace {

class KeyboardTest : public MainWindowTest {
 protected:
  KeyboardTest() {
    start();
    form->form4()->loadHolidays(form->data().holidayList);
  }
  ~KeyboardTest() override {
    for (QWidget* dialog :
         std::initializer_list<QWidget*>{form->form2(), form->form3(), form->form4()})
      dialog->hide();
  }
  QWidget* holidays() const { return form->form4(); }
  // Shown and active, as the focus needs; the offscreen platform activates only the first
  // window by itself.
  QWidget* shown(QWidget* window) {
    window->show();
    QApplication::setActiveWindow(window);
    EXPECT_EQ(QApplication::activeWindow(), window);
    return window;
  }
  template <typename T = QWidget>
  static T* child(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QTabWidget* pages() const { return child<QTabWidget>(form.get(), "PageControl1"); }

  // A turn as the window system delivers it: spontaneous, so that Qt gives the focus by
  // wheel and passes an ignored turn on to the parents.
  static void turnWheel(QWidget* widget) {
    const QPointF centre = QRectF(widget->rect()).center();
    QWheelEvent wheel(centre, widget->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    QApplication::instance()->notify(widget, &wheel);
  }
};

TEST_F(KeyboardTest, WheelChangesOnlyAFocusedDropDown) {
  for (auto [window, name] :
       {std::pair{(QWidget*)form.get(), "mo01snd"}, std::pair{holidays(), "ComboBox40"}}) {
    shown(window);
    auto* box = child<QComboBox>(window, name);
    box->setCurrentIndex(2);
    child(window, "Button1")->setFocus();
    turnWheel(box);
    EXPECT_EQ(box->currentIndex(), 2) << name;
    EXPECT_FALSE(box->hasFocus()) << name;
    box->setFocus();
    turnWheel(box);
    EXPECT_EQ(box->currentIndex(), 3) << name;
  }
}

TEST_F(KeyboardTest, EnterPressesTheFocusedButtonButNoneFromAField) {
  const std::pair<QWidget*, const char*> windows[] = {{form.get(), "mo01ji"},
                                                      {form->form2(), nullptr},
                                                      {form->form3(), "Edit1"},
                                                      {holidays(), "ComboBox1"}};
  for (auto [window, field] : windows) {
    shown(window);
    std::map<QPushButton*, int> clicks;
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
      // Only the press itself is counted; the window's handlers stay out of it.
      QObject::disconnect(button, &QPushButton::clicked, nullptr, nullptr);
      QObject::connect(button, &QPushButton::clicked, [&clicks, button] { ++clicks[button]; });
    }
    if (field != nullptr) {
      QTest::keyClick(child(window, field), Qt::Key_Return);
      QTest::keyClick(child(window, field), Qt::Key_Enter, Qt::KeypadModifier);
    }
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
      button->setFocus();
      QTest::keyClick(button, Qt::Key_Return);
      QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    }
    for (QPushButton* button : window->findChildren<QPushButton*>())
      EXPECT_EQ(clicks[button], 2) << button->objectName().toStdString();
  }
}

TEST_F(KeyboardTest, PageKeysSwitchPagesFromAnywhereInTheMainWindow) {
  shown(form.get());
  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
  const struct {
    const char* focus;
    int from;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int to;
  } cases[] = {
      {"th05fu", 3, Qt::Key_PageDown, ctrl, 4},     {"th05fu", 3, Qt::Key_PageUp, ctrl, 2},
      {"th05fu", 3, Qt::Key_Tab, ctrl, 4},          {"th05fu", 3, Qt::Key_Backtab, ctrl | shift, 2},
      {"Button2", 3, Qt::Key_Tab, ctrl | shift, 2}, {"Memo1", 3, Qt::Key_PageDown, ctrl, 4},
      {"ak01ji", 7, Qt::Key_PageDown, ctrl, 0},     {"mo01ji", 0, Qt::Key_PageUp, ctrl, 7},
  };
  for (const auto& c : cases) {
    pages()->setCurrentIndex(c.from);
    QWidget* focus = child(form.get(), c.focus);
    if (auto* box = qobject_cast<QComboBox*>(focus))
      box->setEditText(QStringLiteral("8"));
    focus->setFocus();
    QTest::keyClick(focus, c.key, c.modifiers);
    EXPECT_EQ(pages()->currentIndex(), c.to) << c.focus << " key " << c.key;
    if (auto* box = qobject_cast<QComboBox*>(focus)) {
      EXPECT_EQ(box->currentText(), QStringLiteral("8")) << c.focus << ": a page key only";
    }
  }
}

TEST_F(KeyboardTest, PageStripTakesTheFocusByTabAndArrowsSwitchPages) {
  shown(form.get());
  pages()->setCurrentIndex(2);
  QWidget* button2 = child(form.get(), "Button2");
  button2->setFocus();
  QTest::keyClick(button2, Qt::Key_Tab);
  QTabBar* strip = pages()->tabBar();
  ASSERT_TRUE(strip->hasFocus());
  QTest::keyClick(strip, Qt::Key_Right);
  EXPECT_EQ(pages()->currentIndex(), 3);
  QTest::keyClick(strip, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), child(form.get(), "th01ji"));
}

TEST_F(KeyboardTest, DropDownEnteredByKeyboardSelectsItsTextSoTypingReplacesIt) {
  const struct {
    QWidget* window;
    const char* from;  // none: the window opens on it
    Qt::Key key;
    const char* to;
  } cases[] = {
      {holidays(), nullptr, Qt::Key_unknown, "ComboBox1"},
      {holidays(), "ComboBox3", Qt::Key_Backtab, "ComboBox2"},
      {holidays(), "ComboBox20", Qt::Key_Tab, "ComboBox21"},
      {form.get(), "th01ji", Qt::Key_Tab, "th01fu"},
  };
  pages()->setCurrentIndex(3);
  for (const auto& c : cases) {
    auto* target = child<QComboBox>(c.window, c.to);
    target->setEditText(QStringLiteral("0"));
    shown(c.window);
    if (c.from != nullptr) {
      child(c.window, c.from)->setFocus();
      QTest::keyClick(child(c.window, c.from), c.key);
    }
    ASSERT_TRUE(target->hasFocus()) << c.to;
    QTest::keyClicks(target, "1");
    EXPECT_EQ(target->currentText(), QStringLiteral("1")) << c.to;
  }
}

}  // namespace
}  // namespace tollvane::testing

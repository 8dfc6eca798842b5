// Keyboard and wheel manners shared by every window's controls.
#pragma once

#include <QComboBox>
#include <QPushButton>

class QTabWidget;

namespace tollvane {

// An editable drop-down as the windows use them. The wheel changes it only while it has the
// focus (a scroll on the way elsewhere must not move a bell time), and it never takes the
// focus from the wheel; entered by the keyboard (Tab, Backtab, its window opening on it) it
// selects its text, so typing replaces it.
class DropDown : public QComboBox {
 public:
  explicit DropDown(QWidget* parent = nullptr);

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
};

// A push button that Enter and keypad Enter press while it has the focus, as Space does. It is
// never a default button, so Enter in a drop-down presses nothing.
class PushButton : public QPushButton {
 public:
  PushButton(const QString& text, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

// Ctrl+PgDn and Ctrl+Tab show the next page, Ctrl+PgUp and Ctrl+Shift+Tab the previous one,
// from anywhere in window (QTabWidget alone does so only with the focus inside it, and a
// focused drop-down would take Ctrl+PgUp and Ctrl+PgDn as its own). The pages wrap around.
void AddPageKeys(QTabWidget* pages, QWidget* window);

}  // namespace tollvane

#include "ui/keyboard.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QShortcut>
#include <QTabWidget>
#include <QWheelEvent>

#include "ui/guard.h"

namespace tollvane {

DropDown::DropDown(QWidget* parent) : QComboBox(parent) {
  // QComboBox's own WheelFocus would let the wheel focus it first and then change it.
  setFocusPolicy(Qt::StrongFocus);
}

void DropDown::wheelEvent(QWheelEvent* event) {
  if (!hasFocus()) {
    event->ignore();  // passes on to the parent
    return;
  }
  QComboBox::wheelEvent(event);
}

void DropDown::focusInEvent(QFocusEvent* event) {
  QComboBox::focusInEvent(event);
  // Every way in but the mouse (which places the cursor) and the return from its own list or
  // a menu: Tab, Backtab, the window opening on it (Qt leaves the cursor at the end then, and
  // a typed "1" after the holiday dialog's "0" would read "01"), a page switched by keys.
  switch (event->reason()) {
    case Qt::MouseFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
      break;
    default:
      if (lineEdit() != nullptr)
        lineEdit()->selectAll();
  }
}

PushButton::PushButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
  // Not even a dialog may make it its default on focus.
  setAutoDefault(false);
}

void PushButton::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers others = event->modifiers() & ~Qt::KeypadModifier;
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      others == Qt::NoModifier) {
    event->accept();
    // One press per press: a held Enter does not repeat the click, as a held Space does not.
    if (!event->isAutoRepeat())
      click();
    return;
  }
  QPushButton::keyPressEvent(event);
}

void AddPageKeys(QTabWidget* pages, QWidget* window) {
  auto step = [pages, window](int by) {
    Guard(window, [pages, by] {
      const int count = pages->count();
      if (count > 0)
        pages->setCurrentIndex((pages->currentIndex() + by + count) % count);
    });
  };
  const struct {
    QKeySequence keys;
    int by;
  } bindings[] = {
      {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
      {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
      {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
      // Shift+Tab arrives as Backtab; both spellings, as keyboards differ.
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
      {QKeySequence(Qt::CTRL | Qt::Key_Backtab), -1},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
  };
  for (const auto& binding : bindings) {
    auto* shortcut = new QShortcut(binding.keys, window);
    shortcut->setContext(Qt::WindowShortcut);
    const int by = binding.by;
    QObject::connect(shortcut, &QShortcut::activated, pages, [step, by] { step(by); });
  }
}

}  // namespace tollvane

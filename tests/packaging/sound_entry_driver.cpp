// Loaded with LD_PRELOAD into the installed program, this drives it as an operator would:
// it opens the sound dialog from the menu, and then either types a file name into the first
// row and presses "更新" (TOLLVANE_DRIVE=store) or prints the first row as shown (=show).
// Every message box is answered with No where it has one (no reload, no save at close),
// otherwise with its default button, and its text printed. The program itself is unchanged.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kPollMs = 50;
constexpr int kGiveUpMs = 60000;

enum class Step { kOpenDialog, kInDialog, kClosing, kDone };

template <typename T>
T* FindVisible(const QString& name) {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (!top->isVisible()) {
      continue;
    }
    if (auto* hit = qobject_cast<T*>(top); hit != nullptr && top->objectName() == name) {
      return hit;
    }
    if (auto* hit = top->findChild<T*>(name); hit != nullptr && hit->isVisible()) {
      return hit;
    }
  }
  return nullptr;
}

void Print(const char* what, const QString& text) {
  std::printf("%s %s\n", what, text.toUtf8().constData());
  std::fflush(stdout);
}

// Answers the box on top, if any; true when one was there.
bool AnswerMessageBox() {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(top);
    if (box == nullptr || !box->isVisible()) {
      continue;
    }
    Print("BOX", box->text());
    QAbstractButton* answer = box->button(QMessageBox::No);
    if (answer == nullptr) {
      answer = box->defaultButton() != nullptr ? box->defaultButton() : box->buttons().value(0);
    }
    if (answer != nullptr) {
      QMetaObject::invokeMethod(answer, &QAbstractButton::click, Qt::QueuedConnection);
    }
    return true;
  }
  return false;
}

void Drive() {
  const QByteArray mode = qgetenv("TOLLVANE_DRIVE");
  if (mode.isEmpty()) {
    return;
  }
  const QString value = QString::fromUtf8(qgetenv("TOLLVANE_DRIVE_VALUE"));
  auto* timer = new QTimer(qApp);
  auto step = std::make_shared<Step>(Step::kOpenDialog);
  QTimer::singleShot(kGiveUpMs, qApp, [] {
    std::fprintf(stderr, "sound entry driver: gave up after %d ms\n", kGiveUpMs);
    std::_Exit(97);
  });
  QObject::connect(timer, &QTimer::timeout, qApp, [step, mode, value] {
    if (AnswerMessageBox()) {
      return;
    }
    QWidget* form1 = FindVisible<QWidget>(QStringLiteral("Form1"));
    QDialog* form3 = FindVisible<QDialog>(QStringLiteral("Form3"));
    switch (*step) {
      case Step::kOpenDialog:
        if (form1 != nullptr && form3 == nullptr) {
          if (auto* action = form1->findChild<QAction*>(QStringLiteral("sndchk"))) {
            QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
            *step = Step::kInDialog;
          }
        }
        return;
      case Step::kInDialog: {
        if (form3 == nullptr) {
          return;
        }
        auto* edit1 = form3->findChild<QLineEdit*>(QStringLiteral("Edit1"));
        auto* button3 = form3->findChild<QPushButton*>(QStringLiteral("Button3"));
        if (edit1 == nullptr || button3 == nullptr) {
          return;
        }
        Print("EDIT1", edit1->text());
        if (mode == "store") {
          edit1->selectAll();
          edit1->insert(value);
          QMetaObject::invokeMethod(button3, &QAbstractButton::click, Qt::QueuedConnection);
        } else {
          form3->reject();
        }
        *step = Step::kClosing;
        return;
      }
      case Step::kClosing:
        if (form3 == nullptr && form1 != nullptr) {
          Print("DONE", QString::fromUtf8(mode));
          // Queued: the close question runs its own loop, in which this timer must go on
          // to answer it with No.
          QMetaObject::invokeMethod(form1, &QWidget::close, Qt::QueuedConnection);
          *step = Step::kDone;
        }
        return;
      case Step::kDone:
        return;
    }
  });
  timer->start(kPollMs);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Drive)

#include "ui/guard.h"

#include <QMessageBox>
#include <QPointer>
#include <QSet>
#include <exception>

#include "engine/interfaces.h"
#include "engine/texts.h"

namespace tollvane {

namespace {

// Texts of the error boxes open at this moment.
QSet<QString>& OpenTexts() {
  static QSet<QString> texts;
  return texts;
}

Recorder*& ErrorRecord() {
  static Recorder* recorder = nullptr;
  return recorder;
}

QString DescribeCurrentException() {
  try {
    throw;
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QStringLiteral("原因不明のエラー");
  }
}

}  // namespace

QString ErrorBoxText(const QString& what) {
  if (what.endsWith(QLatin1Char('.')))
    return what;
  return what + QLatin1Char('.');
}

void SetErrorRecord(Recorder* recorder) {
  ErrorRecord() = recorder;
}

void ShowErrorBox(QWidget* parent, const QString& what) {
  const QString text = ErrorBoxText(what);
  // Recorded even when the same box is still open: each failure is an event of its own.
  if (Recorder* recorder = ErrorRecord()) {
    recorder->record(text::record::kError, text.toStdString());
  }
  if (OpenTexts().contains(text))
    return;
  // A hidden parent would keep the box from showing on some platforms; fall back to none.
  if (parent != nullptr && !parent->isVisible())
    parent = nullptr;
  auto* box = new QMessageBox(QMessageBox::Critical, QString::fromUtf8(text::kProductName), text,
                              QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setObjectName(QStringLiteral("ErrorBox"));
  OpenTexts().insert(text);
  QObject::connect(box, &QObject::destroyed, [text] { OpenTexts().remove(text); });
  // open(), not exec(): a nested event loop per box is what would let them pile up.
  box->open();
}

int OpenErrorBoxCount() {
  return static_cast<int>(OpenTexts().size());
}

bool Guard(QWidget* parent, const std::function<void()>& handler) {
  try {
    handler();
    return true;
  } catch (...) {
    ShowErrorBox(parent, DescribeCurrentException());
    return false;
  }
}

TollvaneApplication::TollvaneApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // Only the name: a display name would be appended to every window caption on X11.
  setApplicationName(QString::fromUtf8(text::kProductName));
}

bool TollvaneApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowErrorBox(nullptr, DescribeCurrentException());
    return false;
  }
}

}  // namespace tollvane

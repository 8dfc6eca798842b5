#include "ui/library_messages.h"

#include <QMessageBox>
#include <QSet>
#include <QString>
#include <QWidget>

#include "engine/interfaces.h"
#include "engine/texts.h"
#include "ui/qt_services.h"

namespace tollvane {

namespace {

Recorder* messageRecord = nullptr;
int operatorActions = 0;

// Texts of the library boxes open now: a board that is written twice per bell must not pile
// up two boxes per bell while nobody reads them.
QSet<QString>& OpenTexts() {
  static QSet<QString> texts;
  return texts;
}

}  // namespace

void SetLibraryMessageRecord(Recorder* recorder) {
  messageRecord = recorder;
}

OperatorAction::OperatorAction() {
  ++operatorActions;
}
OperatorAction::~OperatorAction() {
  --operatorActions;
}
bool OperatorAction::running() {
  return operatorActions > 0;
}

void ShowLibraryMessage(const char* text, const char* caption) {
  const QString body = QString::fromUtf8(text != nullptr ? text : "");
  const QString title = QString::fromUtf8(caption != nullptr ? caption : "");
  if (messageRecord != nullptr) {
    messageRecord->record(text::record::kError, body.toStdString());
  }
  if (OperatorAction::running()) {
    QMessageBox box(QMessageBox::Warning, title, body, QMessageBox::Ok, DialogParent());
    box.exec();
    return;
  }
  if (OpenTexts().contains(body)) {
    return;
  }
  // Before the window is shown (its creation drives the output off) there is no parent to
  // show over yet.
  QWidget* parent = DialogParent();
  if (parent != nullptr && !parent->isVisible()) {
    parent = nullptr;
  }
  auto* box = new QMessageBox(QMessageBox::Warning, title, body, QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setObjectName(QStringLiteral("LibraryMessageBox"));
  OpenTexts().insert(body);
  QObject::connect(box, &QObject::destroyed, [body] { OpenTexts().remove(body); });
  box->open();
}

}  // namespace tollvane

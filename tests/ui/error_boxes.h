// The error boxes the guard has open, as the tests of the windows look for them.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <string>
#include <vector>

namespace tollvane::testing {

// The error boxes open now, as the guard shows them.
inline std::vector<QMessageBox*> ErrorBoxes() {
  std::vector<QMessageBox*> boxes;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == QLatin1String("ErrorBox") && w->isVisible()) {
      boxes.push_back(static_cast<QMessageBox*>(w));
    }
  }
  return boxes;
}

inline std::vector<std::string> ErrorTexts() {
  std::vector<std::string> texts;
  for (QMessageBox* box : ErrorBoxes())
    texts.push_back(box->text().toStdString());
  return texts;
}

inline void CloseErrorBoxes() {
  for (QMessageBox* box : ErrorBoxes())
    box->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace tollvane::testing

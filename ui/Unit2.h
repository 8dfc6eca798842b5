// The about box: product name, version and build date.
#pragma once

#include <QDialog>

namespace tollvane {

class TForm2 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm2(QWidget* parent = nullptr);
  void Button1Click();
};

}  // namespace tollvane

#include "ui/Unit2.h"

#include <QLabel>
#include <QPushButton>

#include "ui/guard.h"
#include "ui/qt_services.h"

namespace tollvane {

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("VersionInfomation"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(ProportionalFont(12));
  setFixedSize(269, 145);

  QLabel* product =
      MakeLabel(this, "Label1", QStringLiteral("Tollvane"), 8, 5, ProportionalFont(27, true, true));
  QPalette teal = product->palette();
  teal.setColor(QPalette::WindowText, QColor(0, 128, 128));
  product->setPalette(teal);
  MakeLabel(this, "Label2", QStringLiteral("Ver1.7.0.1 "), 28, 43,
            ProportionalFont(21, true, true));
  MakeLabel(this, "Label4", QStringLiteral("2012/3/28版"), 151, 45,
            ProportionalFont(16, true, true));
  MakeLabel(this, "Label3", QStringLiteral("USB-IO 対応チャイム"), 28, 80, ProportionalFont(12));

  auto* ok = MakeButton(this, QStringLiteral("Button1"), QStringLiteral("Ok"), {96, 112, 57, 25});
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TForm2::Button1Click() {
  Guard(this, [this] { accept(); });
}

}  // namespace tollvane

#include "ui/Unit3.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "settings/settings_file.h"
#include "ui/guard.h"
#include "ui/qt_services.h"

namespace tollvane {

namespace {

constexpr int kRowTop = 8;
constexpr int kRowPitch = 32;
constexpr int kEditHeight = 21;

// Play buttons are Button4..Button13; browse buttons Button2, then Button14..Button22.
int PlayButtonNumber(int row) {
  return row + 3;
}
int BrowseButtonNumber(int row) {
  return row == 1 ? 2 : row + 12;
}

QString RowNumber(int row) {
  // Rows 1..9 are labelled with full-width digits, row 10 with ASCII digits.
  if (row < 10)
    return QString(QChar(0xFF10 + row));
  return QString::number(row);
}

}  // namespace

TForm3::TForm3(SoundPlayer& mediaPlayer1, SoundFileChooser& openDialog1, SoundTable& soundTable,
               std::string settingsPath, QWidget* parent)
    : QDialog(parent),
      mediaPlayer1_(mediaPlayer1),
      openDialog1_(openDialog1),
      soundTable_(soundTable),
      settingsPath_(std::move(settingsPath)) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral("音源確認"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(ProportionalFont(12));
  setFixedSize(312, 379);

  for (int row = 1; row <= kRows; ++row) {
    const int top = kRowTop + kRowPitch * (row - 1);
    auto* label = new QLabel(RowNumber(row), this);
    label->setObjectName(QStringLiteral("Label%1").arg(row));
    label->setFont(ProportionalFont(15));
    // Right-aligned against the field, so that "10" does not run into it.
    label->setGeometry(0, top, 22, kEditHeight);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("Edit%1").arg(row));
    edit->setGeometry(24, top, 185, kEditHeight);
    edits_[row - 1] = edit;

    auto* play = MakeButton(this, QStringLiteral("Button%1").arg(PlayButtonNumber(row)),
                            QStringLiteral("再生"), {216, top, 33, 25});
    connect(play, &QPushButton::clicked, this, [this, row] { Play(row); });

    auto* browse = MakeButton(this, QStringLiteral("Button%1").arg(BrowseButtonNumber(row)),
                              QStringLiteral("..."), {264, top, 33, 25});
    connect(browse, &QPushButton::clicked, this, [this, row] { Browse(row); });
  }

  auto* confirm =
      MakeButton(this, QStringLiteral("Button1"), QStringLiteral("確認"), {68, 336, 49, 25});
  connect(confirm, &QPushButton::clicked, this, [this] { Button1Click(); });
  auto* update =
      MakeButton(this, QStringLiteral("Button3"), QStringLiteral("更新"), {180, 336, 49, 25});
  connect(update, &QPushButton::clicked, this, [this] { Button3Click(); });
}

void TForm3::loadSounds(const SoundTable& soundTable) {
  for (int row = 1; row <= kRows; ++row) {
    edits_[row - 1]->setText(QString::fromStdString(soundTable[row]));
  }
}

void TForm3::showEvent(QShowEvent* event) {
  previewPlaying_ = 0;  // FormShow
  QDialog::showEvent(event);
}

void TForm3::Play(int row) {
  Guard(this, [this, row] {
    const std::string file = edits_[row - 1]->text().toStdString();
    if (file.empty())
      return;
    mediaPlayer1_.setFileName(file);
    mediaPlayer1_.open();
    mediaPlayer1_.setTimeFormatMilliseconds();
    mediaPlayer1_.setNotify(true);
    mediaPlayer1_.setWait(false);  // plays in the background; the dialog stays responsive
    mediaPlayer1_.play();
    previewPlaying_ = 1;
  });
}

void TForm3::Browse(int row) {
  Guard(this, [this, row] {
    const std::optional<std::string> chosen = openDialog1_.chooseSoundFile(this);
    if (!chosen)
      return;
    // Only the name is registered; it is found again through the current directory.
    edits_[row - 1]->setText(QFileInfo(QString::fromStdString(*chosen)).fileName());
  });
}

void TForm3::Button1Click() {
  reject();
}

void TForm3::Button3Click() {
  const bool stored = Guard(this, [this] {
    std::array<std::string, kRegisteredSounds> items;
    for (int row = 1; row <= kRows; ++row)
      items[row - 1] = edits_[row - 1]->text().toStdString();
    UpdateSoundSettings(settingsPath_, items, soundTable_);
  });
  // A failed write leaves the dialog open with the operator's texts.
  if (stored)
    accept();
}

void TForm3::done(int result) {
  // FormCloseQuery: any closing stops a sound started here; the close is always allowed.
  if (previewPlaying_ == 1) {
    Guard(this, [this] { mediaPlayer1_.stop(); });
  }
  QDialog::done(result);
}

}  // namespace tollvane

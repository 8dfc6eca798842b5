#include "ui/qt_services.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "engine/texts.h"
#include "ui/japanese_texts.h"
#include "ui/keyboard.h"
#include "ui/window_texts.h"

namespace tollvane {

QFont ProportionalFont(int pixelSize, bool bold, bool italic) {
  QFont font(QStringLiteral("IPAPGothic"));
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setItalic(italic);
  return font;
}

QFont FixedFont(int pixelSize) {
  QFont font(QStringLiteral("IPAGothic"));
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  font.setPixelSize(pixelSize);
  return font;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int x, int y,
                  const QFont& font) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setFont(font);
  label->move(x, y);
  label->adjustSize();
  return label;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text, QRect geometry) {
  auto* button = new PushButton(text, parent);
  button->setObjectName(name);
  button->setGeometry(geometry);
  return button;
}

void InstallJapaneseTranslations() {
  InstallJapaneseTexts();
}

QtBellTimer::QtBellTimer(int intervalMs, std::function<void()> onTimeout, QObject* parent)
    : QObject(parent), interval_(intervalMs) {
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, std::move(onTimeout));
}

void QtBellTimer::setInterval(int milliseconds) {
  if (milliseconds == interval_)
    return;
  interval_ = milliseconds;
  apply();
}

void QtBellTimer::setEnabled(bool enabled) {
  if (enabled == enabled_)
    return;
  enabled_ = enabled;
  apply();
}

void QtBellTimer::apply() {
  if (enabled_ && interval_ > 0) {
    timer_.start(interval_);  // (re)starts the count from now
  } else {
    timer_.stop();
  }
}

QWidget* DialogParent() {
  // Never an error box: it deletes itself when closed, and would take a box shown over it
  // along.
  QWidget* window = QApplication::activeWindow();
  while (window != nullptr && window->testAttribute(Qt::WA_DeleteOnClose)) {
    window = window->parentWidget();
  }
  return window;
}

namespace {

QWidget* ParentOf(const std::function<QWidget*()>& parent) {
  if (parent)
    return parent();
  return DialogParent();
}

// A Yes / No question has no answer for Escape or the close box: QMessageBox would take "No"
// for both, and for the dropped-file question "No" means appending to the pages.
class PromptBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;
  bool escapable = true;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (!escapable && event->key() == Qt::Key_Escape) {
      event->accept();
      return;
    }
    QMessageBox::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override {
    if (!escapable) {
      event->ignore();
      return;
    }
    QMessageBox::closeEvent(event);
  }
};

}  // namespace

QtPrompts::QtPrompts(std::function<QWidget*()> parent) : parent_(std::move(parent)) {}

Answer QtPrompts::ask(const std::string& text, const std::string& caption, Buttons buttons) {
  QMessageBox::StandardButtons set;
  QMessageBox::StandardButton first = QMessageBox::Ok;
  switch (buttons) {
    case Buttons::Ok:
      set = QMessageBox::Ok;
      break;
    case Buttons::OkCancel:
      set = QMessageBox::Ok | QMessageBox::Cancel;
      break;
    case Buttons::YesNo:
      set = QMessageBox::Yes | QMessageBox::No;
      first = QMessageBox::Yes;
      break;
    case Buttons::YesNoCancel:
      set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
      first = QMessageBox::Yes;
      break;
  }
  QMessageBox::Icon icon = QMessageBox::Information;
  if (caption == text::kWarning) {
    icon = QMessageBox::Warning;
  } else if (caption == text::kChoice || buttons != Buttons::Ok) {
    icon = QMessageBox::Question;
  }
  PromptBox box(icon, QString::fromStdString(caption), QString::fromStdString(text), set,
                ParentOf(parent_));
  box.setDefaultButton(first);
  if (buttons == Buttons::YesNo) {
    box.escapable = false;
    box.setWindowFlag(Qt::WindowCloseButtonHint, false);
  }
  switch (box.exec()) {
    case QMessageBox::Ok:
      return Answer::Ok;
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

void QtPrompts::inform(const std::string& text, const std::string& caption) {
  // open(), not exec(): the box stays up for whoever comes by and nothing waits for it.
  auto* box = new QMessageBox(QMessageBox::Information, QString::fromStdString(caption),
                              QString::fromStdString(text), QMessageBox::Ok, ParentOf(parent_));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setObjectName(QStringLiteral("InformBox"));
  box->open();
}

QString QtFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList entries;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString& label = parts[i];
    const QString& pattern = parts[i + 1];
    // A label that already shows its pattern keeps it as it is.
    entries << (label.contains(QLatin1Char('('))
                    ? label
                    : label + QStringLiteral(" (") + pattern + QLatin1Char(')'));
  }
  return entries.join(QStringLiteral(";;"));
}

namespace {

// The file list's size and date columns in Japanese: Qt writes them in the system locale's
// form ("1 bytes", "12/7/26 8:30 AM" under en_US), whatever the default locale says.
class JapaneseFileColumns : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;
  static constexpr int kSizeColumn = 1;
  static constexpr int kDateColumn = 3;

  QVariant data(const QModelIndex& index, int role) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role == Qt::DisplayRole && files != nullptr) {
      const QModelIndex source = mapToSource(index);
      const QLocale japanese(QLocale::Japanese, QLocale::Japan);
      if (index.column() == kSizeColumn && !files->isDir(source))
        return japanese.formattedDataSize(files->size(source));
      if (index.column() == kDateColumn)
        return japanese.toString(files->lastModified(source), QLocale::ShortFormat);
    }
    return QIdentityProxyModel::data(index, role);
  }
};

// A desktop's own file chooser (GTK's, a portal's) speaks the session's language, English
// under a non-Japanese locale; Qt's own dialog reads in Japanese whatever the locale.
void UseOwnWidgets(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setProxyModel(new JapaneseFileColumns(&dialog));  // the dialog takes it over
}

}  // namespace

QtFileDialogs::QtFileDialogs(std::function<QWidget*()> parent) : parent_(std::move(parent)) {}

std::optional<std::string> QtFileDialogs::openSchedule() {
  QFileDialog dialog(ParentOf(parent_), QString(), QString(), QtFilter("Tollvane|*.txt"));
  UseOwnWidgets(dialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  return QDir::toNativeSeparators(dialog.selectedFiles().constFirst()).toStdString();
}

std::optional<std::string> QtFileDialogs::saveSchedule(const std::string& currentFile) {
  QFileDialog dialog(ParentOf(parent_), QString(), QString(), QtFilter("Tollvane|*.txt"));
  UseOwnWidgets(dialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (!currentFile.empty())
    dialog.selectFile(QString::fromStdString(currentFile));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  return QDir::toNativeSeparators(dialog.selectedFiles().constFirst()).toStdString();
}

std::optional<std::string> QtFileDialogs::openCsv() {
  QFileDialog dialog(ParentOf(parent_), QString::fromUtf8(text::window::kImportTitle), QString(),
                     QtFilter(text::window::kCsvFilter));
  UseOwnWidgets(dialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  return QDir::toNativeSeparators(dialog.selectedFiles().constFirst()).toStdString();
}

std::optional<std::string> QtFileDialogs::saveCsv(const std::string& suggested) {
  QFileDialog dialog(ParentOf(parent_), QString::fromUtf8(text::window::kExportTitle), QString(),
                     QtFilter("CSV|*.csv"));
  UseOwnWidgets(dialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("csv"));
  dialog.selectFile(QString::fromStdString(suggested));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  return QDir::toNativeSeparators(dialog.selectedFiles().constFirst()).toStdString();
}

std::optional<std::string> QtSoundFileChooser::chooseSoundFile(QWidget* parent) {
  QFileDialog dialog(parent, QStringLiteral("サウンドファイルを指定してください"),
                     QDir::currentPath(),
                     QtFilter("サウンド(*.mp3)|*.mp3|サウンド(*.wav)|*.wav|サウンド(*.wma)|*.wma"));
  UseOwnWidgets(dialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // A typed name is taken even before its file exists, like every other registered text.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("mp3"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  const QFileInfo chosen(dialog.selectedFiles().constFirst());
  QDir::setCurrent(chosen.absolutePath());
  return chosen.absoluteFilePath().toStdString();
}

}  // namespace tollvane

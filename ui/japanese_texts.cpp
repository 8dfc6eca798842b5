#include "ui/japanese_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <cstring>

namespace tollvane {

namespace {

struct QtText {
  const char* context;
  const char* source;
  const char* disambiguation;  // empty for none
  const char* japanese;
};

// The wording follows qtbase_ja, so that the texts read the same whichever answers.
// clang-format off
constexpr QtText kQtTexts[] = {
    {"QPlatformTheme", "OK", "", "OK"},
    {"QPlatformTheme", "Cancel", "", "キャンセル"},
    {"QPlatformTheme", "&Yes", "", "はい(&Y)"},
    {"QPlatformTheme", "&No", "", "いいえ(&N)"},
    {"QPlatformTheme", "Open", "", "開く"},
    {"QPlatformTheme", "Save", "", "保存"},
    {"QPlatformTheme", "Close", "", "閉じる"},
    // The GNOME theme's own button texts, used under that desktop.
    {"QGnomeTheme", "&OK", "", "&OK"},
    {"QGnomeTheme", "&Cancel", "", "キャンセル(&C)"},
    {"QGnomeTheme", "&Save", "", "保存(&S)"},
    {"QGnomeTheme", "&Close", "", "閉じる(&C)"},
    {"QFileDialog", "Look in:", "", "アドレス:"},
    {"QFileDialog", "File &name:", "", "ファイル名(&N):"},
    {"QFileDialog", "Files of type:", "", "ファイルの種類:"},
    {"QFileDialog", "&Open", "", "開く(&O)"},
    {"QFileDialog", "&Save", "", "保存(&S)"},
    {"QFileDialog", "Back", "", "戻る"},
    {"QFileDialog", "Forward", "", "進む"},
    {"QFileDialog", "Parent Directory", "", "親ディレクトリ"},
    {"QFileDialog", "Create New Folder", "", "新しいフォルダの作成"},
    {"QFileDialog", "List View", "", "一覧表示"},
    {"QFileDialog", "Detail View", "", "詳細表示"},
    {"QFileDialog", "All Files (*)", "", "すべてのファイル(*)"},
    {"QFileDialog", "Show ", "", "表示"},
    {"QFileDialog", "&Rename", "", "名前の変更(&R)"},
    {"QFileDialog", "&Delete", "", "削除(&D)"},
    {"QFileDialog", "Show &hidden files", "", "隠しファイルの表示(&H)"},
    {"QFileDialog", "&New Folder", "", "新しいフォルダ(&N)"},
    {"QFileDialog", "New Folder", "", "新しいフォルダ"},
    {"QFileSystemModel", "Name", "", "名前"},
    {"QFileSystemModel", "Size", "", "サイズ"},
    {"QFileSystemModel", "Type", "All other platforms", "タイプ"},
    {"QFileSystemModel", "Date Modified", "", "更新日"},
    {"QFileSystemModel", "Computer", "", "コンピュータ"},
    // Missing from qtbase_ja: the Type column of every folder and drive.
    {"QAbstractFileIconProvider", "Folder", "All other platforms", "フォルダ"},
    {"QAbstractFileIconProvider", "Drive", "", "ドライブ"},
    {"QAbstractFileIconProvider", "File", "", "ファイル"},
    {"QAbstractFileIconProvider", "%1 File", "", "%1 ファイル"},
    {"QLineEdit", "&Undo", "", "元に戻す(&U)"},
    {"QLineEdit", "&Redo", "", "やり直す(&R)"},
    {"QLineEdit", "Cu&t", "", "切り取り(&T)"},
    {"QLineEdit", "&Copy", "", "コピー(&C)"},
    {"QLineEdit", "&Paste", "", "貼り付け(&P)"},
    {"QLineEdit", "Delete", "", "削除"},
    {"QLineEdit", "Select All", "", "すべてを選択"},
    {"QWidgetTextControl", "&Copy", "", "コピー(&C)"},
    {"QWidgetTextControl", "Select All", "", "すべてを選択"},
};
// clang-format on

}  // namespace

QString JapaneseQtTexts::translate(const char* context, const char* sourceText,
                                   const char* disambiguation, int) const {
  if (context == nullptr || sourceText == nullptr)
    return {};
  const char* wanted = disambiguation != nullptr ? disambiguation : "";
  for (const QtText& text : kQtTexts) {
    if (std::strcmp(text.context, context) == 0 && std::strcmp(text.source, sourceText) == 0 &&
        std::strcmp(text.disambiguation, wanted) == 0) {
      return QString::fromUtf8(text.japanese);
    }
  }
  return {};  // a null text: the next translator, or Qt's English
}

QList<QTranslator*> InstallJapaneseTexts() {
  QList<QTranslator*> installed;
  QCoreApplication* app = QCoreApplication::instance();
  // Installed first, so asked last: Qt's own translations answer before it.
  auto* ours = new JapaneseQtTexts(app);
  QCoreApplication::installTranslator(ours);
  installed << ours;
  auto* qt = new QTranslator(app);
  if (qt->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt);
    installed << qt;
  } else {
    delete qt;
  }
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  return installed;
}

}  // namespace tollvane

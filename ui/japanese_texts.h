// Qt's own texts in Japanese, whatever the locale the program starts under.
#pragma once

#include <QList>
#include <QTranslator>

namespace tollvane {

// The Japanese for the Qt texts the windows can show: message box buttons, the file dialog's
// labels, buttons, columns and menus, and the text fields' context menus. It answers only
// for those, so it serves behind Qt's own translations (which lack a few of them, the
// folder type among them) and in their place where they are not installed.
class JapaneseQtTexts : public QTranslator {
 public:
  using QTranslator::QTranslator;
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* sourceText, const char* disambiguation,
                    int n) const override;
};

// Installs Qt's own Japanese (qtbase_ja) in front of JapaneseQtTexts and makes Japanese the
// default locale, so that file type names read in Japanese too. The application owns the
// translators; they are returned so that a test can take them out again.
QList<QTranslator*> InstallJapaneseTexts();

}  // namespace tollvane

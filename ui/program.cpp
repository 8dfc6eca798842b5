#include "ui/program.h"

#include <QMessageBox>
#include <QSessionManager>
#include <QTimer>
#include <exception>
#include <memory>

#include "audio/gst_sound_player.h"
#include "desktop/logind_inhibitor.h"
#include "desktop/session_end.h"
#include "desktop/timedate_clock_sync.h"
#include "engine/local_time.h"
#include "engine/texts.h"
#include "lifecycle/autosave.h"
#include "lifecycle/start_up.h"
#include "record/bell_record.h"
#include "record/journal.h"
#include "record/record_files.h"
#include "settings/settings_file.h"
#include "settings/settings_location.h"
#include "ui/Unit1.h"
#include "ui/guard.h"
#include "ui/library_messages.h"
#include "ui/qt_services.h"
#include "ui/window_texts.h"
#include "usbio/usbio_board.h"

namespace tollvane {

namespace {

// The collaborators of the real program; they outlive the windows that use them.
struct RealParts {
  SystemClock clock;
  BellRecord recorder{clock, DefaultRecordFolder(), {}, OpenSystemJournal()};
  // On the system bus, so after the application object.
  LogindInhibitor inhibitor{recorder};
  TimedateClockSync clockSync;
  UsbioBoard board{&ShowLibraryMessage};
  // The operator reads the player's errors in Japanese whatever the locale.
  GstSoundPlayer player{{}, SoundErrorTexts::kJapanese};
  GstSoundPlayer previewPlayer{{}, SoundErrorTexts::kJapanese};
  QtPrompts prompts;
  QtFileDialogs fileDialogs;
  QtSoundFileChooser soundChooser;

  MainWindowParts parts() {
    return MainWindowParts{clock,
                           board,
                           player,
                           previewPlayer,
                           prompts,
                           fileDialogs,
                           soundChooser,
                           SettingsFilePath(),
                           text::kAutosaveFile,
                           &recorder,
                           &inhibitor,
                           &clockSync,
                           DefaultRecordFolder().string()};
  }
};

// Errors of the entry itself happen outside the running loop, so this box waits.
void ShowEntryError(const std::exception& error) {
  QMessageBox box(QMessageBox::Critical, QString::fromUtf8(text::kProductName),
                  ErrorBoxText(QString::fromUtf8(error.what())), QMessageBox::Ok);
  box.exec();
}

}  // namespace

int RunProgram(int argc, char** argv, const std::function<void(TForm1&)>& whenShown) {
  TollvaneApplication app(argc, argv);
  try {
    InstallJapaneseTranslations();
    auto real = std::make_unique<RealParts>();
    SetErrorRecord(&real->recorder);
    SetLibraryMessageRecord(&real->recorder);
    real->recorder.record(
        text::record::kStart,
        text::Formatted(text::window::kStarted, TOLLVANE_VERSION, SettingsFilePath().c_str()));
    if (const std::string note = SettingsLocationNote(); !note.empty()) {
      real->recorder.record(text::record::kWarning, note);
    }
    for (const std::string& line : LeftSaveCopyLines()) {
      real->recorder.record(text::record::kWarning, line);
    }
    TForm1 form1(real->parts());
    // Logout and shutdown: the pages are saved without the close question, then the
    // program ends. The operator's own close still asks.
    SessionEnd sessionEnd(real->recorder);
    QObject::connect(&sessionEnd, &SessionEnd::sessionEnding, &form1, [&form1, &sessionEnd] {
      const SessionEndSteps steps = StepsFor(SessionEndCause::kEnding);
      if (steps.save) {
        form1.SaveForSessionEnd();
      }
      if (steps.releaseDelay) {
        sessionEnd.saved();
      }
      if (steps.exit) {
        // exit(), not quit(): quit() would try to close the window, which asks its question.
        QCoreApplication::exit(0);
      }
    });
    // A checkpoint, or a logout the user may still cancel: saved from a copy of the pages,
    // and the program goes on exactly as it was.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form1, [&form1](QSessionManager&) {
      if (StepsFor(SessionEndCause::kCheckpoint).save) {
        form1.SaveForCheckpoint();
      }
    });
    form1.show();
    if (whenShown) {
      // Queued behind the window's own start-up reload offer.
      QTimer::singleShot(0, &form1, [&form1, &whenShown] { whenShown(form1); });
    }
    app.exec();
    real->recorder.record(text::record::kEnd, text::window::kEnded);
    SetErrorRecord(nullptr);
    SetLibraryMessageRecord(nullptr);
  } catch (const std::exception& error) {
    ShowEntryError(error);
  }
  return 0;
}

}  // namespace tollvane

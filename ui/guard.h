// Every slot and event handler of the windows runs through Guard, so that no exception ever
// crosses Qt's event loop: an error ends the handler where it was raised and is shown in the
// program's standard error box, after which the program goes on.
#pragma once

#include <QApplication>
#include <QString>
#include <functional>

class QWidget;

namespace tollvane {

class Recorder;

// Every error text that reaches an error box also goes to this record (null: none).
void SetErrorRecord(Recorder* recorder);

// The error's text as the box shows it: a "." appended unless it already ends with one.
QString ErrorBoxText(const QString& what);

// Shows the standard error box (title "Tollvane", error icon, OK) without a nested event loop.
// A box with the same text that is still open is not shown a second time, so a handler that
// fails every few seconds cannot pile boxes up.
void ShowErrorBox(QWidget* parent, const QString& what);

// Number of error boxes currently open (for the windows' own checks and for tests).
int OpenErrorBoxCount();

// Runs the handler; on an exception shows the error box and returns false.
bool Guard(QWidget* parent, const std::function<void()>& handler);

// The application object. notify is the last-resort net for an exception that escaped a
// handler without a Guard.
class TollvaneApplication : public QApplication {
 public:
  TollvaneApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace tollvane

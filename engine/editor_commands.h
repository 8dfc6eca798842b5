// The main window's file commands, tab copy and paste, and its start and close steps, without
// any window: New, Open, Save, Save As, dropped files, Copy, Paste, FormCreate, FormShow,
// FormCloseQuery.
#pragma once

#include <string>
#include <vector>

#include "engine/arming.h"
#include "engine/interfaces.h"
#include "engine/week_schedule.h"
#include "lifecycle/autosave.h"
#include "schedule/page_texts.h"
#include "schedule/schedule_file.h"

namespace tollvane {

struct EditorParts {
  ProgramData& data;
  PageTexts& pages;
  MainView& view;
  Prompts& prompts;
  FileDialogs& dialogs;
  Board& board;
  const Clock& clock;
  // Optional: the sleep lock released and the record told when a file command disarms, and
  // the record told of every file written.
  ArmWatchers watchers{};
};

class EditorCommands {
 public:
  explicit EditorCommands(const EditorParts& parts);

  // Start and close.
  void FormCreate(const std::string& settingsPath);  // settings, today's page, output off, reset
  void FormShow(const std::string& autosavePath);    // offer to reload the last schedule
  bool FormCloseQuery(const std::string& autosavePath);  // true when the window may close
  // The unattended start: reloads the last schedule as if Yes had been answered. False, with
  // a warning in the record, when there is nothing to reload.
  bool ReloadWithoutAsking(const std::string& autosavePath);
  // An automatic save (the session's end, a checkpoint): a copy of the pages goes to the
  // auto-save file without a question, when the pages hold what that file should hold. The
  // WeekSchedule is left as it is. A page that does not convert raises its error.
  AutosaveOutcome SaveForSessionEnd(const std::string& autosavePath);
  // The operator changed a drop-down.
  void PageEdited() { trust_.edited(); }
  const AutosaveTrust& trust() const { return trust_; }
  // The error of the last failed unattended reload.
  const std::string& reloadError() const { return reloadError_; }

  // File menu and dropped files.
  void N1Click();
  void Open1Click();
  void Save1Click();
  void SaveAs1Click();
  void DropFiles(const std::vector<std::string>& files);
  void OpenScheduleFile(const std::string& path);

  // Context menu of the page control.
  void Copy1Click();
  void Paste1Click();

  const std::string& currentFile() const { return currentFile_; }
  const LineBuffer& lineBuffer() const { return memo2_; }

 private:
  void BuildLinesForSave();
  void ReloadLines();
  void StoreRecorded(const std::string& path);
  void SetSave1Enabled(bool enabled);

  EditorParts p_;
  LineBuffer memo2_;
  std::string currentFile_;
  AutosaveTrust trust_;
  std::string reloadError_;
  int copySource_ = 0;         // 0 = nothing copied, else 1..5 = Mon..Fri
  bool save1Enabled_ = false;  // mirrors the menu item, which the view does not report back
};

}  // namespace tollvane

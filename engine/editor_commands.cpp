#include "engine/editor_commands.h"

#include <exception>
#include <optional>

#include "engine/arming.h"
#include "engine/local_time.h"
#include "engine/texts.h"
#include "schedule/tabs.h"
#include "settings/settings_file.h"

namespace tollvane {

namespace {

constexpr const char* kReloadQuestion = "閉じる前のデータを読み込みますか";
constexpr const char* kReloadedCaption = "直前のデータ";
constexpr const char* kCloseQuestion =
    "チャイムは鳴らなくなります。\n閉じる前にこの設定を保存します。";
constexpr const char* kNewQuestion = "新規に作成します。\n表示されているデータは消えます";
constexpr const char* kOverwriteQuestion = "上書きしますか？(追加の場合はキャンセル)";
constexpr const char* kCannotOpen = "ファイルがオープンできません";

// The drop service hands the name over in a buffer of 1024 bytes, terminator included.
constexpr std::size_t kMaxDroppedNameBytes = 1023;

// Mon..Fri are timetables 2..6; the copy source numbers them 1..5.
constexpr int kFirstWeekday = 2;
constexpr int kLastWeekday = 6;

bool IsWeekdayPage(int timetable) {
  return timetable >= kFirstWeekday && timetable <= kLastWeekday;
}

std::string FileNameOnly(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string CaptionFor(const std::string& path) {
  return std::string(text::kApplicationTitle) + FileNameOnly(path);
}

}  // namespace

EditorCommands::EditorCommands(const EditorParts& parts) : p_(parts) {}

void EditorCommands::FormCreate(const std::string& settingsPath) {
  ReadSettings(settingsPath, p_.data.soundTable, p_.data.holidayList);
  p_.view.setActivePage(BreakDown(p_.clock.now().localSeconds).weekday);
  p_.board.outputOff();
  ResetWeekSchedule(p_.data.weekSchedule);
}

void EditorCommands::FormShow(const std::string& autosavePath) {
  // Nothing here may stop the start: a missing or broken auto-save file just means no reload.
  try {
    LoadLines(memo2_, autosavePath);
  } catch (const std::exception&) {
    p_.view.bringToFront();
    return;
  }
  try {
    // While the question is open the pages are the empty ones: an automatic save in the
    // meantime must not take them for the schedule.
    trust_.reloadAsked();
    const bool yes = p_.prompts.ask(kReloadQuestion, text::kConfirm, Buttons::YesNo) == Answer::Yes;
    if (yes) {
      ReloadLines();
    }
    trust_.reloadAnswered(yes);
  } catch (const std::exception&) {
    trust_.reloadFailed();
  }
  p_.view.bringToFront();
}

void EditorCommands::ReloadLines() {
  // A conversion error leaves the records before it in the WeekSchedule and the pages as
  // they were; the next reset (arming, New, Open, Save) clears them.
  ParseScheduleRecords(memo2_, p_.data.weekSchedule);
  LoadAllTabs(p_.data.weekSchedule, p_.pages);
  ResetWeekSchedule(p_.data.weekSchedule);
  p_.view.setCaption(std::string(text::kApplicationTitle) + kReloadedCaption);
  memo2_.clear();
}

bool EditorCommands::ReloadWithoutAsking(const std::string& autosavePath) {
  Recorder* recorder = p_.watchers.recorder;
  bool reloaded = false;
  try {
    reloadError_.clear();
    LoadLines(memo2_, autosavePath);
    ReloadLines();
    reloaded = true;
    trust_.reloaded();
  } catch (const std::exception& error) {
    trust_.reloadFailed();
    reloadError_ = error.what();
    if (recorder != nullptr) {
      recorder->record(text::record::kWarning,
                       text::Formatted(text::line::kStartedEmpty, error.what()));
    }
  }
  p_.view.bringToFront();
  return reloaded;
}

AutosaveOutcome EditorCommands::SaveForSessionEnd(const std::string& autosavePath) {
  // Into a copy: a checkpoint may be followed by a cancelled logout, after which the program
  // goes on exactly as it was, armed or not.
  WeekSchedule pages;
  ResetWeekSchedule(pages);
  GatherAllTabs(pages, p_.pages);
  AutosaveOutcome outcome = SaveAutomatically(trust_, pages, autosavePath);
  if (p_.watchers.recorder != nullptr) {
    p_.watchers.recorder->record(outcome.written() ? text::record::kFile : text::record::kWarning,
                                 outcome.line);
  }
  return outcome;
}

void EditorCommands::StoreRecorded(const std::string& path) {
  StoreLines(memo2_, path);
  if (p_.watchers.recorder != nullptr) {
    p_.watchers.recorder->record(text::record::kFile,
                                 text::Formatted(text::line::kScheduleSaved, path.c_str()));
  }
}

bool EditorCommands::FormCloseQuery(const std::string& autosavePath) {
  const Answer answer = p_.prompts.ask(kCloseQuestion, text::kWarning, Buttons::YesNoCancel);
  if (answer == Answer::No) {
    return true;
  }
  if (answer != Answer::Yes) {
    return false;
  }
  memo2_.clear();
  // Gathered into the WeekSchedule itself, armed or not: what the pages show is saved. When
  // the save fails the window stays open and the gathered slots stay where the tick finds
  // them, as after any other gather stopped half-way.
  GatherAllTabs(p_.data.weekSchedule, p_.pages);
  BuildScheduleLines(p_.data.weekSchedule, memo2_);
  StoreRecorded(autosavePath);
  memo2_.clear();
  return true;
}

void EditorCommands::N1Click() {
  if (p_.prompts.ask(kNewQuestion, text::kWarning, Buttons::OkCancel) != Answer::Ok) {
    return;
  }
  ResetWeekSchedule(p_.data.weekSchedule);
  LoadAllTabs(p_.data.weekSchedule, p_.pages);
  trust_.edited();
  currentFile_.clear();
  SetSave1Enabled(false);
  p_.view.setCaption(text::kApplicationTitle);
}

void EditorCommands::Open1Click() {
  // Before the dialog, so nothing armed rings while the operator chooses, cancel or not.
  if (IsArmed(p_.view)) {
    Disarm(p_.data.weekSchedule, p_.view, p_.watchers);
  }
  const std::optional<std::string> chosen = p_.dialogs.openSchedule();
  if (!chosen) {
    return;
  }
  currentFile_ = *chosen;
  SetSave1Enabled(true);
  LoadLines(memo2_, currentFile_);
  p_.view.setCaption(CaptionFor(currentFile_));
  ReadScheduleFile(ReadMode::Overwrite, memo2_, p_.data.weekSchedule, p_.pages);
  trust_.fileOpened();
  memo2_.clear();
}

void EditorCommands::Save1Click() {
  // Save1 is disabled until a file is opened; a stray shortcut must not write to "".
  if (!save1Enabled_) {
    return;
  }
  BuildLinesForSave();
  StoreRecorded(currentFile_);
}

void EditorCommands::SaveAs1Click() {
  BuildLinesForSave();
  const std::optional<std::string> chosen = p_.dialogs.saveSchedule(currentFile_);
  if (!chosen) {
    return;
  }
  currentFile_ = *chosen;
  StoreRecorded(currentFile_);
  p_.view.setCaption(CaptionFor(currentFile_));
}

void EditorCommands::BuildLinesForSave() {
  // While armed the armed copy is what gets saved; otherwise the pages, after which the
  // WeekSchedule goes back to the reset state that keeps an unarmed system silent.
  const bool armed = IsArmed(p_.view);
  if (!armed) {
    GatherAllTabs(p_.data.weekSchedule, p_.pages);
  }
  BuildScheduleLines(p_.data.weekSchedule, memo2_);
  if (!armed) {
    ResetWeekSchedule(p_.data.weekSchedule);
  }
}

void EditorCommands::DropFiles(const std::vector<std::string>& files) {
  if (files.empty()) {
    return;
  }
  p_.view.bringToFront();
  const std::string& name = files.front();
  if (name.size() > kMaxDroppedNameBytes) {
    p_.prompts.ask(kCannotOpen, text::kWarning, Buttons::Ok);
    return;
  }
  try {
    OpenScheduleFile(name);
  } catch (const std::exception&) {
    p_.prompts.ask(kCannotOpen, text::kWarning, Buttons::Ok);
  }
}

void EditorCommands::OpenScheduleFile(const std::string& path) {
  if (IsArmed(p_.view)) {
    Disarm(p_.data.weekSchedule, p_.view, p_.watchers);
  }
  LoadLines(memo2_, path);
  if (p_.prompts.ask(kOverwriteQuestion, text::kChoice, Buttons::YesNo) == Answer::Yes) {
    ReadScheduleFile(ReadMode::Overwrite, memo2_, p_.data.weekSchedule, p_.pages);
    p_.view.setCaption(CaptionFor(path));
    currentFile_ = path;
    SetSave1Enabled(true);
  } else {
    ReadScheduleFile(ReadMode::Append, memo2_, p_.data.weekSchedule, p_.pages);
  }
  trust_.fileOpened();
  memo2_.clear();
}

void EditorCommands::Copy1Click() {
  const int page = p_.view.activePage();
  if (!IsWeekdayPage(page)) {
    return;
  }
  copySource_ = page - kFirstWeekday + 1;
  p_.view.setPaste1Enabled(true);
  GatherTab(p_.data.weekSchedule, p_.pages, page);
}

void EditorCommands::Paste1Click() {
  const int page = p_.view.activePage();
  // Paste1 stays disabled until the first Copy; reloading the page from an uncopied
  // Timetable would throw away what it shows.
  if (!IsWeekdayPage(page) || copySource_ == 0) {
    return;
  }
  const int target = page - kFirstWeekday + 1;
  if (copySource_ != target) {
    const int source = copySource_ + kFirstWeekday - 1;
    p_.data.weekSchedule.timetables[page - 1] = p_.data.weekSchedule.timetables[source - 1];
  }
  LoadTab(p_.data.weekSchedule, p_.pages, page);
  trust_.edited();
}

void EditorCommands::SetSave1Enabled(bool enabled) {
  save1Enabled_ = enabled;
  p_.view.setSave1Enabled(enabled);
}

}  // namespace tollvane

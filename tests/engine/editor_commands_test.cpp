#include "engine/editor_commands.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "engine/errors.h"
#include "engine/local_time.h"
#include "engine/texts.h"
#include "support/fakes.h"
#include "support/scratch_folder.h"

namespace tollvane {
namespace {

namespace fs = std::filesystem;
using testing::FakeClock;
using testing::MapPageTexts;
using testing::RecordingBoard;
using testing::RecordingView;
using testing::ScriptedFileDialogs;
using testing::ScriptedPrompts;

const std::string kTitle = text::kApplicationTitle;
const std::string kReloadQuestion = "閉じる前のデータを読み込みますか";
const std::string kCloseQuestion = "チャイムは鳴らなくなります。\n閉じる前にこの設定を保存します。";
const std::string kNewQuestion = "新規に作成します。\n表示されているデータは消えます";
const std::string kOverwriteQuestion = "上書きしますか？(追加の場合はキャンセル)";
const std::string kCannotOpen = "ファイルがオープンできません";

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) {
    text += line + "\r\n";
  }
  return text;
}

// The file a schedule saves to, built independently of the writer: 8, then 1..7, 24 slots each.
std::string ExpectedFile(const WeekSchedule& schedule) {
  std::vector<std::string> lines;
  for (int t : {8, 1, 2, 3, 4, 5, 6, 7}) {
    for (int n = 1; n <= kSlotsPerTimetable; ++n) {
      const BellSlot& slot = schedule.at(t, n);
      for (int value : {t, slot.hour, slot.minute, slot.sound}) {
        lines.push_back(std::to_string(value));
      }
    }
  }
  return Lines(lines);
}

WeekSchedule ResetSchedule() {
  WeekSchedule schedule;
  ResetWeekSchedule(schedule);
  return schedule;
}

class EditorCommandsTest : public ::testing::Test {
 protected:
  EditorCommandsTest() { ResetWeekSchedule(data.weekSchedule); }

  void Arm(const WeekSchedule& armedCopy) {
    view.button2 = text::kDisarm;
    view.memo1 = {"USBIO", "0", "セット"};
    data.weekSchedule = armedCopy;
  }
  bool Armed() const { return view.button2 != text::kArm; }
  void ExpectDisarmed() {
    EXPECT_EQ(view.button2, text::kArm);
    EXPECT_TRUE(view.memo1.empty());
  }
  void ExpectSlot(int timetable, int slot, BellSlot expected) {
    const BellSlot& got = data.weekSchedule.at(timetable, slot);
    EXPECT_EQ(got.hour, expected.hour) << timetable << "/" << slot;
    EXPECT_EQ(got.minute, expected.minute) << timetable << "/" << slot;
    EXPECT_EQ(got.sound, expected.sound) << timetable << "/" << slot;
  }
  // Reset: every slot 0:00 with sound 1, the state in which nothing rings.
  void ExpectReset() {
    int filled = 0;
    for (const auto& timetable : data.weekSchedule.timetables) {
      for (const BellSlot& slot : timetable) {
        filled += slot.hour != 0 || slot.minute != 0 || slot.sound != 1;
      }
    }
    EXPECT_EQ(filled, 0) << "slots not in the reset state";
  }
  void SetRow(const std::string& prefixAndSlot, const std::string& hour, const std::string& minute,
              const std::string& sound) {
    pages.setText(prefixAndSlot + "ji", hour);
    pages.setText(prefixAndSlot + "fu", minute);
    pages.setText(prefixAndSlot + "snd", sound);
  }
  std::vector<std::string> Row(const std::string& prefixAndSlot) const {
    return {pages.text(prefixAndSlot + "ji"), pages.text(prefixAndSlot + "fu"),
            pages.text(prefixAndSlot + "snd")};
  }
  using Texts = std::vector<std::string>;

  testing::ScratchFolder folder;
  ProgramData data;
  MapPageTexts pages;
  RecordingView view;
  ScriptedPrompts prompts;
  ScriptedFileDialogs dialogs;
  RecordingBoard board;
  FakeClock clock;
  EditorCommands commands{EditorParts{data, pages, view, prompts, dialogs, board, clock}};
};

// ---------------------------------------------------------------------------------------------
// Start: FormCreate and the reload offer of FormShow.

TEST_F(EditorCommandsTest, CreateReadsSettingsShowsTodaysPageDrivesOutputOffAndResets) {
  const std::string ini = folder.file("Tollvane.INI");
  testing::WriteBytes(ini,
                      "[SOUND]\r\nItem1=bell.wav\r\nItem2=end.mp3\r\n[HOLIDAY]\r\nDay1= 5/ 3\r\n");
  clock.time.localSeconds = LocalSecondsOf(2026, 12, 9, 7, 59, 0);  // a Wednesday
  data.weekSchedule = {};                                           // as before creation

  commands.FormCreate(ini);

  EXPECT_EQ(data.soundTable[1], "bell.wav");
  EXPECT_EQ(data.soundTable[2], "end.mp3");
  EXPECT_EQ(data.holidayList.count, 1);
  EXPECT_EQ(data.holidayList.at(1).month, 5);
  EXPECT_EQ(view.page, 4);
  EXPECT_EQ(board.events, (std::vector<std::string>{"off"}));
  ExpectReset();
  EXPECT_EQ(view.button3Visible, false);  // the off writes touch no control
  EXPECT_EQ(view.checkBox1, false);
}

TEST_F(EditorCommandsTest, CreateStopsAtABrokenHolidayWithoutTheLaterSteps) {
  const std::string ini = folder.file("Tollvane.INI");
  testing::WriteBytes(ini, "[HOLIDAY]\r\nDay1=May/3\r\n");
  clock.time.localSeconds = LocalSecondsOf(2026, 12, 7, 8, 0, 0);  // a Monday
  data.weekSchedule = {};

  EXPECT_THROW(commands.FormCreate(ini), ConversionError);
  EXPECT_EQ(view.page, 8);
  EXPECT_TRUE(board.events.empty());
  EXPECT_EQ(data.weekSchedule.at(1, 1).sound, 0);  // not reset
}

TEST_F(EditorCommandsTest, ShowWithoutAReadableAutosaveAsksNothing) {
  const std::string folderInTheWay = folder.file("dir.dat");
  fs::create_directory(folderInTheWay);
  for (const std::string& path : {folder.file("dorrel.dat"), folderInTheWay}) {
    commands.FormShow(path);
    EXPECT_TRUE(prompts.asked.empty()) << path;
  }
  EXPECT_EQ(view.caption, kTitle);
  EXPECT_EQ(view.raised, 2);
  EXPECT_TRUE(commands.lineBuffer().empty());
}

TEST_F(EditorCommandsTest, ShowYesReloadsThePagesAndLeavesTheScheduleUnarmed) {
  const std::string autosave = folder.file("dorrel.dat");
  // Interleaved records fill each timetable from slot 1 in its own order; timetable 0 and 9
  // are skipped without converting their other lines; an empty sound line gives sound 0.
  testing::WriteBytes(autosave, Lines({"2", "8",   "30", "3",  //
                                       "8", "12",  "15", "2",  //
                                       "0", "abc", "x",  "y",  //
                                       "2", "9",   "0",  "",   //
                                       "9", "",    "",   "",   //
                                       "3", "",    "45", "5",  //
                                       "1"}));                 // trailing line, ignored
  prompts.answers = {Answer::Yes};

  commands.FormShow(autosave);

  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text, kReloadQuestion);
  EXPECT_EQ(prompts.asked[0].caption, "確認");
  EXPECT_EQ(prompts.asked[0].buttons, Buttons::YesNo);
  EXPECT_EQ(Row("mo01"), (Texts{"8", "30", "3"}));
  EXPECT_EQ(Row("mo02"), (Texts{"9", "0", "0"}));
  EXPECT_EQ(Row("mo03"), (Texts{"", "", "1"}));
  EXPECT_EQ(Row("ak01"), (Texts{"12", "15", "2"}));
  EXPECT_EQ(Row("tu01"), (Texts{"", "", "5"}));
  EXPECT_EQ(Row("su01"), (Texts{"", "", "1"}));
  ExpectReset();
  EXPECT_EQ(view.caption, kTitle + "直前のデータ");
  EXPECT_TRUE(commands.lineBuffer().empty());
  EXPECT_EQ(view.raised, 1);
  EXPECT_FALSE(Armed());
}

TEST_F(EditorCommandsTest, ShowNoKeepsPagesAndCaptionButTheBufferHoldsTheLines) {
  const std::string autosave = folder.file("dorrel.dat");
  testing::WriteBytes(autosave, Lines({"2", "8", "30", "3"}));
  SetRow("mo01", "10", "5", "4");
  prompts.answers = {Answer::No};

  commands.FormShow(autosave);

  EXPECT_EQ(Row("mo01"), (Texts{"10", "5", "4"}));
  EXPECT_EQ(view.caption, kTitle);
  ExpectReset();
  EXPECT_EQ(commands.lineBuffer(), (Texts{"2", "8", "30", "3"}));
  EXPECT_EQ(view.raised, 1);
}

TEST_F(EditorCommandsTest, ShowIgnoresRecordsPastTheTwentyFourthOfATimetable) {
  const std::string autosave = folder.file("dorrel.dat");
  std::vector<std::string> lines;
  for (int n = 1; n <= 30; ++n) {
    lines.insert(lines.end(), {"2", std::to_string(n), "5", "2"});
  }
  lines.insert(lines.end(), {"3", "9", "10", "4"});
  testing::WriteBytes(autosave, Lines(lines));
  prompts.answers = {Answer::Yes};

  commands.FormShow(autosave);

  EXPECT_EQ(Row("mo01"), (Texts{"1", "5", "2"}));
  EXPECT_EQ(Row("mo24"), (Texts{"24", "5", "2"}));
  EXPECT_EQ(Row("tu01"), (Texts{"9", "10", "4"}));  // the records after the surplus still count
  EXPECT_EQ(Row("we01"), (Texts{"", "", "1"}));     // nothing spilled into the next timetable
  ExpectReset();
  EXPECT_EQ(view.caption, kTitle + "直前のデータ");
}

TEST_F(EditorCommandsTest, ShowSwallowsAConversionErrorAndKeepsTheRecordsBeforeIt) {
  const std::string autosave = folder.file("dorrel.dat");
  testing::WriteBytes(autosave, Lines({"2", "8", "30", "3",  //
                                       "5", "7", "0", "1",   //
                                       "5", "abc", "0", "1"}));
  SetRow("mo01", "10", "5", "4");
  prompts.answers = {Answer::Yes};

  EXPECT_NO_THROW(commands.FormShow(autosave));

  // The records before the bad line sit in the WeekSchedule, where the tick would ring them.
  ExpectSlot(2, 1, {8, 30, 3});
  ExpectSlot(5, 1, {7, 0, 1});
  ExpectSlot(5, 2, {0, 0, 1});
  EXPECT_EQ(Row("mo01"), (Texts{"10", "5", "4"}));  // pages not reloaded
  EXPECT_EQ(view.caption, kTitle);
  EXPECT_EQ(view.raised, 1);
  EXPECT_EQ(commands.lineBuffer().size(), 12u);  // never reached the clear after the reload
}

// ---------------------------------------------------------------------------------------------
// Close: the question and the save to the auto-save file.

TEST_F(EditorCommandsTest, CloseYesSavesWhatThePagesShowEvenWhileArmed) {
  const std::string autosave = folder.file("dorrel.dat");
  testing::WriteBytes(autosave, "old");
  WeekSchedule armed = ResetSchedule();
  armed.at(4, 1) = {11, 0, 2};
  Arm(armed);
  SetRow("mo01", "8", "30", "3");
  SetRow("ak24", "", "45", "");
  prompts.answers = {Answer::Yes};

  EXPECT_TRUE(commands.FormCloseQuery(autosave));

  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text, kCloseQuestion);
  EXPECT_EQ(prompts.asked[0].caption, "警告");
  EXPECT_EQ(prompts.asked[0].buttons, Buttons::YesNoCancel);
  WeekSchedule expected = ResetSchedule();
  expected.at(2, 1) = {8, 30, 3};
  expected.at(8, 24) = {0, 45, 1};
  EXPECT_EQ(testing::ReadBytes(autosave), ExpectedFile(expected));
  EXPECT_TRUE(commands.lineBuffer().empty());
  ExpectSlot(4, 1, {0, 0, 1});  // the armed copy gave way to the gathered pages
  ExpectSlot(2, 1, {8, 30, 3});
}

TEST_F(EditorCommandsTest, CloseNoAndCancelWriteNothing) {
  const std::string autosave = folder.file("dorrel.dat");
  SetRow("mo01", "8", "30", "3");
  prompts.answers = {Answer::No, Answer::Cancel};

  EXPECT_TRUE(commands.FormCloseQuery(autosave));
  EXPECT_FALSE(commands.FormCloseQuery(autosave));

  EXPECT_FALSE(fs::exists(autosave));
  ExpectReset();
}

TEST_F(EditorCommandsTest, CloseSaveFailurePropagatesWithThePagesGatheredIntoTheSchedule) {
  // A folder where the file should be: the store fails.
  const std::string autosave = folder.file("dorrel.dat");
  fs::create_directory(autosave);
  SetRow("mo01", "8", "30", "3");
  prompts.answers = {Answer::Yes};
  try {
    commands.FormCloseQuery(autosave);
    ADD_FAILURE() << "no error";
  } catch (const FileCreateError& error) {
    EXPECT_EQ(std::string(error.what()), "ファイル " + autosave + " を作成できません");
  }
  // The window stays open; the gather went into the WeekSchedule and stays there.
  ExpectSlot(2, 1, {8, 30, 3});
  EXPECT_EQ(commands.lineBuffer().size(), 768u);

  // A drop-down that does not convert stops the save before anything is written; the slots
  // before it are gathered, the later pages untouched.
  ResetWeekSchedule(data.weekSchedule);
  data.weekSchedule.at(4, 1) = {9, 9, 9};
  const std::string elsewhere = folder.file("other.dat");
  SetRow("tu03", "8", "x", "1");
  prompts.answers = {Answer::Yes};
  EXPECT_THROW(commands.FormCloseQuery(elsewhere), ConversionError);
  EXPECT_FALSE(fs::exists(elsewhere));
  ExpectSlot(2, 1, {8, 30, 3});
  ExpectSlot(3, 3, {8, 0, 1});
  ExpectSlot(4, 1, {9, 9, 9});
  EXPECT_TRUE(commands.lineBuffer().empty());
}

// ---------------------------------------------------------------------------------------------
// File menu: New, Open, Save, Save As.

TEST_F(EditorCommandsTest, NewEmptiesThePagesAndForgetsTheFileButDoesNotDisarm) {
  WeekSchedule armed = ResetSchedule();
  armed.at(2, 1) = {8, 30, 3};
  Arm(armed);
  SetRow("mo01", "8", "30", "3");
  view.caption = kTitle + "week.txt";
  view.save1Enabled = true;

  prompts.answers = {Answer::Cancel};
  commands.N1Click();
  EXPECT_EQ(Row("mo01"), (Texts{"8", "30", "3"}));
  ExpectSlot(2, 1, {8, 30, 3});
  EXPECT_TRUE(view.save1Enabled);

  prompts.answers = {Answer::Ok};
  commands.N1Click();
  ASSERT_EQ(prompts.asked.size(), 2u);
  EXPECT_EQ(prompts.asked[1].text, kNewQuestion);
  EXPECT_EQ(prompts.asked[1].caption, "警告");
  EXPECT_EQ(prompts.asked[1].buttons, Buttons::OkCancel);
  EXPECT_EQ(Row("mo01"), (Texts{"", "", "1"}));
  ExpectReset();
  EXPECT_EQ(commands.currentFile(), "");
  EXPECT_FALSE(view.save1Enabled);
  EXPECT_EQ(view.caption, kTitle);
  EXPECT_EQ(view.button2, text::kDisarm);  // still reads armed, with the listing
  EXPECT_EQ(view.memo1.size(), 3u);
}

TEST_F(EditorCommandsTest, OpenDisarmsLoadsThePagesAndNamesTheFile) {
  const std::string path = folder.file("week.txt");
  testing::WriteBytes(path, Lines({"4", "13", "20", "6"}));
  WeekSchedule armed = ResetSchedule();
  armed.at(2, 1) = {8, 30, 3};
  Arm(armed);
  SetRow("mo01", "8", "30", "3");
  dialogs.answers = {path};

  commands.Open1Click();

  EXPECT_TRUE(prompts.asked.empty());  // never asks overwrite or append
  ExpectDisarmed();
  EXPECT_EQ(Row("we01"), (Texts{"13", "20", "6"}));
  EXPECT_EQ(Row("mo01"), (Texts{"", "", "1"}));
  ExpectReset();
  EXPECT_EQ(commands.currentFile(), path);
  EXPECT_TRUE(view.save1Enabled);
  EXPECT_EQ(view.caption, kTitle + "week.txt");
  EXPECT_TRUE(commands.lineBuffer().empty());
}

TEST_F(EditorCommandsTest, OpenCancelledStillDisarmsAndChangesNothingElse) {
  WeekSchedule armed = ResetSchedule();
  armed.at(2, 1) = {8, 30, 3};
  Arm(armed);
  SetRow("mo01", "8", "30", "3");
  dialogs.answers = {std::nullopt};

  commands.Open1Click();

  ExpectDisarmed();
  ExpectReset();
  EXPECT_EQ(Row("mo01"), (Texts{"8", "30", "3"}));
  EXPECT_EQ(commands.currentFile(), "");
  EXPECT_FALSE(view.save1Enabled);
  EXPECT_EQ(view.caption, kTitle);

  // Not armed: the dialog runs, nothing else happens.
  dialogs.answers = {std::nullopt};
  commands.Open1Click();
  EXPECT_EQ(view.button2, text::kArm);
}

TEST_F(EditorCommandsTest, OpenFailuresLeaveTheFileAlreadyChosen) {
  // A name typed into the dialog that does not exist.
  const std::string missing = folder.file("missing.txt");
  dialogs.answers = {missing};
  EXPECT_THROW(commands.Open1Click(), FileOpenError);
  EXPECT_EQ(commands.currentFile(), missing);
  EXPECT_TRUE(view.save1Enabled);
  EXPECT_EQ(view.caption, kTitle);

  // A conversion error: the caption changed, the pages did not.
  const std::string broken = folder.file("broken.txt");
  testing::WriteBytes(broken, Lines({"2", "8", "30", "3", "5", "abc", "0", "1"}));
  SetRow("mo01", "10", "5", "4");
  dialogs.answers = {broken};
  EXPECT_THROW(commands.Open1Click(), ConversionError);
  EXPECT_EQ(commands.currentFile(), broken);
  EXPECT_EQ(view.caption, kTitle + "broken.txt");
  EXPECT_EQ(Row("mo01"), (Texts{"10", "5", "4"}));
  ExpectSlot(2, 1, {8, 30, 3});
}

TEST_F(EditorCommandsTest, SaveWritesThePagesWhenNotArmedAndTheArmedCopyWhenArmed) {
  const std::string path = folder.file("week.txt");
  testing::WriteBytes(path, Lines({"2", "8", "30", "3"}));
  dialogs.answers = {path};
  commands.Open1Click();
  SetRow("th05", "14", "55", "10");

  commands.Save1Click();

  WeekSchedule expected = ResetSchedule();
  expected.at(2, 1) = {8, 30, 3};
  expected.at(5, 5) = {14, 55, 10};
  EXPECT_EQ(testing::ReadBytes(path), ExpectedFile(expected));
  ExpectReset();  // back to silence after the gather
  EXPECT_EQ(view.caption, kTitle + "week.txt");
  EXPECT_TRUE(commands.lineBuffer().empty());

  // Armed, then edited: the file gets the schedule as armed, and the armed copy stays.
  WeekSchedule armed = ResetSchedule();
  armed.at(7, 2) = {9, 0, 1};
  Arm(armed);
  SetRow("sa02", "10", "0", "1");
  commands.Save1Click();
  EXPECT_EQ(testing::ReadBytes(path), ExpectedFile(armed));
  ExpectSlot(7, 2, {9, 0, 1});
  EXPECT_EQ(view.button2, text::kDisarm);
}

TEST_F(EditorCommandsTest, SaveDoesNothingWhileSave1IsDisabled) {
  SetRow("mo01", "8", "30", "3");
  commands.Save1Click();
  EXPECT_TRUE(commands.lineBuffer().empty());
  EXPECT_TRUE(dialogs.saveInitial.empty());
}

TEST_F(EditorCommandsTest, SaveAsFromAFreshStartNamesTheFileButLeavesSave1Disabled) {
  const std::string path = folder.file("new.txt");
  SetRow("fr12", "16", "10", "7");
  dialogs.answers = {path};

  commands.SaveAs1Click();

  WeekSchedule expected = ResetSchedule();
  expected.at(6, 12) = {16, 10, 7};
  EXPECT_EQ(testing::ReadBytes(path), ExpectedFile(expected));
  EXPECT_EQ(dialogs.saveInitial, (Texts{""}));
  EXPECT_EQ(commands.currentFile(), path);
  EXPECT_EQ(view.caption, kTitle + "new.txt");
  EXPECT_FALSE(view.save1Enabled);
  ExpectReset();

  // The next Save As offers the current file; a cancel stores nothing and keeps the name.
  dialogs.answers = {std::nullopt};
  SetRow("fr12", "17", "10", "7");
  commands.SaveAs1Click();
  EXPECT_EQ(dialogs.saveInitial, (Texts{"", path}));
  EXPECT_EQ(testing::ReadBytes(path), ExpectedFile(expected));
  EXPECT_EQ(commands.currentFile(), path);
  ExpectReset();
}

TEST_F(EditorCommandsTest, SaveAsStoreFailureKeepsTheCaptionAndResetsTheSchedule) {
  const std::string folderInTheWay = folder.file("taken.txt");
  fs::create_directory(folderInTheWay);
  SetRow("mo01", "8", "30", "3");
  dialogs.answers = {folderInTheWay};

  EXPECT_THROW(commands.SaveAs1Click(), FileCreateError);

  EXPECT_EQ(view.caption, kTitle);
  EXPECT_EQ(commands.currentFile(), folderInTheWay);  // the dialog's name, stored or not
  ExpectReset();
  EXPECT_FALSE(commands.lineBuffer().empty());  // the built lines stay in the buffer
}

TEST_F(EditorCommandsTest, SaveStopsAtAConversionErrorBeforeStoring) {
  const std::string path = folder.file("week.txt");
  testing::WriteBytes(path, Lines({"2", "8", "30", "3"}));
  dialogs.answers = {path};
  commands.Open1Click();
  SetRow("mo01", "8", "30", "3");
  SetRow("tu01", "x", "0", "1");

  EXPECT_THROW(commands.Save1Click(), ConversionError);

  EXPECT_EQ(testing::ReadBytes(path), Lines({"2", "8", "30", "3"}));
  ExpectSlot(2, 1, {8, 30, 3});  // the gather got this far
}

// ---------------------------------------------------------------------------------------------
// Dropped files.

TEST_F(EditorCommandsTest, DropOverwriteReadsTheFirstFileAndMakesItCurrent) {
  const std::string first = folder.file("first.txt");
  const std::string second = folder.file("second.txt");
  testing::WriteBytes(first, Lines({"8", "12", "30", "2"}));
  testing::WriteBytes(second, Lines({"2", "8", "0", "1"}));
  WeekSchedule armed = ResetSchedule();
  armed.at(2, 1) = {8, 30, 3};
  Arm(armed);
  SetRow("mo01", "8", "30", "3");
  prompts.answers = {Answer::Yes};

  commands.DropFiles({first, second, folder.file("third.txt")});

  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text, kOverwriteQuestion);
  EXPECT_EQ(prompts.asked[0].caption, "選択");
  EXPECT_EQ(prompts.asked[0].buttons, Buttons::YesNo);
  ExpectDisarmed();
  EXPECT_EQ(Row("ak01"), (Texts{"12", "30", "2"}));
  EXPECT_EQ(Row("mo01"), (Texts{"", "", "1"}));
  ExpectReset();
  EXPECT_EQ(commands.currentFile(), first);
  EXPECT_TRUE(view.save1Enabled);
  EXPECT_EQ(view.caption, kTitle + "first.txt");
  EXPECT_EQ(view.raised, 1);
}

TEST_F(EditorCommandsTest, DropAppendMergesIntoThePagesAndKeepsThePreviousFile) {
  const std::string previous = folder.file("previous.txt");
  testing::WriteBytes(previous, Lines({"3", "10", "0", "1"}));
  dialogs.answers = {previous};
  commands.Open1Click();
  SetRow("mo01", "8", "30", "3");
  SetRow("ak02", "15", "20", "4");

  const std::string dropped = folder.file("common.txt");
  testing::WriteBytes(dropped, Lines({"8", "12", "30", "2"}));
  prompts.answers = {Answer::No};
  commands.DropFiles({dropped});

  EXPECT_EQ(Row("ak01"), (Texts{"12", "30", "2"}));
  EXPECT_EQ(Row("ak02"), (Texts{"15", "20", "4"}));  // slots past the file's records kept
  EXPECT_EQ(Row("mo01"), (Texts{"8", "30", "3"}));
  EXPECT_EQ(Row("tu01"), (Texts{"10", "0", "1"}));
  ExpectReset();
  EXPECT_EQ(commands.currentFile(), previous);
  EXPECT_EQ(view.caption, kTitle + "previous.txt");

  // A later Save writes the merged schedule to the previous file.
  commands.Save1Click();
  WeekSchedule merged = ResetSchedule();
  merged.at(8, 1) = {12, 30, 2};
  merged.at(8, 2) = {15, 20, 4};
  merged.at(2, 1) = {8, 30, 3};
  merged.at(3, 1) = {10, 0, 1};
  EXPECT_EQ(testing::ReadBytes(previous), ExpectedFile(merged));
}

TEST_F(EditorCommandsTest, DropErrorsShowOneMessageAndKeepThePages) {
  WeekSchedule armed = ResetSchedule();
  armed.at(2, 1) = {8, 30, 3};
  Arm(armed);
  SetRow("mo01", "8", "30", "3");

  // Missing file: disarmed, no question, the message.
  prompts.answers = {Answer::Ok};
  commands.DropFiles({folder.file("missing.txt")});
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text, kCannotOpen);
  EXPECT_EQ(prompts.asked[0].caption, "警告");
  EXPECT_EQ(prompts.asked[0].buttons, Buttons::Ok);
  ExpectDisarmed();
  EXPECT_EQ(Row("mo01"), (Texts{"8", "30", "3"}));

  // Conversion error in overwrite mode: caption, current file and Save1 stay.
  const std::string broken = folder.file("broken.txt");
  testing::WriteBytes(broken, Lines({"2", "9", "oops", "1"}));
  prompts.answers = {Answer::Yes, Answer::Ok};
  commands.DropFiles({broken});
  EXPECT_EQ(prompts.asked.back().text, kCannotOpen);
  EXPECT_EQ(view.caption, kTitle);
  EXPECT_EQ(commands.currentFile(), "");
  EXPECT_FALSE(view.save1Enabled);
  EXPECT_EQ(Row("mo01"), (Texts{"8", "30", "3"}));

  // Conversion error of the gather in append mode.
  const std::string good = folder.file("good.txt");
  testing::WriteBytes(good, Lines({"2", "9", "0", "1"}));
  SetRow("sa01", "nine", "0", "1");
  prompts.answers = {Answer::No, Answer::Ok};
  commands.DropFiles({good});
  EXPECT_EQ(prompts.asked.back().text, kCannotOpen);
  EXPECT_EQ(Row("mo01"), (Texts{"8", "30", "3"}));
}

TEST_F(EditorCommandsTest, DropOfNothingOrOfAnOverlongNameTouchesNothing) {
  WeekSchedule armed = ResetSchedule();
  armed.at(2, 1) = {8, 30, 3};
  Arm(armed);

  commands.DropFiles({});
  EXPECT_TRUE(prompts.asked.empty());
  EXPECT_EQ(view.raised, 0);

  // 1023 bytes still fit the drop buffer; 1024 do not.
  const std::string base = folder.file("");
  const std::string longest = base + std::string(1023 - base.size(), 'a');
  prompts.answers = {Answer::Ok, Answer::Ok};
  commands.DropFiles({longest + "a"});
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].text, kCannotOpen);
  EXPECT_EQ(view.button2, text::kDisarm);  // refused before anything was touched
  ExpectSlot(2, 1, {8, 30, 3});

  commands.DropFiles({longest});  // too long for the file system, but it is tried
  EXPECT_EQ(prompts.asked.size(), 2u);
  ExpectDisarmed();
}

// ---------------------------------------------------------------------------------------------
// Tab copy and paste through the weekday timetables.

TEST_F(EditorCommandsTest, PasteStaysDisabledUntilACopyOnAWeekdayPage) {
  SetRow("tu01", "8", "30", "3");
  view.page = 7;  // Saturday
  commands.Copy1Click();
  EXPECT_FALSE(view.paste1Enabled);
  ExpectReset();

  // Paste before any Copy must not reload (and so empty) the page.
  view.page = 3;
  commands.Paste1Click();
  EXPECT_EQ(Row("tu01"), (Texts{"8", "30", "3"}));
}

TEST_F(EditorCommandsTest, PasteDeliversTheSourceAsCopiedNotAsEditedSince) {
  SetRow("mo01", "8", "30", "3");
  SetRow("mo02", "", "15", "");
  SetRow("we01", "10", "0", "1");
  SetRow("we03", "11", "0", "2");
  view.page = 2;
  commands.Copy1Click();
  EXPECT_TRUE(view.paste1Enabled);
  SetRow("mo01", "9", "0", "1");  // edited after the Copy

  view.page = 4;
  commands.Paste1Click();

  EXPECT_EQ(Row("we01"), (Texts{"8", "30", "3"}));
  EXPECT_EQ(Row("we02"), (Texts{"", "", "1"}));
  EXPECT_EQ(Row("we03"), (Texts{"", "", "1"}));
  ExpectSlot(4, 1, {8, 30, 3});
  ExpectSlot(4, 2, {0, 15, 1});  // values unchanged, the minute of an empty hour too
  // Not armed, yet both timetables now ring: the WeekSchedule is the clipboard.
  ExpectSlot(2, 1, {8, 30, 3});
  EXPECT_EQ(Row("mo01"), (Texts{"9", "0", "1"}));
}

TEST_F(EditorCommandsTest, PasteAfterAnUnarmedSaveEmptiesTheTarget) {
  const std::string path = folder.file("week.txt");
  testing::WriteBytes(path, Lines({}));
  dialogs.answers = {path};
  commands.Open1Click();
  SetRow("mo01", "8", "30", "3");
  SetRow("tu01", "10", "0", "1");
  view.page = 2;
  commands.Copy1Click();
  commands.Save1Click();

  view.page = 3;
  commands.Paste1Click();

  EXPECT_EQ(Row("tu01"), (Texts{"", "", "1"}));
  ExpectReset();
}

TEST_F(EditorCommandsTest, PasteOnTheCommonPageOrTheCopiedPage) {
  SetRow("fr01", "8", "30", "3");
  view.page = 6;
  commands.Copy1Click();
  SetRow("ak01", "12", "0", "1");
  view.page = 8;
  commands.Paste1Click();
  EXPECT_EQ(Row("ak01"), (Texts{"12", "0", "1"}));
  ExpectSlot(8, 1, {0, 0, 1});

  // Pasting onto the copied page undoes the edits made since the Copy.
  SetRow("th01", "", "20", "4");
  view.page = 5;
  commands.Copy1Click();
  SetRow("th01", "13", "25", "5");
  SetRow("th02", "14", "0", "1");
  commands.Paste1Click();
  EXPECT_EQ(Row("th01"), (Texts{"", "", "4"}));
  EXPECT_EQ(Row("th02"), (Texts{"", "", "1"}));
}

TEST_F(EditorCommandsTest, CopyStoppedByAConversionErrorStillArmsThePaste) {
  SetRow("mo01", "8", "30", "3");
  SetRow("mo02", "9", "1O", "1");  // letter O
  view.page = 2;
  EXPECT_THROW(commands.Copy1Click(), ConversionError);
  EXPECT_TRUE(view.paste1Enabled);

  view.page = 3;
  commands.Paste1Click();
  EXPECT_EQ(Row("tu01"), (Texts{"8", "30", "3"}));
  ExpectSlot(3, 2, {9, 0, 1});  // hour stored before the failing minute
}

}  // namespace
}  // namespace tollvane

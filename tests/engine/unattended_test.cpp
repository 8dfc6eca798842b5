// The engine's additions for unattended days: the lead-in after a late tick, the bell record,
// the sleep lock and the clock check at arming, and a day rule beside the holiday list.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/bell_engine.h"
#include "engine/editor_commands.h"
#include "engine/errors.h"
#include "engine/local_time.h"
#include "engine/texts.h"
#include "sim_loop.h"
#include "support/fakes.h"
#include "support/scratch_folder.h"

namespace tollvane {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::Eq;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class CountingInhibitor : public SleepInhibitor {
 public:
  void acquire() override { events.push_back("acquire"); }
  void release() override { events.push_back("release"); }
  std::vector<std::string> events;
};

class FixedClockSync : public ClockSync {
 public:
  std::optional<bool> synchronized() override { return answer; }
  std::optional<bool> answer = true;
};

// Silent on one date with a name, and on the holiday list's dates as the list rule says.
class OneDayRule : public DayRule {
 public:
  std::optional<std::string> silentReason(const HolidayList& holidays, int year, int month,
                                          int day) const override {
    for (int n = 1; n <= holidays.count; ++n) {
      if (holidays.at(n).month == month && holidays.at(n).day == day)
        return "休日設定";
    }
    if (year == silentYear && month == silentMonth && day == silentDay)
      return name;
    return std::nullopt;
  }
  int silentYear = 0, silentMonth = 0, silentDay = 0;
  std::string name;
};

// A board that answers each signal with scripted write results.
class ScriptedBoard : public testing::RecordingBoard {
 public:
  BoardWrites lastWrites() const override { return writes; }
  BoardWrites writes{true, true, true};
};

class Unattended : public ::testing::Test {
 protected:
  Unattended() {
    ResetWeekSchedule(data.weekSchedule);
    data.soundTable[1] = "chime.wav";
    data.soundTable[2] = "gong.mp3";
    player.lengths = {{"chime.wav", 1000}, {"gong.mp3", 2000}};
  }
  // One T1Sec event at this moment of Monday 2027-01-04.
  void TickAt(int hour, int minute, int second, int ms = 5) {
    clock.startMs = LocalSecondsOf(2027, 1, 4, hour, minute, second) * 1000 + ms;
    engine.T1SecTimer();
  }

  ProgramData data;
  testing::SimClock clock;
  ScriptedBoard board;
  testing::FakePlayer player;
  testing::FakeTimer timer1, timer2, leadIn;
  testing::ScriptedPrompts prompts;
  testing::RecordingView view;
  testing::MapPageTexts pages;
  testing::LineRecorder recorder;
  CountingInhibitor inhibitor;
  FixedClockSync clockSync;
  OneDayRule dayRule;
  BellEngine engine{{data, clock, board, player, timer1, timer2, prompts, view, pages, &leadIn,
                     &recorder, &inhibitor, &clockSync, &dayRule}};
};

// Each row: the tick that first sees the minute, the tick that replays second 5, and how long
// the sound then waits (0 = it starts at once).
struct LeadInCase {
  int firstSecond, firstMs, secondSecond, secondMs, expectedWaitMs;
};

TEST_F(Unattended, LateTickKeepsTheFiveSecondLeadIn) {
  const LeadInCase cases[] = {
      {6, 400, 7, 5, 5000},  // seconds 0..6 at once: the sound waits the whole lead-in
      {3, 0, 6, 0, 2000},    // output on 3 s late, second 5 replayed 3 s after it
      {0, 5, 6, 5, 0},       // output on in time; a late replay of second 5 plays at once
      {0, 5, 5, 5, 0},       // no replay at all
  };
  for (const LeadInCase& c : cases) {
    SCOPED_TRACE(c.firstSecond * 1000 + c.firstMs);
    data.weekSchedule.at(8, 1) = {8, 30, 1};
    TickAt(8, 29, 58);
    TickAt(8, 30, c.firstSecond, c.firstMs);
    TickAt(8, 30, c.secondSecond, c.secondMs);
    EXPECT_THAT(board.events, ElementsAre("on"));
    if (c.expectedWaitMs == 0) {
      EXPECT_THAT(player.calls, ElementsAre("open chime.wav", "play chime.wav"));
      EXPECT_FALSE(leadIn.enabled());
    } else {
      EXPECT_THAT(player.calls, IsEmpty());
      ASSERT_TRUE(leadIn.armed());
      EXPECT_EQ(leadIn.interval(), c.expectedWaitMs);
      engine.LeadInTimer();
      EXPECT_THAT(player.calls, ElementsAre("open chime.wav", "play chime.wav"));
      EXPECT_FALSE(leadIn.enabled());
    }
    board.events.clear();
    player.calls.clear();
    TickAt(8, 40, 0);  // well past the minute, without replaying anything
  }
}

TEST_F(Unattended, DeferredSoundsRingInOrderAndAreJudgedWhenTheyStart) {
  data.weekSchedule.at(8, 1) = {8, 30, 1};
  data.weekSchedule.at(2, 1) = {8, 30, 2};
  TickAt(8, 29, 59);
  TickAt(8, 30, 6, 0);
  EXPECT_THAT(board.events, ElementsAre("on", "on"));
  engine.LeadInTimer();
  EXPECT_THAT(player.calls,
              ElementsAre("open chime.wav", "play chime.wav", "open gong.mp3", "play gong.mp3"));

  // Made a holiday before the deferred sound starts: it switches the output off instead.
  player.calls.clear();
  board.events.clear();
  data.weekSchedule.at(2, 2) = {8, 31, 2};
  TickAt(8, 30, 59);
  TickAt(8, 31, 6, 0);
  data.holidayList.count = 1;
  data.holidayList.at(1) = {1, 4, " 1/ 4"};
  engine.LeadInTimer();
  EXPECT_THAT(player.calls, IsEmpty());
  EXPECT_THAT(board.events, ElementsAre("on", "off"));
}

TEST_F(Unattended, ArmingRecordsTakesTheSleepLockAndChecksTheClock) {
  struct Case {
    std::optional<bool> synced;
    int boardResult;
    int warnings;
  };
  const Case cases[] = {{true, 0, 0}, {false, 1, 1}, {std::nullopt, 0, 1}};
  for (const Case& c : cases) {
    recorder.lines.clear();
    inhibitor.events.clear();
    clockSync.answer = c.synced;
    board.initResult = c.boardResult;
    if (c.boardResult != 0)
      prompts.answers = {Answer::Ok};
    pages.texts["mo01ji"] = "8";
    pages.texts["mo01fu"] = "30";
    pages.texts["ak02ji"] = "";
    pages.texts["ak02fu"] = "15";  // 0:15 rings too
    engine.Arm(true);
    if (c.boardResult != 0) {
      ASSERT_EQ(prompts.asked.size(), 1u);  // unattended: shown without waiting for OK
      prompts.asked.clear();
    }
    EXPECT_THAT(recorder.kinds(text::record::kArm),
                ElementsAre(HasSubstr(c.boardResult == 0 ? "(USB-IOあり" : "(USB-IOなし")));
    EXPECT_THAT(recorder.kinds(text::record::kArm), ElementsAre(HasSubstr("チャイム2件")));
    EXPECT_EQ(recorder.kinds(text::record::kWarning).size(), static_cast<size_t>(c.warnings));
    engine.Button2Click();
    EXPECT_THAT(inhibitor.events, ElementsAre("acquire", "release"));
    EXPECT_EQ(recorder.kinds(text::record::kDisarm).size(), 1u);
  }
}

TEST_F(Unattended, ASilentDayIsRecordedOncePerSlotAndNeverAtMidnight) {
  dayRule.silentYear = 2027;
  dayRule.silentMonth = 1;
  dayRule.silentDay = 4;
  dayRule.name = "振替休日";
  data.weekSchedule.at(8, 1) = {8, 30, 1};
  for (int second = 0; second < 60; ++second)
    TickAt(8, 30, second);
  TickAt(0, 0, 0);  // reset slots match at midnight: no record
  TickAt(0, 0, 5);
  EXPECT_THAT(board.events, Each(Eq("off")));  // the nightly switch-off alone
  EXPECT_THAT(recorder.kinds(text::record::kSuppressed),
              ElementsAre(AllOf(HasSubstr("8:30"), HasSubstr("振替休日"))));
  EXPECT_THAT(player.calls, IsEmpty());
}

TEST_F(Unattended, ClockJumpsAreRecordedWithTheBellsTheySkipped) {
  data.weekSchedule.at(8, 1) = {9, 0, 1};
  data.weekSchedule.at(2, 1) = {9, 30, 2};
  data.weekSchedule.at(2, 2) = {11, 0, 2};
  TickAt(8, 50, 0);
  TickAt(9, 50, 0);  // an hour forward: 9:00 and 9:30 were jumped over
  TickAt(9, 49, 0);  // back again
  const std::vector<std::string> jumps = recorder.kinds(text::record::kClock);
  ASSERT_EQ(jumps.size(), 2u);
  EXPECT_THAT(jumps[0], AllOf(HasSubstr("1時間進みました"), HasSubstr("2件"),
                              HasSubstr("1/4 9:00 音1"), HasSubstr("1/4 9:30 音2")));
  EXPECT_THAT(jumps[1], HasSubstr("1分戻りました"));
  EXPECT_THAT(board.events, IsEmpty());
}

TEST_F(Unattended, BellRecordFollowsOneBellAndTheBoardComingAndGoing) {
  data.weekSchedule.at(8, 1) = {8, 30, 1};
  board.writes = {true, false, true};
  TickAt(8, 30, 0);
  board.writes = {true, true, true};
  TickAt(8, 30, 5);
  engine.Timer1Timer();
  EXPECT_THAT(
      recorder.lines,
      ElementsAre(AllOf(HasSubstr(text::record::kOutputOn), HasSubstr("朝・夕共通 1番目"),
                        HasSubstr("USB-IO出力: 失敗")),
                  HasSubstr("USB-IOに出力できません"),
                  AllOf(HasSubstr(text::record::kSound), HasSubstr("音1 chime.wav を鳴らします")),
                  HasSubstr("最後まで鳴りました"), HasSubstr("USB-IO出力: 成功"),
                  HasSubstr("USB-IOに再び出力できるようになりました")));
  recorder.lines.clear();
  engine.Timer1Timer();  // a second end while off: no second output-off line
  EXPECT_THAT(recorder.kinds(text::record::kOutputOff), IsEmpty());
}

// Each line as the operator reads it in the record window: whole, so a broken sentence shows.
TEST_F(Unattended, RecordLinesReadAsSentences) {
  struct Case {
    const char* what;
    std::function<void()> act;
    const char* kind;
    const char* line;
  };
  dayRule = {};
  dayRule.silentYear = 2027;
  dayRule.silentMonth = 1;
  dayRule.silentDay = 5;  // Tuesday
  dayRule.name = "振替休日";
  const auto onTuesday = [this](int hour, int minute, int second) {
    clock.startMs = LocalSecondsOf(2027, 1, 5, hour, minute, second) * 1000 + 5;
    engine.T1SecTimer();
  };
  const Case cases[] = {
      {"silenced slot",
       [&] {
         data.weekSchedule.at(3, 3) = {8, 30, 3};
         onTuesday(8, 30, 0);
       },
       text::record::kSuppressed, "火曜 3番目(8:30 音3)は鳴らしません(振替休日)。"},
      {"silenced forced ring",
       [&] {
         onTuesday(9, 0, 0);
         prompts.answers = {Answer::Ok};
         engine.Button1Click();
       },
       text::record::kSuppressed, "「強　制」のチャイムは鳴らしません(振替休日)。"},
      {"forced ring stopped", [&] { engine.Button1Click(); }, text::record::kBellEnd,
       "「強制停止」で止めました。"},
      {"bell stopped", [&] { engine.Button3Click(); }, text::record::kBellEnd,
       "「チャイム停止」で止めました。"},
      {"long sound",
       [&] {
         player.lengths["gong.mp3"] = 125'000;
         data.weekSchedule.at(2, 1) = {10, 0, 2};
         TickAt(10, 0, 0);
         TickAt(10, 0, 5);
       },
       text::record::kSound, "音2 gong.mp3 を鳴らします(長さ2分5.0秒)。"},
      {"armed",
       [&] {
         pages.texts["mo01ji"] = "8";
         pages.texts["mo01fu"] = "30";
         engine.Arm(false);
       },
       text::record::kArm, "チャイム1件で開始しました(USB-IOあり)。"},
      {"clock forward",
       [&] {
         TickAt(11, 50, 0);
         TickAt(13, 0, 30);
       },
       text::record::kClock,
       "パソコンの時計が1時間10分30秒進みました(1/4 11:50:00 → 1/4 13:00:30)。"
       "飛ばしたチャイムはありません。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    recorder.lines.clear();
    c.act();
    EXPECT_THAT(recorder.kinds(c.kind), Contains(c.line));
  }
}

// The start and the end with nobody at the keyboard: no question may be asked (the scripted
// prompts throw on any), and what happened goes to the record.
TEST_F(Unattended, StartReloadsWithoutAskingAndSessionEndSavesWithoutAsking) {
  testing::ScratchFolder folder;
  const std::string autosave = folder.file("dorrel.dat");
  testing::ScriptedFileDialogs dialogs;
  EditorCommands commands{
      EditorParts{data, pages, view, prompts, dialogs, board, clock, {&recorder, &inhibitor}}};

  EXPECT_FALSE(commands.ReloadWithoutAsking(autosave));
  EXPECT_THAT(recorder.kinds(text::record::kWarning), ElementsAre(HasSubstr("空のチャイム表")));
  EXPECT_EQ(view.raised, 1);

  pages.texts["mo01ji"] = "8";
  pages.texts["mo01fu"] = "30";
  pages.texts["mo01snd"] = "2";
  commands.SaveForSessionEnd(autosave);
  EXPECT_THAT(recorder.kinds(text::record::kFile), ElementsAre(HasSubstr(autosave)));

  pages.texts.clear();
  EXPECT_TRUE(commands.ReloadWithoutAsking(autosave));
  EXPECT_EQ(pages.texts["mo01ji"], "8");
  EXPECT_EQ(pages.texts["mo01fu"], "30");
  EXPECT_EQ(pages.texts["mo01snd"], "2");
  EXPECT_THAT(view.caption, HasSubstr("直前のデータ"));
  EXPECT_THAT(prompts.asked, IsEmpty());

  // A file command that disarms lets the machine sleep again.
  engine.Arm(false);
  dialogs.answers = {std::nullopt};
  commands.Open1Click();
  EXPECT_THAT(inhibitor.events, ElementsAre("acquire", "release"));
}

// A drop-down that does not convert stops arming half-way: the caption says armed, so the
// sleep lock is taken and the record says what was armed and what failed, and the error still
// reaches its box.
TEST_F(Unattended, ArmingStoppedByAPageStillHoldsTheLockAndRecordsIt) {
  pages.texts["mo01ji"] = "8";
  pages.texts["mo01fu"] = "30";
  pages.texts["tu01ji"] = "x";
  EXPECT_THROW(engine.Arm(false), ConversionError);
  EXPECT_EQ(view.button2, text::kDisarm);
  EXPECT_THAT(inhibitor.events, ElementsAre("acquire"));
  EXPECT_THAT(recorder.kinds(text::record::kArm),
              ElementsAre(AllOf(HasSubstr("チャイム1件"), HasSubstr("読めない所"))));
  EXPECT_THAT(view.memo1, ElementsAre("USBIO", "0"));  // no listing, as before
  engine.Button2Click();
  EXPECT_THAT(inhibitor.events, ElementsAre("acquire", "release"));
}

// The clock's state followed while armed: the change report and the fallback reading.
class ReportingClockSync : public FixedClockSync {
 public:
  void setChangeHandler(std::function<void(std::optional<bool>)> h) override {
    handler = std::move(h);
  }
  std::function<void(std::optional<bool>)> handler;
};

TEST_F(Unattended, TheClockIsWatchedWhileArmedAndEachChangeRecordedOnce) {
  ReportingClockSync watched;
  BellEngine watching{{data, clock, board, player, timer1, timer2, prompts, view, pages, &leadIn,
                       &recorder, &inhibitor, &watched, &dayRule}};
  ASSERT_TRUE(watched.handler);
  watched.answer = false;  // not yet set at arming, as right after boot
  TickAt(7, 0, 20);
  watching.Arm(true);
  watched.handler(true);  // set a minute later: nothing to say
  EXPECT_THAT(recorder.kinds(text::record::kWarning), IsEmpty());
  watched.handler(false);  // lost
  watched.handler(false);
  watched.answer = true;
  clock.startMs = LocalSecondsOf(2027, 1, 4, 7, 9, 50) * 1000;
  watching.T1SecTimer();  // the fallback reading finds it set again
  EXPECT_EQ(recorder.kinds(text::record::kWarning).size(), 1u);
  EXPECT_EQ(recorder.kinds(text::record::kClockSync).size(), 1u);
  watching.Button2Click();
  watched.handler(false);  // disarmed: not watched
  EXPECT_EQ(recorder.kinds(text::record::kWarning).size(), 1u);
}

}  // namespace
}  // namespace tollvane

#include "engine/bell_engine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/errors.h"
#include "engine/texts.h"
#include "engine_rig.h"

namespace tollvane {
namespace {

using ::testing::ElementsAre;
using testing::EngineRig;
using ::testing::IsEmpty;

// 2027-01-04 is a Monday, 2027-01-09 a Saturday.
constexpr int kYear = 2027;
constexpr int kMonday = 4;
constexpr int kSaturday = 9;

class BellDay : public ::testing::Test {
 protected:
  // Starts the window's tick and lets its first tick run, so CurrentClock holds the time.
  void StartAt(int day, int hour, int minute, int second, int ms = 0) {
    rig.clock.startAt(kYear, 1, day, hour, minute, second, ms);
    rig.loop.start();
    rig.loop.runToNextTick();
  }
  void Ring(int timetable, int slot, int hour, int minute, int sound) {
    rig.data.weekSchedule.at(timetable, slot) = {hour, minute, sound};
  }
  bool BellIdle() const {
    return !rig.view.checkBox1 && !rig.view.button3Visible && rig.view.button1 == text::kForce;
  }

  EngineRig rig;
};

TEST_F(BellDay, MondayRingsTheCommonAndMondaySlotsThroughTheWholeSequence) {
  Ring(8, 1, 8, 30, 1);   // chime.wav, 12 s
  Ring(2, 3, 12, 40, 2);  // gong.mp3, 20 s
  Ring(3, 1, 10, 0, 3);   // Tuesday only
  StartAt(kMonday, 0, 0, 30);
  rig.loop.runUntil(8, 30, 0, 4);
  EXPECT_THAT(rig.takeBoard(), IsEmpty());

  // Output leads at second 0, a few ms after the boundary.
  rig.loop.runUntil(8, 30, 0, 10);
  EXPECT_THAT(rig.takeBoard(), ElementsAre("on"));
  EXPECT_TRUE(rig.view.checkBox1);
  EXPECT_TRUE(rig.view.button3Visible);
  EXPECT_THAT(rig.takePlayer(), IsEmpty());

  rig.loop.runUntil(8, 30, 5, 10);
  EXPECT_THAT(rig.takePlayer(), ElementsAre("open chime.wav", "play chime.wav"));
  EXPECT_TRUE(rig.timer1.enabled());
  EXPECT_EQ(rig.timer1.interval(), 12000);
  EXPECT_EQ(rig.data.soundPlaying, 1);

  // The sound's length ends the bell.
  rig.loop.runUntil(8, 30, 17, 4);
  EXPECT_TRUE(rig.view.checkBox1);
  rig.loop.runUntil(8, 30, 17, 10);
  EXPECT_THAT(rig.takePlayer(), ElementsAre("stop"));
  EXPECT_THAT(rig.takeBoard(), ElementsAre("off"));
  EXPECT_TRUE(BellIdle());
  EXPECT_FALSE(rig.timer1.enabled());
  EXPECT_EQ(rig.data.soundPlaying, 0);

  rig.loop.runUntil(23, 59, 59, 500);
  EXPECT_THAT(rig.takeBoard(), ElementsAre("on", "off"));
  EXPECT_THAT(rig.takePlayer(), ElementsAre("open gong.mp3", "play gong.mp3", "stop"));
  EXPECT_THAT(rig.loop.errors, IsEmpty());

  // Tuesday: the common slot again, then Tuesday's own; Monday's slot stays silent.
  rig.loop.runUntil(23, 59, 59, 0, 1);
  EXPECT_THAT(rig.takePlayer(), ElementsAre("open chime.wav", "play chime.wav", "stop",
                                            "open bell.wma", "play bell.wma", "stop"));
  EXPECT_EQ(rig.timer1.fires, 4);
  EXPECT_THAT(rig.loop.errors, IsEmpty());
}

TEST_F(BellDay, WeekendsRingOnlyTheirOwnTimetable) {
  Ring(8, 1, 9, 0, 1);
  Ring(7, 2, 9, 0, 2);
  Ring(1, 3, 9, 10, 3);
  StartAt(kSaturday, 8, 0, 0);
  rig.loop.runUntil(9, 30, 0);
  EXPECT_THAT(rig.takePlayer(), ElementsAre("open gong.mp3", "play gong.mp3", "stop"));
  EXPECT_THAT(rig.takeBoard(), ElementsAre("on", "off"));
  rig.loop.runUntil(9, 30, 0, 0, 1);
  EXPECT_THAT(rig.takePlayer(), ElementsAre("open bell.wma", "play bell.wma", "stop"));
}

TEST_F(BellDay, HolidaysSuppressScheduledAndForcedBellsButSwitchTheOutputOff) {
  rig.data.holidayList.count = 2;
  rig.data.holidayList.at(1) = {5, 3, "5/3"};
  rig.data.holidayList.at(2) = {1, 4, "1/4"};
  Ring(8, 1, 8, 30, 1);
  StartAt(kMonday, 8, 29, 50);
  rig.loop.runUntil(8, 30, 1);
  EXPECT_THAT(rig.takeBoard(), IsEmpty());
  rig.loop.runUntil(8, 30, 6);
  // The sound step of a suppressed bell drives the output off instead of playing.
  EXPECT_THAT(rig.takeBoard(), ElementsAre("off"));
  EXPECT_THAT(rig.takePlayer(), IsEmpty());

  rig.prompts.answers = {Answer::Ok};
  rig.engine.Button1Click();
  EXPECT_EQ(rig.view.button1, "強制停止");
  EXPECT_THAT(rig.takeBoard(), IsEmpty());
  EXPECT_FALSE(rig.view.checkBox1);
  rig.loop.runFor(5100);
  EXPECT_THAT(rig.takeBoard(), ElementsAre("off"));
  EXPECT_EQ(rig.view.button1, "強　制");
  EXPECT_FALSE(rig.timer2.enabled());
  EXPECT_THAT(rig.takePlayer(), IsEmpty());
}

TEST_F(BellDay, HolidayCountBeyondTheTableIsNotReadPastItsEnd) {
  rig.data.holidayList.count = 1000;
  rig.data.holidayList.at(48) = {1, 4, "1/4"};
  Ring(8, 1, 8, 30, 1);
  StartAt(kMonday, 8, 29, 58);
  rig.loop.runUntil(8, 30, 1);
  EXPECT_TRUE(rig.engine.BellSuppressed());
  EXPECT_THAT(rig.takeBoard(), IsEmpty());
}

TEST_F(BellDay, MidnightFollowsTodaysPageAndSwitchesTheOutputOffAt5Seconds) {
  // Sunday night into Monday; the reset week rings nothing but drives the output off.
  StartAt(kMonday - 1, 23, 59, 57);
  rig.view.page = 5;
  rig.loop.runUntil(0, 0, 0, 10, 1);
  EXPECT_EQ(rig.view.page, 2);
  EXPECT_THAT(rig.takeBoard(), IsEmpty());
  EXPECT_FALSE(rig.view.checkBox1);

  rig.loop.runUntil(0, 0, 5, 10, 1);
  EXPECT_EQ(rig.takeBoard(), std::vector<std::string>(48, "off"));
  EXPECT_THAT(rig.takePlayer(), IsEmpty());

  // Every tick of the minute brings today's page back; the next minute leaves it alone.
  rig.view.page = 8;
  rig.loop.runUntil(0, 0, 59, 10, 1);
  EXPECT_EQ(rig.view.page, 2);
  rig.view.page = 8;
  rig.loop.runUntil(0, 1, 30, 0, 1);
  EXPECT_EQ(rig.view.page, 8);
  EXPECT_THAT(rig.takeBoard(), IsEmpty());

  // Saturday examines only its own timetable: 24 switch-offs.
  rig.loop.runUntil(0, 0, 6, 0, 6);
  EXPECT_EQ(rig.takeBoard().size(), 4 * 48 + 24u);
  EXPECT_EQ(rig.view.page, 7);
  EXPECT_THAT(rig.loop.errors, IsEmpty());
}

// A button or Timer2 judges holidays and midnight by the latest tick's clock, not by the time
// at which it runs.
TEST_F(BellDay, SuppressionJudgesByTheLatestTickNotByTheClockNow) {
  rig.clock.startAt(kYear, 1, kMonday, 0, 0, 59, 10);
  rig.engine.T1SecTimer();
  rig.clock.startAt(kYear, 1, kMonday, 0, 1, 2, 10);  // 0:01 already, but no tick since
  rig.prompts.answers = {Answer::Ok};
  rig.engine.Button1Click();
  EXPECT_EQ(rig.view.button1, "強制停止");
  EXPECT_THAT(rig.takeBoard(), IsEmpty());
  EXPECT_FALSE(rig.view.checkBox1);
  rig.engine.T1SecTimer();
  rig.engine.Timer2Timer();
  EXPECT_THAT(rig.takePlayer(), ElementsAre("open chime.wav", "play chime.wav"));
  EXPECT_FALSE(rig.timer2.enabled());
  rig.engine.Button1Click();
  EXPECT_TRUE(BellIdle());
  rig.takeBoard();
  rig.takePlayer();

  // The other way round: forced just after midnight, before the first tick of 0:00.
  rig.clock.startAt(kYear, 1, kMonday, 23, 59, 58, 10);
  rig.engine.T1SecTimer();
  rig.clock.startAt(kYear, 1, kMonday + 1, 0, 0, 1, 10);
  rig.prompts.answers = {Answer::Ok};
  rig.engine.Button1Click();
  EXPECT_THAT(rig.takeBoard(), ElementsAre("on"));
  rig.engine.T1SecTimer();  // handles 23:59:59 .. 0:00:01
  rig.engine.Timer2Timer();
  EXPECT_THAT(rig.takeBoard(), ElementsAre("off"));
  EXPECT_THAT(rig.takePlayer(), IsEmpty());
  EXPECT_TRUE(BellIdle());
  EXPECT_FALSE(rig.timer2.enabled());
}

TEST_F(BellDay, ForcedRingAsksThenRingsSoundOneFiveSecondsLater) {
  StartAt(kMonday, 10, 0, 0, 500);
  rig.loop.runFor(1000);
  rig.prompts.answers = {Answer::Cancel};
  rig.engine.Button1Click();
  ASSERT_EQ(rig.prompts.asked.size(), 1u);
  EXPECT_EQ(rig.prompts.asked[0].text, "Okを押すと5秒後にチャイムが鳴ります");
  EXPECT_EQ(rig.prompts.asked[0].caption, "確認");
  EXPECT_EQ(rig.prompts.asked[0].buttons, Buttons::OkCancel);
  EXPECT_TRUE(BellIdle());
  EXPECT_FALSE(rig.timer2.enabled());
  EXPECT_THAT(rig.takeBoard(), IsEmpty());

  rig.prompts.answers = {Answer::Ok};
  rig.engine.Button1Click();
  EXPECT_EQ(rig.view.button1, "強制停止");
  EXPECT_THAT(rig.takeBoard(), ElementsAre("on"));
  EXPECT_TRUE(rig.view.checkBox1);
  EXPECT_FALSE(rig.view.button3Visible);  // Button1 is the stop button of a forced ring
  EXPECT_TRUE(rig.timer2.enabled());
  EXPECT_EQ(rig.timer2.interval(), 5000);

  rig.loop.runFor(4990);
  EXPECT_THAT(rig.takePlayer(), IsEmpty());
  rig.loop.runFor(20);
  EXPECT_THAT(rig.takePlayer(), ElementsAre("open chime.wav", "play chime.wav"));
  EXPECT_FALSE(rig.timer2.enabled());
  EXPECT_EQ(rig.timer1.interval(), 12000);

  rig.loop.runFor(12000);
  EXPECT_THAT(rig.takePlayer(), ElementsAre("stop"));
  EXPECT_THAT(rig.takeBoard(), ElementsAre("off"));
  EXPECT_TRUE(BellIdle());
  EXPECT_EQ(rig.timer2.fires, 1);
}

TEST_F(BellDay, ForcedStopDuringTheLeadInPlaysNothing) {
  StartAt(kMonday, 10, 0, 0, 500);
  rig.prompts.answers = {Answer::Ok};
  rig.engine.Button1Click();
  rig.loop.runFor(2000);
  rig.engine.Button1Click();
  EXPECT_TRUE(BellIdle());
  EXPECT_FALSE(rig.timer2.enabled());
  rig.loop.runFor(30000);
  EXPECT_THAT(rig.takeBoard(), ElementsAre("on", "off"));
  EXPECT_THAT(rig.takePlayer(), IsEmpty());
}

TEST_F(BellDay, ForcedStopAfterTheSoundLeavesTimer1ToCutTheNextBellOfTheSameLength) {
  Ring(8, 1, 8, 30, 1);
  StartAt(kMonday, 8, 29, 50, 500);
  rig.prompts.answers = {Answer::Ok};
  rig.engine.Button1Click();  // at 8:29:51: sound at 8:29:56, Timer1 due at 8:30:08
  rig.loop.runUntil(8, 29, 57);
  rig.engine.Button1Click();
  EXPECT_THAT(rig.takePlayer(), ElementsAre("open chime.wav", "play chime.wav", "stop"));
  EXPECT_THAT(rig.takeBoard(), ElementsAre("on", "off"));
  EXPECT_TRUE(BellIdle());
  EXPECT_TRUE(rig.timer1.enabled());

  // The scheduled bell sets the same interval, which does not restart Timer1.
  rig.loop.runUntil(8, 30, 8, 100);
  EXPECT_THAT(rig.takePlayer(), ElementsAre("open chime.wav", "play chime.wav", "stop"));
  EXPECT_THAT(rig.takeBoard(), ElementsAre("on", "off"));
  EXPECT_FALSE(rig.timer1.enabled());
  EXPECT_TRUE(BellIdle());
}

TEST_F(BellDay, StopButtonDuringTheLeadInStillLetsTheSoundStart) {
  Ring(8, 1, 8, 30, 1);
  StartAt(kMonday, 8, 29, 58);
  rig.loop.runUntil(8, 30, 2);
  EXPECT_TRUE(rig.view.button3Visible);
  rig.engine.Button3Click();
  EXPECT_THAT(rig.takeBoard(), ElementsAre("on", "off"));
  EXPECT_TRUE(BellIdle());
  EXPECT_THAT(rig.takePlayer(), IsEmpty());

  rig.loop.runUntil(8, 30, 6);
  EXPECT_THAT(rig.takePlayer(), ElementsAre("open chime.wav", "play chime.wav"));
  EXPECT_THAT(rig.takeBoard(), IsEmpty());
  rig.loop.runUntil(8, 30, 18);
  EXPECT_THAT(rig.takePlayer(), ElementsAre("stop"));
  EXPECT_THAT(rig.takeBoard(), ElementsAre("off"));
}

TEST_F(BellDay, StopButtonWhileSoundingStopsEverything) {
  Ring(8, 1, 8, 30, 2);
  StartAt(kMonday, 8, 29, 58);
  rig.loop.runUntil(8, 30, 8);
  rig.engine.Button3Click();
  EXPECT_THAT(rig.takePlayer(), ElementsAre("open gong.mp3", "play gong.mp3", "stop"));
  EXPECT_THAT(rig.takeBoard(), ElementsAre("on", "off"));
  EXPECT_FALSE(rig.timer1.enabled());
  EXPECT_EQ(rig.data.soundPlaying, 0);
  rig.loop.runUntil(8, 31, 0);
  EXPECT_THAT(rig.takeBoard(), IsEmpty());
}

TEST_F(BellDay, MatchingSlotsEachActCommonFirstAndTheLastSoundIsHeard) {
  Ring(2, 5, 8, 30, 2);
  Ring(8, 2, 8, 30, 1);
  Ring(2, 7, 8, 30, 3);
  StartAt(kMonday, 8, 29, 58);
  rig.loop.runUntil(8, 30, 1);
  EXPECT_THAT(rig.takeBoard(), ElementsAre("on", "on", "on"));
  rig.loop.runUntil(8, 30, 6);
  EXPECT_THAT(rig.takePlayer(), ElementsAre("open chime.wav", "play chime.wav", "open gong.mp3",
                                            "play gong.mp3", "open bell.wma", "play bell.wma"));
  EXPECT_EQ(rig.timer1.interval(), 7000);
  rig.loop.runUntil(8, 30, 12, 10);
  EXPECT_THAT(rig.takeBoard(), ElementsAre("off"));
  EXPECT_TRUE(BellIdle());
}

TEST_F(BellDay, SoundThatFailsToOpenLeavesTheOutputOnAndEndsTheTick) {
  rig.data.soundTable[4] = "missing.mp3";
  Ring(8, 1, 8, 30, 4);
  Ring(2, 1, 8, 30, 1);  // not reached: the error ends the tick
  StartAt(kMonday, 8, 29, 58);
  rig.loop.runUntil(8, 31, 0);
  EXPECT_THAT(rig.loop.errors, ElementsAre("cannot open missing.mp3"));
  EXPECT_THAT(rig.takePlayer(), ElementsAre("open missing.mp3"));
  EXPECT_FALSE(rig.timer1.enabled());
  EXPECT_EQ(rig.data.soundPlaying, 0);
  EXPECT_TRUE(rig.view.checkBox1);
  EXPECT_THAT(rig.takeBoard(), ElementsAre("on", "on"));

  rig.engine.Button3Click();
  EXPECT_THAT(rig.takeBoard(), ElementsAre("off"));
  EXPECT_TRUE(BellIdle());
  EXPECT_THAT(rig.takePlayer(), IsEmpty());  // nothing was playing, so no stop is sent
}

TEST_F(BellDay, ForcedRingWithAFailingSoundRetriesEveryFiveSecondsUntilStopped) {
  rig.data.soundTable[1] = "";
  StartAt(kMonday, 10, 0, 0, 500);
  rig.prompts.answers = {Answer::Ok};
  rig.engine.Button1Click();
  rig.loop.runFor(15100);
  EXPECT_EQ(rig.loop.errors.size(), 3u);
  EXPECT_TRUE(rig.timer2.enabled());
  EXPECT_TRUE(rig.view.checkBox1);
  EXPECT_EQ(rig.view.button1, "強制停止");

  rig.engine.Button1Click();
  rig.loop.runFor(20000);
  EXPECT_EQ(rig.loop.errors.size(), 3u);
  EXPECT_TRUE(BellIdle());
  EXPECT_THAT(rig.takeBoard(), ElementsAre("on", "off"));
}

TEST_F(BellDay, SoundWithoutUsableLengthEndsWhenThePlayerReportsItsEnd) {
  rig.data.soundTable[5] = "silent.wav";
  rig.data.soundTable[6] = "broken.wav";
  rig.player.lengths["silent.wav"] = 0;
  rig.player.lengths["broken.wav"] = -1;
  Ring(8, 1, 8, 30, 5);
  Ring(8, 2, 9, 0, 6);
  Ring(8, 3, 10, 0, 1);
  StartAt(kMonday, 8, 29, 58);
  rig.loop.runUntil(8, 45, 0);
  EXPECT_FALSE(rig.timer1.due().has_value());  // an interval of 0 never fires
  EXPECT_TRUE(rig.view.checkBox1);
  rig.takePlayer();
  rig.takeBoard();

  rig.player.finish();
  EXPECT_THAT(rig.takePlayer(), ElementsAre("stop"));
  EXPECT_THAT(rig.takeBoard(), ElementsAre("off"));
  EXPECT_TRUE(BellIdle());
  EXPECT_FALSE(rig.timer1.enabled());
  rig.player.finish();  // a repeated report ends nothing more
  EXPECT_THAT(rig.takeBoard(), IsEmpty());

  // A negative length is handled the same; an operator stop makes a later report harmless.
  rig.loop.runUntil(9, 0, 30);
  rig.engine.Button3Click();
  rig.takeBoard();
  rig.player.finish();
  EXPECT_THAT(rig.takeBoard(), IsEmpty());

  // With a known length the player's report is ignored and Timer1 alone ends the bell.
  rig.loop.runUntil(10, 0, 10);
  rig.takeBoard();
  rig.player.finish();
  EXPECT_TRUE(rig.view.checkBox1);
  rig.loop.runUntil(10, 0, 18);
  EXPECT_THAT(rig.takeBoard(), ElementsAre("off"));
}

TEST_F(BellDay, SoundNumbersWithoutAnEntryFailLikeAnEmptyEntry) {
  Ring(8, 1, 8, 30, 77);
  Ring(8, 2, 8, 31, -3);
  Ring(8, 3, 8, 32, 0);
  Ring(8, 4, 8, 33, 50);
  StartAt(kMonday, 8, 29, 58);
  rig.loop.runUntil(8, 34, 0);
  EXPECT_THAT(rig.takePlayer(), ElementsAre("open ", "open ", "open ", "open "));
  EXPECT_EQ(rig.loop.errors.size(), 4u);
  EXPECT_FALSE(rig.timer1.enabled());
}

class NoLengthPlayer : public testing::FakePlayer {
 public:
  int length() override { throw EMCIDeviceError("length unknown"); }
};

TEST(BellEngineLength, UnreadableLengthPlaysAndEndsWithThePlayer) {
  ProgramData data;
  data.soundTable[1] = "stream.mp3";
  data.currentClock = {9, 0, 5, 2, 2027, 1, 4};
  testing::FakeClock clock;
  testing::RecordingBoard board;
  NoLengthPlayer player;
  player.lengths["stream.mp3"] = 1;
  testing::FakeTimer timer1, timer2;
  testing::ScriptedPrompts prompts;
  testing::RecordingView view;
  testing::MapPageTexts pages;
  BellEngine engine({data, clock, board, player, timer1, timer2, prompts, view, pages});
  engine.BoardOutputOn();
  engine.PlayBellSound(1);
  EXPECT_TRUE(player.playing);
  EXPECT_FALSE(timer1.armed());
  player.finish();
  EXPECT_THAT(board.events, ElementsAre("on", "off"));
  EXPECT_THAT(player.calls, ElementsAre("open stream.mp3", "play stream.mp3", "stop"));
}

class Arming : public BellDay {};

TEST_F(Arming, ListsTheArmedSlotsAndWarnsWhenTheBoardIsMissing) {
  rig.board.initResult = 1;
  rig.prompts.answers = {Answer::Ok};
  rig.pages.setText("ak01ji", "8");
  rig.pages.setText("ak01fu", "5");
  rig.pages.setText("mo02ji", "12");
  rig.pages.setText("mo02fu", "40");
  rig.pages.setText("mo02snd", "10");
  rig.pages.setText("su24ji", "18");
  rig.pages.setText("su24fu", "55");
  rig.pages.setText("su24snd", "3");
  rig.pages.setText("sa01ji", "9");   // hour only: rings at the full hour
  rig.pages.setText("tu03fu", "15");  // minute only: armed at 0:15 but not listed
  rig.view.memo1 = {"old line"};

  rig.engine.Button2Click();
  EXPECT_EQ(rig.view.button2, "停　止");
  ASSERT_EQ(rig.prompts.asked.size(), 1u);
  EXPECT_EQ(rig.prompts.asked[0].text, "USB-IOが接続されていません。");
  EXPECT_EQ(rig.prompts.asked[0].caption, "確認");
  EXPECT_EQ(rig.prompts.asked[0].buttons, Buttons::Ok);
  EXPECT_THAT(rig.view.memo1,
              ElementsAre("USBIO", "1", "セット", " 8 時  5 分  1 番", "月曜 12 時 40 分 10 番",
                          "土曜  9 時  0 分  1 番", "日曜 18 時 55 分  3 番"));
  EXPECT_EQ(rig.data.weekSchedule.at(3, 3).minute, 15);
  EXPECT_EQ(rig.data.weekSchedule.at(3, 3).hour, 0);
  EXPECT_THAT(rig.takeBoard(), ElementsAre("init"));

  // The second click disarms: nothing left to ring, no board access.
  rig.engine.Button2Click();
  EXPECT_EQ(rig.view.button2, "開　始");
  EXPECT_THAT(rig.view.memo1, IsEmpty());
  EXPECT_EQ(rig.data.weekSchedule.at(8, 1).hour, 0);
  EXPECT_EQ(rig.data.weekSchedule.at(3, 3).minute, 0);
  EXPECT_THAT(rig.takeBoard(), IsEmpty());
}

TEST_F(Arming, EmptyPagesWithTheBoardPresentListOnlyTheHeader) {
  rig.engine.Button2Click();
  EXPECT_THAT(rig.view.memo1, ElementsAre("USBIO", "0", "セット"));
  EXPECT_THAT(rig.prompts.asked, IsEmpty());
}

TEST_F(Arming, ArmedScheduleRingsAndDisarmingLetsARunningBellFinish) {
  rig.pages.setText("mo01ji", "8");
  rig.pages.setText("mo01fu", "30");
  rig.engine.Button2Click();
  StartAt(kMonday, 8, 29, 58);
  rig.loop.runUntil(8, 30, 8);
  rig.engine.Button2Click();
  EXPECT_TRUE(rig.view.checkBox1);
  rig.loop.runUntil(8, 30, 18);
  EXPECT_THAT(rig.takeBoard(), ElementsAre("init", "on", "off"));
  EXPECT_THAT(rig.takePlayer(), ElementsAre("open chime.wav", "play chime.wav", "stop"));
}

TEST_F(Arming, ConversionErrorStopsTheGatherHalfWayWithoutAListing) {
  rig.data.weekSchedule.at(4, 1) = {9, 9, 9};
  rig.pages.setText("mo01ji", "8");
  rig.pages.setText("tu04ji", "11");
  rig.pages.setText("tu05fu", "abc");
  try {
    rig.engine.Button2Click();
    FAIL() << "no conversion error";
  } catch (const ConversionError& error) {
    EXPECT_STREQ(error.what(), "'abc' は整数ではありません");
  }
  EXPECT_EQ(rig.view.button2, "停　止");
  EXPECT_THAT(rig.view.memo1, ElementsAre("USBIO", "0"));
  EXPECT_EQ(rig.data.weekSchedule.at(2, 1).hour, 8);
  EXPECT_EQ(rig.data.weekSchedule.at(3, 4).hour, 11);
  EXPECT_EQ(rig.data.weekSchedule.at(4, 1).hour, 9);  // Wednesday never reached
}

}  // namespace
}  // namespace tollvane

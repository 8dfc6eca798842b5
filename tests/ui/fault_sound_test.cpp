// A sound file that vanishes between arming and its bell, and a settings file with a broken
// holiday date, under the running program.
#include <filesystem>

#include "fault_rig.h"

namespace tollvane::testing {
namespace {

class SoundFaults : public FaultRig {};

TEST_F(SoundFaults, ASoundDeletedAfterArmingShowsTheErrorAndTheNextBellRingsNormally) {
  REQUIRE_TONE();
  const std::string doomed = copyTone("doomed.wav");
  WriteBytes(settingsPath, "[SOUND]\r\nItem1=" + ToneFile() + "\r\nItem2=" + doomed + "\r\n");
  start();
  slot(1, 8, 30, 2);
  slot(2, 8, 40, 1);
  arm();
  plugged()->written.clear();
  std::filesystem::remove(doomed);

  reach(kMonday, 8, 30, 0);
  EXPECT_EQ(Signals(*plugged()), kOn);
  reach(kMonday, 8, 30, 5);
  const auto errors = ErrorTexts();
  ASSERT_EQ(errors.size(), 1u) << "the player's error, shown once";
  EXPECT_GT(errors[0].size(), 1u);
  EXPECT_EQ(errors[0].back(), '.');
  EXPECT_FALSE(timer1()->enabled()) << "no length, no bell end";
  EXPECT_EQ(form->data().soundPlaying, 0);

  // The output stays on, as the stop button offers, until something switches it off.
  reach(kMonday, 8, 31, 0);
  EXPECT_TRUE(outputShown());
  EXPECT_TRUE(find<QPushButton>("Button3")->isVisible());
  EXPECT_EQ(Signals(*plugged()), kOn);
  CloseErrorBoxes();

  reach(kMonday, 8, 40, 0);
  reach(kMonday, 8, 40, 5);
  EXPECT_TRUE(timer1()->running());
  EXPECT_TRUE(waitForBellEnd());
  EXPECT_EQ(Signals(*plugged()), (std::vector<std::string>{"long on", "port on", "long on",
                                                           "port on", "long off", "port off"}));
  EXPECT_FALSE(find<QPushButton>("Button3")->isVisible());
  EXPECT_FALSE(timer1()->enabled());
  EXPECT_TRUE(ErrorTexts().empty());
}

TEST_F(SoundFaults, ASoundReplacedByAFileThatIsNoSoundFailsTheSameWay) {
  REQUIRE_TONE();
  const std::string spoiled = copyTone("spoiled.wav");
  WriteBytes(settingsPath, "[SOUND]\r\nItem1=" + spoiled + "\r\n");
  start();
  slot(1, 8, 30, 1);
  arm();
  WriteBytes(spoiled, std::string(ReadBytes(spoiled).substr(0, 20)));  // cut inside its header

  reach(kMonday, 8, 30, 0);
  reach(kMonday, 8, 30, 5);
  EXPECT_EQ(ErrorTexts().size(), 1u);
  EXPECT_TRUE(outputShown());
  // The operator's stop still switches the output off.
  plugged()->written.clear();
  find<QPushButton>("Button3")->click();
  EXPECT_FALSE(outputShown());
  EXPECT_EQ(Signals(*plugged()), (std::vector<std::string>{"long off", "port off"}));
}

TEST_F(SoundFaults, AMissingSoundAfterAGoodOneAtTheSameMinuteLetsTimer1EndTheBell) {
  REQUIRE_TONE();
  WriteBytes(settingsPath,
             "[SOUND]\r\nItem1=" + ToneFile() + "\r\nItem2=" + folder.file("gone.wav") + "\r\n");
  start();
  slot(1, 8, 30, 1);  // the common slot rings first
  type("mo01ji", "8");
  type("mo01fu", "30");
  type("mo01snd", "2");
  arm();
  plugged()->written.clear();

  reach(kMonday, 8, 30, 0);
  reach(kMonday, 8, 30, 5);
  EXPECT_EQ(ErrorTexts().size(), 1u);
  EXPECT_FALSE(find<QPushButton>("Button3")->isHidden());
  // The good sound's Timer1 still runs; its stop reaches a player the failed open closed.
  EXPECT_TRUE(waitForBellEnd());
  EXPECT_EQ(Signals(*plugged()), (std::vector<std::string>{"long on", "port on", "long on",
                                                           "port on", "long off", "port off"}));
  EXPECT_EQ(ErrorTexts().size(), 1u) << "the stop of a closed player is no new error";
}

// ---- a hand-edited settings file --------------------------------------------------------

class SettingsFaults : public FaultRig {};

TEST_F(SettingsFaults, ABadHolidayDateIsReportedAndTheProgramRunsOnWithWhatWasRead) {
  REQUIRE_TONE();
  // Tuesday the 8th is a holiday before the broken entry, Wednesday the 9th one after it.
  WriteBytes(settingsPath, "[SOUND]\r\nItem1=" + ToneFile() +
                               "\r\n[HOLIDAY]\r\nDay1=12/ 8\r\nDay2=1x/ 3\r\nDay3=12/ 9\r\n");
  start();
  EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"'1x' は整数ではありません."});
  const HolidayList& holidays = form->data().holidayList;
  EXPECT_EQ(holidays.count, 3) << "counted before converting";
  EXPECT_EQ(holidays.at(1).month, 12);
  EXPECT_EQ(holidays.at(1).day, 8);
  EXPECT_EQ(holidays.at(2).month, 0);
  EXPECT_EQ(holidays.at(3).day, 0) << "never converted";
  EXPECT_EQ(form->data().soundTable[1], ToneFile());
  // The creation handler ended at the error: the board was not switched off at start.
  EXPECT_EQ(hid->enumerations, 0);
  CloseErrorBoxes();

  slot(1, 8, 30, 1);
  arm();
  ASSERT_EQ(form->data().weekSchedule.at(8, 1).hour, 8);
  plugged()->written.clear();

  reach(kMonday, 8, 30, 0);
  reach(kMonday, 8, 30, 5);
  EXPECT_TRUE(waitForBellEnd());
  EXPECT_EQ(Signals(*plugged()), kOnThenOff) << "an ordinary day rings";

  plugged()->written.clear();
  reach(8, 8, 30, 0);
  EXPECT_FALSE(outputShown());
  reach(8, 8, 30, 5);
  EXPECT_FALSE(timer1()->enabled()) << "no sound on the holiday";
  EXPECT_EQ(Signals(*plugged()), (std::vector<std::string>{"long off", "port off"}))
      << "only the switch-off of a suppressed sound";

  plugged()->written.clear();
  reach(9, 8, 30, 0);
  reach(9, 8, 30, 5);
  EXPECT_TRUE(waitForBellEnd());
  EXPECT_EQ(Signals(*plugged()), kOnThenOff) << "the entry after the broken one never counted";
  EXPECT_TRUE(ErrorTexts().empty());
}

}  // namespace
}  // namespace tollvane::testing

#include "audio/gst_sound_player.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <thread>

#include "sound_files.h"

namespace tollvane {
namespace {

using testing::ScratchFolder;
using testing::SoundFormat;
using testing::writeSound;

constexpr int kToneMs = 1000;
constexpr int kShortToneMs = 300;
// Encoders pad to whole frames (an MP3 frame is 26 ms, LAME adds its delay on top); a length
// estimated from the bitrate is off by a frame or two more.
constexpr int kLengthToleranceMs = 80;
// fakesink with sync=true consumes the sound in real time without a sound card.
constexpr char kTestSink[] = "fakesink sync=true";
constexpr char kNoDevice[] = "MCI デバイスがありません";

// The sound files every test of this program uses, encoded once.
class Sounds {
 public:
  static Sounds& get() {
    static Sounds sounds;
    return sounds;
  }
  // The file of that format, or empty with why it could not be made.
  std::string file(SoundFormat format, std::string* whyNot = nullptr) const {
    auto it = failures_.find(format);
    if (it != failures_.end()) {
      if (whyNot != nullptr)
        *whyNot = it->second;
      return {};
    }
    return files_.at(format);
  }
  std::string shortWav() const { return shortWav_; }
  const ScratchFolder& folder() const { return folder_; }

 private:
  Sounds() {
    for (SoundFormat format : {SoundFormat::kWav, SoundFormat::kMp3WithHeader,
                               SoundFormat::kMp3WithoutHeader, SoundFormat::kWma}) {
      const std::string path =
          folder_.file(std::string("tone") + std::to_string(static_cast<int>(format)) +
                       testing::extensionOf(format));
      const std::string failure = writeSound(format, kToneMs, path);
      if (failure.empty()) {
        files_[format] = path;
      } else {
        failures_[format] = failure;
      }
    }
    shortWav_ = folder_.file("short.wav");
    if (!writeSound(SoundFormat::kWav, kShortToneMs, shortWav_).empty())
      shortWav_.clear();
  }

  ScratchFolder folder_;
  std::map<SoundFormat, std::string> files_;
  std::map<SoundFormat, std::string> failures_;
  std::string shortWav_;
};

#define REQUIRE_SOUND(var, format)                                                     \
  std::string whyNot_##var;                                                            \
  const std::string var = Sounds::get().file(format, &whyNot_##var);                   \
  if (var.empty()) {                                                                   \
    GTEST_SKIP() << testing::formatName(format) << " not encodable: " << whyNot_##var; \
  }

#define REQUIRE_SHORT_WAV(var)                      \
  const std::string var = Sounds::get().shortWav(); \
  if (var.empty()) {                                \
    GTEST_SKIP() << "WAV not encodable";            \
  }

// Runs the default main context, as the Qt event loop does, until done() holds or the
// deadline passes; the player's bus watch delivers the end of sound meanwhile.
template <typename Done>
bool runMainContextUntil(Done done, std::chrono::milliseconds deadline) {
  bool expired = false;
  const guint timer = g_timeout_add(
      static_cast<guint>(deadline.count()),
      [](gpointer flag) -> gboolean {
        *static_cast<bool*>(flag) = true;
        return G_SOURCE_REMOVE;
      },
      &expired);
  while (!done() && !expired)
    g_main_context_iteration(nullptr, TRUE);
  if (!expired)
    g_source_remove(timer);
  return done();
}

// --- open and length, one case per format -----------------------------------------------

class OpenFormat : public ::testing::TestWithParam<SoundFormat> {};

TEST_P(OpenFormat, OpensMeasuresInMillisecondsAndPlaysToTheEnd) {
  REQUIRE_SOUND(path, GetParam());
  GstSoundPlayer player(kTestSink);
  player.setFileName(path);
  player.open();
  EXPECT_TRUE(player.isOpen());
  player.setTimeFormatMilliseconds();
  EXPECT_NEAR(player.length(), kToneMs, kLengthToleranceMs);
  EXPECT_EQ(player.fileName(), path);

  // And it decodes to its end.
  int ends = 0;
  player.setEndHandler([&] { ++ends; });
  player.setWait(true);
  player.play();
  EXPECT_EQ(ends, 1);
  EXPECT_TRUE(player.lastError().empty()) << player.lastError();
}

INSTANTIATE_TEST_SUITE_P(Formats, OpenFormat,
                         ::testing::Values(SoundFormat::kWav, SoundFormat::kMp3WithHeader,
                                           SoundFormat::kMp3WithoutHeader, SoundFormat::kWma),
                         [](const auto& info) {
                           switch (info.param) {
                             case SoundFormat::kWav:
                               return "Wav";
                             case SoundFormat::kMp3WithHeader:
                               return "Mp3WithHeader";
                             case SoundFormat::kMp3WithoutHeader:
                               return "Mp3WithoutHeader";
                             case SoundFormat::kWma:
                               return "Wma";
                           }
                           return "Unknown";
                         });

TEST(GstSoundPlayerOpen, BareNameResolvesAgainstTheCurrentDirectory) {
  REQUIRE_SOUND(path, SoundFormat::kWav);
  // Characters that mean something in a URI must reach the file unharmed.
  const std::string bareName = "チャイム #1 100%.wav";
  std::filesystem::copy_file(path, Sounds::get().folder().file(bareName),
                             std::filesystem::copy_options::overwrite_existing);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(Sounds::get().folder().path());
  GstSoundPlayer player(kTestSink);
  player.setFileName(bareName);
  EXPECT_NO_THROW(player.open());
  std::filesystem::current_path(previous);
  EXPECT_TRUE(player.isOpen());
  EXPECT_EQ(player.fileName(), bareName);
}

TEST(GstSoundPlayerOpen, OpeningAnotherSoundReplacesTheOpenOne) {
  REQUIRE_SOUND(longPath, SoundFormat::kWav);
  REQUIRE_SHORT_WAV(shortPath);
  GstSoundPlayer player(kTestSink);
  int ends = 0;
  player.setEndHandler([&] { ++ends; });
  player.setFileName(longPath);
  player.open();
  player.play();
  player.setFileName(shortPath);
  player.open();
  EXPECT_TRUE(player.isOpen());
  EXPECT_NEAR(player.length(), kShortToneMs, kLengthToleranceMs);
  player.setWait(true);
  player.play();
  EXPECT_EQ(ends, 1) << "only the new sound ends; the replaced one is gone";
  player.dispatchPending();
  EXPECT_EQ(ends, 1);
}

// --- files that do not open -------------------------------------------------------------

struct BadFile {
  const char* what;
  std::string name;
  std::string expectedText;  // empty: any readable text from GStreamer
};

std::vector<BadFile> badFiles() {
  const ScratchFolder& folder = Sounds::get().folder();
  std::ofstream(folder.file("notes.mp3")) << "This is a text file, not a sound.\n";
  std::ofstream(folder.file("empty.wav"));
  std::filesystem::create_directories(folder.file("folder.wav"));
  std::vector<BadFile> files = {
      {"missing file", folder.file("no-such-file.wav"), ""},
      {"text file named .mp3", folder.file("notes.mp3"), ""},
      {"empty file", folder.file("empty.wav"), ""},
      {"directory", folder.file("folder.wav"), ""},
      {"empty name", "", "Resource not found."},
  };
  if (testing::writePicture(folder.file("picture.wav")).empty()) {
    files.push_back({"picture without sound", folder.file("picture.wav"),
                     "The stream is of a different type than handled by this element."});
  }
  return files;
}

TEST(GstSoundPlayerOpen, FilesThatAreNoSoundFailCleanlyAndLeaveThePlayerClosed) {
  REQUIRE_SOUND(goodPath, SoundFormat::kWav);
  GstSoundPlayer player(kTestSink);
  for (const BadFile& bad : badFiles()) {
    SCOPED_TRACE(bad.what);
    // A sound open before the failed open is closed by it.
    player.setFileName(goodPath);
    player.open();
    ASSERT_TRUE(player.isOpen());

    player.setFileName(bad.name);
    try {
      player.open();
      ADD_FAILURE() << "open succeeded";
    } catch (const EMCIDeviceError& error) {
      const std::string text = error.what();
      EXPECT_FALSE(text.empty());
      EXPECT_NE(text, "原因不明のエラー") << "GStreamer gave no reason";
      if (!bad.expectedText.empty()) {
        EXPECT_EQ(text, bad.expectedText);
      }
      EXPECT_EQ(player.lastError(), text);
    }
    EXPECT_FALSE(player.isOpen());
    EXPECT_THROW(player.length(), EMCIDeviceError);
  }
}

TEST(GstSoundPlayerOpen, AnErrorPostedWhilePrerollingGivesItsOwnText) {
  REQUIRE_SHORT_WAV(path);
  // The error comes from a streaming thread while open waits for the preroll.
  GstSoundPlayer player("identity error-after=1 ! fakesink sync=true");
  player.setFileName(path);
  try {
    player.open();
    ADD_FAILURE() << "open succeeded";
  } catch (const EMCIDeviceError& error) {
    EXPECT_STREQ(error.what(), "Failed after iterations as requested.");
  }
  EXPECT_FALSE(player.isOpen());
}

TEST(GstSoundPlayerOpen, UnusableSinkDescriptionFailsToOpen) {
  REQUIRE_SOUND(path, SoundFormat::kWav);
  GstSoundPlayer player("no-such-sink-element");
  player.setFileName(path);
  EXPECT_THROW(player.open(), EMCIDeviceError);
  EXPECT_FALSE(player.isOpen());
}

// --- a closed player ----------------------------------------------------------------------

TEST(GstSoundPlayerClosed, PlayAndLengthRaiseNoDeviceWhileStopAndTimeFormatAreQuiet) {
  GstSoundPlayer player(kTestSink);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round == 0 ? "never opened" : "closed after open");
    try {
      player.play();
      ADD_FAILURE() << "play succeeded";
    } catch (const EMCIDeviceError& error) {
      EXPECT_STREQ(error.what(), kNoDevice);
    }
    try {
      player.length();
      ADD_FAILURE() << "length succeeded";
    } catch (const EMCIDeviceError& error) {
      EXPECT_STREQ(error.what(), kNoDevice);
    }
    EXPECT_NO_THROW(player.stop());
    EXPECT_NO_THROW(player.setTimeFormatMilliseconds());
    EXPECT_EQ(player.lastError(), kNoDevice);
    EXPECT_NO_THROW(player.close());

    const std::string path = Sounds::get().shortWav();
    if (path.empty())
      return;
    player.setFileName(path);
    player.open();
    player.close();
    EXPECT_FALSE(player.isOpen());
  }
}

// --- playing, stopping, the end of sound --------------------------------------------------

TEST(GstSoundPlayerPlay, EndHandlerRunsOnTheOwnersThreadThroughTheMainContext) {
  REQUIRE_SHORT_WAV(path);
  GstSoundPlayer player(kTestSink);
  int ends = 0;
  std::thread::id endThread;
  player.setEndHandler([&] {
    ++ends;
    endThread = std::this_thread::get_id();
  });
  player.setFileName(path);
  player.open();
  player.setTimeFormatMilliseconds();
  player.setNotify(true);
  player.setWait(false);
  player.play();  // returns at once: the sound is still playing
  EXPECT_EQ(ends, 0);

  EXPECT_TRUE(runMainContextUntil([&] { return ends > 0; }, std::chrono::seconds(10)));
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(endThread, std::this_thread::get_id());
  EXPECT_TRUE(player.isOpen()) << "the player stays open at the end of the sound";
}

TEST(GstSoundPlayerPlay, AThrowingEndHandlerDoesNotUnwindThroughTheMainLoop) {
  REQUIRE_SHORT_WAV(path);
  GstSoundPlayer player(kTestSink);
  int ends = 0;
  player.setEndHandler([&] {
    ++ends;
    throw std::runtime_error("handler failed");
  });
  player.setFileName(path);
  player.open();
  player.play();
  EXPECT_TRUE(runMainContextUntil([&] { return ends > 0; }, std::chrono::seconds(10)));
  EXPECT_TRUE(player.isOpen());
}

TEST(GstSoundPlayerPlay, DispatchPendingDeliversTheEndWithoutAMainLoop) {
  REQUIRE_SHORT_WAV(path);
  GstSoundPlayer player(kTestSink);
  int ends = 0;
  player.setEndHandler([&] { ++ends; });
  player.setFileName(path);
  player.open();
  player.play();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (ends == 0 && std::chrono::steady_clock::now() < deadline) {
    player.dispatchPending();
    std::this_thread::yield();
  }
  EXPECT_EQ(ends, 1);
  player.dispatchPending();
  EXPECT_EQ(ends, 1) << "one end per play";
}

TEST(GstSoundPlayerPlay, ReplayAtTheEndRewindsAndPlaysTheWholeSoundAgain) {
  REQUIRE_SHORT_WAV(path);
  GstSoundPlayer player(kTestSink);
  int ends = 0;
  player.setEndHandler([&] { ++ends; });
  player.setFileName(path);
  player.open();
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    const auto started = std::chrono::steady_clock::now();
    player.setWait(true);  // returns when the sound has ended
    player.play();
    const auto playedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - started)
                              .count();
    EXPECT_EQ(ends, run);
    // Without the rewind the second play would end at once, at the old end.
    EXPECT_GE(playedMs, kShortToneMs - 50);
    // The sound source dialog stops on closing even after the sound has ended.
    if (run == 1) {
      player.stop();
      EXPECT_TRUE(player.lastError().empty()) << player.lastError();
    }
  }
}

TEST(GstSoundPlayerPlay, StopEndsPlaybackWithoutReportingAnEnd) {
  REQUIRE_SOUND(path, SoundFormat::kWav);
  GstSoundPlayer player(kTestSink);
  int ends = 0;
  player.setEndHandler([&] { ++ends; });
  player.setFileName(path);
  player.open();
  player.setNotify(true);
  player.setWait(false);
  player.play();
  player.stop();  // no requests pending: waits until stopped
  EXPECT_TRUE(player.lastError().empty()) << player.lastError();
  player.dispatchPending();
  EXPECT_EQ(ends, 0);

  // A second, non-waiting stop and a stop of a stopped sound are harmless.
  player.setNotify(true);
  player.setWait(false);
  player.stop();
  player.stop();
  EXPECT_TRUE(player.isOpen());
  EXPECT_EQ(ends, 0);
}

TEST(GstSoundPlayerPlay, NotifyFalseSuppressesTheEndReportAndRequestsAreOneShot) {
  REQUIRE_SHORT_WAV(path);
  GstSoundPlayer player(kTestSink);
  int ends = 0;
  player.setEndHandler([&] { ++ends; });
  player.setFileName(path);
  player.open();
  player.setNotify(false);
  player.setWait(true);
  player.play();
  EXPECT_EQ(ends, 0);

  // Both requests were used up: this play notifies and returns at once.
  player.play();
  EXPECT_TRUE(runMainContextUntil([&] { return ends > 0; }, std::chrono::seconds(10)));
  EXPECT_EQ(ends, 1);

  // A stop uses up the requests set for it as well, so the play after it has the defaults.
  player.setNotify(false);
  player.setWait(true);
  player.stop();
  player.play();
  EXPECT_EQ(ends, 1) << "play waited";
  EXPECT_TRUE(runMainContextUntil([&] { return ends > 1; }, std::chrono::seconds(10)))
      << "play did not notify";
}

TEST(GstSoundPlayerPlay, PlayFailureIsSilentAndRecordedAsLastError) {
  REQUIRE_SHORT_WAV(path);
  GstSoundPlayer player("fakesink sync=true state-error=paused-to-playing");
  int ends = 0;
  player.setEndHandler([&] { ++ends; });
  player.setFileName(path);
  player.open();
  EXPECT_NO_THROW(player.play());
  EXPECT_FALSE(player.lastError().empty());
  EXPECT_TRUE(player.isOpen());
  player.dispatchPending();
  EXPECT_EQ(ends, 0) << "nothing played, so nothing ended";
}

TEST(GstSoundPlayerPlay, ErrorDuringPlaybackCountsAsTheEnd) {
  REQUIRE_SOUND(path, SoundFormat::kWav);
  GstSoundPlayer player("identity error-after=20 ! fakesink sync=true");
  int ends = 0;
  player.setEndHandler([&] { ++ends; });
  player.setFileName(path);
  player.open();
  player.play();
  EXPECT_TRUE(runMainContextUntil([&] { return ends > 0; }, std::chrono::seconds(10)));
  EXPECT_EQ(ends, 1);
  EXPECT_FALSE(player.lastError().empty());
  EXPECT_TRUE(player.isOpen());

  // The next play starts over from a reset pipeline instead of hanging on the broken one.
  player.play();
  EXPECT_TRUE(runMainContextUntil([&] { return ends > 1; }, std::chrono::seconds(10)));
}

TEST(GstSoundPlayerPlay, EndHandlerMayReopenThePlayer) {
  REQUIRE_SHORT_WAV(path);
  GstSoundPlayer player(kTestSink);
  int ends = 0;
  player.setEndHandler([&] {
    ++ends;
    player.open();  // closes the sound whose bus is being dispatched
    player.play();
  });
  player.setFileName(path);
  player.open();
  player.play();
  EXPECT_TRUE(runMainContextUntil([&] { return ends >= 2; }, std::chrono::seconds(10)));
  player.setEndHandler(nullptr);
  player.close();
}

// The bus watch calls back into the player: one left behind by a closed sound or a destroyed
// player would run on a stale pointer from the owner's event loop.
TEST(GstSoundPlayerPlay, TheBusWatchLivesOnlyWhileASoundIsOpen) {
  REQUIRE_SHORT_WAV(path);
  auto player = std::make_unique<GstSoundPlayer>(kTestSink);
  void* const self = player.get();
  const auto watched = [self] {
    return g_main_context_find_source_by_user_data(nullptr, self) != nullptr;
  };
  player->setFileName(path);
  player->open();
  EXPECT_TRUE(watched());
  player->play();
  player->close();
  EXPECT_FALSE(watched()) << "after close";

  player->open();
  player->setFileName(Sounds::get().folder().file("no-such-file.wav"));
  EXPECT_THROW(player->open(), EMCIDeviceError);
  EXPECT_FALSE(watched()) << "after a failed open";

  player->setFileName(path);
  player->open();
  player->play();
  player.reset();
  EXPECT_FALSE(watched()) << "after destruction";
}

TEST(GstSoundPlayerPlay, DestroyingAPlayingPlayerStopsTheSound) {
  REQUIRE_SOUND(path, SoundFormat::kWav);
  int ends = 0;
  {
    GstSoundPlayer player(kTestSink);
    player.setEndHandler([&] { ++ends; });
    player.setFileName(path);
    player.open();
    player.play();
  }
  // The bus watch went with the player: iterating the context must not call into it.
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  EXPECT_EQ(ends, 0);
}

}  // namespace
}  // namespace tollvane

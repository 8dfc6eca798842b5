// The player's Japanese error texts under a locale without translations (the test program
// runs under LC_ALL=C, where GStreamer's own texts are English).
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "audio/gst_sound_player.h"
#include "sound_files.h"

namespace tollvane {
namespace {

using testing::ScratchFolder;

// "%s" stands for the file's name, as the operator must find the file.
constexpr char kNotFound[] = "サウンドファイル %s が見つかりません";
constexpr char kNoFile[] =
    "サウンドファイルが登録されていないので、「編集」>「登録音源確認」で登録してください";
constexpr char kCannotRead[] = "サウンドファイル %s を読み込めません";
constexpr char kNotASound[] = "%s はサウンドファイルではないか、形式が正しくありません";
constexpr char kNoDecoder[] =
    "サウンドファイル %s の形式を再生する機能がインストールされていません";
constexpr char kDeviceUnavailable[] = "サウンドデバイスを使用できません";
constexpr char kUnknown[] = "原因不明のエラー";
constexpr char kTestSink[] = "fakesink sync=true";

struct Failure {
  const char* what;
  std::string sink;                                 // empty: the test sink
  std::function<std::string(ScratchFolder&)> make;  // returns the file name to open
  const char* expected;
};

std::string Named(std::string expected, const std::string& name) {
  if (const std::size_t at = expected.find("%s"); at != std::string::npos)
    expected.replace(at, 2, name);
  return expected;
}

std::string writeText(ScratchFolder& folder, const std::string& name, const std::string& text) {
  std::ofstream(folder.file(name)) << text;
  return folder.file(name);
}

std::string goodWav(ScratchFolder& folder) {
  const std::string path = folder.file("tone.wav");
  return testing::writeSound(testing::SoundFormat::kWav, 300, path).empty() ? path : "";
}

const Failure kFailures[] = {
    {"MissingFile", "", [](ScratchFolder& f) { return f.file("none.wav"); }, kNotFound},
    {"EmptyName", "", [](ScratchFolder&) { return std::string(); }, kNoFile},
    {"TextFile", "", [](ScratchFolder& f) { return writeText(f, "notes.mp3", "Not a sound.\n"); },
     kNotASound},
    {"EmptyFile", "", [](ScratchFolder& f) { return writeText(f, "empty.wav", ""); }, kNotASound},
    {"Directory", "",
     [](ScratchFolder& f) {
       std::filesystem::create_directories(f.file("folder.wav"));
       return f.file("folder.wav");
     },
     kCannotRead},
    {"Picture", "",
     [](ScratchFolder& f) {
       return testing::writePicture(f.file("picture.wav")).empty() ? f.file("picture.wav") : "";
     },
     kNotASound},
    {"UnusableSinkDescription", "no-such-sink-element", goodWav, kDeviceUnavailable},
    {"SinkRefusesToStart", "fakesink state-error=ready-to-paused", goodWav, kDeviceUnavailable},
    {"NoSoundServer", "pulsesink server=/nonexistent/socket", goodWav, kDeviceUnavailable},
    {"OtherFailure", "identity error-after=1 ! fakesink", goodWav, kUnknown},
};

class JapaneseOpenError : public ::testing::TestWithParam<Failure> {};

TEST_P(JapaneseOpenError, OpenFailsWithTheJapaneseText) {
  const Failure& failure = GetParam();
  if (failure.sink.rfind("pulsesink", 0) == 0) {
    gst_init(nullptr, nullptr);
    GstElementFactory* factory = gst_element_factory_find("pulsesink");
    if (factory == nullptr)
      GTEST_SKIP() << "pulsesink is not installed";
    gst_object_unref(factory);
  }
  ScratchFolder folder;
  const std::string name = failure.make(folder);
  if (name.empty() && std::string(failure.what) != "EmptyName")
    GTEST_SKIP() << "the file could not be made";
  GstSoundPlayer player(failure.sink.empty() ? kTestSink : failure.sink,
                        SoundErrorTexts::kJapanese);
  player.setFileName(name);
  try {
    player.open();
    ADD_FAILURE() << "open succeeded";
  } catch (const EMCIDeviceError& error) {
    EXPECT_EQ(error.what(), Named(failure.expected, name));
    EXPECT_EQ(player.lastError(), Named(failure.expected, name));
  }
  EXPECT_FALSE(player.isOpen());
}

INSTANTIATE_TEST_SUITE_P(Failures, JapaneseOpenError, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.what); });

// With every MP3 decoder ranked out of reach, the MP3 finds no decoder: a missing plugin.
TEST(JapaneseErrors, ASoundWithoutADecoderNamesTheMissingPart) {
  ScratchFolder folder;
  const std::string path = folder.file("tone.mp3");
  if (const std::string why = testing::writeSound(testing::SoundFormat::kMp3WithHeader, 300, path);
      !why.empty()) {
    GTEST_SKIP() << "MP3 not encodable: " << why;
  }
  std::vector<std::pair<GstPluginFeature*, guint>> hidden;
  GList* decoders =
      gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODER, GST_RANK_NONE);
  GstCaps* mpeg = gst_caps_from_string("audio/mpeg");
  for (GList* item = decoders; item != nullptr; item = item->next) {
    auto* factory = GST_ELEMENT_FACTORY(item->data);
    if (!gst_element_factory_can_sink_any_caps(factory, mpeg))
      continue;
    hidden.emplace_back(GST_PLUGIN_FEATURE(gst_object_ref(factory)),
                        gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory)));
    gst_plugin_feature_set_rank(GST_PLUGIN_FEATURE(factory), GST_RANK_NONE);
  }
  gst_plugin_feature_list_free(decoders);
  gst_caps_unref(mpeg);

  GstSoundPlayer player(kTestSink, SoundErrorTexts::kJapanese);
  player.setFileName(path);
  std::string text;
  try {
    player.open();
  } catch (const EMCIDeviceError& error) {
    text = error.what();
  }
  for (auto& [feature, rank] : hidden) {
    gst_plugin_feature_set_rank(feature, rank);
    gst_object_unref(feature);
  }
  EXPECT_EQ(text, Named(kNoDecoder, path));
}

TEST(JapaneseErrors, AnUnreadableFileCannotBeRead) {
  if (geteuid() == 0)
    GTEST_SKIP() << "root reads any file";
  ScratchFolder folder;
  const std::string path = goodWav(folder);
  ASSERT_FALSE(path.empty());
  ::chmod(path.c_str(), 0);
  GstSoundPlayer player(kTestSink, SoundErrorTexts::kJapanese);
  player.setFileName(path);
  try {
    player.open();
    ADD_FAILURE() << "open succeeded";
  } catch (const EMCIDeviceError& error) {
    EXPECT_EQ(error.what(), Named(kCannotRead, path));
  }
}

TEST(JapaneseErrors, PlaybackErrorsAndTheClosedPlayerReadJapaneseToo) {
  ScratchFolder folder;
  const std::string path = goodWav(folder);
  ASSERT_FALSE(path.empty());
  GstSoundPlayer player("identity error-after=5 ! fakesink sync=true", SoundErrorTexts::kJapanese);
  player.setFileName(path);
  player.open();
  int ends = 0;
  player.setEndHandler([&] { ++ends; });
  player.setWait(true);
  player.play();
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(player.lastError(), kUnknown);

  player.close();
  EXPECT_THROW(player.play(), EMCIDeviceError);
  EXPECT_EQ(player.lastError(), "MCI デバイスがありません");
}

}  // namespace
}  // namespace tollvane

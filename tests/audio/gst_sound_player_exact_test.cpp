// Lengths to the millisecond, and a stop that returns only once the pipeline has settled.
#include <gst/base/gstbasesink.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <string>

#include "audio/gst_sound_player.h"
#include "support/scratch_folder.h"

namespace tollvane {
namespace {

using testing::ScratchFolder;

// A mono 16-bit PCM WAV of exactly sampleCount samples: its duration need not be a whole number
// of milliseconds, unlike the encoded test tones.
void writePcmWav(const std::string& path, uint32_t sampleRate, uint32_t sampleCount) {
  std::ofstream out(path, std::ios::binary);
  const auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i)
      out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  const auto u16 = [&](uint16_t v) {
    out.put(static_cast<char>(v & 0xFF));
    out.put(static_cast<char>(v >> 8));
  };
  const uint32_t dataBytes = sampleCount * 2;
  out.write("RIFF", 4);
  u32(36 + dataBytes);
  out.write("WAVEfmt ", 8);
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(sampleRate);
  u32(sampleRate * 2);
  u16(2);
  u16(16);
  out.write("data", 4);
  u32(dataBytes);
  for (uint32_t i = 0; i < sampleCount; ++i)
    u16(static_cast<uint16_t>((i % 16) < 8 ? 8000 : -8000));
}

struct ExactLength {
  uint32_t samples;  // at 8000 Hz, one sample is 0.125 ms
  int expectedMs;
};

class LengthRounding : public ::testing::TestWithParam<ExactLength> {};

TEST_P(LengthRounding, LengthIsTheDurationRoundedToTheNearestMillisecond) {
  ScratchFolder folder;
  const std::string path = folder.file("exact.wav");
  writePcmWav(path, 8000, GetParam().samples);
  GstSoundPlayer player("fakesink sync=true");
  player.setFileName(path);
  player.open();
  player.setTimeFormatMilliseconds();
  EXPECT_EQ(player.length(), GetParam().expectedMs);
}

INSTANTIATE_TEST_SUITE_P(Durations, LengthRounding,
                         ::testing::Values(ExactLength{8000, 1000},  // 1000 ms exactly
                                           ExactLength{7999, 1000},  // 999.875 ms
                                           ExactLength{8003, 1000},  // 1000.375 ms
                                           ExactLength{8004, 1001},  // 1000.5 ms
                                           ExactLength{8005, 1001},  // 1000.625 ms
                                           ExactLength{4007, 501}),  // 500.875 ms
                         [](const auto& info) {
                           return "Samples" + std::to_string(info.param.samples);
                         });

// --- a stop that waits ------------------------------------------------------------------
// Going from PLAYING to PAUSED, a sink settles only when the next buffer reaches it; a slow
// element in front of the sink holds that buffer back, so a stop that does not wait returns
// while the pipeline is still changing state. The test's own sink hands over the pipeline.

std::atomic<GstElement*> lastProbeSink{nullptr};
std::atomic<int> probeRenders{0};

struct ProbeSink {
  GstBaseSink parent;
};
struct ProbeSinkClass {
  GstBaseSinkClass parent_class;
};

G_DEFINE_TYPE(ProbeSink, probe_sink, GST_TYPE_BASE_SINK)

GstFlowReturn probeSinkRender(GstBaseSink*, GstBuffer*) {
  ++probeRenders;
  return GST_FLOW_OK;
}

void probe_sink_class_init(ProbeSinkClass* klass) {
  static GstStaticPadTemplate sinkTemplate =
      GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS_ANY);
  auto* elementClass = GST_ELEMENT_CLASS(klass);
  gst_element_class_add_static_pad_template(elementClass, &sinkTemplate);
  gst_element_class_set_static_metadata(elementClass, "Probe sink", "Sink/Audio",
                                        "Discards buffers in real time", "Tollvane");
  GST_BASE_SINK_CLASS(klass)->render = probeSinkRender;
}
void probe_sink_init(ProbeSink* sink) {
  gst_base_sink_set_sync(GST_BASE_SINK(sink), TRUE);
  lastProbeSink = GST_ELEMENT(sink);
}

// The playbin that holds the sink.
GstElement* pipelineOf(GstElement* element) {
  GstElement* top = element;
  while (GST_ELEMENT_PARENT(top) != nullptr)
    top = GST_ELEMENT_PARENT(top);
  return top;
}

struct StopCase {
  const char* what;
  int waitRequest;  // -1: none pending
  bool settledOnReturn;
};

class StopSettling : public ::testing::TestWithParam<StopCase> {
 protected:
  static void SetUpTestSuite() {
    gst_init(nullptr, nullptr);
    gst_element_register(nullptr, "tollvaneprobesink", GST_RANK_NONE, probe_sink_get_type());
  }
};

TEST_P(StopSettling, AWaitingStopReturnsWithThePipelinePaused) {
  ScratchFolder folder;
  const std::string path = folder.file("tone.wav");
  writePcmWav(path, 8000, 16000);
  // The streaming thread sleeps 300 ms in front of the sink for each buffer of 256 ms.
  GstSoundPlayer player("identity sleep-time=300000 ! tollvaneprobesink");
  player.setFileName(path);
  player.open();
  GstElement* pipeline = pipelineOf(lastProbeSink.load());
  probeRenders = 0;
  player.play();
  // Just after a buffer has played, the next one is held back for the longest.
  const gint64 deadline = g_get_monotonic_time() + 5 * G_USEC_PER_SEC;
  while (probeRenders.load() == 0 && g_get_monotonic_time() < deadline)
    g_thread_yield();
  ASSERT_GT(probeRenders.load(), 0);

  if (GetParam().waitRequest >= 0)
    player.setWait(GetParam().waitRequest != 0);
  player.stop();
  GstState state = GST_STATE_VOID_PENDING;
  const GstStateChangeReturn now = gst_element_get_state(pipeline, &state, nullptr, 0);
  if (GetParam().settledOnReturn) {
    EXPECT_EQ(now, GST_STATE_CHANGE_SUCCESS);
    EXPECT_EQ(state, GST_STATE_PAUSED);
  } else {
    // The sink is still prerolling: proof that the cases above observe the waiting.
    EXPECT_EQ(now, GST_STATE_CHANGE_ASYNC);
  }
  EXPECT_EQ(gst_element_get_state(pipeline, &state, nullptr, 5 * GST_SECOND),
            GST_STATE_CHANGE_SUCCESS);
}

INSTANTIATE_TEST_SUITE_P(Requests, StopSettling,
                         ::testing::Values(StopCase{"NoRequest", -1, true},
                                           StopCase{"WaitTrue", 1, true},
                                           StopCase{"WaitFalse", 0, false}),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace tollvane

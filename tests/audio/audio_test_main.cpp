#include <glib.h>
#include <gtest/gtest.h>

#include <cstdlib>

// GStreamer translates its error texts; the tests compare the untranslated ones, and the
// locale must be fixed before GStreamer is first initialised.
int main(int argc, char** argv) {
  setenv("LC_ALL", "C", 1);
  // GStreamer reports a pipeline dropped outside the NULL state, and reference misuse, only as
  // a critical message; abort on it so that such a leak fails the test that caused it.
  g_log_set_always_fatal(static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_FLAG_FATAL));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

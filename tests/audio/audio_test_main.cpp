#include <gtest/gtest.h>

#include <cstdlib>

// GStreamer translates its error texts; the tests compare the untranslated ones, and the
// locale must be fixed before GStreamer is first initialised.
int main(int argc, char** argv) {
  setenv("LC_ALL", "C", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// Starts the application object on the offscreen platform before the tests run; ctest runs the
// binaries without any test environment, so the platform is chosen here.
#include <gtest/gtest.h>

#include "ui/guard.h"
#include "ui/qt_services.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  tollvane::TollvaneApplication app(argc, argv);
  tollvane::InstallJapaneseTranslations();
  return RUN_ALL_TESTS();
}

// Test entry for suites that draw: fonts and the raster need a Qt
// application, which runs on the offscreen platform unless told otherwise.
#include <gtest/gtest.h>

#include <QGuiApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef KRESTA_TEST_RUNTIME_DIR
  // Qt wants a private runtime folder; root has none by default.
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) qputenv("XDG_RUNTIME_DIR", KRESTA_TEST_RUNTIME_DIR);
#endif
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// Test entry for suites that drive real widgets: the program's application
// object (with its top-level error report) on the offscreen platform, in
// Russian, unless told otherwise.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "ui/Application.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef KRESTA_TEST_RUNTIME_DIR
  // Qt wants a private runtime folder; root has none by default.
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) qputenv("XDG_RUNTIME_DIR", KRESTA_TEST_RUNTIME_DIR);
#endif
  // Recovery files go to a folder of the run's own, never the user's.
  QTemporaryDir state;
  qputenv("XDG_STATE_HOME", state.path().toUtf8());
  // And so do the settings.
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  // The interface's own language unless the run asks for another: the
  // window tests read its texts.
  if (qEnvironmentVariableIsEmpty("LANGUAGE")) qputenv("LANGUAGE", "ru");
  TApplication app(argc, argv);
  InstallInterfaceLanguage(app);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

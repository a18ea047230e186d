// Where the third-party test files live: KRESTA_TESTDATA when set, else the
// folder the build was configured with. A missing folder fails the test that
// asks, so a suite never passes by silently skipping its reference files.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

inline std::filesystem::path TestDataPath(const std::string& Relative) {
  const char* fromEnvironment = std::getenv("KRESTA_TESTDATA");
#ifdef KRESTA_TESTDATA_DIR
  const char* root = fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment : KRESTA_TESTDATA_DIR;
#else
  const char* root = fromEnvironment;
#endif
  if (root == nullptr || !std::filesystem::is_directory(root)) {
    ADD_FAILURE() << "the test data folder is missing: set KRESTA_TESTDATA";
    return {};
  }
  return std::filesystem::path(root) / Relative;
}

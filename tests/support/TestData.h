// Where the third-party test files live: KRESTA_TESTDATA, set by the build.
// A missing folder fails the test that asks, so a suite never passes by
// silently skipping its reference files.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

inline std::filesystem::path TestDataPath(const std::string& Relative) {
  const char* root = std::getenv("KRESTA_TESTDATA");
  if (root == nullptr || !std::filesystem::is_directory(root)) {
    ADD_FAILURE() << "KRESTA_TESTDATA does not name the test data folder";
    return {};
  }
  return std::filesystem::path(root) / Relative;
}

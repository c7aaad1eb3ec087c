#pragma once
// Gives a test a fresh profile folder (ORVANE_HOME) and a fixed "now"
// (ORVANE_NOW), and takes both away afterwards.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/TemporaryProfile.h"

class TestProfile {
 public:
  explicit TestProfile(const char* now = "2004-03-21T05:30:00") {
    if (!m_profile.Ok()) ADD_FAILURE() << "cannot make a temporary folder";
    setenv("ORVANE_NOW", now, 1);
  }
  ~TestProfile() { unsetenv("ORVANE_NOW"); }
  TestProfile(const TestProfile&) = delete;
  TestProfile& operator=(const TestProfile&) = delete;

  const std::filesystem::path& Dir() const { return m_profile.Dir(); }

 private:
  TemporaryProfile m_profile;
};

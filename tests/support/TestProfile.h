#pragma once
// Gives a test a fresh profile folder (ORVANE_HOME) and a fixed "now"
// (ORVANE_NOW), and takes both away afterwards.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class TestProfile {
 public:
  explicit TestProfile(const char* now = "2004-03-21T05:30:00") {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvane-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot make a temporary folder";
    m_dir = pattern;
    setenv("ORVANE_HOME", m_dir.c_str(), 1);
    setenv("ORVANE_NOW", now, 1);
  }
  ~TestProfile() {
    unsetenv("ORVANE_HOME");
    unsetenv("ORVANE_NOW");
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
  }
  TestProfile(const TestProfile&) = delete;
  TestProfile& operator=(const TestProfile&) = delete;

  const std::filesystem::path& Dir() const { return m_dir; }

 private:
  std::filesystem::path m_dir;
};

#pragma once
// A profile folder of its own (ORVANE_HOME) for a test, a benchmark or a
// fuzz target: a new folder under the system's temporary folder, removed
// with everything in it when the object goes, ORVANE_HOME unset then.
// Needs no test framework, so that benchmarks and fuzz targets use it too.

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

class TemporaryProfile {
 public:
  /// prefix names the folder (prefix-XXXXXX) so that one left behind by a
  /// crash tells who made it.
  explicit TemporaryProfile(const char* prefix = "orvane-test") {
    std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    m_dir = pattern;
    setenv("ORVANE_HOME", m_dir.c_str(), 1);
  }
  ~TemporaryProfile() {
    if (m_dir.empty()) return;
    unsetenv("ORVANE_HOME");
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
  }
  TemporaryProfile(const TemporaryProfile&) = delete;
  TemporaryProfile& operator=(const TemporaryProfile&) = delete;

  /// False when no folder could be made (ORVANE_HOME is then left alone).
  bool Ok() const { return !m_dir.empty(); }
  const std::filesystem::path& Dir() const { return m_dir; }
  std::filesystem::path File(const std::string& name) const { return m_dir / name; }

 private:
  std::filesystem::path m_dir;
};

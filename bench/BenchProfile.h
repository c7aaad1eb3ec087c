#pragma once
// A profile folder of a benchmark's own (ORVANE_HOME), in English (United
// States), removed when the benchmark is done.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/nls/Nls.h"

class BenchProfile {
 public:
  BenchProfile() {
    std::string folder = (std::filesystem::temp_directory_path() / "orvane-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) != nullptr) folder_ = folder;
    setenv("ORVANE_HOME", folder_.c_str(), 1);
    nls::SetUserDefaultLocale(1033);
  }
  ~BenchProfile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  BenchProfile(const BenchProfile&) = delete;
  BenchProfile& operator=(const BenchProfile&) = delete;

  bool Ok() const { return !folder_.empty(); }
  const std::filesystem::path& Dir() const { return folder_; }
  std::filesystem::path File() const { return folder_ / "outlook.db"; }

 private:
  std::filesystem::path folder_;
};

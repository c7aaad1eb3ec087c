#pragma once
// A profile of the fuzz target's own (ORVANE_HOME in a temporary folder),
// for the life of the process and removed at its exit, after whatever used
// it has closed its files.

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

class FuzzProfile {
 public:
  FuzzProfile() {
    std::string folder = (std::filesystem::temp_directory_path() / "orvane-fuzz-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    folder_ = folder;
    setenv("ORVANE_HOME", folder_.c_str(), 1);
  }
  ~FuzzProfile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  FuzzProfile(const FuzzProfile&) = delete;
  FuzzProfile& operator=(const FuzzProfile&) = delete;

 private:
  std::filesystem::path folder_;
};

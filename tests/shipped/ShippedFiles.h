#pragma once
// Reading the shipped data files and their sources in the tests.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace shipped {

inline const char* const kLanguages[] = {"en", "fr", "ar"};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot open " << path;
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::string Source(const std::string& folder, const std::string& name) {
  return ReadBytes(std::string(ORVANE_DATA_DIR) + "/" + folder + "/" + name);
}

/// Lines of an LF text, without their line feeds; a final line feed ends the
/// last line rather than starting an empty one.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

/// Rows of a tab-separated table under tests/data, comment lines left out.
inline std::vector<std::vector<std::string>> Table(const std::string& name) {
  std::vector<std::vector<std::string>> rows;
  for (const auto& line : Lines(ReadBytes(std::string(ORVANE_TEST_DATA) + "/" + name))) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    rows.push_back(fields);
  }
  return rows;
}

/// Number of code points of a UTF-8 text.
inline std::size_t CodePoints(const std::string& utf8) {
  std::size_t count = 0;
  for (unsigned char c : utf8) count += (c & 0xC0) != 0x80;
  return count;
}

}  // namespace shipped

// orvane-encode-data SOURCE XP_OUTPUT UTF16_OUTPUT
//
// Writes one shipped data file (UTF-8, LF) in the two add-in folders' forms:
// code page 1256 with CR LF for the XP add-in, UTF-16 little-endian without a
// byte-order mark and with CR LF for the 2003 add-in. A character the code
// page lacks stops the build with the file and line, rather than becoming '?'
// in the XP folder.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "tools/common/DataText.h"

namespace {

namespace fs = std::filesystem;

// Writes beside the target and renames, so an interrupted build never leaves
// a half-written file that looks up to date.
bool WriteReplacing(const fs::path& target, const std::string& bytes) {
  std::error_code ec;
  fs::create_directories(target.parent_path(), ec);
  const fs::path temporary = target.string() + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      std::cerr << temporary.string() << ": cannot write\n";
      return false;
    }
  }
  fs::rename(temporary, target, ec);
  if (ec) {
    std::cerr << target.string() << ": cannot replace: " << ec.message() << "\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: orvane-encode-data SOURCE XP_OUTPUT UTF16_OUTPUT\n";
    return 2;
  }
  const fs::path source = argv[1];
  std::ifstream in(source, std::ios::binary);
  if (!in) {
    std::cerr << source.string() << ": cannot open\n";
    return 1;
  }
  const std::string utf8((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  datatext::EncodedDataFile encoded;
  datatext::DataFileError error;
  if (!datatext::EncodeDataFile(utf8, encoded, error)) {
    std::cerr << source.string() << ":" << error.line << ": " << error.message << "\n";
    // Outputs of an earlier good run would otherwise survive a bad source.
    std::error_code ignored;
    fs::remove(argv[2], ignored);
    fs::remove(argv[3], ignored);
    return 1;
  }
  return WriteReplacing(argv[2], encoded.cp1256) && WriteReplacing(argv[3], encoded.utf16le) ? 0 : 1;
}

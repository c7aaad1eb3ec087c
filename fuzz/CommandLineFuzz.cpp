// Fuzz target: arbitrary bytes as a Windows command line for
// shell::SplitCommandLine, the reading of the browser's registered command
// (the registry is outside input). Besides the sanitizers' findings it
// checks that the words, quoted back as the C runtime expects them, split
// into the same words again.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/shell/Program.h"

namespace {

// One word quoted so that the C runtime's rules read it back as it is.
std::string Quote(const std::string& word) {
  if (!word.empty() && word.find_first_of(" \t\"") == std::string::npos) return word;
  std::string out = "\"";
  std::size_t slashes = 0;
  for (const char c : word) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    if (c == '"') {
      out.append(slashes * 2 + 1, '\\');
    } else {
      out.append(slashes, '\\');
    }
    slashes = 0;
    out += c;
  }
  out.append(slashes * 2, '\\');
  return out + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> words = shell::SplitCommandLine(line);
  std::string again;
  for (const std::string& word : words) {
    if (word.find('\0') != std::string::npos) return 0;  // a C string could not carry it
    again += (again.empty() ? "" : " ") + Quote(word);
  }
  if (shell::SplitCommandLine(again) != words) {
    std::fprintf(stderr, "the words do not read back from: %s\n", again.c_str());
    std::abort();
  }
  return 0;
}

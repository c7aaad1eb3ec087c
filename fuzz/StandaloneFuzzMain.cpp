// Runs a libFuzzer entry point without libFuzzer, which g++ lacks, so that
// the normal test build puts the target's seeds through the sanitizers. Each
// argument is a file or a folder of files; without arguments a few built-in
// inputs run. Every input also runs cut short at each of its bytes: cheap
// variety (unclosed quotes, dangling continuations, half characters) that
// a corpus of whole files would not reach.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// Long inputs are cut at this many places at most, spread evenly.
constexpr std::size_t kMaxCuts = 512;

const std::string kBuiltIn[] = {
    "",
    "Windows Registry Editor Version 5.00\n",
    "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\X]\r\n"
    "@=\"a\\\\b\"\r\n\"n\"=dword:0000002a\r\n\"b\"=hex:01,02,\\\r\n  03\r\n",
    std::string("\xff\xfeW\0i\0n\0", 8),
};

bool ReadFile(const std::filesystem::path& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

void Run(const std::string& input) {
  const auto* data = reinterpret_cast<const std::uint8_t*>(input.data());
  LLVMFuzzerTestOneInput(data, input.size());
  const std::size_t step = std::max<std::size_t>(1, input.size() / kMaxCuts);
  for (std::size_t cut = 0; cut < input.size(); cut += step) LLVMFuzzerTestOneInput(data, cut);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> inputs;
  if (argc < 2) {
    inputs.assign(std::begin(kBuiltIn), std::end(kBuiltIn));
  }
  for (int i = 1; i < argc; ++i) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    if (std::filesystem::is_directory(argv[i], ec)) {
      for (const auto& entry : std::filesystem::directory_iterator(argv[i], ec)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
      std::sort(files.begin(), files.end());
    } else {
      files.emplace_back(argv[i]);
    }
    for (const auto& file : files) {
      std::string bytes;
      if (!ReadFile(file, &bytes)) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 1;
      }
      inputs.push_back(std::move(bytes));
    }
  }
  for (const std::string& input : inputs) Run(input);
  std::printf("ran %zu inputs and their shortened forms\n", inputs.size());
  return 0;
}

// Fuzz target: arbitrary bytes as a hadith file, in the encoding of the
// module flavour it is built for. Whatever the file holds, at least one and
// at most a hundred texts come out, and handing them out never fails.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "calendar/HadithServer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("orvane-hadith-" + std::to_string(getpid()))).string();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  CHadithServer server(size > 0 ? data[0] * 16777259u : 0u);
  const tstring wide = Utf8ToT(path);
  server.Load(wide.c_str());
  if (server.Count() < 1 || server.Count() > CHadithServer::kMaxHadiths) std::abort();
  std::u16string text;
  for (int i = 0; i <= server.Count(); ++i) server.GetNextHadith(&text);
  std::remove(path.c_str());
  return 0;
}

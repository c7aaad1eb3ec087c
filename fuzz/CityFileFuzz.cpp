// Fuzz target: arbitrary bytes as a city file, read line by line and at a
// line, in the encoding of the module flavour it is built for.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "locations/DataFileHandler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("orvane-cityfile-" + std::to_string(getpid()))).string();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  const tstring wide = Utf8ToT(path);
  {
    CDataFileHandler reader(wide.c_str(), CDataFileHandler::kRead);
    CCityInfo city;
    int cities = 0;
    while (reader.GetNextCityInfo(city)) ++cities;
    tchar line[CDataFileHandler::kReadBufferSize];
    reader.ReadCityAtLine(size % 7 + 1, line, CDataFileHandler::kReadBufferSize);
    (void)cities;
  }
  std::remove(path.c_str());
  return 0;
}

#include "host/AddinLocation.h"

#include <cstdlib>
#include <vector>

#include "platform/fs/ModulePath.h"

namespace host {

std::filesystem::path FindAddinModule(int office) {
  const bool xp = office == 10;
  const char* file = xp ? "OrvaneXP.so" : "Orvane2003.so";
  const char* buildFolder = xp ? "addin-xp" : "addin-2003";
  const char* installFolder = xp ? "xp" : "2003";

  std::vector<std::filesystem::path> candidates;
  if (const char* dir = std::getenv("ORVANE_ADDIN_DIR"); dir != nullptr && *dir != '\0') {
    candidates.push_back(std::filesystem::path(dir) / buildFolder / file);
    candidates.push_back(std::filesystem::path(dir) / installFolder / file);
  }
  const std::filesystem::path program =
      fs_module::ModulePathOf(reinterpret_cast<const void*>(&FindAddinModule));
  const std::filesystem::path prefix = program.parent_path().parent_path();
  candidates.push_back(prefix / buildFolder / file);
  candidates.push_back(prefix / "lib" / "orvane" / installFolder / file);

  for (const std::filesystem::path& candidate : candidates) {
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error)) {
      return std::filesystem::canonical(candidate, error);
    }
  }
  return {};
}

}  // namespace host

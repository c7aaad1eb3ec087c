#include "platform/fs/WindowsPath.h"

#include <cctype>
#include <string>
#include <system_error>

#include "platform/fs/Profile.h"

namespace fs_win {

std::filesystem::path MapPath(std::string_view windowsPath) {
  std::string rest(windowsPath);
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
  if (rest.size() >= 2 && std::isalpha(static_cast<unsigned char>(rest[0])) && rest[1] == ':') {
    const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0])));
    std::string inside = rest.substr(2);
    while (!inside.empty() && inside.front() == '/') inside.erase(0, 1);
    return profile::Directory() / (std::string("drive_") + drive) / inside;
  }
  return rest;
}

FILE* OpenFile(std::string_view windowsPath, const char* mode) {
  const std::filesystem::path path = MapPath(windowsPath);
  if (mode[0] == 'a' || mode[0] == 'w') {
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
  }
  return std::fopen(path.c_str(), mode);
}

}  // namespace fs_win

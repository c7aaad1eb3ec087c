#include "platform/fs/WindowsPath.h"

#include <fcntl.h>
#include <unistd.h>

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
    try {
      return profile::Directory() / (std::string("drive_") + drive) / inside;
    } catch (const std::exception&) {
      return {};  // no profile: nowhere for it to be, and opening it fails
    }
  }
  return rest;
}

FILE* OpenFile(std::string_view windowsPath, const char* mode) {
  const std::filesystem::path path = MapPath(windowsPath);
  if (path.empty()) return nullptr;
  if (mode[0] == 'a' || mode[0] == 'w') {
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    // A drive lies in the profile, whose files are its user's alone; fopen
    // would make a new one readable by all.
    const bool onDrive = windowsPath.size() >= 2 && windowsPath[1] == ':';
    if (onDrive) {
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
      if (fd >= 0) ::close(fd);
    }
  }
  return std::fopen(path.c_str(), mode);
}

}  // namespace fs_win

#include "platform/fs/Profile.h"

#include <cstdlib>
#include <system_error>

namespace profile {

namespace {

std::filesystem::path Locate() {
  std::filesystem::path dir;
  if (const char* home = std::getenv("ORVANE_HOME"); home != nullptr && *home != '\0') {
    dir = home;
  } else if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0') {
    dir = std::filesystem::path(xdg) / "orvane";
  } else {
    const char* user = std::getenv("HOME");
    dir = std::filesystem::path(user != nullptr && *user != '\0' ? user : "/tmp") / ".local" /
          "share" / "orvane";
  }
  return dir;
}

}  // namespace

std::filesystem::path Directory() {
  std::filesystem::path dir = Locate();
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  return dir;
}

std::filesystem::path File(const char* name) { return Directory() / name; }

std::filesystem::path PathOf(const char* name) { return Locate() / name; }

}  // namespace profile

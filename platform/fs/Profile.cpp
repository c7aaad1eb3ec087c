#include "platform/fs/Profile.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace profile {

namespace {

constexpr mode_t kPrivateFolder = 0700;
// Bits that let anyone but the owner in.
constexpr mode_t kOthersBits = 077;

// The home folder of the user the process runs as, from the password
// database: HOME may be unset (a service, cron, env -i) and must never be
// replaced by a folder that everyone may write into, such as /tmp.
std::filesystem::path HomeFromPasswordDatabase() {
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
  passwd entry {};
  passwd* found = nullptr;
  while (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE) {
    buffer.resize(buffer.size() * 2);
  }
  if (found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/') return {};
  return found->pw_dir;
}

std::filesystem::path Locate() {
  if (const char* home = std::getenv("ORVANE_HOME"); home != nullptr && *home != '\0') return home;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0') {
    return std::filesystem::path(xdg) / "orvane";
  }
  std::filesystem::path home;
  if (const char* user = std::getenv("HOME"); user != nullptr && *user != '\0') {
    home = user;
  } else {
    // Asked on every registry call: the user a process runs as stays.
    static const std::filesystem::path own = HomeFromPasswordDatabase();
    home = own;
  }
  if (home.empty()) {
    throw std::runtime_error("no home folder: HOME is not set and the password database has none for user " +
                             std::to_string(geteuid()) + "; set ORVANE_HOME or use --home DIR");
  }
  return home / ".local" / "share" / "orvane";
}

// The parents as the user's umask makes them; the profile folder itself
// private from its first moment, not made and then narrowed.
void Create(const std::filesystem::path& dir) {
  std::error_code ignored;
  if (std::filesystem::is_directory(dir, ignored)) return;
  std::filesystem::create_directories(dir.parent_path(), ignored);
  ::mkdir(dir.c_str(), kPrivateFolder);
}

// A folder that others may write into: world-writable, or group-writable
// for a group other than the user's own private one (the group of the
// user's name, where user private groups are the custom and umask 002 the
// default).
bool WritableByOthers(const struct stat& st) {
  if ((st.st_mode & S_IWOTH) != 0) return true;
  if ((st.st_mode & S_IWGRP) == 0) return false;
  const group* g = getgrgid(st.st_gid);
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
  passwd entry {};
  passwd* user = nullptr;
  getpwuid_r(st.st_uid, &entry, buffer.data(), buffer.size(), &user);
  const bool ownGroup = g != nullptr && user != nullptr && user->pw_gid == st.st_gid &&
                        std::strcmp(g->gr_name, user->pw_name) == 0 &&
                        (g->gr_mem == nullptr || g->gr_mem[0] == nullptr);
  return !ownGroup;
}

std::string ModeText(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

// Takes group and others off the folder and everything in it, and nothing
// more: a folder the user made read-only stays so (links are left: what
// they point to is not the profile's).
void Narrow(const std::filesystem::path& dir, mode_t mode) {
  ::chmod(dir.c_str(), mode & 07700);
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(dir, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    struct stat st {};
    if (::lstat(it->path().c_str(), &st) != 0 || S_ISLNK(st.st_mode)) continue;
    if ((st.st_mode & kOthersBits) != 0) ::chmod(it->path().c_str(), st.st_mode & 07700);
  }
}

}  // namespace

std::filesystem::path Directory() {
  std::filesystem::path dir = Locate();
  Create(dir);
  return dir;
}

std::filesystem::path File(const char* name) { return Directory() / name; }

std::filesystem::path PathOf(const char* name) { return Locate() / name; }

std::filesystem::path FolderToWrite(const std::filesystem::path& addinFolder, const char* userFolder) {
  if (::access(addinFolder.c_str(), W_OK) == 0) return addinFolder;
  const std::filesystem::path own = File(userFolder);
  ::mkdir(own.c_str(), kPrivateFolder);
  return own;
}

std::optional<std::string> CheckOwnership(const std::filesystem::path& folder) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) {
    return "the profile folder " + folder.string() + " cannot be used: " + std::strerror(errno);
  }
  if (!S_ISDIR(st.st_mode)) return "the profile folder " + folder.string() + " is not a folder";
  if (st.st_uid != geteuid()) {
    return "the profile folder " + folder.string() + " belongs to another user (uid " + std::to_string(st.st_uid) +
           "); use a folder of your own (--home DIR or ORVANE_HOME)";
  }
  if (WritableByOthers(st)) {
    return "the profile folder " + folder.string() + " can be written by other users (mode " + ModeText(st.st_mode) +
           "), so its registry cannot be trusted; use a folder of your own, or make this one private " +
           "(chmod 700) once you have checked what is in it";
  }
  return std::nullopt;
}

std::optional<std::string> MakePrivate(std::string* note) {
  std::filesystem::path dir;
  try {
    dir = Directory();
  } catch (const std::exception& e) {
    return std::string(e.what());
  }
  if (auto problem = CheckOwnership(dir)) return problem;
  struct stat st {};
  if (::stat(dir.c_str(), &st) == 0 && (st.st_mode & kOthersBits) != 0) {
    Narrow(dir, st.st_mode);
    if (note != nullptr) {
      *note = "the profile folder " + dir.string() + " could be read by other users (mode " + ModeText(st.st_mode) +
              "); it and its files are now for you alone";
    }
  }
  return std::nullopt;
}

}  // namespace profile

#pragma once
// Running the program as a user without privileges. The tests run as root,
// for whom file modes stop nothing: a read-only file, a folder that cannot
// be written or an install folder of another user only mean something to
// an ordinary user. setpriv (util-linux) runs a command as "nobody" with no
// supplementary groups; the profile it uses is a folder of that user's own.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/support/RunProgram.h"

inline constexpr uid_t kUnprivilegedUser = 65534;
inline constexpr gid_t kUnprivilegedGroup = 65534;

// Makes the folder and everything in it the unprivileged user's.
inline void GiveToUnprivilegedUser(const std::filesystem::path& folder) {
  if (::chown(folder.c_str(), kUnprivilegedUser, kUnprivilegedGroup) != 0) return;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (::lchown(it->path().c_str(), kUnprivilegedUser, kUnprivilegedGroup) != 0) return;
  }
}

// The shell command line that runs `command` as the unprivileged user, with
// ORVANE_HOME set to `home`.
inline std::string AsUnprivilegedUser(const std::filesystem::path& home, const std::string& command) {
  return "setpriv --reuid=" + std::to_string(kUnprivilegedUser) + " --regid=" + std::to_string(kUnprivilegedGroup) +
         " --clear-groups env ORVANE_HOME='" + home.string() + "' " + command;
}

// Runs `command` as the unprivileged user with ORVANE_HOME `home`; standard
// error joins the output.
inline std::string RunUnprivileged(const std::filesystem::path& home, const std::string& command, int* exitCode) {
  return RunCommand(AsUnprivilegedUser(home, command), exitCode);
}

// A profile folder of the unprivileged user's own (0700), inside `parent`,
// which that user must be able to pass through.
inline std::filesystem::path UnprivilegedProfile(const std::filesystem::path& parent) {
  const std::filesystem::path home = parent / "nobody-profile";
  std::filesystem::create_directories(home);
  ::chmod(parent.c_str(), 0711);
  ::chmod(home.c_str(), 0700);
  GiveToUnprivilegedUser(home);
  return home;
}

#pragma once
// Running part of a test as an ordinary user. The tests run as root, for
// whom file modes stop nothing: a read-only file, a folder that cannot be
// written or an install folder of another user only mean something to an
// ordinary user, "nobody" (uid and gid 65534, no supplementary groups). Two
// ways: a child process of the test that becomes that user (for the add-in
// in the test's own process), or the program run through setpriv
// (util-linux) with a profile folder of that user's own.

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "tests/support/RunProgram.h"

inline constexpr uid_t kUnprivilegedUser = 65534;
inline constexpr gid_t kUnprivilegedGroup = 65534;
inline constexpr uid_t kNobody = kUnprivilegedUser;

// Makes the folder and everything in it the unprivileged user's.
inline void GiveToUnprivilegedUser(const std::filesystem::path& folder) {
  if (::chown(folder.c_str(), kUnprivilegedUser, kUnprivilegedGroup) != 0) return;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (::lchown(it->path().c_str(), kUnprivilegedUser, kUnprivilegedGroup) != 0) return;
  }
}

// The uid a file made for the unprivileged child should belong to.
inline uid_t UnprivilegedUid() { return geteuid() == 0 ? kNobody : geteuid(); }

// Hands a folder to the user the child runs as; nothing to do when the
// tests already run as an ordinary user.
inline void GiveToUnprivileged(const std::filesystem::path& folder) {
  if (geteuid() == 0) GiveToUnprivilegedUser(folder);
}

// body's result as the child's: true when it held. The child writes its
// own failures to standard error; EXPECT_* of the test framework do not
// cross the process boundary. Run by an ordinary user, the child stays that
// user.
inline bool RunUnprivileged(const std::function<bool()>& body) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    if (geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
         setresuid(kNobody, kNobody, kNobody) != 0)) {
      _exit(3);
    }
    const bool held = body();
    std::fflush(nullptr);
    _exit(held ? 0 : 1);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
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

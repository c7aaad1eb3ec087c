#pragma once
// Runs part of a test as an ordinary user. The tests run as root, for whom
// file permissions stop nothing, so a case about a user who may not write
// the install folder runs in a child process that has become the user
// "nobody" (uid and gid 65534, no supplementary groups), as
// `setpriv --reuid=65534 --regid=65534 --clear-groups` would start it. Run
// by an ordinary user, the child stays that user.

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

inline constexpr uid_t kNobody = 65534;

// The uid a file made for the unprivileged child should belong to.
inline uid_t UnprivilegedUid() { return geteuid() == 0 ? kNobody : geteuid(); }

// Hands a folder (and what is in it) to the user the child runs as.
inline void GiveToUnprivileged(const std::filesystem::path& folder) {
  if (geteuid() != 0) return;
  if (chown(folder.c_str(), kNobody, kNobody) != 0) return;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (lchown(entry.path().c_str(), kNobody, kNobody) != 0) return;
  }
}

// body's result as the child's: true when it held. The child writes its
// own failures to standard error; EXPECT_* of the test framework do not
// cross the process boundary.
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

#pragma once
// Running a program with a folder on a nearly full disk: a file system of
// its own (tmpfs) mounted over the folder in a mount namespace of the child
// alone, so that nothing of the machine sees it and it goes with the child.
// The folder's files are carried over, then the disk is filled up to the
// free space asked for. Needs the right to mount (root); a child that
// cannot says so in its output and exits with kCannotMount.

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

inline constexpr int kCannotMount = 125;

namespace small_disk {

inline void Fail(const char* what) {
  dprintf(2, "small disk: %s failed\n", what);
  _exit(kCannotMount);
}

// Fills the file system of `filler` (a file to make) up to `freeBytes`.
inline void FillUp(const char* filler, std::size_t freeBytes) {
  const int fd = ::open(filler, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) Fail("filler");
  static char block[4096];
  off_t size = 0;
  for (;;) {
    const ssize_t n = ::write(fd, block, sizeof block);
    if (n <= 0) break;
    size += n;
  }
  const off_t keep = size > static_cast<off_t>(freeBytes) ? size - static_cast<off_t>(freeBytes) : 0;
  if (::ftruncate(fd, keep) != 0) Fail("truncate");
  ::close(fd);
}

}  // namespace small_disk

// Runs argv[0] with argv and the environment as it is, `folder` holding
// only `freeBytes` more; answers its standard output and error, and its
// exit code in *exitCode.
inline std::string RunWithSmallDisk(const std::filesystem::path& folder, std::size_t freeBytes,
                                    const std::vector<std::string>& argv, int* exitCode) {
  int out[2];
  if (::pipe(out) != 0) {
    *exitCode = -1;
    return "pipe failed";
  }
  // Everything the child needs is made before it forks: it then makes
  // system calls only.
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    files.emplace_back(entry.path().string(), bytes.str());
  }
  const std::string filler = (folder / ".filler").string();
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(out[1], 1);
    ::dup2(out[1], 2);
    ::close(out[0]);
    ::close(out[1]);
    if (::unshare(CLONE_NEWNS) != 0) small_disk::Fail("unshare");
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) small_disk::Fail("making mounts private");
    if (::mount("orvane-test", folder.c_str(), "tmpfs", 0, "size=4m,mode=0700") != 0) small_disk::Fail("mount");
    for (const auto& [path, bytes] : files) {
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        small_disk::Fail("copying the folder");
      }
      ::close(fd);
    }
    small_disk::FillUp(filler.c_str(), freeBytes);
    ::execv(args[0], args.data());
    _exit(127);
  }
  ::close(out[1]);
  std::string output;
  char buffer[4096];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) output.append(buffer, static_cast<std::size_t>(n));
  ::close(out[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

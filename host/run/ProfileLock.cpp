#include "host/run/ProfileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace host {

ProfileLock::ProfileLock(std::filesystem::path file) : file_(std::move(file)) {}

ProfileLock::~ProfileLock() { Release(); }

bool ProfileLock::TryAcquire(const std::string& holder) {
  if (fd_ >= 0) return true;
  // Close-on-exec: a notifier or sound player started by the host must not
  // carry the lock on after the host has ended.
  const int fd = open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) throw std::system_error(errno, std::generic_category(), "cannot open " + file_.string());
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const int error = errno;
    close(fd);
    if (error == EWOULDBLOCK) return false;
    throw std::system_error(error, std::generic_category(), "cannot lock " + file_.string());
  }
  fd_ = fd;
  const std::string line = holder + "\n";
  // Who holds it is for messages only: a failed write leaves the lock good.
  if (ftruncate(fd_, 0) == 0) {
    const ssize_t written = pwrite(fd_, line.data(), line.size(), 0);
    (void)written;
  }
  return true;
}

void ProfileLock::Release() {
  if (fd_ < 0) return;
  // The name goes first, so that nobody reads it after the lock is free.
  if (ftruncate(fd_, 0) != 0) {
    // Stale text is harmless: the lock, not the text, says who holds it.
  }
  flock(fd_, LOCK_UN);
  close(fd_);
  fd_ = -1;
}

std::string ProfileLock::Holder(const std::filesystem::path& file) {
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  char buffer[512];
  const ssize_t n = read(fd, buffer, sizeof buffer);
  close(fd);
  if (n <= 0) return {};
  std::string line(buffer, static_cast<std::size_t>(n));
  const std::size_t end = line.find('\n');
  // A line cut off by a writer still at work is no name.
  return end == std::string::npos ? std::string() : line.substr(0, end);
}

}  // namespace host

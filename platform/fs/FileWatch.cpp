#include "platform/fs/FileWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>

#include "platform/threads/Thread.h"

namespace files {

namespace {

// Writes, truncations, removal and renaming; IN_ATTRIB also tells of the
// link count falling when the file is deleted or replaced under its name.
constexpr std::uint32_t kEvents = IN_MODIFY | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;

}  // namespace

FileWatch::FileWatch(const std::vector<std::filesystem::path>& files)
    : owner_(static_cast<pid_t>(GetCurrentProcessId())) {
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) return;
  for (const std::filesystem::path& file : files) {
    if (inotify_add_watch(fd_, file.c_str(), kEvents) < 0 && errno != ENOENT) {
      close(fd_);
      fd_ = -1;
      return;
    }
  }
}

FileWatch::~FileWatch() {
  if (fd_ >= 0) close(fd_);  // in a child, its own copy of the descriptor
}

void FileWatch::Drain() {
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t got = read(fd_, buffer, sizeof buffer);
    if (got > 0) {
      touched_.fill(true);
      continue;  // the queue may hold more
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) return;
    // Anything else: the watch cannot be trusted any more.
    close(fd_);
    fd_ = -1;
    return;
  }
}

bool FileWatch::TouchedSince(Reader reader) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (fd_ < 0 || owner_ != static_cast<pid_t>(GetCurrentProcessId())) return true;
  Drain();
  if (fd_ < 0) return true;
  bool& mark = touched_[static_cast<std::size_t>(reader)];
  const bool touched = mark;
  mark = false;
  return touched;
}

}  // namespace files

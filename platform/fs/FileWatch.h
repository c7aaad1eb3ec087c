#pragma once
// Tells cheaply whether anything wrote, removed, renamed or re-linked a set
// of files since a reader last asked: one read of an inotify descriptor
// when nothing did, instead of the stat or the database query that would
// find out for sure. Each reader keeps its own mark, so one asking does not
// hide a change from another.
//
// Changes made before a call returns are never missed: the kernel queues
// the event inside the writer's own system call. Where inotify cannot be
// had, and in a child process (the descriptor would be the parent's),
// every call answers "touched", and the caller checks for itself.

#include <sys/types.h>

#include <array>
#include <filesystem>
#include <mutex>
#include <vector>

namespace files {

class FileWatch {
 public:
  enum class Reader { kPresence, kContent };

  // Watches those of the files that exist now.
  explicit FileWatch(const std::vector<std::filesystem::path>& files);
  ~FileWatch();
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;

  // True the first time, and whenever a watched file was touched since this
  // reader last asked; the reader's mark is cleared by asking.
  bool TouchedSince(Reader reader);

 private:
  void Drain();  // mutex_ held

  std::mutex mutex_;
  int fd_ = -1;
  pid_t owner_;
  std::array<bool, 2> touched_{true, true};
};

}  // namespace files

#pragma once
// Replacing a file's contents so that a reader, or the disk after a crash or
// a power cut, sees either the old contents or the new and never a mixture:
// the new contents go to a temporary file beside the target, are flushed to
// the disk, and take the target's name in one rename.

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace files {

/// The system calls a replacement makes, each as POSIX defines it (-1 and
/// errno on failure), one virtual each so that a test can make any of them
/// fail as a full disk, a read-only folder or a crash would.
class FileCalls {
 public:
  virtual ~FileCalls() = default;
  virtual int Open(const char* path, int flags, mode_t mode) const;
  virtual ssize_t Write(int fd, const void* data, std::size_t size) const;
  virtual int Fsync(int fd) const;
  virtual int Close(int fd) const;
  virtual int Rename(const char* from, const char* to) const;
  virtual int Unlink(const char* path) const;
  virtual int Link(const char* from, const char* to) const;
};

/// What the replacements throw: the system's error, and the file whose step
/// failed; what() is "PATH: step: message".
class FileError : public std::system_error {
 public:
  FileError(int error, const std::filesystem::path& path, const char* step)
      : std::system_error(error, std::generic_category(), path.string() + ": " + step), m_path(path) {}
  const std::filesystem::path& Path() const { return m_path; }

 private:
  std::filesystem::path m_path;
};

/// Replaces the file at `path` with `contents`. A symbolic link at `path` is
/// followed, so the file it points to is replaced and the link stays. A file
/// that exists keeps its permission bits; a new one gets 0666 less the umask,
/// or 0600 in a folder that only its owner may enter (the profile): a file
/// there is no more open than its folder.
/// The temporary file is ".NAME.tmp.PID.N" in the same folder.
///
/// Throws FileError with the errno of the step that failed ("PATH:
/// rename: Permission denied"); the file at `path` is then exactly as it was
/// and the temporary file is gone. A crash leaves the old file too, and at
/// worst a temporary file beside it.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view contents,
                         const FileCalls& calls = FileCalls());

/// One file of a replacement of several.
struct FileReplacement {
  std::filesystem::path path;
  std::string contents;
};

/// Replaces several files so that they change together or not at all, for
/// files that only make sense as a set (the city files, whose lines match by
/// number): every new file is written and flushed beside its target first;
/// then each takes its target's name in turn, the old file kept under a
/// second name until all are in place. Links are followed as above.
///
/// Throws FileError naming the file and the step that failed; every
/// file is then as it was (a file that did not exist does not exist), and no
/// temporary or kept file is left. A crash leaves each file either old or
/// new, and at worst hidden files beside them.
void ReplaceFilesTogether(const std::vector<FileReplacement>& files, const FileCalls& calls = FileCalls());

}  // namespace files

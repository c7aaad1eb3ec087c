#include "platform/fs/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>
#include <vector>

namespace files {

int FileCalls::Open(const char* path, int flags, mode_t mode) const {
  return ::open(path, flags, mode);
}
ssize_t FileCalls::Write(int fd, const void* data, std::size_t size) const {
  return ::write(fd, data, size);
}
int FileCalls::Fsync(int fd) const { return ::fsync(fd); }
int FileCalls::Close(int fd) const { return ::close(fd); }
int FileCalls::Rename(const char* from, const char* to) const { return ::rename(from, to); }
int FileCalls::Unlink(const char* path) const { return ::unlink(path); }
int FileCalls::Link(const char* from, const char* to) const { return ::link(from, to); }

namespace {

// A stale temporary file of a crashed process with the same id is not ours to
// overwrite; the next number is tried instead.
constexpr int kTemporaryNameAttempts = 100;

std::atomic<unsigned> g_temporaryCounter{0};

[[noreturn]] void Fail(int error, const std::filesystem::path& path, const char* step) {
  throw FileError(error, path, step);
}

// Makes the rename itself durable. Some file systems cannot flush a folder;
// the new contents are in place either way, so this is not a failure.
void FlushFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

namespace {

// Where a replacement of `path` writes: the file a symbolic link points to,
// else the path itself.
std::filesystem::path TargetOf(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_symlink(path, ec)) return path;
  // Renaming over the link would cut it from wherever the user keeps the
  // file it points to (a synchronised or served folder, say).
  std::filesystem::path target = std::filesystem::weakly_canonical(path, ec);
  if (ec) Fail(ec.value(), path, "follow link");
  return target;
}

// A hidden name beside the target, unique to this process, so that neither
// a subscriber nor another writer takes it for the file.
std::filesystem::path HiddenBeside(const std::filesystem::path& target, const char* kind) {
  std::string name = ".";
  name += target.filename().string();
  name += kind;
  name += std::to_string(::getpid());
  name += '.';
  name += std::to_string(g_temporaryCounter++);
  return target.parent_path() / name;
}

// Writes the contents into a new temporary file beside the target, flushed
// to the disk and closed, with the target's permission bits when it exists;
// returns its path. Throws, with nothing left behind, when a step fails.
std::filesystem::path WriteTemporary(const std::filesystem::path& target, std::string_view contents,
                                     const FileCalls& calls) {
  struct stat old {};
  const bool existed = ::stat(target.c_str(), &old) == 0;
  const std::filesystem::path folder = target.parent_path();
  struct stat parent {};
  // In a folder only its owner may enter, the file is its owner's alone too.
  const bool privateFolder =
      ::stat(folder.empty() ? "." : folder.c_str(), &parent) == 0 && (parent.st_mode & 077) == 0;
  std::filesystem::path temporary;
  int fd = -1;
  for (int attempt = 0; attempt < kTemporaryNameAttempts && fd < 0; ++attempt) {
    temporary = HiddenBeside(target, ".tmp.");
    fd = calls.Open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, privateFolder ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) Fail(errno, target, "create temporary file");

  const auto abandon = [&](const char* step) {
    const int error = errno;
    if (fd >= 0) calls.Close(fd);
    calls.Unlink(temporary.c_str());
    Fail(error, target, step);
  };
  // Best effort: the contents matter more than the bits, and some file systems
  // have no modes to set.
  if (existed) ::fchmod(fd, old.st_mode & 07777);

  const char* data = contents.data();
  std::size_t left = contents.size();
  while (left > 0) {
    const ssize_t written = calls.Write(fd, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;  // a write that makes no progress would loop for ever
      abandon("write");
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  if (calls.Fsync(fd) != 0) abandon("flush");
  const int closed = calls.Close(fd);
  fd = -1;
  if (closed != 0) abandon("close");
  return temporary;
}

}  // namespace

void WriteFileAtomically(const std::filesystem::path& path, std::string_view contents,
                         const FileCalls& calls) {
  const std::filesystem::path target = TargetOf(path);
  const std::filesystem::path temporary = WriteTemporary(target, contents, calls);
  if (calls.Rename(temporary.c_str(), target.c_str()) != 0) {
    const int error = errno;
    calls.Unlink(temporary.c_str());
    Fail(error, target, "rename");
  }
  FlushFolder(target.parent_path());
}

void ReplaceFilesTogether(const std::vector<FileReplacement>& files, const FileCalls& calls) {
  struct Step {
    std::filesystem::path target;
    std::filesystem::path temporary;
    std::filesystem::path backup;  // empty: the target did not exist
    bool replaced = false;
  };
  std::vector<Step> steps;
  const auto undo = [&] {
    // Backwards, so that each target gets back exactly what it held.
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
      if (step->replaced) {
        if (!step->backup.empty()) {
          calls.Rename(step->backup.c_str(), step->target.c_str());
        } else {
          calls.Unlink(step->target.c_str());
        }
      } else {
        if (!step->temporary.empty()) calls.Unlink(step->temporary.c_str());
        if (!step->backup.empty()) calls.Unlink(step->backup.c_str());
      }
    }
  };
  try {
    for (const FileReplacement& file : files) {
      Step step;
      step.target = TargetOf(file.path);
      steps.push_back(step);
      steps.back().temporary = WriteTemporary(steps.back().target, file.contents, calls);
    }
    for (Step& step : steps) {
      // A second name for the old file keeps it while the new one takes its
      // name; the target itself is never missing, even after a crash.
      struct stat old {};
      if (::lstat(step.target.c_str(), &old) == 0) {
        step.backup = HiddenBeside(step.target, ".old.");
        if (calls.Link(step.target.c_str(), step.backup.c_str()) != 0) {
          const int error = errno;
          step.backup.clear();
          Fail(error, step.target, "keep the old file");
        }
      }
      if (calls.Rename(step.temporary.c_str(), step.target.c_str()) != 0) Fail(errno, step.target, "rename");
      step.replaced = true;
    }
  } catch (...) {
    undo();
    throw;
  }
  for (const Step& step : steps) {
    if (!step.backup.empty()) calls.Unlink(step.backup.c_str());
    FlushFolder(step.target.parent_path());
  }
}

}  // namespace files

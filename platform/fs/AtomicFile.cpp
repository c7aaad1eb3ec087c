#include "platform/fs/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>

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

namespace {

// A stale temporary file of a crashed process with the same id is not ours to
// overwrite; the next number is tried instead.
constexpr int kTemporaryNameAttempts = 100;

std::atomic<unsigned> g_temporaryCounter{0};

[[noreturn]] void Fail(int error, const std::filesystem::path& path, const char* step) {
  throw std::system_error(error, std::generic_category(), path.string() + ": " + step);
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

void WriteFileAtomically(const std::filesystem::path& path, std::string_view contents,
                         const FileCalls& calls) {
  std::filesystem::path target = path;
  std::error_code ec;
  if (std::filesystem::is_symlink(path, ec)) {
    // Renaming over the link would cut it from wherever the user keeps the
    // file it points to (a synchronised or served folder, say).
    target = std::filesystem::weakly_canonical(path, ec);
    if (ec) Fail(ec.value(), path, "follow link");
  }
  const std::filesystem::path folder = target.parent_path();
  struct stat old {};
  const bool existed = ::stat(target.c_str(), &old) == 0;
  struct stat parent {};
  const bool privateFolder =
      ::stat(folder.empty() ? "." : folder.c_str(), &parent) == 0 && (parent.st_mode & 077) == 0;

  // Hidden, and unique to this process, so that neither a subscriber nor
  // another writer takes it for the mirror.
  std::string prefix = ".";
  prefix += target.filename().string();
  prefix += ".tmp.";
  prefix += std::to_string(::getpid());
  prefix += '.';
  std::filesystem::path temporary;
  int fd = -1;
  for (int attempt = 0; attempt < kTemporaryNameAttempts && fd < 0; ++attempt) {
    temporary = folder / (prefix + std::to_string(g_temporaryCounter++));
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
  if (calls.Rename(temporary.c_str(), target.c_str()) != 0) abandon("rename");
  FlushFolder(folder);
}

}  // namespace files

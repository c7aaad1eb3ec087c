#include "platform/fs/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <stdexcept>
#include <string>
#include <system_error>

namespace files {

namespace {

[[noreturn]] void Fail(int error, const std::filesystem::path& path, const char* step) {
  throw std::system_error(error, std::generic_category(), path.string() + ": " + step);
}

// Into the node as it is: no temporary file, no rename.
void WriteInto(const std::filesystem::path& path, std::string_view contents, const FileCalls& calls) {
  // A pipe waits here for its reader, as the shell's > would.
  const int fd = calls.Open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC, 0);
  if (fd < 0) Fail(errno, path, "open");
  const char* data = contents.data();
  std::size_t left = contents.size();
  while (left > 0) {
    const ssize_t written = calls.Write(fd, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      const int error = written == 0 ? EIO : errno;  // no progress would loop for ever
      calls.Close(fd);
      Fail(error, path, "write");
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  if (calls.Close(fd) != 0) Fail(errno, path, "close");
}

}  // namespace

void WriteOutputFile(const std::filesystem::path& path, std::string_view contents, const FileCalls& calls) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode)) {
    WriteFileAtomically(path, contents, calls);
    return;
  }
  if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)) {
    WriteInto(path, contents, calls);
    return;
  }
  const char* what = S_ISDIR(st.st_mode)   ? "a folder"
                     : S_ISBLK(st.st_mode) ? "a block device (a disk), which is not written into"
                                           : "neither a file nor a pipe";
  throw std::runtime_error(path.string() + " is " + what + "; name a file to write");
}

}  // namespace files

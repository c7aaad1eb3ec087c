#include "platform/fs/PrivateFile.h"

#include <fcntl.h>
#include <unistd.h>

namespace files {

void CreatePrivateFile(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd >= 0) ::close(fd);
}

}  // namespace files

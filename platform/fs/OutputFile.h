#pragma once
// Writing what a command makes into the path its user named. A regular file,
// or nothing yet, is replaced atomically (WriteFileAtomically), so a reader
// never sees half of it. Anything else is never replaced: renaming a new
// file over a named pipe or a device node would take the node away from
// everyone who uses it (run as root, /dev/full itself), and the pipe's
// reader would get nothing. A named pipe, a terminal or another character
// device is written into, as a shell's redirection would, and its errors
// are the writer's (/dev/full answers "No space left on device"); a folder,
// a block device or a socket is refused.

#include <filesystem>
#include <string_view>

#include "platform/fs/AtomicFile.h"

namespace files {

// Throws std::system_error with the errno of the step that failed ("PATH:
// write: No space left on device"), or std::runtime_error for a path that
// is nothing to write into; a file that was there is then as it was.
void WriteOutputFile(const std::filesystem::path& path, std::string_view contents,
                     const FileCalls& calls = FileCalls());

}  // namespace files

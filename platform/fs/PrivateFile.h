#pragma once
// A file of the user's own data (a database of the profile) is made for its
// user alone: SQLite, like fopen, would make a new one readable by everyone
// (0644), and its journals take the database's mode.

#include <filesystem>

namespace files {

// Creates the file empty with mode 0600 unless something is there already
// (which is left as it is). A failure is left for the caller's own open to
// report.
void CreatePrivateFile(const std::filesystem::path& path);

}  // namespace files

#pragma once
// Where Windows absolute paths land: "c:\orvnlog.txt" is drive_c/orvnlog.txt
// in the profile, any drive letter likewise; other paths are taken as they
// are, with backslashes made slashes.

#include <cstdio>
#include <filesystem>
#include <string_view>

namespace fs_win {

std::filesystem::path MapPath(std::string_view windowsPath);

// fopen on the mapped path, creating the drive folder when a file is to be
// written.
FILE* OpenFile(std::string_view windowsPath, const char* mode);

}  // namespace fs_win

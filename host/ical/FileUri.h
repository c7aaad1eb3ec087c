#pragma once
// file: URIs (RFC 8089) for the alarm's sound file, so that a subscriber finds
// it by URI rather than by a path whose spaces or Arabic letters it may not
// expect.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace host {

/// "file://" followed by the absolute path `path`, every byte other than
/// letters, digits, '-', '.', '_', '~' and '/' written as %XX (so a space is
/// %20 and Arabic letters are their UTF-8 bytes in %XX).
std::string FileUriFromPath(const std::filesystem::path& path);

/// The path of a file: URI with an empty host or "localhost"; nothing for any
/// other URI or a malformed %XX.
std::optional<std::filesystem::path> PathFromFileUri(std::string_view uri);

}  // namespace host

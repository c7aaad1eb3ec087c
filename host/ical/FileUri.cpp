#include "host/ical/FileUri.h"

namespace host {

namespace {

constexpr std::string_view kScheme = "file://";

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string FileUriFromPath(const std::filesystem::path& path) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string uri(kScheme);
  for (char ch : path.string()) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsUnreserved(c) || c == '/') {
      uri += ch;
    } else {
      uri += '%';
      uri += kHexDigits[c >> 4];
      uri += kHexDigits[c & 0x0F];
    }
  }
  return uri;
}

std::optional<std::filesystem::path> PathFromFileUri(std::string_view uri) {
  if (uri.substr(0, kScheme.size()) != kScheme) return std::nullopt;
  std::string_view rest = uri.substr(kScheme.size());
  const std::size_t slash = rest.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string_view host = rest.substr(0, slash);
  if (!host.empty() && host != "localhost") return std::nullopt;
  rest = rest.substr(slash);
  std::string path;
  for (std::size_t i = 0; i < rest.size();) {
    if (rest[i] != '%') {
      path += rest[i++];
      continue;
    }
    const int high = i + 2 < rest.size() ? HexValue(rest[i + 1]) : -1;
    const int low = i + 2 < rest.size() ? HexValue(rest[i + 2]) : -1;
    if (high < 0 || low < 0) return std::nullopt;
    path += static_cast<char>(high * 16 + low);
    i += 3;
  }
  return std::filesystem::path(path);
}

}  // namespace host

#include "host/CommandLine.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace cli {

std::optional<double> ParseNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || errno == ERANGE || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<long> ParseInteger(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || errno == ERANGE || value < INT_MIN ||
      value > INT_MAX) {
    return std::nullopt;
  }
  return value;
}

int UsageError(const std::string& command, const std::string& message) {
  std::fprintf(stderr, "orvane%s%s: %s (see orvane%s%s --help)\n", command.empty() ? "" : " ",
               command.c_str(), message.c_str(), command.empty() ? "" : " ", command.c_str());
  return 2;
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "orvane: %s\n", message.c_str());
  return 1;
}

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

}  // namespace cli

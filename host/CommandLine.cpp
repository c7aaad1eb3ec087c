#include "host/CommandLine.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/com/VariantTime.h"

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

int UnknownArgument(const std::string& command, const std::string& arg) {
  const bool option = arg.size() > 1 && arg[0] == '-';
  return UsageError(command, std::string(option ? "unknown option" : "unexpected argument") + " \"" + arg + "\"");
}

int MissingValue(const std::string& command, const std::string& option, const std::string& value) {
  return UsageError(command, option + " needs a value (" + value + ")");
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "orvane: %s\n", message.c_str());
  return 1;
}

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

int WriteOutput(std::string_view text) {
  errno = 0;
  // The stream's error flag, not the flush alone: fwrite hands a large
  // text straight to write(), and a failure there leaves nothing to flush.
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) {
    const int error = errno != 0 ? errno : EIO;
    std::fflush(stdout);
    return Failure(std::string("standard output could not be written: ") + std::strerror(error));
  }
  return FinishOutput();
}

int FinishOutput() {
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    return Failure(std::string("standard output could not be written: ") + std::strerror(errno != 0 ? errno : EIO));
  }
  return 0;
}

bool ParseDate(const std::string& text, DATE* date) {
  int y = 0, m = 0, d = 0, consumed = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &y, &m, &d, &consumed) != 3 ||
      consumed != static_cast<int>(text.size()) || y < 100 || m < 1 || m > 12 || d < 1) {
    return false;
  }
  SYSTEMTIME st;
  st.wYear = static_cast<WORD>(y);
  st.wMonth = static_cast<WORD>(m);
  st.wDay = static_cast<WORD>(d);
  SYSTEMTIME check;
  return SystemTimeToVariantTime(&st, date) && VariantTimeToSystemTime(*date, &check) &&
         check.wDay == d;
}

}  // namespace cli

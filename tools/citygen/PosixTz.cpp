#include "tools/citygen/PosixTz.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

namespace citygen {
namespace {

// A zone abbreviation: "<+0330>" or three or more letters.
bool SkipName(std::string_view& s) {
  if (!s.empty() && s.front() == '<') {
    const auto close = s.find('>');
    if (close == std::string_view::npos) return false;
    s.remove_prefix(close + 1);
    return true;
  }
  std::size_t n = 0;
  while (n < s.size() && std::isalpha(static_cast<unsigned char>(s[n]))) ++n;
  if (n < 3) return false;
  s.remove_prefix(n);
  return true;
}

std::optional<int> ReadNumber(std::string_view& s) {
  std::size_t n = 0;
  int value = 0;
  while (n < s.size() && std::isdigit(static_cast<unsigned char>(s[n]))) value = value * 10 + (s[n++] - '0');
  if (n == 0) return std::nullopt;
  s.remove_prefix(n);
  return value;
}

// "[+-]hh[:mm[:ss]]" in hours, West positive as POSIX writes it.
std::optional<double> ReadOffset(std::string_view& s) {
  double sign = 1;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    if (s.front() == '-') sign = -1;
    s.remove_prefix(1);
  }
  const auto hours = ReadNumber(s);
  if (!hours) return std::nullopt;
  double value = *hours;
  for (double unit : {60.0, 3600.0}) {
    if (s.empty() || s.front() != ':') break;
    s.remove_prefix(1);
    const auto part = ReadNumber(s);
    if (!part) return std::nullopt;
    value += *part / unit;
  }
  return sign * value;
}

}  // namespace

std::optional<CurrentRules> ParsePosixTz(std::string_view tz) {
  if (!SkipName(tz)) return std::nullopt;
  const auto standardWest = ReadOffset(tz);
  if (!standardWest) return std::nullopt;
  const double standardEast = *standardWest == 0 ? 0 : -*standardWest;
  CurrentRules rules;
  rules.standardHours = standardEast;
  if (tz.empty()) return rules;
  // Whatever follows the standard offset must be the daylight-time name,
  // then its own offset unless a rule or nothing follows.
  if (!SkipName(tz)) return std::nullopt;
  double daylightEast = standardEast + 1;
  if (!tz.empty() && tz.front() != ',') {
    const auto daylightWest = ReadOffset(tz);
    if (!daylightWest) return std::nullopt;
    daylightEast = *daylightWest == 0 ? 0 : -*daylightWest;
  }
  if (!tz.empty() && tz.front() != ',') return std::nullopt;
  if (daylightEast == standardEast) return rules;
  // A negative saving (Dublin) has its winter in the daylight time.
  rules.standardHours = std::min(standardEast, daylightEast);
  rules.daylight = true;
  rules.daylightShiftHours = std::max(standardEast, daylightEast) - rules.standardHours;
  return rules;
}

std::optional<std::string> ReadTzifFooter(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 6 || bytes.compare(0, 4, "TZif") != 0 || bytes[4] < '2' || bytes.back() != '\n') {
    return std::nullopt;
  }
  const auto start = bytes.rfind('\n', bytes.size() - 2);
  if (start == std::string::npos) return std::nullopt;
  return bytes.substr(start + 1, bytes.size() - start - 2);
}

}  // namespace citygen

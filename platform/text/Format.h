#pragma once
// Applies printf-style formats that come from resources. The formatter checks
// each argument against its conversion at run time, so a translated format
// that does not fit its arguments gives a visible text, never a crash or a
// read of the wrong argument. Numbers are written the same in every locale
// (a decimal point, never a comma), which the city files rely on.

#include <fmt/printf.h>

#include <string>
#include <string_view>

namespace text {

// The formatted text; when the format does not fit the arguments, the format
// itself, so the mistake shows instead of doing harm.
template <typename... Args>
std::string FormatResource(std::string_view format, const Args&... args) {
  try {
    return fmt::sprintf(format, args...);
  } catch (const fmt::format_error&) {
    return std::string(format);
  }
}

// Whether the format accepts these arguments.
template <typename... Args>
bool FormatFits(std::string_view format, const Args&... args) {
  try {
    (void)fmt::sprintf(format, args...);
    return true;
  } catch (const fmt::format_error&) {
    return false;
  }
}

}  // namespace text

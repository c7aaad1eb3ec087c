#include "host/BusyWaitSetting.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "host/CommandLine.h"
#include "platform/fs/BusyWait.h"

namespace host {

namespace {

// A day: longer is no wait but a hang.
constexpr double kLongestWaitSeconds = 86400;

std::string Seconds(std::chrono::milliseconds duration) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", static_cast<double>(duration.count()) / 1000.0);
  return text;
}

}  // namespace

std::optional<std::string> ApplyBusyWaitSetting() {
  files::BusyWaitSettings settings;
  if (const char* value = std::getenv(kBusyWaitVariable); value != nullptr && *value != '\0') {
    const std::optional<double> seconds = cli::ParseNumber(value);
    if (!seconds || *seconds < 0 || *seconds > kLongestWaitSeconds) {
      return std::string(kBusyWaitVariable) + " takes the seconds to wait for a busy file (0 to 86400), not \"" +
             value + "\"";
    }
    settings.limit = std::chrono::milliseconds(static_cast<long long>(*seconds * 1000.0));
  }
  settings.notice = [](const std::string& file, std::chrono::milliseconds limit) {
    std::fprintf(stderr, "orvane: %s is in use by another program; waiting up to %s for it\n", file.c_str(),
                 Seconds(limit).c_str());
  };
  files::SetBusyWaitSettings(std::move(settings));
  return std::nullopt;
}

std::string BusyWaitText() { return "after waiting " + Seconds(files::CurrentBusyWaitSettings().limit); }

}  // namespace host

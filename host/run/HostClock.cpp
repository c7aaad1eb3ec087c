#include "host/run/HostClock.h"

#include <cstdlib>
#include <ctime>

#include "platform/com/VariantTime.h"
#include "platform/time/SystemTime.h"

namespace host {
namespace {

double Seconds(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

DATE LocalNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  DATE date = 0;
  SystemTimeToVariantTime(&st, &date);
  return date + st.wMilliseconds / 86400000.0;
}

}  // namespace

SystemClock::SystemClock() {
  const char* fixed = std::getenv("ORVANE_NOW");
  fixed_ = fixed != nullptr && *fixed != '\0';
  if (fixed_) {
    fixedStart_ = LocalNow();
    bootStart_ = Seconds(CLOCK_BOOTTIME);
  }
}

DATE SystemClock::Now() {
  if (fixed_) return fixedStart_ + (Seconds(CLOCK_BOOTTIME) - bootStart_) / 86400.0;
  return LocalNow();
}

double SystemClock::AwakeSeconds() { return Seconds(CLOCK_MONOTONIC); }

std::string SystemClock::Zone() {
  // localtime_r alone keeps the zone it read first; tzset reads
  // /etc/localtime (or TZ) again when it changed, for the whole process.
  tzset();
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return std::string(local.tm_zone != nullptr ? local.tm_zone : "") + " " + std::to_string(local.tm_gmtoff);
}

}  // namespace host

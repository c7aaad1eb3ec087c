#pragma once
// OLE dates as whole seconds on one straight time line. A DATE before 1900
// counts its days backwards but its time of day forwards (-1.25 is
// 29 December 1899 at 06:00), so DATEs themselves do not order as times do;
// these seconds do, which is what the store's index and the filters'
// comparisons need. Times are kept to the second, as Outlook shows them.

#include <cmath>
#include <cstdint>

#include "platform/com/VariantTime.h"
#include "platform/com/WinTypes.h"

namespace host {

inline constexpr std::int64_t kSecondsPerDay = 86400;

// False for NaN, infinities and dates outside 1 January 100 to 31 December
// 9999, which no item may carry.
inline bool IsValidDate(DATE date) {
  return std::isfinite(date) && date >= kMinVariantDate && date < kMaxVariantDate + 1.0;
}

// Seconds from 30 December 1899 00:00, rounded to the nearest second. The
// date must be valid.
inline std::int64_t SecondsFromDate(DATE date) {
  const double days = std::trunc(date);
  const double timeOfDay = std::fabs(date - days);
  return static_cast<std::int64_t>(days) * kSecondsPerDay +
         std::llround(timeOfDay * static_cast<double>(kSecondsPerDay));
}

}  // namespace host

// Fuzz target: arbitrary bytes as a compiled zone file. Whatever reads as a
// zone must answer for any moment, and its summer-time runs of a year must
// lie inside that year, in order, without overlapping.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "platform/time/ZonePeriods.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  const auto zone = tz::ZonePeriods::Parse(std::string(reinterpret_cast<const char*>(data), size), &error);
  if (!zone) {
    if (error.empty()) std::abort();
    return 0;
  }
  for (std::int64_t t : {INT64_C(-5000000000), INT64_C(0), INT64_C(1800000000), INT64_C(9000000000)}) {
    (void)zone->OffsetAt(t);
  }
  for (int year : {1900, 2027, 2400}) {
    const auto periods = zone->DaylightPeriods(year, 1.0);
    std::int64_t previous = std::numeric_limits<std::int64_t>::min();
    for (const auto& p : periods) {
      const std::int64_t first = calendar::DaysFromEpoch1970(p.first.year, p.first.month, p.first.day);
      const std::int64_t last = calendar::DaysFromEpoch1970(p.last.year, p.last.month, p.last.day);
      if (p.first.year != year || p.last.year != year || last < first || first <= previous) std::abort();
      previous = last;
    }
  }
  return 0;
}

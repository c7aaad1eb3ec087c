// Fuzz target: arbitrary bytes as a city line for CCityInfo::GetInfoFromLine,
// in the character set of the module flavour it is built for. Whatever a
// line reads as must write back as a line that reads as the same record.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "locations/CityInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tstring line;
#if defined(ORVANE_FLAVOUR_XP)
  line.assign(reinterpret_cast<const char*>(data), size);
#else
  for (std::size_t i = 0; i + 1 < size; i += 2) line.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
#endif
  // The line ends at its first zero, as a C string does.
  line = line.c_str();
  CCityInfo city;
  if (city.GetInfoFromLine(line.c_str()) == 0) return 0;
  // Past a day's worth of hours a zone no longer fits its 15-character field
  // in the written form; the add-city dialog never lets such a zone in.
  if (!(std::fabs(city.m_timeZone) <= 24.0)) return 0;

  tchar written[4096];
  city.GetLineFromInfo(written, 4096);
  CCityInfo again;
  if (again.GetInfoFromLine(written) != 1) std::abort();
  // Coordinates go through the arc-minute form: compare the written lines.
  tchar rewritten[4096];
  again.GetLineFromInfo(rewritten, 4096);
  if (tstring(written) != tstring(rewritten)) std::abort();
  return 0;
}

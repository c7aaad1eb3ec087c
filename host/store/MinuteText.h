#pragma once
// An item's time as the host shows it to people: "YYYY-MM-DD HH:MM".

#include <cstdio>
#include <string>

#include "platform/com/VariantTime.h"

namespace host {

// Empty for a DATE that is no date.
inline std::string MinuteText(DATE date) {
  SYSTEMTIME st;
  if (!VariantTimeToSystemTime(date, &st)) return {};
  char text[24];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", st.wYear % 10000u, st.wMonth % 100u,
                st.wDay % 100u, st.wHour % 100u, st.wMinute % 100u);
  return text;
}

}  // namespace host

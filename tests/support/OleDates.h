#pragma once
// Dates for tests: a local wall-clock time as a SYSTEMTIME or an OLE date.

#include <gtest/gtest.h>

#include "platform/com/VariantTime.h"

inline SYSTEMTIME MakeSystemTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  SYSTEMTIME st;
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wHour = static_cast<WORD>(hour);
  st.wMinute = static_cast<WORD>(minute);
  st.wSecond = static_cast<WORD>(second);
  return st;
}

inline DATE MakeDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  const SYSTEMTIME st = MakeSystemTime(year, month, day, hour, minute, second);
  DATE date = 0;
  EXPECT_TRUE(SystemTimeToVariantTime(&st, &date));
  return date;
}

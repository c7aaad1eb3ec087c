#pragma once
// SYSTEMTIME and GetLocalTime. "Now" can be fixed with ORVANE_NOW (ISO 8601
// local time, e.g. 2004-03-21T05:30:00) for demonstrations and tests.

#include "platform/com/WinTypes.h"

struct SYSTEMTIME {
  WORD wYear = 0;
  WORD wMonth = 0;      // 1..12
  WORD wDayOfWeek = 0;  // 0 = Sunday
  WORD wDay = 0;        // 1..31
  WORD wHour = 0;
  WORD wMinute = 0;
  WORD wSecond = 0;
  WORD wMilliseconds = 0;
};

// Fills *st with the local time, or with ORVANE_NOW when that is set and
// readable (an unreadable ORVANE_NOW is ignored, with one warning on stderr
// from each module that reads it).
void GetLocalTime(SYSTEMTIME* st);

// For a program's start, before other threads and modules: an unreadable
// ORVANE_NOW is reported once and removed from the environment, so that
// every module of the process takes the clock without saying so again.
void SettleFixedNow();

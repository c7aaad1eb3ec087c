#pragma once
// The calculation's input record (CalcParams) and its output record (DayTimes).

#include <array>
#include <cstddef>

#include "calc/OleDate.h"
#include "resources/OrvaneTypeLib.h"  // CalculationMethod, AsrSchool

// Positions in DayTimes.
enum DayTimeIndex : std::size_t {
  kFajrTime = 0,
  kShoroukTime = 1,
  kZuhrTime = 2,
  kAsrTime = 3,
  kMaghribTime = 4,
  kIshaTime = 5,
  kDayTimesCount = 6,
};

// The names of the six times, in DayTimes order.
inline constexpr std::array<const char*, kDayTimesCount> kDayTimeNames = {
    "Fajr", "Shorouk", "Zuhr", "Asr", "Maghrib", "Isha"};

// One day's six times in the order Fajr, Shorouk, Zuhr, Asr, Maghrib, Isha.
// An element that cannot be represented holds kInvalidDate.
using DayTimes = std::array<COleDate, kDayTimesCount>;

struct CalcParams {
  double Longitude = 0.0;  // degrees, positive WEST of Greenwich
  double Latitude = 0.0;   // degrees, positive north
  double TimeZone = 0.0;   // hours, positive EAST of Greenwich; fractions allowed
  bool DaylightSavings = false;
  // First and last day on which the clock is one hour ahead. Day and month as
  // calendar fields; COleDate::kInvalidField (an unset date) means daylight
  // saving never applies.
  int DaylightStartDay = COleDate::kInvalidField;
  int DaylightStartMonth = COleDate::kInvalidField;
  int DaylightEndDay = COleDate::kInvalidField;
  int DaylightEndMonth = COleDate::kInvalidField;
  int Method = eEgypt;      // CalculationMethod; other values compute as eISNA
  int AsrMethod = eShafii;  // AsrSchool; any value but 0 computes as eHanafi
  // Used by eCustom only; 0 means "not given".
  double CustomFajrAngle = 0.0;     // degrees below the horizon
  double CustomIshaAngle = 0.0;     // degrees below the horizon
  double CustomFajrInterval = 0.0;  // hours before sunrise
  double CustomIshaInterval = 0.0;  // hours after sunset
  // How Fajr and Isha are found where the sun does not give them, and bounded
  // above 48 degrees (HighLatitudeRule; other values compute as the default).
  // The engine itself leaves it alone: its events that do not occur take
  // fixed times.
  int HighLatitude = eSeventhOfNight;
};

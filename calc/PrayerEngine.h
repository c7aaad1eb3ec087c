#pragma once
// CPrayerEngine: a low-precision solar ephemeris (Newcomb's mean elements,
// epoch 1900 January 0.5) with an event solver, and the schedule of one day
// built from it. Pure arithmetic: no clock, file or platform service.
//
// The system's times are the times of this model, to the minute; a more
// exact ephemeris would give other times, so the order and form of every
// step below matter.
//
// Units: angles are radians inside, degrees at the interface; times are
// decimal hours of local clock time from the local midnight; longitudes are
// positive WEST; time zones are hours positive EAST; day number n counts
// from the year's January 0 (n = 1 is 1 January, n = 0 is 31 December of the
// year before).

#include "calc/CalcParams.h"

class CPrayerEngine {
 public:
  // The sun does not reach the asked zenith distance on that day.
  static constexpr double kNoEvent = 4294967295.0;

  // Where pass one of an event's solve starts, and the fixed time the event
  // takes when it does not occur. Isha falls back to Maghrib's 18:00, not to
  // its seed.
  struct Seed {
    double start;
    double fixedTime;
  };
  static constexpr Seed kFajrSeed{4.0, 4.0};
  static constexpr Seed kShoroukSeed{6.0, 6.0};
  static constexpr Seed kAsrSeed{15.0, 15.0};
  static constexpr Seed kMaghribSeed{18.0, 18.0};
  static constexpr Seed kIshaSeed{20.0, 18.0};

  // The shadow factor of an Asr school: 1 for eShafii, 2 for anything else.
  static double ShadowFactor(int asrMethod) { return asrMethod == eShafii ? 1.0 : 2.0; }

  CPrayerEngine(double longitude, double latitude, double timeZone, bool daylightSavings,
                int year, double shadowFactor, int method, double customFajrAngle,
                double customIshaAngle, double customFajrInterval, double customIshaInterval);

  // Loads the twilight rule of a method (see the table in the .cpp).
  void SetMethod(int method, double customFajrAngle, double customIshaAngle,
                 double customFajrInterval, double customIshaInterval);

  // First and last day (inclusive, months 1..12) on which the clock is one
  // hour ahead, as dates of the engine's year. A day past the end of its month
  // counts as the first day of the next month; a start after the end runs
  // over the new year; an invalid bound means daylight saving never applies.
  void SetDaylightRange(int startDay, int startMonth, int endDay, int endMonth);
  bool InDaylightRange(int ordinalDay) const;

  // The six times of the date whose ordinal day (1 = 1 January) in the
  // engine's year is given, as time-of-day values rounded to the minute.
  // An event that does not occur takes its fixed time; MissedEvents says
  // which did.
  DayTimes ComputeDay(int ordinalDay);

  // The events of the last ComputeDay that did not occur and took their
  // fixed times: bit (1 << index) for each DayTimes index (Zuhr never).
  unsigned MissedEvents() const { return m_missedEvents; }

  // Fixes the clock offset for the date with that ordinal day: the time zone,
  // plus one hour inside the daylight-saving range. ComputeDay does this
  // itself; a caller that drives the solver day by day does it first.
  void SetClockFor(int ordinalDay);

  // Clock time of the sun's transit on day n, in hours; sets NoonZenith.
  double ComputeTransit(int n);
  // Clock time at which the sun's centre stands at the zenith distance
  // (radians) on day n, on the side of noon the guess (clock hours) picks:
  // a guess of 12 or more is the evening side. kNoEvent when it never does.
  // The guess is also the moment at which the sun's position is taken.
  double SolveEventTime(int n, double zenith, double guess) const;
  // The same, with the side of noon given rather than read from the guess,
  // for a guess that lies outside the day (an evening event after midnight,
  // a morning one before it).
  double SolveEventTimeOnSide(int n, double zenith, double guess, bool eveningSide) const;
  // AsrZenith from NoonZenith and the shadow factor.
  void ComputeAsrZenith();
  // The sun's declination (radians) at the local mean noon of day n.
  double NoonDeclination(int n) const;

  // Hours to a time-of-day date (30 December 1899 at hh:mm), rounded to the
  // nearest minute with halves upward; kInvalidDate outside 00:00..23:59.
  static COleDate HoursToDate(double hours);

  // Read access for tests and diagnostics.
  double EpochCenturies() const { return m_T; }
  double NoonZenith() const { return m_noonZenith; }
  double AsrZenith() const { return m_asrZenith; }
  double EffectiveTimeZone() const { return m_effectiveTimeZone; }
  double FajrAngle() const { return m_fajrAngle; }
  double IshaAngle() const { return m_ishaAngle; }
  bool FajrByInterval() const { return m_fajrByInterval; }
  bool IshaByInterval() const { return m_ishaByInterval; }
  double FajrInterval() const { return m_fajrInterval; }
  double IshaInterval() const { return m_ishaInterval; }
  double LongitudeHours() const { return m_longitudeHours; }
  double SunriseZenith() const { return m_sunriseZenith; }
  double FajrZenith() const { return m_fajrZenith; }
  double IshaZenith() const { return m_ishaZenith; }

 private:
  struct SunPosition {
    double rightAscension;  // hours, 0..24
    double sinDeclination;
  };
  // J counts days with fraction from the year's January 0.0 in universal time.
  SunPosition PositionAt(double j) const;
  // The sun's hour offset at J: right ascension less sidereal time.
  double HourOffset(double j, double rightAscension) const;

  struct Pass {
    double fajr, shorouk, zuhr, asr, maghrib, isha;
  };
  Pass ComputePass(int n, const Pass& guesses);

  // Year constants.
  int m_year;
  double m_T;             // Julian centuries from 1900 Jan 0.5 to the year's Jan 0.0
  double m_eccentricity;
  double m_K1, m_K2;      // equation-of-centre coefficients
  double m_meanMotion;    // radians per day
  double m_siderealDrift; // hours per day
  double m_M0;            // mean anomaly at the year's epoch, radians
  double m_GMST0;         // Greenwich mean sidereal time at the epoch, hours
  double m_obliquity;     // radians
  // Its sine and cosine, and the latitude's, which every position and every
  // event would otherwise compute again.
  double m_cosObliquity, m_sinObliquity;
  double m_perigee;       // longitude of perigee, radians

  // Place constants.
  double m_longitudeHours;  // west-positive longitude / 15
  double m_latitude;        // radians
  double m_sinLatitude, m_cosLatitude;
  double m_timeZone;        // hours east
  double m_effectiveTimeZone;
  bool m_daylightSavings;
  double m_shadowFactor;

  // Method: per side, an angle (degrees) or an interval (hours).
  double m_fajrAngle = 0.0, m_ishaAngle = 0.0;
  bool m_fajrByInterval = false, m_ishaByInterval = false;
  double m_fajrInterval = 0.0, m_ishaInterval = 0.0;

  // Zenith distances, radians.
  double m_sunriseZenith, m_sunsetZenith, m_fajrZenith, m_ishaZenith;
  double m_noonZenith = 0.0;
  double m_asrZenith = 0.0;

  // Daylight-saving range, ordinal days; never applies when invalid.
  int m_firstDaylightDay = 91;
  int m_lastDaylightDay = 306;
  bool m_daylightRangeValid = true;

  unsigned m_missedEvents = 0;
};

// Builds an engine for the date's year as the calculator does (daylight
// range from the parameters) and computes that date's six times.
DayTimes ComputeDayTimes(const CalcParams& params, const COleDate& date);

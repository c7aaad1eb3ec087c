#include "calc/PrayerEngine.h"

#include <cmath>

namespace {

constexpr double kDegToRad = 0.017453292519943295;  // pi / 180
constexpr double kRadToHours = 3.819718634205488;   // 12 / pi

constexpr double kSunriseSunsetZenithDeg = 90.83;  // refraction and semi-diameter

// Twilight angles (degrees below the horizon) of the fixed methods. eQurah's
// Isha angle is loaded but unused: its Isha is Maghrib plus 90 minutes.
struct MethodAngles {
  double fajr;
  double isha;
};
constexpr MethodAngles kMethodAngles[] = {
    /* eEgypt   */ {19.5, 17.5},
    /* eISNA    */ {15.0, 15.0},
    /* eQurah   */ {19.0, 18.0},
    /* eKarachi */ {18.0, 18.0},
    /* eWIL     */ {18.0, 17.0},
};
constexpr double kQurahIshaInterval = 1.5;  // hours after Maghrib
constexpr double kCustomDefaultAngle = 18.0;

// A result of 24 or more is "no event" and takes the fixed time; the event's
// bit is then set in *missed.
double OrFallback(double hours, double fallback, unsigned bit, unsigned* missed) {
  if (hours < 24.0) return hours;
  *missed |= bit;
  return fallback;
}

constexpr unsigned Bit(DayTimeIndex index) { return 1u << index; }

}  // namespace

CPrayerEngine::CPrayerEngine(double longitude, double latitude, double timeZone,
                             bool daylightSavings, int year, double shadowFactor, int method,
                             double customFajrAngle, double customIshaAngle,
                             double customFajrInterval, double customIshaInterval)
    : m_year(year),
      m_timeZone(timeZone),
      m_effectiveTimeZone(timeZone),
      m_daylightSavings(daylightSavings),
      m_shadowFactor(shadowFactor) {
  SetMethod(method, customFajrAngle, customIshaAngle, customFajrInterval, customIshaInterval);

  // Epoch: days from 1900 January 0.0 to the year's January 0.0, with integer
  // division truncating toward zero (for 1900 the leap term is 0, not -1).
  const int d0 = 365 * (year - 1900) + (year - 1901) / 4;
  m_T = (d0 - 0.5) / 36525.0;
  const double T = m_T;

  m_eccentricity = 0.01675104 - 0.0000418 * T - 0.000000126 * T * T;
  m_K1 = m_eccentricity * (2.0 - 0.25 * m_eccentricity * m_eccentricity);
  m_K2 = 1.25 * m_eccentricity * m_eccentricity;
  m_meanMotion = 0.9856002669404517 * kDegToRad;
  m_siderealDrift = 0.06570982235911477;
  m_M0 = std::fmod(358.4758333333333 - 0.00015 * T * T + std::fmod(35999.04975 * T, 360.0),
                   360.0) *
         kDegToRad;
  m_GMST0 = std::fmod(std::fmod(2400.051261666667 * T, 24.0) + 6.6460655555555554, 24.0);
  m_obliquity = (23.452294444444444 - 0.0130125 * T) * kDegToRad;
  m_cosObliquity = std::cos(m_obliquity);
  m_sinObliquity = std::sin(m_obliquity);
  m_perigee =
      std::fmod(281.2208333333333 + T * (1.719175 + 0.00045277777777777775 * T), 360.0) *
      kDegToRad;

  m_longitudeHours = longitude * kDegToRad * kRadToHours;
  m_latitude = latitude * kDegToRad;
  m_sinLatitude = std::sin(m_latitude);
  m_cosLatitude = std::cos(m_latitude);

  m_sunriseZenith = kSunriseSunsetZenithDeg * kDegToRad;
  m_sunsetZenith = kSunriseSunsetZenithDeg * kDegToRad;
  m_fajrZenith = (90.0 + m_fajrAngle) * kDegToRad;
  m_ishaZenith = (90.0 + m_ishaAngle) * kDegToRad;
}

void CPrayerEngine::SetMethod(int method, double customFajrAngle, double customIshaAngle,
                              double customFajrInterval, double customIshaInterval) {
  m_fajrByInterval = m_ishaByInterval = false;
  m_fajrInterval = m_ishaInterval = 0.0;

  if (method == eCustom) {
    // Per side: a given angle wins, then a given interval, then 18 degrees.
    m_fajrAngle = customFajrAngle > 0.0 ? customFajrAngle : kCustomDefaultAngle;
    if (customFajrAngle <= 0.0 && customFajrInterval > 0.0) {
      m_fajrByInterval = true;
      m_fajrInterval = customFajrInterval;
    }
    m_ishaAngle = customIshaAngle > 0.0 ? customIshaAngle : kCustomDefaultAngle;
    if (customIshaAngle <= 0.0 && customIshaInterval > 0.0) {
      m_ishaByInterval = true;
      m_ishaInterval = customIshaInterval;
    }
    return;
  }

  const bool known = method >= eEgypt && method <= eWIL;
  const MethodAngles& angles = kMethodAngles[known ? method : eISNA];
  m_fajrAngle = angles.fajr;
  m_ishaAngle = angles.isha;
  if (method == eQurah) {
    m_ishaByInterval = true;
    m_ishaInterval = kQurahIshaInterval;
  }
}

void CPrayerEngine::SetDaylightRange(int startDay, int startMonth, int endDay, int endMonth) {
  COleDate first, last;
  const bool firstValid = first.SetDateTime(m_year, startMonth, startDay, 0, 0, 0);
  const bool lastValid = last.SetDateTime(m_year, endMonth, endDay, 0, 0, 0);
  m_daylightRangeValid = firstValid && lastValid;
  if (!m_daylightRangeValid) return;
  m_firstDaylightDay = first.GetDayOfYear();
  m_lastDaylightDay = last.GetDayOfYear();
}

bool CPrayerEngine::InDaylightRange(int ordinalDay) const {
  if (!m_daylightRangeValid) return false;
  // A period that starts later in the year than it ends runs over the new
  // year, as summer time does south of the equator (October to April).
  // Exchanging its bounds instead would put the hour in the southern winter
  // and leave such users no way to set their clocks right.
  if (m_firstDaylightDay > m_lastDaylightDay) {
    return ordinalDay >= m_firstDaylightDay || ordinalDay <= m_lastDaylightDay;
  }
  return m_firstDaylightDay <= ordinalDay && ordinalDay <= m_lastDaylightDay;
}

CPrayerEngine::SunPosition CPrayerEngine::PositionAt(double j) const {
  const double M = j * m_meanMotion + m_M0;
  const double lambda = M + m_K1 * std::sin(M) + m_K2 * std::sin(2.0 * M) + m_perigee;
  double alpha =
      std::atan2(m_cosObliquity * std::sin(lambda), std::cos(lambda)) * kRadToHours;
  if (alpha < 0.0) alpha += 24.0;
  return {alpha, m_sinObliquity * std::sin(lambda)};
}

double CPrayerEngine::HourOffset(double j, double rightAscension) const {
  return rightAscension - j * m_siderealDrift - m_GMST0;
}

double CPrayerEngine::ComputeTransit(int n) {
  const double j = n + (12.0 + m_longitudeHours) / 24.0;  // local mean noon in UT
  const SunPosition sun = PositionAt(j);
  const double declination = std::asin(sun.sinDeclination);
  double zuhr = HourOffset(j, sun.rightAscension) + m_longitudeHours + m_effectiveTimeZone;
  if (zuhr < 0.0) zuhr += 24.0;
  if (zuhr > 24.0) zuhr -= 24.0;
  m_noonZenith = std::fabs(m_latitude - declination);
  return zuhr;
}

double CPrayerEngine::NoonDeclination(int n) const {
  return std::asin(PositionAt(n + (12.0 + m_longitudeHours) / 24.0).sinDeclination);
}

void CPrayerEngine::ComputeAsrZenith() {
  m_asrZenith = std::atan(m_shadowFactor + std::tan(m_noonZenith));
}

double CPrayerEngine::SolveEventTime(int n, double zenith, double guess) const {
  return SolveEventTimeOnSide(n, zenith, guess, guess >= 12.0);
}

double CPrayerEngine::SolveEventTimeOnSide(int n, double zenith, double guess,
                                           bool eveningSide) const {
  const double j = n + (guess + m_longitudeHours) / 24.0;
  const SunPosition sun = PositionAt(j);
  const double cosDeclination = std::sqrt(1.0 - sun.sinDeclination * sun.sinDeclination);
  const double cosH = (std::cos(zenith) - m_sinLatitude * sun.sinDeclination) /
                      (m_cosLatitude * cosDeclination);
  if (std::fabs(cosH) > 1.0) return kNoEvent;
  double h = std::acos(cosH) * kRadToHours;
  if (!eveningSide) h = 24.0 - h;  // morning side of noon
  const double t = h + HourOffset(j, sun.rightAscension) + m_effectiveTimeZone + m_longitudeHours;
  // One correction only; exactly 24.0 stays, and callers read it as no event.
  if (t < 0.0) return t + 24.0;
  if (t > 24.0) return t - 24.0;
  return t;
}

CPrayerEngine::Pass CPrayerEngine::ComputePass(int n, const Pass& guesses) {
  Pass p{};
  unsigned* missed = &m_missedEvents;
  *missed = 0;
  p.zuhr = ComputeTransit(n);
  ComputeAsrZenith();
  p.shorouk = OrFallback(SolveEventTime(n, m_sunriseZenith, guesses.shorouk),
                         kShoroukSeed.fixedTime, Bit(kShoroukTime), missed);
  p.asr = OrFallback(SolveEventTime(n, m_asrZenith, guesses.asr), kAsrSeed.fixedTime,
                     Bit(kAsrTime), missed);
  p.maghrib = OrFallback(SolveEventTime(n, m_sunsetZenith, guesses.maghrib),
                         kMaghribSeed.fixedTime, Bit(kMaghribTime), missed);
  p.fajr = m_fajrByInterval ? p.shorouk - m_fajrInterval
                            : OrFallback(SolveEventTime(n, m_fajrZenith, guesses.fajr),
                                         kFajrSeed.fixedTime, Bit(kFajrTime), missed);
  p.isha = m_ishaByInterval ? p.maghrib + m_ishaInterval
                            : OrFallback(SolveEventTime(n, m_ishaZenith, guesses.isha),
                                         kIshaSeed.fixedTime, Bit(kIshaTime), missed);
  return p;
}

void CPrayerEngine::SetClockFor(int ordinalDay) {
  m_effectiveTimeZone =
      (m_daylightSavings && InDaylightRange(ordinalDay)) ? m_timeZone + 1.0 : m_timeZone;
}

DayTimes CPrayerEngine::ComputeDay(int ordinalDay) {
  SetClockFor(ordinalDay);

  // Pass one solves the day before from fixed seeds; pass two solves the day
  // itself, each event guessed from its pass-one time.
  const Pass seeds{kFajrSeed.start, kShoroukSeed.start, 12.0,
                   kAsrSeed.start,  kMaghribSeed.start, kIshaSeed.start};
  const Pass first = ComputePass(ordinalDay - 1, seeds);
  const Pass second = ComputePass(ordinalDay, first);

  return {HoursToDate(second.fajr),  HoursToDate(second.shorouk), HoursToDate(second.zuhr),
          HoursToDate(second.asr),   HoursToDate(second.maghrib), HoursToDate(second.isha)};
}

COleDate CPrayerEngine::HoursToDate(double hours) {
  double whole = std::trunc(hours);
  double minutes = std::trunc((hours - whole) * 60.0 + 0.5);
  if (minutes >= 60.0) {
    minutes = 0.0;
    whole += 1.0;
  }
  if (whole >= 0.0 && whole <= 23.0 && minutes >= 0.0 && minutes <= 59.0) {
    return COleDate((whole * 60.0 + minutes) / 1440.0);
  }
  return COleDate(kInvalidDate);
}

DayTimes ComputeDayTimes(const CalcParams& params, const COleDate& date) {
  DayTimes times;
  times.fill(COleDate(kInvalidDate));
  if (!date.IsValid()) return times;
  CPrayerEngine engine(params.Longitude, params.Latitude, params.TimeZone,
                       params.DaylightSavings, date.GetYear(),
                       CPrayerEngine::ShadowFactor(params.AsrMethod), params.Method,
                       params.CustomFajrAngle, params.CustomIshaAngle, params.CustomFajrInterval,
                       params.CustomIshaInterval);
  engine.SetDaylightRange(params.DaylightStartDay, params.DaylightStartMonth,
                          params.DaylightEndDay, params.DaylightEndMonth);
  return engine.ComputeDay(date.GetDayOfYear());
}

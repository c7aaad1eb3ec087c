#include "calc/DaySchedule.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <unordered_map>

#include "calc/PrayerEngine.h"
#include "platform/time/Calendar.h"

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
bool Occurs(double hours) { return !std::isnan(hours); }

constexpr double kMinute = 1.0 / 60.0;          // hours
constexpr double kShortestNight = 5.0 / 60.0;   // hours; a shorter one counts as none
constexpr double kBoundedAbove = 48.0;          // degrees of latitude
constexpr int kSearchDays = 400;                // more than a year each way
constexpr double kDegrees = 57.29577951308232;  // per radian
constexpr double kHorizonAltitude = -0.83;      // degrees; the sun's rim at the horizon
// Far enough from the horizon that a day's sun cannot cross it, whatever
// the model's solve (the declination moves less than half a degree a day).
constexpr double kClearlyAltitude = 1.0;

enum class Sun { kSunrise, kSunset, kAsr, kFajr, kIsha, kTransit };

constexpr unsigned Bit(DayTimeIndex index) { return 1u << index; }

// The value t + 24k nearest to the expected time: the solver brings its
// times into 0..24 once, which says nothing of the day they belong to.
double Near(double t, double expected) {
  return t + 24.0 * std::floor((expected - t) / 24.0 + 0.5);
}

// Whole minutes from the midnight the hours count from, rounded as the
// engine rounds (halves up), for times of any day.
long Minutes(double hours) {
  const double days = std::floor(hours / 24.0);
  const double h = hours - 24.0 * days;
  const double whole = std::trunc(h);
  const double minutes = std::trunc((h - whole) * 60.0 + 0.5);
  return static_cast<long>(days) * 1440 + static_cast<long>(whole) * 60 + static_cast<long>(minutes);
}

// A night: it starts with a date's sunset, in hours from that date's
// midnight, and ends with the next date's sunrise, in hours from the next
// date's midnight (so that an ordinary sunrise keeps its exact value).
struct Night {
  double start = kNone;
  double end = kNone;
  bool startBorrowed = false;
  bool endBorrowed = false;
  double Length() const { return end + 24.0 - start; }
  double EndFromStartDay() const { return end + 24.0; }
};

// x held between lo and hi; the middle when they leave no room.
double Hold(double x, double lo, double hi) {
  if (lo > hi) return (lo + hi) / 2.0;
  return std::clamp(x, lo, hi);
}

// Isha of a date and the next date's Fajr, in hours from the midnight that
// begins each one's own date.
struct NightPair {
  double isha = kNone;
  double fajr = kNone;
  bool ishaByRule = false;
  bool fajrByRule = false;
};

// The year of a valid date and its ordinal day in that year, from one
// reading of its fields.
struct YearDay {
  int year;
  int dayOfYear;
};
YearDay YearDayOf(const COleDate& date) {
  SYSTEMTIME st;
  date.GetAsSystemTime(&st);
  return {st.wYear, calendar::DayOfYear(st.wYear, st.wMonth, st.wDay)};
}

class ScheduleSolver {
 public:
  ScheduleSolver(const CalcParams& params, const COleDate& date, SolvedEvents* kept)
      : ScheduleSolver(params, YearDayOf(date), kept) {}
  ScheduleSolver(const CalcParams& params, YearDay date, SolvedEvents* kept)
      : m_engine(params.Longitude, params.Latitude, params.TimeZone, params.DaylightSavings,
                 date.year, CPrayerEngine::ShadowFactor(params.AsrMethod), params.Method,
                 params.CustomFajrAngle, params.CustomIshaAngle, params.CustomFajrInterval,
                 params.CustomIshaInterval),
        m_date(date.dayOfYear),
        m_latitude(params.Latitude),
        m_bounded(std::fabs(params.Latitude) > kBoundedAbove) {
    // The range counts only on a clock that keeps summer time.
    if (params.DaylightSavings) {
      m_engine.SetDaylightRange(params.DaylightStartDay, params.DaylightStartMonth,
                                params.DaylightEndDay, params.DaylightEndMonth);
    }
    // One clock for the whole computation: the neighbouring days it looks at
    // are seen on the date's clock, so that their times compare with its own.
    m_engine.SetClockFor(m_date);
    const double ahead = m_engine.LongitudeHours() + m_engine.EffectiveTimeZone();
    m_shift = static_cast<int>(std::floor(ahead / 24.0 + 0.5));
    m_residual = ahead - 24.0 * m_shift;
    // Every event solved depends on these and on its day alone.
    m_key = {static_cast<double>(date.year), params.Longitude, params.Latitude,
             m_engine.EffectiveTimeZone(), static_cast<double>(params.Method),
             CPrayerEngine::ShadowFactor(params.AsrMethod), params.CustomFajrAngle,
             params.CustomIshaAngle, params.CustomFajrInterval, params.CustomIshaInterval};
    m_kept = kept;
    if (m_kept != nullptr && m_kept->filled &&
        std::memcmp(m_kept->key.data(), m_key.data(), sizeof m_key) == 0) {
      for (int k = 0; k <= 2 * kNearDays; ++k) {
        const int from = m_date - kNearDays + k - m_kept->firstDay;
        if (from >= 0 && from <= 2 * kNearDays) {
          m_nearDays[static_cast<std::size_t>(k)] = m_kept->days[static_cast<std::size_t>(from)];
        }
      }
    }
    switch (params.HighLatitude) {
      case eMiddleOfNight:
        m_fajrPortion = m_ishaPortion = 0.5;
        break;
      case eTwilightAngle:
        m_fajrPortion = m_engine.FajrAngle() / 60.0;
        m_ishaPortion = m_engine.IshaAngle() / 60.0;
        break;
      default:
        m_fajrPortion = m_ishaPortion = 1.0 / 7.0;
        break;
    }
  }

  DaySchedule Run();

 private:
  double Solve(int day, Sun event);
  double SolveTwice(int day, Sun event);
  double Zuhr(int day) { return Solve(day, Sun::kTransit); }
  double Zenith(Sun event, int n);
  void NoonAndMidnightAltitudes(int day, double* noon, double* midnight) const;
  bool IsWholeNight(int day);
  Night NightAfter(int day);
  Night BorrowedNight(int day);
  double AfternoonShare(int day);
  double IshaOf(int day, bool* byRule);
  double FajrOf(int day, bool* byRule);
  NightPair PairAfter(int day);

  CPrayerEngine m_engine;
  int m_date;           // ordinal day of the date in the engine's year
  double m_latitude;    // degrees
  bool m_bounded;       // the rule also bounds times that occur
  int m_shift = 0;      // a date takes the solar day m_shift days before it
  double m_residual = 0;  // clock less solar time, once the shift is taken out
  double m_fajrPortion = 0, m_ishaPortion = 0;

  // What is solved once: the days near the date in place, the others (which
  // only the searches of polar days and nights meet) in a map.
  static constexpr int kNearDays = SolvedEvents::kNearDays;
  using SolvedDay = SolvedEvents::Day;
  std::array<SolvedDay, 2 * kNearDays + 1> m_nearDays{};
  decltype(SolvedEvents::key) m_key{};
  SolvedEvents* m_kept = nullptr;  // the caller's, for the next date
  std::unordered_map<long long, double> m_farEvents;
  std::array<std::optional<Night>, 3> m_nights;     // after the day before, the date, the next day
  std::array<std::optional<NightPair>, 2> m_pairs;  // after the day before, after the date
};

// The engine's zenith distance for the event, on engine day n (Asr's depends
// on that day's noon).
double ScheduleSolver::Zenith(Sun event, int n) {
  switch (event) {
    case Sun::kSunrise:
    case Sun::kSunset:
      return m_engine.SunriseZenith();
    case Sun::kFajr:
      return m_engine.FajrZenith();
    case Sun::kIsha:
      return m_engine.IshaZenith();
    default:
      m_engine.ComputeTransit(n);
      m_engine.ComputeAsrZenith();
      return m_engine.AsrZenith();
  }
}

// The event on the date `day` (an ordinal of the engine's year, any
// integer), in clock hours from that date's midnight, or kNone. Two passes as
// the engine's: the day before from its seeds, then the day itself from
// pass one's time; with the same arguments on an ordinary day, so that its
// times come out exactly as the engine's.
double ScheduleSolver::Solve(int day, Sun event) {
  const int e = static_cast<int>(event);
  if (const int near = day - m_date + kNearDays; near >= 0 && near <= 2 * kNearDays) {
    SolvedDay& solved = m_nearDays[static_cast<std::size_t>(near)];
    if ((solved.known & (1u << e)) == 0) {
      solved.hours[static_cast<std::size_t>(e)] = SolveTwice(day, event);
      solved.known |= 1u << e;
    }
    return solved.hours[static_cast<std::size_t>(e)];
  }
  const long long key = static_cast<long long>(day) * 8 + e;
  if (const auto found = m_farEvents.find(key); found != m_farEvents.end()) return found->second;
  return m_farEvents.emplace(key, SolveTwice(day, event)).first->second;
}

double ScheduleSolver::SolveTwice(int day, Sun event) {
  const int n = day - m_shift;
  double result;
  if (event == Sun::kTransit) {
    result = Near(m_engine.ComputeTransit(n), 12.0 + m_residual);
  } else {
    static constexpr CPrayerEngine::Seed kSeeds[] = {CPrayerEngine::kShoroukSeed, CPrayerEngine::kMaghribSeed,
                                                     CPrayerEngine::kAsrSeed, CPrayerEngine::kFajrSeed,
                                                     CPrayerEngine::kIshaSeed};
    const CPrayerEngine::Seed& seed = kSeeds[static_cast<int>(event)];
    const bool evening = event == Sun::kSunset || event == Sun::kAsr || event == Sun::kIsha;
    const double first = m_engine.SolveEventTimeOnSide(n - 1, Zenith(event, n - 1), seed.start, evening);
    const double guess =
        first == CPrayerEngine::kNoEvent ? seed.fixedTime : Near(first, seed.start + m_residual);
    const double second = m_engine.SolveEventTimeOnSide(n, Zenith(event, n), guess, evening);
    result = second == CPrayerEngine::kNoEvent ? kNone : Near(second, guess);
  }
  return result;
}

// The sun's altitude (degrees) at its upper and lower culmination that day.
void ScheduleSolver::NoonAndMidnightAltitudes(int day, double* noon, double* midnight) const {
  const double declination = m_engine.NoonDeclination(day - m_shift) * kDegrees;
  *noon = 90.0 - std::fabs(m_latitude - declination);
  *midnight = std::fabs(m_latitude + declination) - 90.0;
}

// The sun sets on that date and rises on the next, at least a few minutes
// apart.
bool ScheduleSolver::IsWholeNight(int day) {
  const double sunset = Solve(day, Sun::kSunset);
  const double sunrise = Solve(day + 1, Sun::kSunrise);
  return Occurs(sunset) && Occurs(sunrise) && sunrise + 24.0 - sunset >= kShortestNight;
}

// The nearest whole night, moved to this date at the same distance from
// noon.
Night ScheduleSolver::BorrowedNight(int day) {
  for (int distance = 1; distance <= kSearchDays; ++distance) {
    for (const int k : {day - distance, day + distance}) {
      // Days deep in polar day or night need no solving.
      double noon, midnight;
      NoonAndMidnightAltitudes(k, &noon, &midnight);
      if (midnight > kHorizonAltitude + kClearlyAltitude || noon < kHorizonAltitude - kClearlyAltitude) continue;
      if (!IsWholeNight(k)) continue;
      Night night;
      night.start = Zuhr(day) + (Solve(k, Sun::kSunset) - Zuhr(k));
      night.end = Zuhr(day + 1) + (Solve(k + 1, Sun::kSunrise) - Zuhr(k + 1));
      night.startBorrowed = night.endBorrowed = true;
      return night;
    }
  }
  // Only at a pole does the sun never set or rise: halve the day there.
  Night night;
  night.start = Zuhr(day) + 6.0;
  night.end = Zuhr(day + 1) - 6.0;
  night.startBorrowed = night.endBorrowed = true;
  return night;
}

Night ScheduleSolver::NightAfter(int day) {
  const int slot = day - m_date + 1;
  const bool kept = slot >= 0 && slot < static_cast<int>(m_nights.size());
  if (kept && m_nights[static_cast<std::size_t>(slot)]) return *m_nights[static_cast<std::size_t>(slot)];
  Night night;
  night.start = Solve(day, Sun::kSunset);
  night.end = Solve(day + 1, Sun::kSunrise);
  if (!IsWholeNight(day)) {
    const Night borrowed = BorrowedNight(day);
    if (!Occurs(night.start)) {
      night.start = borrowed.start;
      night.startBorrowed = true;
    }
    if (!Occurs(night.end)) {
      night.end = borrowed.end;
      night.endBorrowed = true;
    }
    if (night.Length() < kShortestNight) night = borrowed;
  }
  if (kept) m_nights[static_cast<std::size_t>(slot)] = night;
  return night;
}

// The share of the afternoon (Zuhr to Maghrib) Asr takes on the nearest day
// on which the sun gives both.
double ScheduleSolver::AfternoonShare(int day) {
  for (int distance = 1; distance <= kSearchDays; ++distance) {
    for (const int k : {day - distance, day + distance}) {
      double noon, midnight;
      NoonAndMidnightAltitudes(k, &noon, &midnight);
      if (noon < kHorizonAltitude - kClearlyAltitude || midnight > kHorizonAltitude + kClearlyAltitude) continue;
      const double asr = Solve(k, Sun::kAsr);
      const double sunset = Solve(k, Sun::kSunset);
      const double zuhr = Zuhr(k);
      if (Occurs(asr) && Occurs(sunset) && zuhr < asr && asr < sunset) {
        return (asr - zuhr) / (sunset - zuhr);
      }
    }
  }
  return 0.5;
}

// Isha of the date, before it is held against the next Fajr.
double ScheduleSolver::IshaOf(int day, bool* byRule) {
  const Night night = NightAfter(day);
  double isha;
  if (m_engine.IshaByInterval()) {
    isha = night.start + m_engine.IshaInterval();
  } else {
    const double ruled = night.start + m_ishaPortion * night.Length();
    const double event = Solve(day, Sun::kIsha);
    const bool occurs = Occurs(event) && event > night.start && event < night.EndFromStartDay();
    *byRule = !occurs || (m_bounded && event > ruled);
    isha = *byRule ? ruled : event;
  }
  const double held = Hold(isha, night.start + kMinute, night.EndFromStartDay() - kMinute);
  if (held != isha) *byRule = true;
  return held;
}

// Fajr of the date, before it is held against the Isha before it.
double ScheduleSolver::FajrOf(int day, bool* byRule) {
  const Night before = NightAfter(day - 1);
  const double sunrise = before.end;
  const double lastSunset = before.start - 24.0;
  double fajr;
  if (m_engine.FajrByInterval()) {
    fajr = sunrise - m_engine.FajrInterval();
  } else {
    const double event = Solve(day, Sun::kFajr);
    const bool occurs = Occurs(event) && event < sunrise && event > lastSunset;
    // The rule's time needs the night after the day; an ordinary day of the
    // lower latitudes can do without it.
    if (occurs && !m_bounded) {
      fajr = event;
    } else {
      const double ruled = sunrise - m_fajrPortion * NightAfter(day).Length();
      *byRule = !occurs || event < ruled;
      fajr = *byRule ? ruled : event;
    }
  }
  const double held = Hold(fajr, lastSunset + kMinute, sunrise - kMinute);
  if (held != fajr) *byRule = true;
  return held;
}

NightPair ScheduleSolver::PairAfter(int day) {
  const int slot = day - m_date + 1;
  const bool kept = slot >= 0 && slot < static_cast<int>(m_pairs.size());
  if (kept && m_pairs[static_cast<std::size_t>(slot)]) return *m_pairs[static_cast<std::size_t>(slot)];
  NightPair pair;
  pair.isha = IshaOf(day, &pair.ishaByRule);
  pair.fajr = FajrOf(day + 1, &pair.fajrByRule);
  const double fajrHere = pair.fajr + 24.0;
  if (fajrHere < pair.isha) {
    const double halfway = (pair.isha + fajrHere) / 2.0;
    pair.isha = halfway;
    pair.fajr = halfway - 24.0;
    pair.ishaByRule = pair.fajrByRule = true;
  }
  if (kept) m_pairs[static_cast<std::size_t>(slot)] = pair;
  return pair;
}

DaySchedule ScheduleSolver::Run() {
  const Night before = NightAfter(m_date - 1);
  const Night after = NightAfter(m_date);
  // The evening before's Isha matters only where it could come after this
  // Fajr; not where the sun gives Fajr below 48 degrees at an angle deeper
  // than Isha's, since it passes Isha's angle going down before Fajr's
  // coming up, in the same night.
  NightPair morning;
  morning.fajr = FajrOf(m_date, &morning.fajrByRule);
  if (morning.fajrByRule || m_bounded || m_engine.IshaByInterval() ||
      !(m_engine.IshaAngle() < m_engine.FajrAngle())) {
    morning = PairAfter(m_date - 1);
  }
  const NightPair evening = PairAfter(m_date);

  const double zuhr = Zuhr(m_date);
  const double shorouk = before.end;
  const double maghrib = after.start;
  double asr = Solve(m_date, Sun::kAsr);
  const bool asrOccurs = Occurs(asr) && zuhr < asr && asr < maghrib;
  if (!asrOccurs) asr = zuhr + AfternoonShare(m_date) * (maghrib - zuhr);

  DaySchedule schedule;
  if (before.endBorrowed) schedule.polarTimes |= Bit(kShoroukTime);
  if (after.startBorrowed) schedule.polarTimes |= Bit(kMaghribTime);
  if (!asrOccurs) schedule.polarTimes |= Bit(kAsrTime);
  if (morning.fajrByRule) schedule.ruleTimes |= Bit(kFajrTime);
  if (evening.ishaByRule) schedule.ruleTimes |= Bit(kIshaTime);

  std::array<long, kDayTimesCount> minutes = {Minutes(morning.fajr), Minutes(shorouk), Minutes(zuhr),
                                              Minutes(asr),          Minutes(maghrib), Minutes(evening.isha)};
  // Outwards from Zuhr, each a minute beyond its neighbour nearer noon.
  for (std::size_t i = kZuhrTime; i-- > kFajrTime;) {
    if (minutes[i] >= minutes[i + 1]) {
      minutes[i] = minutes[i + 1] - 1;
      schedule.polarTimes |= Bit(static_cast<DayTimeIndex>(i));
    }
  }
  for (std::size_t i = kAsrTime; i <= kIshaTime; ++i) {
    if (minutes[i] <= minutes[i - 1]) {
      minutes[i] = minutes[i - 1] + 1;
      schedule.polarTimes |= Bit(static_cast<DayTimeIndex>(i));
    }
  }
  for (std::size_t i = 0; i < kDayTimesCount; ++i) {
    const long offset = minutes[i] >= 0 ? minutes[i] / 1440 : -((1439 - minutes[i]) / 1440);
    const long ofDay = minutes[i] - offset * 1440;
    schedule.times[i].dayOffset = static_cast<int>(offset);
    schedule.times[i].time = COleDate(static_cast<double>(ofDay) / 1440.0);
  }
  if (m_kept != nullptr) {
    m_kept->key = m_key;
    m_kept->filled = true;
    m_kept->firstDay = m_date - kNearDays;
    m_kept->days = m_nearDays;
  }
  return schedule;
}

}  // namespace

unsigned DaySchedule::TimesOnDay(int dayOffset) const {
  unsigned bits = 0;
  for (std::size_t i = 0; i < kDayTimesCount; ++i) {
    if (times[i].time.IsValid() && times[i].dayOffset == dayOffset) bits |= 1u << i;
  }
  return bits;
}

DayTimes DaySchedule::TimesOfDay() const {
  DayTimes result;
  for (std::size_t i = 0; i < kDayTimesCount; ++i) result[i] = times[i].time;
  return result;
}

DaySchedule ComputeDaySchedule(const CalcParams& params, const COleDate& date, SolvedEvents* solved) {
  if (!date.IsValid()) return DaySchedule{};
  return ScheduleSolver(params, date, solved).Run();
}

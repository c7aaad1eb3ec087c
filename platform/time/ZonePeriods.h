#pragma once
// The clocks of a time zone over the years, from the system's zone database
// (the compiled tzdata files under /usr/share/zoneinfo, or under TZDIR, as
// the C library reads them): the offset from UTC at any moment, and the days
// of a year on which a zone's clocks stand ahead of a place's standard time,
// which is what a city's daylight flag and a daylight-saving range describe.
//
// The files are read directly rather than through TZ and localtime_r, which
// would change the time zone of the whole process while another thread reads
// its clock; ICU's own zone data is older than the system's and misses
// changes the city files follow (Egypt's summer time again from 2023).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/time/Calendar.h"

namespace tz {

// A run of days, both ends included.
struct DayPeriod {
  calendar::CivilDate first;
  calendar::CivilDate last;
};

class ZonePeriods {
 public:
  // The zone named as in tzdata ("Europe/London"); nullopt, with *error set,
  // when it has no readable file of that name.
  static std::optional<ZonePeriods> Load(const std::string& zone, std::string* error);

  // The same from the bytes of a compiled zone file (TZif, version 1 or
  // later); nullopt, with *error set, when they are not one.
  static std::optional<ZonePeriods> Parse(const std::string& bytes, std::string* error);

  const std::string& Name() const { return m_name; }

  // Seconds east of UTC that the zone's clocks keep at that moment (seconds
  // since 1970-01-01 00:00 UTC).
  long OffsetAt(std::int64_t utcSeconds) const;

  // The days of the year whose clocks, at noon, stand ahead of the standard
  // time given (hours east of UTC), as runs in the order of the year; a run
  // that goes on into the next year or came from the last ends at 31
  // December or starts on 1 January.
  std::vector<DayPeriod> DaylightPeriods(int year, double standardHours) const;

 private:
  struct Transition {
    std::int64_t at;  // UTC seconds
    long offset;      // seconds east after it
  };
  // The rule a POSIX TZ string gives for the years after the last listed
  // transition.
  struct Rule {
    enum class Kind { kJulianNoLeap, kZeroBasedDay, kMonthWeekDay };
    Kind kind = Kind::kMonthWeekDay;
    int day = 0, week = 0, month = 0;
    long time = 7200;  // seconds after local midnight
  };
  struct Footer {
    long standardOffset = 0;  // seconds east
    bool daylight = false;
    long daylightOffset = 0;
    Rule start, end;
  };
  static bool ParseFooter(const std::string& text, Footer* footer);
  static std::int64_t RuleMoment(const Rule& rule, std::int64_t year, long offsetBefore);
  long FooterOffsetAt(std::int64_t utcSeconds) const;

  std::string m_name;
  long m_firstOffset = 0;  // before the first transition
  std::vector<Transition> m_transitions;
  std::optional<Footer> m_footer;
};

}  // namespace tz

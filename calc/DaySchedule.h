#pragma once
// The six times of one date as a person can pray by them. The engine gives
// the times of the sun; where the sun does not give one (no twilight in a
// northern summer, no sunset in polar day, no sunrise in polar night), or
// where a time of the model falls outside the date, this is where it is
// decided what the time is and on which day it falls.
//
// The rules, in the order they are applied:
//
// 1. The place's day. A zone a day ahead of its sun (Apia, +13) or behind it
//    puts the sun's day on the neighbouring date; each date takes the solar
//    day whose noon falls on it, and a time past midnight belongs to the next
//    date (an Isha at 00:40), one before midnight to the date before.
// 2. Evening events are solved on the evening side, morning events on the
//    morning side, whatever their clock time.
// 3. The night after a date runs from its sunset to the next sunrise. Where
//    the sun does not set or rise (polar day and night), or sets for less
//    than five minutes, the missing end is taken from the nearest night of
//    the year that lasts at least that long (the earlier on a tie), at the
//    same distance from that day's noon; if the night pieced together that
//    way is still that short, both ends are. Shorouk ends the night before
//    the date, Maghrib begins the one after it.
// 4. An Asr the sun does not give between Zuhr and Maghrib (polar night)
//    takes the share of the afternoon Asr takes on the nearest day on which
//    it does; half of it where there is none.
// 5. Fajr and Isha by angle take the high-latitude rule's time when the sun
//    does not reach the angle: Isha a part of the night after sunset, Fajr
//    the same part of the night (the one after the date, as the peer
//    libraries take it) before sunrise; a seventh, a half, or the angle over
//    60. Above 48 degrees of latitude the rule also bounds a time that lies
//    farther from sunset or sunrise. Isha and Fajr by interval keep their
//    interval.
// 6. Isha and the next Fajr stay inside their night, a minute from its ends;
//    should the next Fajr come before Isha (nights that lengthen fast), both
//    take the moment halfway between them.
// 7. Rounded to the minute (halves up), the six times are kept in their
//    order a minute apart, outwards from Zuhr: a time that would not come
//    after the one before it (or before the one after it, before Zuhr) is
//    moved to the next minute.
//
// Below 48 degrees, on a day whose events all occur, nothing of this changes
// a time of the engine, except where the engine solved an evening time on the
// morning side because it fell past midnight that day or the day before.

#include <array>

#include "calc/CalcParams.h"

// One time of a schedule and the day it falls on.
struct ScheduledTime {
  COleDate time{kInvalidDate};  // the time of day, on day zero, as in DayTimes
  int dayOffset = 0;            // -1: the day before the date, +1: the day after
};

struct DaySchedule {
  std::array<ScheduledTime, kDayTimesCount> times;
  // Bit (1 << index) of each time the high-latitude rule gave or moved
  // (Fajr and Isha only).
  unsigned ruleTimes = 0;
  // Bit (1 << index) of each time the sun does not give on that day at that
  // place: taken from the nearest day or night, or moved to keep the order.
  unsigned polarTimes = 0;

  // The bits of the times that fall on the day at that offset.
  unsigned TimesOnDay(int dayOffset) const;
  // The times of day alone, as the engine gives them.
  DayTimes TimesOfDay() const;
};

// The sun's events a schedule solved on the days around its date. A caller
// that computes date after date (the calculator, for a century) keeps one and
// hands it to every call: the next date's schedule takes from it the days
// both look at, when it is computed for the same place, settings, year and
// clock; anything else starts afresh. Either way the times are those of a
// computation without it.
struct SolvedEvents {
  struct Day {
    std::array<double, 6> hours{};  // by event
    unsigned known = 0;             // bit (1 << event) of each solved one
  };
  static constexpr int kNearDays = 3;  // each side of the date
  std::array<double, 10> key{};        // what the events depend on; see the .cpp
  bool filled = false;
  int firstDay = 0;  // ordinal day, in the key's year, of days[0]
  std::array<Day, 2 * kNearDays + 1> days{};
};

// The schedule of the date (its time of day is ignored); every time is
// invalid when the date is.
DaySchedule ComputeDaySchedule(const CalcParams& params, const COleDate& date, SolvedEvents* solved = nullptr);

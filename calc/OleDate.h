#pragma once
// COleDate and COleDateSpan: the point-in-time and length-of-time values every
// part of the add-in uses. A COleDate is exactly one DATE (8 bytes) and is
// copied by value everywhere, also inside arrays such as DayTimes.

#include <climits>
#include <string>

#include "platform/com/WinTypes.h"
#include "platform/time/SystemTime.h"

// Marks an unset or failed date: one day below the valid range.
inline constexpr DATE kInvalidDate = -657435.0;

class COleDateSpan {
 public:
  // Valid spans lie within +-kMaxSpan days; kInvalidSpan marks a failed one.
  static constexpr double kMaxSpan = 3615897.0;
  static constexpr double kInvalidSpan = -3615898.0;

  constexpr COleDateSpan() = default;
  constexpr explicit COleDateSpan(double days) : m_span(days) {}
  COleDateSpan(long days, int hours, int minutes, int seconds) {
    SetDateTimeSpan(days, hours, minutes, seconds);
  }

  void SetDateTimeSpan(long days, int hours, int minutes, int seconds);

  bool IsValid() const { return m_span >= -kMaxSpan && m_span <= kMaxSpan; }
  // Signed days with fraction.
  double GetTotalDays() const { return m_span; }
  double GetTotalMinutes() const { return m_span * 1440.0; }

  COleDateSpan operator-() const { return COleDateSpan(-m_span); }

 private:
  double m_span = 0.0;
};

class COleDate {
 public:
  // What a calendar-field getter answers for an invalid date.
  static constexpr int kInvalidField = INT_MIN;
  static constexpr DATE kMinValid = -657434.0;   // 1 January 100 00:00
  static constexpr DATE kMaxValid = 2958465.0;   // 31 December 9999 00:00

  constexpr COleDate() = default;
  // Stores the value as given, without a check.
  constexpr COleDate(DATE value) : m_dt(value) {}  // NOLINT: implicit on purpose, like DATE
  COleDate(int year, int month, int day, int hour, int minute, int second) {
    SetDateTime(year, month, day, hour, minute, second);
  }

  COleDate& operator=(DATE value) {
    m_dt = value;
    return *this;
  }
  COleDate& operator=(const SYSTEMTIME& st);

  // The local time now (ORVANE_NOW when set).
  static COleDate Now();

  constexpr DATE Value() const { return m_dt; }
  constexpr operator DATE() const { return m_dt; }
  constexpr bool IsValid() const { return m_dt >= kMinValid && m_dt <= kMaxValid; }

  // Sets the value from calendar fields through the platform conversion
  // (two-digit years, field ranges, day overflow as SystemTimeToVariantTime
  // has them). On failure the value becomes kInvalidDate. Answers whether
  // the result is a valid date.
  bool SetDateTime(int year, int month, int day, int hour, int minute, int second);

  // Calendar fields, or kInvalidField when the date is invalid.
  int GetYear() const;
  int GetMonth() const;      // 1..12
  int GetDay() const;        // 1..31
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;
  int GetDayOfWeek() const;  // 1 = Sunday .. 7 = Saturday
  int GetDayOfYear() const;  // 1 = 1 January

  // Fills *st; false when the value does not convert.
  bool GetAsSystemTime(SYSTEMTIME* st) const;

  // Text of the date or time through the national-language support, with a
  // Windows picture (null: the locale's own format), in the caller's
  // character set (char: the ANSI code page; char16_t: UTF-16). At most 254
  // characters; empty when the value does not convert or formatting fails.
  template <typename Char>
  std::basic_string<Char> FormatAsDate(const Char* picture, DWORD flags, LCID locale) const;
  template <typename Char>
  std::basic_string<Char> FormatAsTime(const Char* picture, DWORD flags, LCID locale) const;
  // The date in another calendar (6: Hijri). The locale's calendar type is
  // switched for the moment of formatting and set back afterwards; every
  // program of the user sees the switch meanwhile, as on Windows.
  template <typename Char>
  std::basic_string<Char> FormatAsDateInCalendar(const Char* picture, DWORD flags,
                                                 DWORD calendar, LCID locale) const;

  // Comparisons are made on the linear form and without a validity check.
  bool operator>(const COleDate& other) const { return Linear(m_dt) > Linear(other.m_dt); }
  bool operator<(const COleDate& other) const { return Linear(m_dt) < Linear(other.m_dt); }
  bool operator<=(const COleDate& other) const { return Linear(m_dt) <= Linear(other.m_dt); }
  bool operator>=(const COleDate& other) const { return Linear(m_dt) >= Linear(other.m_dt); }

  // kInvalidDate when the date is invalid or the span out of range; the
  // result itself is not checked against the valid range.
  COleDate operator+(const COleDateSpan& span) const;
  COleDate operator-(const COleDateSpan& span) const;
  COleDate& operator+=(const COleDateSpan& span) { return *this = *this + span; }
  COleDate& operator-=(const COleDateSpan& span) { return *this = *this - span; }
  // The invalid span unless both dates are valid.
  COleDateSpan operator-(const COleDate& other) const;

  // Negative DATEs count days backwards but time forwards; the linear form
  // makes them a plain number line for arithmetic and comparison.
  static double Linear(DATE value);
  static DATE FromLinear(double linear);

 private:
  DATE m_dt = 0.0;
};

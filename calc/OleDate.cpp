#include "calc/OleDate.h"

#include <cmath>

#include "platform/com/VariantTime.h"
#include "platform/time/Calendar.h"

void COleDateSpan::SetDateTimeSpan(long days, int hours, int minutes, int seconds) {
  m_span = static_cast<double>(days) + hours * 0.041666666666666664 +
           minutes * 0.0006944444444444445 + seconds * 0.000011574074074074073;
}

COleDate& COleDate::operator=(const SYSTEMTIME& st) {
  SetDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
  return *this;
}

COleDate COleDate::Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  COleDate now;
  now = st;
  return now;
}

bool COleDate::SetDateTime(int year, int month, int day, int hour, int minute, int second) {
  const auto fits = [](int v) { return v >= 0 && v <= 0xFFFF; };
  SYSTEMTIME st;
  DATE value = kInvalidDate;
  if (fits(year) && fits(month) && fits(day) && fits(hour) && fits(minute) && fits(second)) {
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    if (!SystemTimeToVariantTime(&st, &value)) value = kInvalidDate;
  }
  m_dt = value;
  return IsValid();
}

bool COleDate::GetAsSystemTime(SYSTEMTIME* st) const {
  return IsValid() && VariantTimeToSystemTime(m_dt, st) != FALSE;
}

namespace {

template <typename Field>
int FieldOf(const COleDate& date, Field field) {
  SYSTEMTIME st;
  if (!date.GetAsSystemTime(&st)) return COleDate::kInvalidField;
  return field(st);
}

}  // namespace

int COleDate::GetYear() const {
  return FieldOf(*this, [](const SYSTEMTIME& st) { return int{st.wYear}; });
}
int COleDate::GetMonth() const {
  return FieldOf(*this, [](const SYSTEMTIME& st) { return int{st.wMonth}; });
}
int COleDate::GetDay() const {
  return FieldOf(*this, [](const SYSTEMTIME& st) { return int{st.wDay}; });
}
int COleDate::GetHour() const {
  return FieldOf(*this, [](const SYSTEMTIME& st) { return int{st.wHour}; });
}
int COleDate::GetMinute() const {
  return FieldOf(*this, [](const SYSTEMTIME& st) { return int{st.wMinute}; });
}
int COleDate::GetSecond() const {
  return FieldOf(*this, [](const SYSTEMTIME& st) { return int{st.wSecond}; });
}
int COleDate::GetDayOfWeek() const {
  return FieldOf(*this, [](const SYSTEMTIME& st) { return st.wDayOfWeek + 1; });
}
int COleDate::GetDayOfYear() const {
  return FieldOf(*this, [](const SYSTEMTIME& st) {
    return calendar::DayOfYear(st.wYear, st.wMonth, st.wDay);
  });
}

double COleDate::Linear(DATE value) {
  if (value >= 0.0) return value;
  const double c = std::ceil(value);
  return c - (value - c);
}

DATE COleDate::FromLinear(double linear) {
  if (linear >= 0.0) return linear;
  const double f = std::floor(linear);
  return f + (f - linear);
}

COleDate COleDate::operator+(const COleDateSpan& span) const {
  if (!IsValid() || !span.IsValid()) return COleDate(kInvalidDate);
  return COleDate(FromLinear(Linear(m_dt) + span.GetTotalDays()));
}

COleDate COleDate::operator-(const COleDateSpan& span) const {
  if (!IsValid() || !span.IsValid()) return COleDate(kInvalidDate);
  return COleDate(FromLinear(Linear(m_dt) - span.GetTotalDays()));
}

COleDateSpan COleDate::operator-(const COleDate& other) const {
  if (!IsValid() || !other.IsValid()) return COleDateSpan(COleDateSpan::kInvalidSpan);
  return COleDateSpan(Linear(m_dt) - Linear(other.m_dt));
}

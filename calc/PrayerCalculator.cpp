#include "calc/PrayerCalculator.h"

#include "platform/com/DispatchThunks.h"
#include "platform/com/VariantTime.h"

namespace {

using com::CallThunk;
using com::GetThunk;
using K = DispKind;
using C = IPrayerCalculator;
using C2 = IPrayerCalculator2;

// PrayerTime takes a prayer number and hands a date back, which the generic
// thunks do not cover.
HRESULT PrayerTimeThunk(void* object, VARIANT* args, VARIANT* result) {
  DATE value = 0;
  const HRESULT hr = static_cast<C2*>(object)->PrayerTime(args[0].lVal, &value);
  if (SUCCEEDED(hr)) com::ToVariant(VT_DATE, value, result);
  return hr;
}

// The members of IPrayerCalculator as automation sees them, with the help
// strings of the type library.
constexpr DispMember kDispatchTable[] = {
    {"SetLocation", 1, K::kMethod, {VT_R8, VT_R8, VT_R8, VT_I4}, 4, VT_EMPTY, "method SetLocation",
     CallThunk<&C::SetLocation>},
    {"Longitude", 2, K::kPropertyGet, {}, 0, VT_R8, "property Longitude", GetThunk<&C::get_Longitude, VT_R8>},
    {"Longitude", 2, K::kPropertyPut, {VT_R8}, 1, VT_EMPTY, "property Longitude", CallThunk<&C::put_Longitude>},
    {"Latitude", 3, K::kPropertyGet, {}, 0, VT_R8, "property Latitude", GetThunk<&C::get_Latitude, VT_R8>},
    {"Latitude", 3, K::kPropertyPut, {VT_R8}, 1, VT_EMPTY, "property Latitude", CallThunk<&C::put_Latitude>},
    {"TimeZone", 4, K::kPropertyGet, {}, 0, VT_R8, "property TimeZone", GetThunk<&C::get_TimeZone, VT_R8>},
    {"TimeZone", 4, K::kPropertyPut, {VT_R8}, 1, VT_EMPTY, "property TimeZone", CallThunk<&C::put_TimeZone>},
    {"Date", 5, K::kPropertyGet, {}, 0, VT_DATE, "property Date - Date for which to calculate",
     GetThunk<&C::get_Date, VT_DATE>},
    {"Date", 5, K::kPropertyPut, {VT_DATE}, 1, VT_EMPTY,
     "property Date - Date for which to calculate (changing triggers a recalc)", CallThunk<&C::put_Date>},
    {"Fajr", 6, K::kPropertyGet, {}, 0, VT_DATE, "property Fajr", GetThunk<&C::get_Fajr, VT_DATE>},
    {"Method", 15, K::kPropertyGet, {}, 0, VT_I4, "property Method", GetThunk<&C::get_Method, VT_I4>},
    {"Method", 15, K::kPropertyPut, {VT_I4}, 1, VT_EMPTY, "property Method", CallThunk<&C::put_Method>},
    {"AsrMethod", 16, K::kPropertyGet, {}, 0, VT_I4, "property AsrMethod", GetThunk<&C::get_AsrMethod, VT_I4>},
    {"AsrMethod", 16, K::kPropertyPut, {VT_I4}, 1, VT_EMPTY, "property AsrMethod", CallThunk<&C::put_AsrMethod>},
    {"DaylightStart", 17, K::kPropertyGet, {}, 0, VT_DATE, "property DaylightStart",
     GetThunk<&C::get_DaylightStart, VT_DATE>},
    {"DaylightStart", 17, K::kPropertyPut, {VT_DATE}, 1, VT_EMPTY, "property DaylightStart",
     CallThunk<&C::put_DaylightStart>},
    {"DaylightEnd", 18, K::kPropertyGet, {}, 0, VT_DATE, "property DaylightEnd",
     GetThunk<&C::get_DaylightEnd, VT_DATE>},
    {"DaylightEnd", 18, K::kPropertyPut, {VT_DATE}, 1, VT_EMPTY, "property DaylightEnd",
     CallThunk<&C::put_DaylightEnd>},
    {"Zuhr", 7, K::kPropertyGet, {}, 0, VT_DATE, "property Zuhr", GetThunk<&C::get_Zuhr, VT_DATE>},
    {"Asr", 8, K::kPropertyGet, {}, 0, VT_DATE, "property Asr", GetThunk<&C::get_Asr, VT_DATE>},
    {"Maghrib", 9, K::kPropertyGet, {}, 0, VT_DATE, "property Maghrib", GetThunk<&C::get_Maghrib, VT_DATE>},
    {"Isha", 10, K::kPropertyGet, {}, 0, VT_DATE, "property Isha", GetThunk<&C::get_Isha, VT_DATE>},
    {"Recalc", 11, K::kMethod, {VT_DATE}, 1, VT_EMPTY,
     "method Recalc - Call recalc for a specific date then access the Fajr, Zuhr... member variables",
     CallThunk<&C::Recalc>},
    {"TwilightAngle", 12, K::kPropertyGet, {}, 0, VT_R8, "property TwilightAngle",
     GetThunk<&C::get_TwilightAngle, VT_R8>},
    {"TwilightAngle", 12, K::kPropertyPut, {VT_R8}, 1, VT_EMPTY, "property TwilightAngle",
     CallThunk<&C::put_TwilightAngle>},
    {"Shorouk", 13, K::kPropertyGet, {}, 0, VT_DATE, "property Shorouk", GetThunk<&C::get_Shorouk, VT_DATE>},
    {"DaylightSavings", 14, K::kPropertyGet, {}, 0, VT_BOOL, "property DaylightSavings",
     GetThunk<&C::get_DaylightSavings, VT_BOOL>},
    {"DaylightSavings", 14, K::kPropertyPut, {VT_BOOL}, 1, VT_EMPTY, "property DaylightSavings",
     CallThunk<&C::put_DaylightSavings>},
    // IPrayerCalculator2
    {"HighLatitudeRule", 19, K::kPropertyGet, {}, 0, VT_I4, "property HighLatitudeRule",
     GetThunk<&C2::get_HighLatitudeRule, VT_I4>},
    {"HighLatitudeRule", 19, K::kPropertyPut, {VT_I4}, 1, VT_EMPTY, "property HighLatitudeRule",
     CallThunk<&C2::put_HighLatitudeRule>},
    {"PrayerTime", 20, K::kMethod, {VT_I4}, 1, VT_DATE,
     "method PrayerTime - the time of a prayer (0 Fajr to 5 Isha) with the date it falls on", PrayerTimeThunk},
    {"NextDayTimes", 21, K::kPropertyGet, {}, 0, VT_I4, "property NextDayTimes",
     GetThunk<&C2::get_NextDayTimes, VT_I4>},
    {"PreviousDayTimes", 22, K::kPropertyGet, {}, 0, VT_I4, "property PreviousDayTimes",
     GetThunk<&C2::get_PreviousDayTimes, VT_I4>},
    {"RuleTimes", 23, K::kPropertyGet, {}, 0, VT_I4, "property RuleTimes", GetThunk<&C2::get_RuleTimes, VT_I4>},
    {"PolarTimes", 24, K::kPropertyGet, {}, 0, VT_I4, "property PolarTimes", GetThunk<&C2::get_PolarTimes, VT_I4>},
};

}  // namespace

std::span<const DispMember> CPrayerCalculator::DispatchTable() { return kDispatchTable; }

HRESULT CPrayerCalculator::InternalQueryInterface(REFIID iid, void** object) {
  if (iid == IPrayerCalculator::kIID || iid == IDispatch::kIID) {
    *object = static_cast<IPrayerCalculator*>(this);
  } else if (iid == IPrayerCalculator2::kIID) {
    *object = static_cast<IPrayerCalculator2*>(this);
  } else if (iid == ISupportErrorInfo::kIID) {
    *object = static_cast<ISupportErrorInfo*>(this);
  } else {
    return E_NOINTERFACE;
  }
  return S_OK;
}

HRESULT CPrayerCalculator::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;  // names and dispids are served from the dispatch table
  return S_OK;
}

HRESULT CPrayerCalculator::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT CPrayerCalculator::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  return com::TableGetIDsOfNames(kDispatchTable, names, count, ids);
}

HRESULT CPrayerCalculator::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                  VARIANT* result, EXCEPINFO*, UINT* argumentError) {
  // One object for both interfaces' members: IPrayerCalculator2 begins with
  // IPrayerCalculator, at the same address.
  return com::TableInvoke(kDispatchTable, static_cast<IPrayerCalculator2*>(this), id, flags, params,
                          result, argumentError);
}

HRESULT CPrayerCalculator::InterfaceSupportsErrorInfo(REFIID iid) {
  return iid == IPrayerCalculator::kIID ? S_OK : S_FALSE;
}

HRESULT CPrayerCalculator::SetLocation(double fLongitude, double fLatitude, double fTimeZone,
                                       LONG bDayLight) {
  m_longitude = fLongitude;
  m_latitude = fLatitude;
  m_timeZone = fTimeZone;
  m_daylightSavings = bDayLight != 0;
  return S_OK;
}

namespace {
template <typename T>
HRESULT Answer(T* out, T value) {
  if (out == nullptr) return E_POINTER;
  *out = value;
  return S_OK;
}
}  // namespace

HRESULT CPrayerCalculator::get_Longitude(double* pVal) { return Answer(pVal, m_longitude); }
HRESULT CPrayerCalculator::put_Longitude(double newVal) { m_longitude = newVal; return S_OK; }
HRESULT CPrayerCalculator::get_Latitude(double* pVal) { return Answer(pVal, m_latitude); }
HRESULT CPrayerCalculator::put_Latitude(double newVal) { m_latitude = newVal; return S_OK; }
HRESULT CPrayerCalculator::get_TimeZone(double* pVal) { return Answer(pVal, m_timeZone); }
HRESULT CPrayerCalculator::put_TimeZone(double newVal) { m_timeZone = newVal; return S_OK; }
HRESULT CPrayerCalculator::get_Date(DATE* pVal) { return Answer(pVal, m_date.Value()); }
HRESULT CPrayerCalculator::put_Date(DATE newVal) { return Recalc(newVal); }
HRESULT CPrayerCalculator::get_Method(CalculationMethod* pVal) { return Answer(pVal, m_method); }
HRESULT CPrayerCalculator::put_Method(CalculationMethod newVal) { m_method = newVal; return S_OK; }
HRESULT CPrayerCalculator::get_AsrMethod(AsrSchool* pVal) { return Answer(pVal, m_asrMethod); }
HRESULT CPrayerCalculator::put_AsrMethod(AsrSchool newVal) { m_asrMethod = newVal; return S_OK; }
HRESULT CPrayerCalculator::get_DaylightStart(DATE* pVal) { return Answer(pVal, m_daylightStart.Value()); }
HRESULT CPrayerCalculator::put_DaylightStart(DATE newVal) { m_daylightStart = newVal; return S_OK; }
HRESULT CPrayerCalculator::get_DaylightEnd(DATE* pVal) { return Answer(pVal, m_daylightEnd.Value()); }
HRESULT CPrayerCalculator::put_DaylightEnd(DATE newVal) { m_daylightEnd = newVal; return S_OK; }
HRESULT CPrayerCalculator::get_TwilightAngle(double* pVal) { return Answer(pVal, m_twilightAngle); }
HRESULT CPrayerCalculator::put_TwilightAngle(double newVal) { m_twilightAngle = newVal; return S_OK; }
HRESULT CPrayerCalculator::get_DaylightSavings(VARIANT_BOOL* pVal) {
  return Answer(pVal, m_daylightSavings ? VARIANT_TRUE : VARIANT_FALSE);
}
HRESULT CPrayerCalculator::put_DaylightSavings(VARIANT_BOOL newVal) {
  // Only automation's true (-1) counts as true; 1 is false.
  m_daylightSavings = newVal == VARIANT_TRUE;
  return S_OK;
}

HRESULT CPrayerCalculator::GetTime(DayTimeIndex which, DATE* pVal) const {
  return Answer(pVal, m_times[which].Value());
}
HRESULT CPrayerCalculator::get_Fajr(DATE* pVal) { return GetTime(kFajrTime, pVal); }
HRESULT CPrayerCalculator::get_Shorouk(DATE* pVal) { return GetTime(kShoroukTime, pVal); }
HRESULT CPrayerCalculator::get_Zuhr(DATE* pVal) { return GetTime(kZuhrTime, pVal); }
HRESULT CPrayerCalculator::get_Asr(DATE* pVal) { return GetTime(kAsrTime, pVal); }
HRESULT CPrayerCalculator::get_Maghrib(DATE* pVal) { return GetTime(kMaghribTime, pVal); }
HRESULT CPrayerCalculator::get_Isha(DATE* pVal) { return GetTime(kIshaTime, pVal); }

HRESULT CPrayerCalculator::get_HighLatitudeRule(HighLatitudeRule* pVal) {
  return Answer(pVal, m_highLatitudeRule);
}
HRESULT CPrayerCalculator::put_HighLatitudeRule(HighLatitudeRule newVal) {
  m_highLatitudeRule = newVal;
  return S_OK;
}
HRESULT CPrayerCalculator::PrayerTime(LONG nPrayer, DATE* pVal) {
  const bool known = nPrayer >= 0 && nPrayer < static_cast<LONG>(kDayTimesCount);
  return Answer(pVal, known ? m_prayerTimes[static_cast<std::size_t>(nPrayer)].Value() : kInvalidDate);
}
HRESULT CPrayerCalculator::get_NextDayTimes(LONG* pVal) {
  return Answer(pVal, static_cast<LONG>(m_schedule.TimesOnDay(1)));
}
HRESULT CPrayerCalculator::get_PreviousDayTimes(LONG* pVal) {
  return Answer(pVal, static_cast<LONG>(m_schedule.TimesOnDay(-1)));
}
HRESULT CPrayerCalculator::get_RuleTimes(LONG* pVal) {
  return Answer(pVal, static_cast<LONG>(m_schedule.ruleTimes));
}
HRESULT CPrayerCalculator::get_PolarTimes(LONG* pVal) {
  return Answer(pVal, static_cast<LONG>(m_schedule.polarTimes));
}

namespace {

// Day and month of a date, or kInvalidField for both when it has none.
void DayAndMonth(const COleDate& date, int* day, int* month) {
  SYSTEMTIME st;
  const bool valid = date.GetAsSystemTime(&st);
  *day = valid ? st.wDay : COleDate::kInvalidField;
  *month = valid ? st.wMonth : COleDate::kInvalidField;
}

}  // namespace

// A client that walks many days (orvane calc, a century at a time) calls this
// once a day: the date's fields are read once, and the summer-time range only
// while the clock keeps summer time, the only time it counts.
HRESULT CPrayerCalculator::Recalc(DATE dt) {
  m_date = dt;
  m_times.fill(COleDate(kInvalidDate));
  m_prayerTimes.fill(COleDate(kInvalidDate));
  m_schedule = DaySchedule{};
  SYSTEMTIME date;
  if (!m_date.GetAsSystemTime(&date)) return S_OK;

  CalcParams params;
  params.Longitude = m_longitude;
  params.Latitude = m_latitude;
  params.TimeZone = m_timeZone;
  params.DaylightSavings = m_daylightSavings;
  if (m_daylightSavings) {
    DayAndMonth(m_daylightStart, &params.DaylightStartDay, &params.DaylightStartMonth);
    DayAndMonth(m_daylightEnd, &params.DaylightEndDay, &params.DaylightEndMonth);
  }
  params.Method = m_method;
  params.AsrMethod = m_asrMethod;  // the custom angles and intervals stay 0
  params.HighLatitude = m_highLatitudeRule;
  m_schedule = ComputeDaySchedule(params, m_date, &m_solved);

  // The schedule's times lie on day zero: IPrayerCalculator's getters attach
  // them to the requested date, PrayerTime to the date each falls on.
  COleDate day;
  if (!day.SetDateTime(date.wYear, date.wMonth, date.wDay, 0, 0, 0)) return S_OK;
  for (std::size_t i = 0; i < kDayTimesCount; ++i) {
    const ScheduledTime& scheduled = m_schedule.times[i];
    std::int64_t dayZero = 0;
    std::int32_t second = 0;
    if (!scheduled.time.IsValid() || !SplitVariantTime(scheduled.time, &dayZero, &second)) continue;
    const int hour = second / 3600;
    const int minute = second / 60 % 60;
    COleDate attached;
    if (attached.SetDateTime(date.wYear, date.wMonth, date.wDay, hour, minute, 0)) {
      m_times[i] = attached;
    }
    if (scheduled.dayOffset == 0) {
      m_prayerTimes[i] = m_times[i];  // the date's own day: the same time
      continue;
    }
    const COleDate own = day + COleDateSpan(static_cast<double>(scheduled.dayOffset));
    SYSTEMTIME ownDay;
    COleDate onOwnDay;
    if (own.GetAsSystemTime(&ownDay) &&
        onOwnDay.SetDateTime(ownDay.wYear, ownDay.wMonth, ownDay.wDay, hour, minute, 0)) {
      m_prayerTimes[i] = onOwnDay;
    }
  }
  return S_OK;
}

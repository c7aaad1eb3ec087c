#pragma once
// CPrayerCalculator, the PrayerCalculator class: the calculation parameters
// as properties, and the six times of the date of the last Recalc. Every
// Recalc builds and discards its own engine; besides the properties, only the
// sun's events solved around the last date carry to the next call, and only
// a call with the same place, settings, year and clock takes them, so that
// each result is that of a fresh calculator. Apartment-threaded: no locking.
//
// IPrayerCalculator's getters give each time on the requested date, as they
// always did; IPrayerCalculator2, for clients that ask for it, adds the
// high-latitude rule and the day each time falls on.

#include <span>

#include "calc/CalcParams.h"
#include "calc/DaySchedule.h"
#include "resources/OrvaneTypeLib.h"

class CPrayerCalculator : public IPrayerCalculator2, public ISupportErrorInfo {
 public:
  using PrimaryInterface = IPrayerCalculator;

  CPrayerCalculator() = default;
  virtual ~CPrayerCalculator() = default;

  // The automation view of IPrayerCalculator: names, dispids, kinds and help.
  static std::span<const DispMember> DispatchTable();

  HRESULT InternalQueryInterface(REFIID iid, void** object);

  // IDispatch
  HRESULT GetTypeInfoCount(UINT* count) override;
  HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                 VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

  // ISupportErrorInfo
  HRESULT InterfaceSupportsErrorInfo(REFIID iid) override;

  // IPrayerCalculator
  HRESULT SetLocation(double fLongitude, double fLatitude, double fTimeZone,
                      LONG bDayLight) override;
  HRESULT get_Longitude(double* pVal) override;
  HRESULT put_Longitude(double newVal) override;
  HRESULT get_Latitude(double* pVal) override;
  HRESULT put_Latitude(double newVal) override;
  HRESULT get_TimeZone(double* pVal) override;
  HRESULT put_TimeZone(double newVal) override;
  HRESULT get_Date(DATE* pVal) override;
  HRESULT put_Date(DATE newVal) override;
  HRESULT get_Fajr(DATE* pVal) override;
  HRESULT get_Method(CalculationMethod* pVal) override;
  HRESULT put_Method(CalculationMethod newVal) override;
  HRESULT get_AsrMethod(AsrSchool* pVal) override;
  HRESULT put_AsrMethod(AsrSchool newVal) override;
  HRESULT get_DaylightStart(DATE* pVal) override;
  HRESULT put_DaylightStart(DATE newVal) override;
  HRESULT get_DaylightEnd(DATE* pVal) override;
  HRESULT put_DaylightEnd(DATE newVal) override;
  HRESULT get_Zuhr(DATE* pVal) override;
  HRESULT get_Asr(DATE* pVal) override;
  HRESULT get_Maghrib(DATE* pVal) override;
  HRESULT get_Isha(DATE* pVal) override;
  HRESULT Recalc(DATE dt) override;
  HRESULT get_TwilightAngle(double* pVal) override;
  HRESULT put_TwilightAngle(double newVal) override;
  HRESULT get_Shorouk(DATE* pVal) override;
  HRESULT get_DaylightSavings(VARIANT_BOOL* pVal) override;
  HRESULT put_DaylightSavings(VARIANT_BOOL newVal) override;

  // IPrayerCalculator2
  HRESULT get_HighLatitudeRule(HighLatitudeRule* pVal) override;
  HRESULT put_HighLatitudeRule(HighLatitudeRule newVal) override;
  HRESULT PrayerTime(LONG nPrayer, DATE* pVal) override;
  HRESULT get_NextDayTimes(LONG* pVal) override;
  HRESULT get_PreviousDayTimes(LONG* pVal) override;
  HRESULT get_RuleTimes(LONG* pVal) override;
  HRESULT get_PolarTimes(LONG* pVal) override;

 private:
  HRESULT GetTime(DayTimeIndex which, DATE* pVal) const;

  double m_longitude = 0.0;  // degrees, positive WEST
  double m_latitude = 0.0;   // degrees, positive north
  double m_timeZone = 0.0;   // hours, positive EAST
  bool m_daylightSavings = true;
  COleDate m_date{kInvalidDate};
  COleDate m_daylightStart{kInvalidDate};  // only month and day count
  COleDate m_daylightEnd{kInvalidDate};
  double m_twilightAngle = 18.0;
  CalculationMethod m_method = eEgypt;
  AsrSchool m_asrMethod = eShafii;
  HighLatitudeRule m_highLatitudeRule = eSeventhOfNight;
  DayTimes m_times = {COleDate(kInvalidDate), COleDate(kInvalidDate), COleDate(kInvalidDate),
                      COleDate(kInvalidDate), COleDate(kInvalidDate), COleDate(kInvalidDate)};
  // The same times with the dates they fall on, and where they came from.
  DayTimes m_prayerTimes = m_times;
  DaySchedule m_schedule;
  // For a client that walks day after day: the next day reuses what this
  // one solved on the days both look at.
  SolvedEvents m_solved;
};

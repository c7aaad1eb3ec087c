#pragma once
// The type library ORVANELib, version 1.0: the identifiers, enumerations and
// interfaces that automation clients of the add-in's classes compile against
// (the add-in module itself, and the host's `orvane calc`).

#include "platform/com/Dispatch.h"

// The library's identifier and help string differ between the two modules.
inline constexpr GUID LIBID_ORVANELib_XP = MakeGuid("{7A8AFF67-33A9-4BB7-A516-D4845AF54EDC}");
inline constexpr const char* kTypeLibHelp_XP = "Orvane of Office XP 1.0 Type Library";
inline constexpr GUID LIBID_ORVANELib_2003 = MakeGuid("{EFE6C47B-FC29-4A19-8342-702778862E29}");
inline constexpr const char* kTypeLibHelp_2003 = "Orvane for Office 2003 1.0 Type Library";

// The add-in classes, one per module.
inline constexpr CLSID CLSID_OutlookXPPrayer = MakeGuid("{D51F5493-C5D8-48BD-B512-C38B29F0D228}");
inline constexpr CLSID CLSID_Outlook2003Prayer = MakeGuid("{E92C57EF-576B-479F-83BD-A0F3B6CC5F02}");
inline constexpr CLSID CLSID_PrayerCalculator = MakeGuid("{C19E1BC5-5894-11D3-907B-005004D12C2C}");
inline constexpr const char* kProgID_PrayerCalculator = "Orvane.PrayerCalculator.1";
inline constexpr const char* kVersionIndependentProgID_PrayerCalculator = "Orvane.PrayerCalculator";

enum CalculationMethod : LONG {
  eEgypt = 0,
  eISNA = 1,
  eQurah = 2,
  eKarachi = 3,
  eWIL = 4,
  eCustom = 5,
};

enum AsrSchool : LONG {
  eShafii = 0,
  eHanafi = 1,
};

// How Fajr and Isha are found where the sun does not reach the twilight angle
// of the method, and bounded above 48 degrees of latitude: a part of the
// night from sunset to the next sunrise.
enum HighLatitudeRule : LONG {
  eSeventhOfNight = 0,  // a seventh of the night after sunset and before sunrise
  eMiddleOfNight = 1,   // both at the middle of the night
  eTwilightAngle = 2,   // the method's angle over 60 of the night
};

// The prayer-time calculator. Dual: every member is also reachable through
// IDispatch under the dispid in its comment. No member fails; unusable
// results are kInvalidDate (-657435.0).
struct IPrayerCalculator : IDispatch {
  static constexpr IID kIID = MakeGuid("{C19E1BC4-5894-11D3-907B-005004D12C2C}");

  // Longitude degrees WEST-positive, latitude degrees north, time zone hours
  // EAST; bDayLight non-zero turns daylight saving on.                  [1]
  virtual HRESULT SetLocation(double fLongitude, double fLatitude, double fTimeZone,
                              LONG bDayLight) = 0;
  virtual HRESULT get_Longitude(double* pVal) = 0;                     // [2]
  virtual HRESULT put_Longitude(double newVal) = 0;
  virtual HRESULT get_Latitude(double* pVal) = 0;                      // [3]
  virtual HRESULT put_Latitude(double newVal) = 0;
  virtual HRESULT get_TimeZone(double* pVal) = 0;                      // [4]
  virtual HRESULT put_TimeZone(double newVal) = 0;
  // The date of the last Recalc; putting it recalculates.               [5]
  virtual HRESULT get_Date(DATE* pVal) = 0;
  virtual HRESULT put_Date(DATE newVal) = 0;
  virtual HRESULT get_Fajr(DATE* pVal) = 0;                            // [6]
  virtual HRESULT get_Method(CalculationMethod* pVal) = 0;             // [15]
  virtual HRESULT put_Method(CalculationMethod newVal) = 0;
  virtual HRESULT get_AsrMethod(AsrSchool* pVal) = 0;                  // [16]
  virtual HRESULT put_AsrMethod(AsrSchool newVal) = 0;
  // Only month and day are used.                                        [17], [18]
  virtual HRESULT get_DaylightStart(DATE* pVal) = 0;
  virtual HRESULT put_DaylightStart(DATE newVal) = 0;
  virtual HRESULT get_DaylightEnd(DATE* pVal) = 0;
  virtual HRESULT put_DaylightEnd(DATE newVal) = 0;
  virtual HRESULT get_Zuhr(DATE* pVal) = 0;                            // [7]
  virtual HRESULT get_Asr(DATE* pVal) = 0;                             // [8]
  virtual HRESULT get_Maghrib(DATE* pVal) = 0;                         // [9]
  virtual HRESULT get_Isha(DATE* pVal) = 0;                            // [10]
  // Computes the six times of the date dt.                              [11]
  virtual HRESULT Recalc(DATE dt) = 0;
  // Stored and returned; no part of any calculation.                    [12]
  virtual HRESULT get_TwilightAngle(double* pVal) = 0;
  virtual HRESULT put_TwilightAngle(double newVal) = 0;
  virtual HRESULT get_Shorouk(DATE* pVal) = 0;                         // [13]
  // VARIANT_TRUE (-1) or VARIANT_FALSE; a put of anything but -1 is false. [14]
  virtual HRESULT get_DaylightSavings(VARIANT_BOOL* pVal) = 0;
  virtual HRESULT put_DaylightSavings(VARIANT_BOOL newVal) = 0;

 protected:
  ~IPrayerCalculator() = default;
};

// What the calculator adds for clients that know of it: the high-latitude
// rule, and where each time of the last Recalc falls. IPrayerCalculator stays
// as it was published; a client that wants the addition asks for this
// interface, and one that does not never meets it. Its members follow those
// of IPrayerCalculator in the same table, as a later version of a dual
// interface does. Prayers are numbered 0 (Fajr) to 5 (Isha); a set of them is
// a bit set with bit n for prayer n (Fajr 1, Shorouk 2, ... Isha 32).
struct IPrayerCalculator2 : IPrayerCalculator {
  static constexpr IID kIID = MakeGuid("{9CC62FE2-4485-4F9C-A7A6-F6D6F724F537}");

  // Default eSeventhOfNight; any value outside the enumeration computes as
  // eSeventhOfNight. Does not recompute.                              [19]
  virtual HRESULT get_HighLatitudeRule(HighLatitudeRule* pVal) = 0;
  virtual HRESULT put_HighLatitudeRule(HighLatitudeRule newVal) = 0;
  // The time of prayer nPrayer with the date on which it falls: an Isha
  // after midnight carries the next day's date, a Fajr before midnight the
  // day before's. IPrayerCalculator's getters keep the requested date.
  // kInvalidDate for an nPrayer outside 0..5 or after an invalid date. [20]
  virtual HRESULT PrayerTime(LONG nPrayer, DATE* pVal) = 0;
  // The prayers whose time falls on the day after Date.              [21]
  virtual HRESULT get_NextDayTimes(LONG* pVal) = 0;
  // The prayers whose time falls on the day before Date.             [22]
  virtual HRESULT get_PreviousDayTimes(LONG* pVal) = 0;
  // The prayers (Fajr, Isha) whose time the high-latitude rule gave.  [23]
  virtual HRESULT get_RuleTimes(LONG* pVal) = 0;
  // The prayers whose time the sun does not give on that day at that
  // place, taken from the nearest day on which it does (polar day and
  // night) or moved to keep the six times in their order.              [24]
  virtual HRESULT get_PolarTimes(LONG* pVal) = 0;

 protected:
  ~IPrayerCalculator2() = default;
};

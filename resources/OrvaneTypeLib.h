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

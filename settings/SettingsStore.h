#pragma once
// The settings record and the registry key it lives under
// (HKEY_CURRENT_USER \ resource string 101), read, repaired, saved and handed
// to the calculator. The add-in object owns one; the key stays open from
// ReadSettings until the store goes.
//
// Value names are resource strings, looked up at each read and write; a
// value whose name the resource library lacks is skipped, never written as
// the key's default value.

#include "settings/AddinSettings.h"
#include "platform/com/HResult.h"
#include "platform/registry/Registry.h"
#include "resources/OrvaneTypeLib.h"

class CSettingsStore {
 public:
  // The longest custom reminder subject the settings keep (its dialog's limit).
  static constexpr std::size_t kMaxCustomSubject = 99;

  CSettingsStore() = default;
  ~CSettingsStore();
  CSettingsStore(const CSettingsStore&) = delete;
  CSettingsStore& operator=(const CSettingsStore&) = delete;

  AddinSettings& Settings() { return m_settings; }
  const AddinSettings& Settings() const { return m_settings; }

  // Opens (or creates) the key and loads every value; S_OK, the system error
  // as an HRESULT, or E_FAIL (with its message) when the city file is missing.
  HRESULT ReadSettings();
  // Writes every persisted value; always S_OK.
  HRESULT SaveSettings();
  // Hands location, method, school and daylight rule to the calculator.
  HRESULT UpdateCalcSettings(IPrayerCalculator* calculator) const;

  // Outside 1 January 100 .. 31 December 9999: now less one day.
  static void CheckDate(COleDate& date);
  // 256 or more (no flag the add-in knows, no window it can fill): the
  // default, with a trace line.
  void CheckPrayingAppointments();
  void CheckPreschedule();
  // The position of the preschedule days in the options page's list, or -1.
  short GetPrescheduleID() const;

 private:
  // Copies coordinates, zone, daylight flag and method from a city line;
  // false (and nothing copied) when it does not parse.
  bool TakeCity(const tchar* line);

  AddinSettings m_settings;
  HKEY m_key = nullptr;
};

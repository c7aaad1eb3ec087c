#include "options/PageTimetable.h"

#include "settings/SettingsStore.h"
#include "timetable/TimetableFile.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"

HRESULT ShowTimetable(HWND owner, const AddinSettings& values, const CCityInfo& city) {
  ComPtr<IPrayerCalculator> calculator;
  if (HRESULT hr = CoCreateInstance(CLSID_PrayerCalculator, nullptr, CLSCTX_ALL, IPrayerCalculator::kIID,
                                    calculator.ReleaseAndGetVoidAddress());
      FAILED(hr)) {
    return hr;
  }
  if (HRESULT hr = CSettingsStore::ApplyCalcSettings(values, calculator.Get()); FAILED(hr)) return hr;
  return WriteAndOpenTimetable(owner, values, calculator.Get(), city);
}

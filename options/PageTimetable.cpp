#include "options/PageTimetable.h"

#include <string>

#include "services/Exceptions.h"
#include "services/ResourceLibrary.h"
#include "settings/SettingsStore.h"
#include "timetable/ImsakyyaBuilder.h"
#include "platform/com/ComRuntime.h"
#include "platform/shell/ShellExecute.h"

HRESULT ShowTimetable(HWND owner, const AddinSettings& values, const CCityInfo& city) {
  ComPtr<IPrayerCalculator> calculator;
  if (HRESULT hr = CoCreateInstance(CLSID_PrayerCalculator, nullptr, CLSCTX_ALL, IPrayerCalculator::kIID,
                                    calculator.ReleaseAndGetVoidAddress());
      FAILED(hr)) {
    return hr;
  }
  if (HRESULT hr = CSettingsStore::ApplyCalcSettings(values, calculator.Get()); FAILED(hr)) return hr;
  const std::string path = resource_library::AddinFolder() + "imsakyya.html";
  HRESULT hr = S_OK;
  try {
    CImsakyyaBuilder builder(static_cast<LONG>(values.timetableCalendar), static_cast<LONG>(values.timetableRange),
                             calculator.Get(), city.m_name.value_or(u""), city.m_state.value_or(u""),
                             city.m_country.value_or(u""), city.m_timeZone);
    hr = builder.Build(path);
  } catch (const CComException& e) {
    LogComException(e, __FILE__);
    hr = e.Result();
  } catch (...) {
    hr = E_FAIL;
  }
  // Only this request's page is opened, never an earlier one left there.
  if (FAILED(hr)) return hr;
  ShellExecute(owner, "open", path.c_str(), nullptr, "", SW_SHOWMAXIMIZED);
  return S_OK;
}

#include "timetable/TimetableFile.h"

#include <exception>
#include <string>

#include "platform/fs/Profile.h"
#include "platform/shell/ShellExecute.h"
#include "services/Exceptions.h"
#include "services/Flavour.h"
#include "services/ResourceLibrary.h"
#include "timetable/ImsakyyaBuilder.h"

HRESULT WriteAndOpenTimetable(HWND owner, const AddinSettings& settings, IPrayerCalculator* calculator,
                              const CCityInfo& city) {
  std::string path;
  try {
    path = (profile::FolderToWrite(resource_library::AddinFolder(), flavour::kProfileFolder) / "imsakyya.html").string();
  } catch (const std::exception&) {
    return E_FAIL;  // no profile either: nowhere of the user's to write
  }
  HRESULT hr = S_OK;
  try {
    CImsakyyaBuilder builder(static_cast<LONG>(settings.timetableCalendar), static_cast<LONG>(settings.timetableRange),
                             calculator, city.m_name.value_or(u""), city.m_state.value_or(u""),
                             city.m_country.value_or(u""), city.m_timeZone);
    hr = builder.Build(path);
  } catch (const CComException& e) {
    LogComException(e, __FILE__);
    hr = e.Result();
  } catch (...) {
    hr = E_FAIL;
  }
  if (FAILED(hr)) return hr;
  ShellExecute(owner, "open", path.c_str(), nullptr, "", SW_SHOWMAXIMIZED);
  return S_OK;
}

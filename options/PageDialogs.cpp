#include "options/PageDialogs.h"

#include "calc/AdvancedDlg.h"
#include "calc/SoundDlg.h"
#include "calendar/CustomPrayersDlg.h"
#include "locations/LocationDlg.h"

namespace {

// The dialogs the page opens, each on a copy of the page's working values;
// what a dialog changes reaches the page only after its OK.
class CAddinPageDialogs final : public IPageDialogs {
 public:
  std::intptr_t Location(HWND owner, CCityInfo& city, bool* hasCity, AddinSettings& working) override {
    CCityInfo chosen = city;
    bool daylight = working.daylight;
    DaylightRule rule{static_cast<int>(working.daylightStartDay), static_cast<int>(working.daylightStartMonth),
                      static_cast<int>(working.daylightEndDay), static_cast<int>(working.daylightEndMonth)};
    CLocationDlg dialog(chosen, daylight, rule, static_cast<int>(working.method));
    const std::intptr_t result = dialog.DoModal(owner);
    if (result != IDOK) return result;
    working.daylight = daylight;
    working.daylightStartDay = static_cast<DWORD>(rule.startDay);
    working.daylightStartMonth = static_cast<DWORD>(rule.startMonth);
    working.daylightEndDay = static_cast<DWORD>(rule.endDay);
    working.daylightEndMonth = static_cast<DWORD>(rule.endMonth);
    // The dialog put the selected city in place of the caller's, when a
    // city was selected.
    if (chosen.m_name.has_value()) {
      city = chosen;
      *hasCity = true;
    }
    return result;
  }
  std::intptr_t Advanced(HWND owner, AddinSettings& working) override {
    CAdvancedDlg dialog(working);
    const std::intptr_t result = dialog.DoModal(owner);
    if (result == IDOK) dialog.TakeBack(working);
    return result;
  }
  std::intptr_t Sound(HWND owner, AddinSettings& working) override {
    CSoundDlg dialog(working.playSound, working.soundFile, working.fajrPlaySound, working.fajrSoundFile);
    const std::intptr_t result = dialog.DoModal(owner);
    if (result != IDOK) return result;
    working.playSound = dialog.First().play;
    working.soundFile = dialog.First().file;
    working.fajrPlaySound = dialog.Second().play;
    working.fajrSoundFile = dialog.Second().file;
    return result;
  }
  std::intptr_t CustomPrayers(HWND owner, AddinSettings& working, int* change) override {
    CCustomPrayers dialog;
    dialog.SetPrayingAppointments(working.prayers);
    dialog.SetCustomReminderSettings(working.customFrom, working.customTo, working.customSubject,
                                     working.customInterval);
    const std::intptr_t result = dialog.DoModal(owner);
    if (result != IDOK) return result;
    working.prayers = dialog.GetPrayingAppointments();
    working.customFrom = dialog.m_customFrom;
    working.customTo = dialog.m_customTo;
    working.customSubject = dialog.m_customSubject;
    working.customInterval = dialog.m_customInterval;
    *change = dialog.m_change;
    return result;
  }
};

}  // namespace

IPageDialogs& AddinPageDialogs() {
  static CAddinPageDialogs dialogs;
  return dialogs;
}

#include "options/PageDialogs.h"

#include "locations/LocationDlg.h"

namespace {

// The dialogs the page opens. The advanced, sound and custom prayers
// dialogs join here when their branch lands; until then their buttons
// answer that the dialog could not be shown, and the page keeps its values.
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
  std::intptr_t Advanced(HWND, AddinSettings&) override { return -1; }
  std::intptr_t Sound(HWND, AddinSettings&) override { return -1; }
  std::intptr_t CustomPrayers(HWND, AddinSettings&, int*) override { return -1; }
};

}  // namespace

IPageDialogs& AddinPageDialogs() {
  static CAddinPageDialogs dialogs;
  return dialogs;
}

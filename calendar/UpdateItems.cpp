// Rewriting the add-in's items in place when the appointment settings
// change (duration, reminder, busy status, sounds, the Friday prayer's
// timing, the custom reminders' subject), rather than deleting and
// writing them again.

#include "calendar/PrayerCalendar.h"

#include <cmath>

#include "services/AutomationText.h"
#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "services/UILocale.h"
#include "platform/nls/Nls.h"
#include "platform/ui/Resources.h"

namespace {

constexpr int kCustomReminderMark = 7;

}  // namespace

HRESULT CPrayerCalendar::UpdateAppointments(_Items* items, LONG) {
  TraceEnter("COutlookPrayer::UpdateAppointments");
  if (items == nullptr) return E_POINTER;
  LONG count = 0;
  if (HRESULT hr = items->get_Count(&count); FAILED(hr)) return hr;
  const std::unique_ptr<ICalendarProgress> progress = m_context.NewProgress();
  IPrayerCalculator* calculator = m_context.Calculator();
  bool shown = false;
  if (count != 0) {
    shown = ShowItemProgress(*progress, ICalendarProgress::kModeUpdate, count, false, 327);
    m_context.Store().UpdateCalcSettings(calculator);
  }
  m_context.SetCancelFlag(0);
  CComVariant custom;
  custom.vt = VT_I2;
  custom.iVal = -1;
  HRESULT failure = S_OK;
  for (LONG position = 1; position <= count; ++position) {
    ComPtr<_AppointmentItem> item;
    if (failure = AppointmentAt(items, position, &item); FAILED(failure)) break;
    DATE start = 0;
    item->get_Start(&start);
    CComVariant value;
    GetPropertyValue(item.Get(), u"PrayerNum", custom, &value);
    if (shown && progress->SecondTextDue()) ShowItemDate(*progress, start);
    // The item's own day: its prayer's time is taken from that day.
    calculator->Recalc(start);
    const HRESULT read = GetPropertyValue(item.Get(), u"PrayerNum", custom, &value);
    CComVariant number;
    HRESULT written = -1;  // an item whose mark cannot be read stays as it is
    if (read == S_OK && SUCCEEDED(VariantChangeType(&number, &value, 0, VT_R8)) && std::isfinite(number.dblVal)) {
      const double mark = std::trunc(number.dblVal);
      if (mark == kCustomReminderMark) {
        written = item->put_Subject(ToBstr(Settings().customSubject).Get());
      } else if (mark >= 0 && mark <= 5) {
        written = PutPrayerParameters(item.Get(), static_cast<int>(mark));
      }
    }
    // Past prayers (1) and items whose writing failed keep what they had.
    if (written == S_OK) item->Save();
    if (StepItemProgress(*progress, shown)) break;
  }
  if (shown) progress->DestroyPage();
  if (FAILED(failure)) return failure;
  TraceExit("COutlookPrayer::UpdateAppointments");
  return S_OK;
}

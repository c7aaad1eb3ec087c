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
constexpr double kHalfDay = 0.5;

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
  // Items written before any rule was applied stand on the day their time
  // was computed for, whatever day it fell on.
  const bool onComputedDay = Settings().highLatitudeApplied == kNoRuleApplied;
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
    const HRESULT read = GetPropertyValue(item.Get(), u"PrayerNum", custom, &value);
    CComVariant number;
    HRESULT written = -1;  // an item whose mark cannot be read stays as it is
    if (read == S_OK && SUCCEEDED(VariantChangeType(&number, &value, 0, VT_R8)) && std::isfinite(number.dblVal)) {
      const double mark = std::trunc(number.dblVal);
      if (mark == kCustomReminderMark) {
        written = item->put_Subject(ToBstr(Settings().customSubject).Get());
      } else if (mark >= 0 && mark <= 5) {
        // The item's own date: its prayer's time is taken from that date,
        // which for an Isha after midnight is the day before its start.
        RecalcItemsDate(COleDate(start), static_cast<int>(mark), onComputedDay);
        written = PutPrayerParameters(item.Get(), static_cast<int>(mark));
      } else {
        calculator->Recalc(start);
      }
    } else {
      calculator->Recalc(start);
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

void CPrayerCalendar::RecalcItemsDate(const COleDate& start, int mark, bool onComputedDay) {
  IPrayerCalculator* calculator = m_context.Calculator();
  calculator->Recalc(start.Value());
  if (onComputedDay) return;
  // The same prayer on the dates around lies a day away; a new rule moves a
  // time by less than half of a night.
  COleDate own(kInvalidDate);
  if (FAILED(GetStart(mark, &own)) || !own.IsValid() || std::fabs(own.Value() - start.Value()) < kHalfDay) return;
  const COleDate other = start + COleDateSpan(own > start ? -1 : 1, 0, 0, 0);
  calculator->Recalc(other.Value());
  COleDate there(kInvalidDate);
  if (FAILED(GetStart(mark, &there)) || !there.IsValid() ||
      std::fabs(there.Value() - start.Value()) >= std::fabs(own.Value() - start.Value())) {
    calculator->Recalc(start.Value());
  }
}

HRESULT CPrayerCalendar::ApplyHighLatitudeRule() {
  AddinSettings& settings = Settings();
  if (settings.highLatitudeApplied == settings.highLatitudeRule) return S_OK;
  TraceEnter("COutlookPrayer::ApplyHighLatitudeRule");
  if (HRESULT hr = m_context.Store().UpdateCalcSettings(m_context.Calculator()); FAILED(hr)) return hr;
  // Nobody keeps an Isha the old computation placed two hours before
  // Maghrib: the prayers are written again, each on its own day. Every item
  // is handed over, as the options page does: the update leaves those whose
  // time is past, and takes one the old time had put in the past (an 18:00
  // Isha at seven in the evening) to its time still ahead.
  LONG unused = 0;
  if (HRESULT hr = RestrictOperation(m_context.CalendarItems(), u"[PrayerNum] <= 191", kModeUpdate, &unused, false, true);
      FAILED(hr)) {
    return hr;
  }
  settings.highLatitudeApplied = settings.highLatitudeRule;
  m_context.Store().SaveSettings();
  TraceExit("COutlookPrayer::ApplyHighLatitudeRule");
  return S_OK;
}

// Deleting the add-in's items: from the calendar, and then from Deleted
// Items as well, so that nothing of the add-in's piles up there.

#include "calendar/PrayerCalendar.h"

#include "services/AutomationText.h"
#include "services/ModuleStrings.h"
#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "services/UILocale.h"
#include "calendar/CalendarQueries.h"
#include "calendar/MarkedItems.h"

#include <cmath>
#include "platform/nls/Nls.h"
#include "platform/ui/Resources.h"

HRESULT CPrayerCalendar::Delete() {
  TraceEnter("COutlookPrayer::Delete");
  const std::u16string filter = u"[PrayerNum] <= 191";
  // The button reports what went wrong rather than a deletion that stopped
  // half way as if it had finished.
  if (HRESULT hr = RestrictOperation(m_context.CalendarItems(), filter, kModeDelete, nullptr, false, true); FAILED(hr)) {
    return hr;
  }
  TraceExit("COutlookPrayer::Delete");
  return S_OK;
}

HRESULT CPrayerCalendar::RestrictOperation(_Items* items, const std::u16string& filter, int mode, void* modeArgument,
                                          bool progressFlag, bool showProgress) {
  TraceEnter("COutlookPrayer::RestrictOperation");
  if (items == nullptr) return E_POINTER;
  ComPtr<_Items> result;
  if (HRESULT hr = ManualRestrict(items, filter, result.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  if (!result) {
    // Outlook answered with no collection: there is nothing to work on.
  } else if (mode == kModeDelete) {
    if (HRESULT hr = DeleteAppointments(result.Get(), progressFlag, showProgress); FAILED(hr)) return hr;
  } else if (mode == kModeCreate) {
    if (HRESULT hr = CreateAppointments(result.Get(), modeArgument != nullptr && *static_cast<bool*>(modeArgument));
        FAILED(hr)) {
      return hr;
    }
  } else if (mode == kModeClearDay) {
    m_dayOff = true;
    const HRESULT hr = CreateAppointments(result.Get(), true);
    m_dayOff = false;
    if (FAILED(hr)) return hr;
  } else if (mode == kModeUpdate) {
    const LONG value = modeArgument != nullptr ? *static_cast<LONG*>(modeArgument) : 0;
    if (HRESULT hr = UpdateAppointments(result.Get(), value); FAILED(hr)) return hr;
  }
  TraceExit("COutlookPrayer::RestrictOperation");
  return S_OK;
}

HRESULT CPrayerCalendar::DeleteAppointments(_Items* items, bool progressFlag, bool showProgress) {
  TraceEnter("COutlookPrayer::DeleteAppointments");
  LONG count = 0;
  if (HRESULT hr = items->get_Count(&count); FAILED(hr)) return hr;
  const std::unique_ptr<ICalendarProgress> progress = m_context.NewProgress();
  const bool shown = showProgress && count != 0 &&
                     ShowItemProgress(*progress, ICalendarProgress::kModeDelete, count, progressFlag, 328);
  m_context.SetCancelFlag(0);
  HRESULT failure = S_OK;
  for (LONG position = count; position >= 1; --position) {
    ComPtr<_AppointmentItem> item;
    if (failure = AppointmentAt(items, position, &item); FAILED(failure)) break;
    DATE start = 0;
    item->get_Start(&start);
    if (shown && progress->SecondTextDue()) ShowItemDate(*progress, start);
    if (failure = DeleteAppointment(item.Get()); FAILED(failure)) break;
    if (StepItemProgress(*progress, shown)) break;
  }
  // A failure leaves the items deleted so far deleted, and the settings as they were.
  if (shown) progress->DestroyPage();
  if (FAILED(failure)) return failure;
  if (count != 0) {
    // The next generation starts again from the current prayer period.
    Settings().lastDate = m_context.CurrentPeriod().periodStart;
    Settings().lastNext = COleDate::Now() - COleDateSpan(1, 0, 0, 0);
    m_context.Store().SaveSettings();
  }
  TraceExit("COutlookPrayer::DeleteAppointments");
  return S_OK;
}

bool CPrayerCalendar::ShowItemProgress(ICalendarProgress& progress, int mode, LONG count, bool delayed, UINT text) {
  if (FAILED(progress.CreatePage(mode, 100.0f / static_cast<float>(count), delayed))) return false;
  RefreshDateFormat();
  tchar buffer[1025] = {};
  LoadString(ResourceInstance(), text, buffer, 1025);
  progress.SetText(buffer, UILanguageID);
  return true;
}

bool CPrayerCalendar::StepItemProgress(ICalendarProgress& progress, bool shown) {
  if (shown) {
    progress.Stepit();
    m_context.ProcessWindowMessages(progress.Window());
  }
  return m_context.GetCancelFlag() == 1;
}

void CPrayerCalendar::ShowItemDate(ICalendarProgress& progress, DATE start) const {
  progress.SetSecondText(COleDate(start).FormatAsDate(m_filterDateFormat.c_str(), 0, LOCALE_USER_DEFAULT).c_str(),
                         m_dayFirst ? 1 : 0);
}

HRESULT CPrayerCalendar::AppointmentAt(_Items* items, LONG position, ComPtr<_AppointmentItem>* item) {
  ComPtr<IDispatch> object;
  if (HRESULT hr = items->Item(CComVariant::I4(position), object.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  if (!object || FAILED(object.As(item)) || !*item) return E_NOINTERFACE;
  return S_OK;
}

HRESULT CPrayerCalendar::DeleteAppointment(IDispatch* object) {
  TraceEnter("COutlookPrayer::DeleteAppointment");
  ComPtr<_AppointmentItem> item;
  if (object == nullptr ||
      FAILED(object->QueryInterface(_AppointmentItem::kIID, item.ReleaseAndGetVoidAddress())) || !item) {
    return E_NOINTERFACE;
  }
  CComBSTR subject;
  if (HRESULT hr = item->get_Subject(&subject); FAILED(hr)) return hr;
  DATE start = 0;
  if (HRESULT hr = item->get_Start(&start); FAILED(hr)) return hr;
  double mark = 0;
  const bool marked = ReadPrayerMark(item.Get(), &mark);
  if (HRESULT hr = item->Delete(); FAILED(hr)) return hr;
  // Outlook moved it to Deleted Items: take it out of there too.
  ComPtr<_Items> deleted;
  MAPIFolder* deletedItems = m_context.DeletedItemsFolder();
  if (deletedItems == nullptr) return E_NOINTERFACE;
  if (HRESULT hr = deletedItems->get_Items(deleted.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  if (!deleted) return E_NOINTERFACE;
  ComPtr<IDispatch> match;
  if (HRESULT hr = FindDeletedTwin(deleted.Get(), subject.View(), start, marked ? &mark : nullptr,
                                   match.ReleaseAndGetAddressOf());
      FAILED(hr)) {
    return hr;
  }
  ComPtr<_AppointmentItem> again;
  if (!match || FAILED(match.As(&again)) || !again) return E_NOINTERFACE;
  if (HRESULT hr = again->Delete(); FAILED(hr)) return hr;
  TraceExit("COutlookPrayer::DeleteAppointment");
  return S_OK;
}

HRESULT CPrayerCalendar::FindDeletedTwin(_Items* deleted, std::u16string_view subject, DATE start, const double* mark,
                                        IDispatch** match) {
  *match = nullptr;
  // The item just moved, not merely one of the same title: the user's own
  // deleted "Isha" meeting, or one of theirs named like the custom reminders,
  // must stay where the user can still restore it. Same subject, same start
  // (the filter narrows to its minute, the comparison below to the second)
  // and the same mark.
  const COleDate minute = [&] {
    const COleDate at(start);
    return COleDate(at.GetYear(), at.GetMonth(), at.GetDay(), at.GetHour(), at.GetMinute(), 0);
  }();
  const std::u16string filter = u"[Subject] = " + QuoteFilterText(subject) + u" AND [Start] >= " +
                                QuoteFilterText(ToWide(FormatDate(minute))) + u" AND [Start] < " +
                                QuoteFilterText(ToWide(FormatDate(minute + COleDateSpan(0, 0, 1, 0))));
  CComBSTR text{std::u16string_view(filter)};
  LONG count = 0;
  if (HRESULT hr = deleted->get_Count(&count); FAILED(hr)) return hr;
  ComPtr<IDispatch> candidate;
  HRESULT hr = deleted->Find(text.Get(), candidate.ReleaseAndGetAddressOf());
  constexpr double kHalfSecond = 0.5 / 86400;
  for (LONG step = 0; SUCCEEDED(hr) && candidate && step <= count; ++step) {
    ComPtr<_AppointmentItem> item;
    DATE at = 0;
    if (SUCCEEDED(candidate.As(&item)) && item && SUCCEEDED(item->get_Start(&at)) && std::fabs(at - start) < kHalfSecond) {
      double itsMark = 0;
      const bool itsMarked = ReadPrayerMark(candidate.Get(), &itsMark);
      if (mark == nullptr ? !itsMarked : (itsMarked && itsMark == *mark)) {
        *match = candidate.Detach();
        return S_OK;
      }
    }
    hr = deleted->FindNext(candidate.ReleaseAndGetAddressOf());
  }
  return FAILED(hr) ? hr : S_OK;
}

bool CPrayerCalendar::FetchWorkingDays() {
  TraceEnter("COutlookPrayer::FetchWorkingDays");
  if (!Settings().workingDaysOnly) return false;
  const tstring keyPath = ModuleString(337);
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
  if (const char* name = ui::FindString(ResourceInstance(), 338)) {
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueEx(key, Utf8ToT(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof value) {
      m_workingDays = value;
    }
  }
  RegCloseKey(key);
  TraceExit("COutlookPrayer::FetchWorkingDays");
  return true;
}

bool CPrayerCalendar::IsDayWorkingDay(int dayOfWeek, DWORD workingDays) {
  TraceEnter("COutlookPrayer::IsDayWorkingDay");
  if (!Settings().workingDaysOnly) return true;
  if (dayOfWeek >= 1 && dayOfWeek <= 7) return (workingDays & (1u << (8 - dayOfWeek))) != 0;
  return workingDays != 0;
}

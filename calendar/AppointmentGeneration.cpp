// Writing the prayer appointments: the walk over the days of the window,
// each day's prayers, and one appointment with its subject, times, reminder,
// sound, the Friday prayer's timing and hadith, and the PrayerNum mark.

#include "calendar/PrayerCalendar.h"

#include <unistd.h>

#include <cmath>

#include "services/AutomationText.h"
#include "services/HighLatitudeNote.h"
#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "services/UILocale.h"
#include "calendar/CalendarQueries.h"
#include "calendar/MarkedItems.h"
#include "locations/CityInfo.h"
#include "locations/DataFileHandler.h"
#include "platform/com/Bstr.h"
#include "platform/nls/Nls.h"
#include "platform/text/TextConvert.h"
#include "platform/ui/Resources.h"

namespace {

constexpr DWORD kPrescheduleNextOnly = 255;
constexpr UINT kSubjects[7] = {103, 104, 105, 106, 107, 108, 158};
constexpr UINT kFridaySubject = 158;
constexpr int kFriday = 6;  // GetDayOfWeek: 1 Sunday .. 7 Saturday



COleDate DayStart(const COleDate& day) {
  return COleDate(day.GetYear(), day.GetMonth(), day.GetDay(), 0, 0, 0);
}

// Why there is no city to compute for: its file is not there, cannot be
// opened as the city list opens it, or holds no city.
HRESULT NoCityResult() {
  const tstring file = CityFilePath(240);
  if (!CityFileExists(file.c_str())) {
    return HRESULT_FROM_WIN32(access(TToUtf8(file).c_str(), F_OK) == 0 ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
  }
  if (!CDataFileHandler(file.c_str(), CDataFileHandler::kRead).IsOpen()) return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
  return HRESULT_FROM_WIN32(ERROR_FILE_CORRUPT);
}

// The identity of the store the calendar folder lives in, as Outlook gives
// it; empty when it cannot tell.
tstring StoreIdentityOf(MAPIFolder* folder) {
  if (folder == nullptr) return {};
  CComBSTR id;
  if (FAILED(folder->get_StoreID(&id)) || id.Length() == 0) return {};
  return Utf8ToT(id.Utf8());
}


}  // namespace

DWORD CPrayerCalendar::PrayConvert(int index) { return index >= 0 && index <= 6 ? 1u << index : 0; }

int CPrayerCalendar::PrayConvert(PrayerFlags flag) {
  for (int index = 0; index <= 6; ++index) {
    if (static_cast<DWORD>(flag) == (1u << index)) return index;
  }
  return -1;
}

ComPtr<IPrayerCalculator2> CPrayerCalendar::Calculator2() {
  ComPtr<IPrayerCalculator2> withDays;
  if (IPrayerCalculator* calculator = m_context.Calculator()) {
    if (FAILED(calculator->QueryInterface(IPrayerCalculator2::kIID, withDays.ReleaseAndGetVoidAddress()))) {
      withDays.Reset();
    }
  }
  return withDays;
}

HRESULT CPrayerCalendar::GetStart(int index, COleDate* start) {
  IPrayerCalculator* calculator = m_context.Calculator();
  if (calculator == nullptr) return E_UNEXPECTED;
  DATE time = 0;
  HRESULT hr = S_OK;
  // The first interface stamps every time with the date asked for: an Isha
  // after midnight would stand 24 hours early.
  if (ComPtr<IPrayerCalculator2> withDays = Calculator2(); withDays && index >= 0 && index <= 6) {
    hr = withDays->PrayerTime(index == 6 ? 2 : index, &time);
    if (SUCCEEDED(hr)) *start = time;
    return hr;
  }
  switch (index) {
    case 0: hr = calculator->get_Fajr(&time); break;
    case 1: hr = calculator->get_Shorouk(&time); break;
    case 2:
    case 6: hr = calculator->get_Zuhr(&time); break;
    case 3: hr = calculator->get_Asr(&time); break;
    case 4: hr = calculator->get_Maghrib(&time); break;
    case 5: hr = calculator->get_Isha(&time); break;
    default: return S_OK;
  }
  if (SUCCEEDED(hr)) *start = time;
  return hr;
}

HRESULT CPrayerCalendar::RefreshDateFormat() {
  return CreateUILocaleID(m_context.Application(), &m_filterDateFormat, &m_dayFirst);
}

HRESULT CPrayerCalendar::CheckCity() {
  CCityInfo city;
  if (city.GetInfoFromLine(Settings().location.c_str())) return S_OK;
  Trace("No city: nothing written");
  return NoCityResult();
}

HRESULT CPrayerCalendar::Precalculate(bool removeUnselected, bool continueFromLastDate, bool force, bool showProgress) {
  TraceEnter("COutlookPrayer::Precalculate");
  AddinSettings& settings = Settings();
  CCityInfo city;
  if (city.GetInfoFromLine(settings.location.c_str())) {
    settings.longitude = city.m_longitude;
    settings.latitude = city.m_latitude;
    settings.timeZone = city.m_timeZone;
  } else if (settings.prescheduleDays != kPrescheduleNextOnly && settings.prescheduleDays != 0) {
    return CheckCity();
  }
  IPrayerCalculator* calculator = m_context.Calculator();
  if (HRESULT hr = m_context.Store().UpdateCalcSettings(calculator); FAILED(hr)) return hr;
  // Items of another rule are rewritten first: the walk would take them for
  // the days' own and leave them.
  if (HRESULT hr = ApplyHighLatitudeRule(); FAILED(hr)) return hr;

  const COleDate now = COleDate::Now();
  long last = static_cast<long>(settings.prescheduleDays);
  if (last == static_cast<long>(kPrescheduleNextOnly) || last == 0) {
    last = -1;
  } else {
    settings.prescheduleEnd = now + COleDateSpan(last, 0, 0, 0);
  }
  const std::unique_ptr<ICalendarProgress> progress = m_context.NewProgress();
  m_context.SetCancelFlag(0);
  const TimeInfo& period = m_context.CurrentPeriod();

  // The last generated date says what one store holds: with a new store (a
  // damaged one moved aside, another file put in its place, one emptied) it
  // says nothing, and the fill starts from today. A host that cannot tell
  // its store keeps the date as it is.
  const tstring store = StoreIdentityOf(m_context.CalendarFolder());
  const bool sameStore = store.empty() || store == settings.lastDateStore;

  // Already filled from within the current prayer period: nothing to redo.
  if (last >= 0 && !continueFromLastDate && sameStore &&
      settings.lastDate > period.periodStart + COleDateSpan(last, 0, 0, 0) && !force) {
    last = -1;
  }
  long first = 0;
  if (continueFromLastDate && !settings.firstRun && last != -1) {
    const double ahead = (DayStart(settings.lastDate) - DayStart(now)).GetTotalDays();
    if (!sameStore) {
      Trace("Last generated date of another store, filled again from today: " + TToUtf8(FormatDate(settings.lastDate)));
    } else if (ahead > static_cast<double>(last)) {
      // Filled past the end of today's window: the clock went back (a
      // machine that booted in 2030), or the date came with another store.
      // What the date says is not in this calendar: fill again from today.
      Trace("Last generated date past the window, filled again from today: " +
            TToUtf8(FormatDate(settings.lastDate)));
    } else if (ahead > 0) {
      first = static_cast<long>(ahead + 1);
    }
  }
  FetchWorkingDays();

  ComPtr<IDispatch> probe;
  _Items* calendarItems = m_context.CalendarItems();
  if (HRESULT hr = ManualFind(calendarItems, u"[PrayerNum] >= 0 ", probe.ReleaseAndGetAddressOf()); FAILED(hr)) {
    return hr;
  }
  const bool anyFound = static_cast<bool>(probe);
  probe.Reset();
  if (m_workingDays == 0 && settings.workingDaysOnly && !anyFound) showProgress = false;

  bool shown = false;
  if (showProgress && last >= 0 && last >= first) {
    const float step = 100.0f / static_cast<float>(last - first + 1);
    const bool onlyRemovals = settings.prayers == 0 || (m_workingDays == 0 && settings.workingDaysOnly && anyFound);
    const int mode = onlyRemovals ? ICalendarProgress::kModeDelete : ICalendarProgress::kModeCreate;
    shown = SUCCEEDED(progress->CreatePage(mode, step, continueFromLastDate && settings.startupCleanup != 1));
    if (shown) {
      RefreshDateFormat();
      tchar text[1025] = {};
      LoadString(ResourceInstance(), mode == ICalendarProgress::kModeDelete ? 328 : 326, text, 1025);
      progress->SetText(text, UILanguageID);
    }
  }

  bool cancelled = false;
  HRESULT failure = S_OK;
  long nearestFailed = -1;
  for (long d = last; d >= first && d >= 0; --d) {
    const COleDate day = now + COleDateSpan(d, 0, 0, 0);
    const bool working = IsDayWorkingDay(day.GetDayOfWeek(), m_workingDays);
    if (HRESULT hr = calculator->Recalc(day); FAILED(hr)) {
      if (shown) progress->DestroyPage();
      return hr;
    }
    if (shown && progress->SecondTextDue()) ShowItemDate(*progress, day);
    bool remove = removeUnselected;
    // A failing day does not stop the walk, but it is not filled: it is
    // remembered, so that the last generated date stays before it and the
    // next run does it again, and the failure is reported at the end.
    const HRESULT dayResult = RestrictOperation(calendarItems, DayFilter(DayStart(day)),
                                                working ? kModeCreate : kModeClearDay, &remove, false, false);
    if (FAILED(dayResult)) {
      Trace("Day not filled: " + TToUtf8(FormatDate(DayStart(day))));
      if (SUCCEEDED(failure)) failure = dayResult;
      nearestFailed = d;
    }
    if (shown) {
      m_context.ProcessWindowMessages(progress->Window());
      progress->Stepit();
      if (m_context.GetCancelFlag() == 1) {
        cancelled = true;
        break;
      }
    }
  }
  if (last >= 0 && last >= first) {
    if (shown) progress->DestroyPage();
    settings.lastDate = cancelled ? period.periodStart : settings.prescheduleEnd;
    if (!store.empty()) settings.lastDateStore = store;
    if (nearestFailed >= 0 && !cancelled) {
      settings.lastDate = now + COleDateSpan(nearestFailed - 1, 0, 0, 0);
    }
  }
  settings.lastNext = now;
  m_context.Store().SaveSettings();
  if (FAILED(failure)) return failure;
  TraceExit("COutlookPrayer::Precalculate");
  return S_OK;
}

std::u16string CPrayerCalendar::DayFilter(const COleDate& dayStart) {
  return u"[PrayerNum] <= 191 AND [Start] >= " + QuoteFilterText(ToWide(FormatDate(dayStart))) +
         u" AND [Start] < " + QuoteFilterText(ToWide(FormatDate(dayStart + COleDateSpan(1, 0, 0, 0))));
}

HRESULT CPrayerCalendar::CreateAppointments(_Items* dayItems, bool removeUnselected) {
  // The day's items as queried before any creation; one prayer failing
  // does not stop the others. But the day is not done: its first failure
  // goes back, so that the walk does the day again next time instead of
  // taking a full disk's empty day for a filled one.
  HRESULT failure = S_OK;
  auto keep = [&failure](HRESULT hr) {
    if (FAILED(hr) && SUCCEEDED(failure)) failure = hr;
  };
  for (int index : {5, 4, 3, 2, 6, 1, 0}) keep(CheckPrayer(dayItems, index, removeUnselected));
  keep(CheckCustomReminders(dayItems, removeUnselected));
  return failure;
}

HRESULT CPrayerCalendar::CheckPrayer(_Items* dayItems, int index, bool removeUnselected) {
  COleDate start(kInvalidDate);
  if (HRESULT hr = GetStart(index, &start); FAILED(hr)) return hr;
  ComPtr<IDispatch> existing;
  if (HRESULT hr = FindOwnAppointment(dayItems, index, start, existing.ReleaseAndGetAddressOf()); FAILED(hr)) {
    return hr;
  }
  const DWORD selected = m_dayOff ? 0 : Settings().prayers;
  const DWORD flag = PrayConvert(index);
  bool unselected = (flag & selected) == 0;
  if (flag == kFridayFlag && (selected & kZuhrFlag) != 0) unselected = false;
  if (flag == kZuhrFlag && (selected & kFridayFlag) != 0 && start.GetDayOfWeek() == kFriday) unselected = false;
  if (index == 6) {
    // With Zuhr selected too, the Zuhr slot makes Friday's appointment (or
    // found it already): the Friday slot would make a second one.
    if ((selected & kFridayFlag) != 0 && (selected & kZuhrFlag) == 0 && !existing && start.GetDayOfWeek() == kFriday) {
      return CreateAppointment(6);
    }
  } else if ((flag & selected) != 0 && !existing) {
    return CreateAppointment(index);
  }
  if (removeUnselected && existing && unselected) return DeleteAppointment(existing.Get());
  return S_OK;
}

HRESULT CPrayerCalendar::FindOwnAppointment(_Items* dayItems, int index, const COleDate& start, IDispatch** found) {
  *found = nullptr;
  const int mark = index == 6 ? 2 : index;
  const std::u16string filter = u"[PrayerNum] = " + text::Utf8ToUtf16(std::to_string(mark));
  if (!start.IsValid()) {
    // No time to place it by: the day's item of that mark, as ever.
    return dayItems != nullptr ? ManualFind(dayItems, filter, found) : S_OK;
  }
  // The items of the day the time falls on: the date's own day (the walk
  // has them already) unless the time lies past midnight or before it.
  DATE computed = kInvalidDate;
  if (IPrayerCalculator* calculator = m_context.Calculator()) calculator->get_Date(&computed);
  ComPtr<_Items> otherDay;
  _Items* items = dayItems;
  if (items == nullptr || !COleDate(computed).IsValid() || DayStart(COleDate(computed)) != DayStart(start)) {
    if (HRESULT hr = ManualRestrict(m_context.CalendarItems(), DayFilter(DayStart(start)),
                                    otherDay.ReleaseAndGetAddressOf());
        FAILED(hr)) {
      return hr;
    }
    if (!otherDay) return S_OK;
    items = otherDay.Get();
  }
  // The first match is the one nearly always; after it, the day may hold
  // the same prayer of the evening before (an Isha after midnight) or of
  // the next day (a Fajr before midnight), a day away from this one.
  ComPtr<IDispatch> candidate;
  if (HRESULT hr = ManualFind(items, filter, candidate.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  LONG count = 0;
  if (HRESULT hr = items->get_Count(&count); FAILED(hr)) return hr;
  constexpr double kHalfDay = 0.5;
  for (LONG step = 0; candidate && step <= count; ++step) {
    ComPtr<_AppointmentItem> item;
    DATE at = 0;
    double itsMark = -1;
    if (SUCCEEDED(candidate.As(&item)) && item && SUCCEEDED(item->get_Start(&at)) &&
        std::fabs(at - start.Value()) < kHalfDay && ReadPrayerMark(candidate.Get(), &itsMark) && itsMark == mark) {
      *found = candidate.Detach();
      return S_OK;
    }
    if (HRESULT hr = items->FindNext(candidate.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT CPrayerCalendar::CreateAppointment(int index) {
  TraceEnter("COutlookPrayer::CreateAppointment");
  ComPtr<IDispatch> created;
  _Application* application = m_context.Application();
  if (application == nullptr) return E_POINTER;
  if (HRESULT hr = application->CreateItem(olAppointmentItem, created.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  ComPtr<_AppointmentItem> item;
  if (!created || FAILED(created.As(&item)) || !item) return E_NOINTERFACE;
  const HRESULT put = PutPrayerParameters(item.Get(), index);
  if (put == 1) return S_OK;  // already past: the new item is dropped
  if (FAILED(put)) return put;
  if (HRESULT hr = AddProperty(item.Get(), u"PrayerNum", olNumber, CComVariant::I4(index == 6 ? 2 : index)); FAILED(hr)) {
    return hr;
  }
  if (HRESULT hr = item->Save(); FAILED(hr)) return hr;
  TraceExit("COutlookPrayer::CreateAppointment");
  return S_OK;
}

HRESULT CPrayerCalendar::PutPrayerParameters(_AppointmentItem* item, int index) {
  const AddinSettings& s = Settings();
  COleDate start(kInvalidDate);
  if (HRESULT hr = GetStart(index, &start); FAILED(hr)) return hr;
  // The current prayer and every earlier one are never written.
  if (start <= m_context.CurrentPeriod().periodStart) return 1;
  const bool friday = (index == 2 || index == 6) && start.GetDayOfWeek() == kFriday;
  CComBSTR subject = ResourceBstr(friday ? kFridaySubject : kSubjects[index]);
  // A time the high-latitude rule gave says so, so that nobody wonders why
  // it differs from a timetable of another convention; a time that no
  // longer comes from the rule loses the line. The user's own notes stay.
  const std::u16string ruleLine = RuleLine(index);
  if (friday) {
    std::u16string hadith;
    m_context.Hadith().GetNextHadith(&hadith);
    CComBSTR body{std::u16string_view(WithRuleLine(hadith, ruleLine))};
    if (HRESULT hr = item->put_Body(body.Get()); FAILED(hr)) return hr;
  } else {
    CComBSTR old;
    if (HRESULT hr = item->get_Body(&old); FAILED(hr)) return hr;
    const std::u16string body = WithRuleLine(old.View(), ruleLine);
    if (body != old.View()) {
      CComBSTR text{std::u16string_view(body)};
      if (HRESULT hr = item->put_Body(text.Get()); FAILED(hr)) return hr;
    }
  }
  auto minutes = [](DWORD m) { return COleDateSpan(0, 0, static_cast<int>(m), 0); };
  HRESULT hr = S_OK;
  auto put = [&](HRESULT result) {
    if (SUCCEEDED(hr)) hr = result;
  };
  if (s.fridaySettings && friday) {
    put(item->put_Start(start - minutes(s.fridayMinutesBefore)));
    put(item->put_End(start + minutes(s.fridayMinutesAfter)));
    put(item->put_ReminderMinutesBeforeStart(static_cast<LONG>(s.fridayReminderMinutes)));
    put(item->put_BusyStatus(static_cast<LONG>(s.fridayBusyStatus)));
    put(item->put_ReminderPlaySound(s.fridayPlaySound ? VARIANT_TRUE : VARIANT_FALSE));
    put(item->put_ReminderSoundFile(ToBstr(s.fridaySoundFile).Get()));
    put(item->put_ReminderSet(s.fridayReminder ? VARIANT_TRUE : VARIANT_FALSE));
  } else {
    const bool fajr = index == 0;
    put(item->put_Start(start));
    put(item->put_End(start + minutes(s.duration)));
    put(item->put_ReminderMinutesBeforeStart(static_cast<LONG>(s.reminderMinutes)));
    put(item->put_BusyStatus(static_cast<LONG>(s.busyStatus)));
    put(item->put_ReminderPlaySound((fajr ? s.fajrPlaySound : s.playSound) ? VARIANT_TRUE : VARIANT_FALSE));
    put(item->put_ReminderSoundFile(ToBstr(fajr ? s.fajrSoundFile : s.soundFile).Get()));
    put(item->put_ReminderSet(s.reminder ? VARIANT_TRUE : VARIANT_FALSE));
  }
  put(item->put_Subject(subject.Get()));
  return hr;
}

std::u16string CPrayerCalendar::RuleLine(int index) {
  ComPtr<IPrayerCalculator2> withRule = Calculator2();
  LONG ruled = 0;
  HighLatitudeRule rule = eSeventhOfNight;
  if (!withRule || index < 0 || index > 5 || FAILED(withRule->get_RuleTimes(&ruled)) || (ruled & (1 << index)) == 0 ||
      FAILED(withRule->get_HighLatitudeRule(&rule))) {
    return {};
  }
  return HighLatitudeNote(kRuleBodyFormat, rule);
}

std::u16string CPrayerCalendar::WithRuleLine(std::u16string_view body, const std::u16string& line) {
  // Any rule's line, in the language of today's library, is the add-in's:
  // it goes, with the empty line that parted it from the text before.
  std::u16string kept(body);
  for (LONG rule = 0; rule <= 2; ++rule) {
    const std::u16string ours = HighLatitudeNote(kRuleBodyFormat, rule);
    if (ours.empty()) continue;
    for (std::size_t at = kept.find(ours); at != std::u16string::npos; at = kept.find(ours)) {
      std::size_t from = at, to = at + ours.size();
      while (from > 0 && (kept[from - 1] == u'\n' || kept[from - 1] == u'\r')) --from;
      if (from == 0) {
        while (to < kept.size() && (kept[to] == u'\n' || kept[to] == u'\r')) ++to;
      }
      kept.erase(from, to - from);
    }
  }
  if (line.empty()) return kept;
  if (kept.empty()) return line;
  while (!kept.empty() && (kept.back() == u'\n' || kept.back() == u'\r')) kept.pop_back();
  return kept + u"\r\n\r\n" + line;
}

HRESULT CPrayerCalendar::AddProperty(_AppointmentItem* item, const std::u16string& name, LONG type, const VARIANT& value) {
  if (item == nullptr) return S_OK;
  ComPtr<UserProperties> properties;
  if (HRESULT hr = item->get_UserProperties(properties.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  CComBSTR text{std::u16string_view(name)};
  CComVariant addToFolderFields, displayFormat;
  addToFolderFields.vt = VT_I2;
  addToFolderFields.iVal = -1;
  displayFormat.vt = VT_I4;
  displayFormat.lVal = 9;
  ComPtr<UserProperty> property;
  properties->Add(text.Get(), type, addToFolderFields, displayFormat, property.ReleaseAndGetAddressOf());
  if (!property) return S_OK;
  return property->put_Value(value);
}

HRESULT CPrayerCalendar::GetPropertyValue(_AppointmentItem* item, const std::u16string& name, const VARIANT& custom,
                                         VARIANT* value) {
  ComPtr<UserProperties> properties;
  if (HRESULT hr = item->get_UserProperties(properties.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  VariantClear(value);
  CComBSTR text{std::u16string_view(name)};
  ComPtr<UserProperty> property;
  properties->Find(text.Get(), custom, property.ReleaseAndGetAddressOf());
  if (property) return property->get_Value(value);
  // Items written before the mark, or that lost it, are known by their subject.
  CComBSTR subject;
  if (HRESULT hr = item->get_Subject(&subject); FAILED(hr)) return hr;
  constexpr std::pair<UINT, double> kBySubject[] = {{103, 0}, {104, 1}, {105, 2}, {158, 2}, {106, 3}, {107, 4}, {108, 5}};
  for (const auto& [id, number] : kBySubject) {
    if (subject.View() == ResourceBstr(id).View()) {
      value->vt = VT_R8;
      value->dblVal = number;
      return S_OK;
    }
  }
  return -1;
}

#pragma once
// COutlookPrayer, the add-in object Outlook creates and connects: it holds
// every Outlook object the add-in uses, the settings, the calculator and the
// hadith source, listens to Outlook's events, keeps its objects valid as
// stores and explorer windows come and go, and lets everything go when the
// last window closes or the user unloads it. Apartment-threaded: every call
// comes on Outlook's user-interface thread, so nothing is locked (only the
// cancel flag, which the progress window's thread sets, is atomic).

#include <atomic>

#include "addin/EventSinks.h"
#include "addin/ProgressOwner.h"
#include "calendar/CalendarContext.h"
#include "calendar/HadithServer.h"
#include "calendar/PrayerCalendar.h"
#include "office/Outlook.h"
#include "options/PrayerPage.h"
#include "platform/com/ComPtr.h"
#include "platform/ui/Window.h"
#include "settings/SettingsStore.h"

// The current prayer period, as FindTimeInfo last found it. One record for
// the process: later steps read what FindTimeInfo filled.
extern TimeInfo g_timeInfo;

class COutlookPrayer : public _IDTExtensibility2,
                      public IProgressOwner,
                      public ICalendarContext,
                      public IPrayerPageOwner {
 public:
  using PrimaryInterface = _IDTExtensibility2;

  COutlookPrayer();
  virtual ~COutlookPrayer();

  HRESULT InternalQueryInterface(REFIID iid, void** object);

  // IDispatch: Outlook calls an add-in early-bound; late-bound calls do nothing.
  HRESULT GetTypeInfoCount(UINT* count) override;
  HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT* argumentError) override;

  // _IDTExtensibility2
  HRESULT OnConnection(IDispatch* application, LONG connectMode, IDispatch* addInInstance,
                       void* custom) override;
  HRESULT OnDisconnection(LONG removeMode, void* custom) override;
  HRESULT OnAddInsUpdate(void* custom) override;
  HRESULT OnStartupComplete(void* custom) override;
  HRESULT OnBeginShutdown(void* custom) override;

  // IProgressOwner, and the calendar's cancel flag.
  void SetCancelFlag(LONG value) override { m_cancel.store(value); }
  LONG GetCancelFlag() override { return m_cancel.load(); }

  // ICalendarContext: what the calendar's operations borrow.
  CSettingsStore& Store() override { return m_store; }
  IPrayerCalculator* Calculator() override { return m_calculator.Get(); }
  const TimeInfo& CurrentPeriod() const override { return g_timeInfo; }
  _Application* Application() override { return m_application.Get(); }
  _Items* CalendarItems() override { return m_calendarItems.Get(); }
  MAPIFolder* CalendarFolder() override { return m_calendar.Get(); }
  MAPIFolder* DeletedItemsFolder() override { return m_deletedItems.Get(); }
  CHadithServer& Hadith() override { return m_hadith; }
  std::unique_ptr<ICalendarProgress> NewProgress() override;
  // Keeps the window's paint messages flowing while a long loop runs.
  void ProcessWindowMessages(HWND window) override;

  // From the sinks.
  HRESULT OnApplicationEvent(DISPID id, DISPPARAMS& params);
  HRESULT OnFoldersEvent(DISPID id, DISPPARAMS& params);
  HRESULT OnExplorerEvent(DISPID id);
  HRESULT OnButtonClick(CEventSink* sink, DISPID id, DISPPARAMS& params);

  // The prayer period holding the instant, into g_timeInfo.
  HRESULT FindTimeInfo(const COleDate& instant) override;
  // The calculator's time of prayer index 0..6 for the date last
  // recalculated (the calendar's GetStart).
  HRESULT GetStart(int index, COleDate* start) { return m_prayerCalendar.GetStart(index, start); }

  // The tool bar's commands, and the check they share.
  HRESULT IsTherePrayerAppointments(bool* any);
  HRESULT GenerateCommand();
  HRESULT DeleteCommand();
  // The timetable of the saved settings, written to imsakyya.html in the
  // add-in's folder and opened. S_OK when it was shown or the location is
  // empty; the failure (and nothing opened) when the page was not written.
  HRESULT ImsakyyaCommand();

  // At most one appointment: the next selected prayer after the reminder lead.
  HRESULT GenerateNext(bool force) override;
  // Whether the calendar holds the add-in's appointment of prayer `index` of
  // the date last recalculated, whose time is `start` (on the day it falls
  // on, never the same prayer of the day before or after).
  HRESULT HasAppointment(int index, const COleDate& start, bool* exists);

  // The add-in's work on the calendar: filling, deleting, updating.
  CPrayerCalendar& Calendar() override { return m_prayerCalendar; }
  // The options page of the Options dialog now showing, or null.
  CPrayerPage* OptionsPage() const { return m_optionsPage; }

  // For the tests and the later steps: what the object holds.
  bool UIPresent() const { return m_uiPresent; }
  bool CalendarAvailable() const { return m_calendarAvailable; }
  AddinSettings& Settings() { return m_store.Settings(); }
  const AddinSettings& Settings() const { return m_store.Settings(); }
  const tstring& FilterDateFormat() const { return m_prayerCalendar.FilterDateFormat(); }
  bool DayFirst() const { return m_prayerCalendar.DayFirst(); }

 private:
  HRESULT OnConnection();
  HRESULT BuildCommandBar(_Explorer* explorer);
  HRESULT AddButton(CommandBarControls* controls, bool reused, int which, CommandBarButton** button);
  // The first control of `controls` whose Tag is `tag` (or, for an empty
  // tag, the first without one); none is S_OK with null.
  static HRESULT FindControl(const tstring& tag, CommandBarControls* controls, CommandBarButton** button);
  // 1 enables, 2 disables, 3 deletes the "Orvane" bar of every explorer.
  HRESULT UpdateCommandBars(int mode);
  // Takes the namespace's default folders anew; false when one is missing.
  bool AcquireFolders();
  void ReleaseFolders();
  void ReleaseAll();
  void ReleaseReferences();  // ReleaseAll's work, without its trace lines
  HRESULT OnStartup();
  void ShowCommandMessage(UINT id);
  void CheckFirstEntryTime();
  HRESULT OnReminder(IDispatch* item);
  HRESULT OnOptionsPagesAdd(IDispatch* pages);

  ComPtr<_Application> m_application;
  ComPtr<CApplicationEventsSink> m_applicationSink;
  ComPtr<_Folders> m_folders;
  ComPtr<CFoldersEventsSink> m_foldersSink;
  ComPtr<_NameSpace> m_nameSpace;
  ComPtr<CExplorerEventsSink> m_explorerSink;
  ComPtr<CommandBarButton> m_generateButton, m_deleteButton, m_imsakyyaButton, m_optionButton;
  ComPtr<CButtonClickSink> m_generateSink, m_deleteSink, m_imsakyyaSink;
  ComPtr<IPrayerCalculator> m_calculator;
  CSettingsStore m_store;
  bool m_uiPresent = true;
  bool m_calendarAvailable = true;
  CHadithServer m_hadith;
  std::atomic<LONG> m_cancel{0};
  ComPtr<MAPIFolder> m_calendar;
  ComPtr<MAPIFolder> m_deletedItems;
  ComPtr<_Items> m_calendarItems;
  CPrayerCalendar m_prayerCalendar{*this};
  // The options page of the Options dialog now showing, kept alive by its
  // reference.
  CPrayerPage* m_optionsPage = nullptr;
  ComPtr<IPrayerPage> m_optionsPageRef;
  void ReleaseOptionsPage();
};

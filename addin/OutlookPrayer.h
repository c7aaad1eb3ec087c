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
#include "addin/SettingsStore.h"
#include "calendar/HadithServer.h"
#include "office/Outlook.h"
#include "platform/ui/Window.h"
#include "platform/com/ComPtr.h"

// The current prayer period, as FindTimeInfo last found it.
struct TimeInfo {
  DWORD currentPrayer = kIshaFlag;  // PrayerFlags: the prayer whose period holds the instant
  COleDate periodStart{kInvalidDate};
  COleDate periodEnd{kInvalidDate};
  LONG position = 0;  // 0 before today's Fajr, 1 between Fajr and Isha, 2 after Isha
};
// One record for the process: later steps read what FindTimeInfo filled.
extern TimeInfo g_timeInfo;

class CProgressPage;

class COutlookPrayer : public _IDTExtensibility2, public IProgressOwner {
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

  // IProgressOwner
  void SetCancelFlag(LONG value) override { m_cancel.store(value); }
  LONG GetCancelFlag() override { return m_cancel.load(); }

  // From the sinks.
  HRESULT OnApplicationEvent(DISPID id, DISPPARAMS& params);
  HRESULT OnFoldersEvent(DISPID id, DISPPARAMS& params);
  HRESULT OnExplorerEvent(DISPID id);
  HRESULT OnButtonClick(CEventSink* sink, DISPID id, DISPPARAMS& params);

  // The prayer period holding the instant, into g_timeInfo.
  HRESULT FindTimeInfo(const COleDate& instant);
  // The calculator's time of prayer index 0..6 (6, the Friday prayer, takes
  // Zuhr's) for the date last recalculated; another index leaves *start as
  // it is and succeeds.
  HRESULT GetStart(int index, COleDate* start);
  // Index 0..6 to its flag, and a flag back to its index (-1 for none).
  static DWORD PrayConvert(int index);
  static int PrayConvert(PrayerFlags flag);

  // Deleting the add-in's items (from the calendar, then from Deleted Items).
  enum : int { kModeDelete = 1, kModeCreate = 2, kModeUpdate = 4 };
  HRESULT Delete();
  HRESULT RestrictOperation(_Items* items, const std::u16string& filter, int mode, void* modeArgument,
                            bool progressFlag, bool showProgress);
  HRESULT DeleteAppointments(_Items* items, bool progressFlag, bool showProgress);
  HRESULT DeleteAppointment(IDispatch* item);
  // Rewrites every item of the collection from the current settings; the
  // value is not used.
  HRESULT UpdateAppointments(_Items* items, LONG value);

  // The tool bar's commands, and the check they share.
  HRESULT IsTherePrayerAppointments(bool* any);
  HRESULT GenerateCommand();
  HRESULT DeleteCommand();
  // The timetable of the saved settings, written to imsakyya.html in the
  // add-in's folder and opened. S_OK when it was shown or the location is
  // empty; the failure (and nothing opened) when the page was not written.
  HRESULT ImsakyyaCommand();

  // At most one appointment: the next selected prayer after the reminder lead.
  HRESULT GenerateNext(bool force);
  // Whether the calendar holds the add-in's appointment of prayer `index` on
  // the day of `start`.
  HRESULT HasAppointment(int index, const COleDate& start, bool* exists);

  // Writing the prayer appointments over the days of the window.
  HRESULT Precalculate(bool removeUnselected, bool continueFromLastDate, bool force, bool showProgress);
  HRESULT CreateAppointments(_Items* dayItems, bool removeUnselected);
  HRESULT CheckPrayer(_Items* dayItems, int index, bool removeUnselected);
  HRESULT CreateAppointment(int index);
  // 1 when the prayer is already past and nothing was written.
  HRESULT PutPrayerParameters(_AppointmentItem* item, int index);
  HRESULT AddProperty(_AppointmentItem* item, const std::u16string& name, LONG type, const VARIANT& value);
  // -1 when the item has neither the property nor a prayer's subject.
  HRESULT GetPropertyValue(_AppointmentItem* item, const std::u16string& name, const VARIANT& custom, VARIANT* value);

  // Custom reminders: every so many minutes between two times of the day.
  HRESULT CheckCustomReminders(_Items* dayItems, bool removeUnselected);
  HRESULT CreateCustomReminders(const COleDate& day);
  HRESULT AddCustomReminderItem(const COleDate& start, const std::u16string& subject);
  HRESULT DeleteCustomReminders(_Items* items);

  // Outlook's work week, when only working days get appointments.
  bool FetchWorkingDays();
  bool IsDayWorkingDay(int dayOfWeek, DWORD workingDays) const;
  DWORD WorkingDays() const { return m_workingDays; }

  // Keeps the window's paint messages flowing while a long loop runs.
  static void ProcessWindowMessages(HWND window);

  // For the tests and the later steps: what the object holds.
  bool UIPresent() const { return m_uiPresent; }
  bool CalendarAvailable() const { return m_calendarAvailable; }
  AddinSettings& Settings() { return m_store.Settings(); }
  const AddinSettings& Settings() const { return m_store.Settings(); }
  _Items* CalendarItems() const { return m_calendarItems.Get(); }
  MAPIFolder* DeletedItemsFolder() const { return m_deletedItems.Get(); }
  const tstring& FilterDateFormat() const { return m_filterDateFormat; }
  bool DayFirst() const { return m_dayFirst; }

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
  // In Deleted Items, the item just moved there: same subject, same start,
  // same mark (none when `mark` is null). None found is S_OK with null.
  static HRESULT FindDeletedTwin(_Items* deleted, std::u16string_view subject, DATE start, const double* mark,
                                 IDispatch** match);
  // The progress window of a walk over `count` items, with its text; false
  // when it could not be shown.
  bool ShowItemProgress(CProgressPage& progress, int mode, LONG count, bool delayed, UINT text);
  // After an item: the bar stepped and the window painted (when shown);
  // true when the user cancelled.
  bool StepItemProgress(CProgressPage& progress, bool shown);
  // The item's date as the window's second line.
  void ShowItemDate(CProgressPage& progress, DATE start) const;
  // The appointment at a 1-based position; E_NOINTERFACE for another kind.
  static HRESULT AppointmentAt(_Items* items, LONG position, ComPtr<_AppointmentItem>* item);
  // The filter of the add-in's items of the day that starts at `dayStart`.
  static std::u16string DayFilter(const COleDate& dayStart);

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
  DWORD m_workingDays = 124;  // Monday to Friday
  std::atomic<LONG> m_cancel{0};
  ComPtr<MAPIFolder> m_calendar;
  ComPtr<MAPIFolder> m_deletedItems;
  ComPtr<_Items> m_calendarItems;
  tstring m_filterDateFormat;
  bool m_dayFirst = false;
};

#pragma once
// CPrayerPage: the add-in's tab in Outlook's Options dialog, a control with
// a dialog template (template 110 of the resource library). It shows the
// settings, lets the user change them and opens the location, advanced,
// sound and custom prayers dialogs; Apply copies everything back, brings
// the calendar in line with what changed and saves the settings.
//
// The add-in makes one for each showing of the Options dialog and sets its
// owner at once; when the add-in is unloaded while the page exists, the
// owner is gone for good: every control is disabled and the page reaches
// nothing of the add-in any more.
//
// Apply is careful about a process stopped half way: before any calendar
// work it saves the new settings with a last generated date no later than
// the first day it touches, in one registry transaction, so that the next
// start fills from there whatever was left undone.

#include <atomic>
#include <cstdint>

#include "locations/CityInfo.h"
#include "office/Outlook.h"
#include "options/LinkControl.h"
#include "options/PageDialogs.h"
#include "options/PageOwner.h"
#include "platform/com/ComPtr.h"
#include "platform/com/OleControl.h"
#include "platform/ui/Dialog.h"
#include "resources/OrvaneTypeLib.h"

class CPrayerPage : public IPrayerPage, public PropertyPage, public IOleObject, public IOleInPlaceObject,
                    public ui::DialogHandler {
 public:
  using PrimaryInterface = IPrayerPage;

  enum : UINT { IDD = 110 };
  enum : int {
    kLocationText = 245,
    kLocationButton = 213,
    kAdvancedButton = 206,
    kBusyStatus = 201,
    kDuration = 207,
    kReminder = 203,
    kReminderMinutes = 208,
    kReminderLabel = 214,
    kSoundButton = 221,
    kPictureButton = 224,
    kDaysAhead = 216,
    kPrayers = 218,
    kFridaySettings = 1017,
    kStartupCleanup = 230,
    kWorkingDaysOnly = 231,
    kTimetableHijri = 1012,
    kTimetableGregorian = 1013,
    kTimetableRange = 1016,
    kTimetableButton = 1015,
    kHelpLink = 1003,
  };
  // What changed since the last Apply.
  enum : DWORD {
    kChangeAppointments = 1,  // busy status, duration, reminder, sounds, place, method...
    kChangeDaysAhead = 2,
    kChangePrayers = 4,
    kChangeWorkingDays = 8,
  };
  // Resource strings.
  enum : UINT {
    kCaptionString = 102,
    kMessageCaption = 138,
    kDurationName = 1408,
    kReminderName = 1409,
    kCalendarNotInLine = 1503,
    kOptionsNotSaved = 1505,
  };
  // Icons of the resource library: the sound button's and the picture's.
  enum : UINT { kSoundIcon = 221, kReminderIcon = 222 };
  static constexpr UINT kBusyNames[4] = {113, 116, 114, 115};
  // Days ahead by the list's position; 255 is the next prayer only.
  static constexpr DWORD kDaysTable[8] = {0, 255, 1, 7, 14, 31, 93, 186};
  static constexpr UINT kDaysNames[8] = {224, 225, 226, 227, 228, 229, 1501, 1502};
  // The prayers by the list's position; the last is the custom choice.
  static constexpr DWORD kPrayersTable[7] = {12, 28, 61, 63, 1, 64, 0};
  static constexpr UINT kPrayersNames[8] = {300, 301, 302, 303, 304, 329, 305, 306};
  static constexpr int kCustomPosition = 7;
  static constexpr UINT kRangeNames[6] = {1014, 1015, 1016, 1017, 1018, 1019};

  CPrayerPage();
  virtual ~CPrayerPage();

  HRESULT InternalQueryInterface(REFIID iid, void** object);

  // IDispatch: Caption (-518) is the one member.
  HRESULT GetTypeInfoCount(UINT* count) override;
  HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT* argumentError) override;

  // IPrayerPage
  HRESULT get_Caption(BSTR* caption) override;

  // PropertyPage
  HRESULT GetPageInfo(BSTR* helpFile, LONG* helpContext) override;
  HRESULT get_Dirty(VARIANT_BOOL* dirty) override;
  HRESULT Apply() override;

  // IOleObject
  HRESULT SetClientSite(IOleClientSite* site) override;
  HRESULT GetClientSite(IOleClientSite** site) override;
  HRESULT Close(DWORD saveOption) override;

  // IOleInPlaceObject
  HRESULT InPlaceActivate(HWND parent, const RECT* position) override;
  HRESULT GetWindow(HWND* window) override;
  HRESULT InPlaceDeactivate() override;
  HRESULT SetObjectRects(const RECT* position) override;

  // From the add-in: the owner, set once when the page is made.
  void SetOwner(IPrayerPageOwner* owner) { m_owner = owner; }
  // The add-in is unloaded: the page disables itself for good.
  void OwnerGone();
  // A test plays the dialogs; by default the add-in's own.
  void SetDialogs(IPageDialogs* dialogs) { m_dialogs = dialogs; }

  bool Disabled() const { return m_disabled; }
  DWORD ChangeBits() const { return m_changes; }
  HWND Window() const { return m_window; }
  // The list position of a selection of prayers (7: custom).
  static int PrayersPosition(DWORD prayers);

 private:
  BOOL OnInitDialog(HWND dialog, LPARAM initParam) override;
  void OnCommand(HWND dialog, int id, int code, HWND control) override;
  bool OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void OnDestroy(HWND dialog) override;

  void DisableControls(HWND dialog);
  void UpdateDependentControls(HWND dialog);
  void ShowSelection(HWND dialog);
  void ShowLocation(HWND dialog);
  void SetDirty(DWORD bits);
  void OnLocation(HWND dialog);
  void OnAdvanced(HWND dialog);
  void OnSound(HWND dialog);
  void OnPrayersChange(HWND dialog);
  void OnTimetable(HWND dialog);
  // The controls and the working copies into settings; false (with the
  // message shown) when a list of minutes holds no number it takes.
  bool CopyBack(AddinSettings& settings);
  // The calendar brought in line with the change bits; the first failure.
  HRESULT BringCalendarInLine(AddinSettings& settings, DWORD previousDays);
  // Error lines for a calendar operation that failed inside Apply.
  void NoteFailure(HRESULT hr, const char* what, HRESULT* first);
  // One message box over the Options window (text: a resource string).
  void ShowApplyMessage(UINT text);

  // Whether the last Apply rewrote the prayer appointments.
  bool m_rewritten = false;
  IPrayerPageOwner* m_owner = nullptr;  // not counted: the add-in outlives its page or tells it
  IPageDialogs* m_dialogs;
  ComPtr<IOleClientSite> m_clientSite;
  ComPtr<PropertyPageSite> m_pageSite;
  HWND m_window = nullptr;
  bool m_disabled = false;
  bool m_dirty = false;
  DWORD m_changes = 0;
  std::u16string m_caption;
  // The working copies the dialogs edit, made when the window is.
  AddinSettings m_working;
  CCityInfo m_city;
  bool m_hasCity = false;
  bool m_workingDaysKnown = false;
  bool m_initialised = false;  // the working copies hold the settings
  RECT m_designSize{0, 0, 0, 0};
  CLinkControl m_link;
};

#pragma once
// The Outlook object model the add-in uses: application, namespace, folders,
// items and appointments with their user properties, explorers, property
// pages, and the event interfaces the add-in sinks. Members are the ones the
// add-in calls, in the early-bound form Outlook's type library gives them;
// every out parameter hands over one reference (or a BSTR) that the caller
// releases. Collections count from 1.

#include "office/Office.h"

// OlDefaultFolders, OlItemType, OlUserPropertyType, OlBusyStatus.
enum : LONG {
  olFolderDeletedItems = 3,
  olFolderCalendar = 9,
  olAppointmentItem = 1,
  olText = 1,
  olNumber = 3,
  olDateTime = 5,
  olYesNo = 6,
  olInteger = 20,
  olFree = 0,
  olTentative = 1,
  olBusy = 2,
  olOutOfOffice = 3,
};

// The Outlook application class, created by the uninstall code.
inline constexpr CLSID CLSID_OutlookApplication = MakeGuid("{0006F03A-0000-0000-C000-000000000046}");

struct _NameSpace;
struct _Folders;
struct MAPIFolder;
struct _Items;
struct _Explorer;
struct _Explorers;
struct UserProperty;
struct UserProperties;
struct PropertyPage;

struct _Application : IDispatch {
  static constexpr IID kIID = MakeGuid("{00063001-0000-0000-C000-000000000046}");
  virtual HRESULT GetNamespace(BSTR type, _NameSpace** space) = 0;  // "MAPI"
  // None (S_OK with null) when Outlook runs without a window.
  virtual HRESULT ActiveExplorer(_Explorer** explorer) = 0;
  virtual HRESULT get_Explorers(_Explorers** explorers) = 0;
  virtual HRESULT CreateItem(LONG type, IDispatch** item) = 0;  // olAppointmentItem
  virtual HRESULT get_LanguageSettings(LanguageSettings** settings) = 0;
  virtual HRESULT Quit() = 0;

 protected:
  ~_Application() = default;
};

struct _NameSpace : IDispatch {
  static constexpr IID kIID = MakeGuid("{00063002-0000-0000-C000-000000000046}");
  // olFolderCalendar or olFolderDeletedItems; null when the store is closed.
  virtual HRESULT GetDefaultFolder(LONG folder, MAPIFolder** result) = 0;
  virtual HRESULT get_Folders(_Folders** folders) = 0;

 protected:
  ~_NameSpace() = default;
};

// The top-level folders: the source of FolderAdd and FolderRemove.
struct _Folders : IDispatch {
  static constexpr IID kIID = MakeGuid("{00063040-0000-0000-C000-000000000046}");
  virtual HRESULT get_Count(LONG* count) = 0;
  virtual HRESULT Item(VARIANT index, MAPIFolder** folder) = 0;

 protected:
  ~_Folders() = default;
};

struct MAPIFolder : IDispatch {
  static constexpr IID kIID = MakeGuid("{00063006-0000-0000-C000-000000000046}");
  virtual HRESULT get_Name(BSTR* name) = 0;
  virtual HRESULT get_Items(_Items** items) = 0;
  virtual HRESULT GetExplorer(VARIANT displayMode, _Explorer** explorer) = 0;
  // The identity of the folder's store, the same for each of its folders: a
  // new store (a new file, another put in its place, one emptied) has
  // another. What a program keeps about a store's contents (how far it has
  // filled the calendar) holds while this is what it was.
  virtual HRESULT get_StoreID(BSTR* id) = 0;

 protected:
  ~MAPIFolder() = default;
};

struct _Items : IDispatch {
  static constexpr IID kIID = MakeGuid("{00063041-0000-0000-C000-000000000046}");
  virtual HRESULT get_Count(LONG* count) = 0;
  virtual HRESULT Item(VARIANT index, IDispatch** item) = 0;
  // A snapshot of the matching items; fails for a filter Outlook cannot
  // evaluate (an unknown field, for one).
  virtual HRESULT Restrict(BSTR filter, _Items** result) = 0;
  // The first matching item, or null; FindNext walks on from it.
  virtual HRESULT Find(BSTR filter, IDispatch** item) = 0;
  virtual HRESULT FindNext(IDispatch** item) = 0;

 protected:
  ~_Items() = default;
};

struct _AppointmentItem : IDispatch {
  static constexpr IID kIID = MakeGuid("{00063033-0000-0000-C000-000000000046}");
  virtual HRESULT get_Start(DATE* start) = 0;
  virtual HRESULT put_Start(DATE start) = 0;
  virtual HRESULT get_End(DATE* end) = 0;
  virtual HRESULT put_End(DATE end) = 0;
  virtual HRESULT get_Subject(BSTR* subject) = 0;
  virtual HRESULT put_Subject(BSTR subject) = 0;
  virtual HRESULT get_Body(BSTR* body) = 0;
  virtual HRESULT put_Body(BSTR body) = 0;
  virtual HRESULT get_BusyStatus(LONG* status) = 0;
  virtual HRESULT put_BusyStatus(LONG status) = 0;
  virtual HRESULT get_ReminderSet(VARIANT_BOOL* set) = 0;
  virtual HRESULT put_ReminderSet(VARIANT_BOOL set) = 0;
  virtual HRESULT get_ReminderMinutesBeforeStart(LONG* minutes) = 0;
  virtual HRESULT put_ReminderMinutesBeforeStart(LONG minutes) = 0;
  virtual HRESULT get_ReminderPlaySound(VARIANT_BOOL* play) = 0;
  virtual HRESULT put_ReminderPlaySound(VARIANT_BOOL play) = 0;
  virtual HRESULT get_ReminderSoundFile(BSTR* file) = 0;
  virtual HRESULT put_ReminderSoundFile(BSTR file) = 0;
  virtual HRESULT get_UserProperties(UserProperties** properties) = 0;
  virtual HRESULT Save() = 0;
  // In the calendar: moves the item to Deleted Items; there: removes it for good.
  virtual HRESULT Delete() = 0;

 protected:
  ~_AppointmentItem() = default;
};

struct UserProperties : IDispatch {
  static constexpr IID kIID = MakeGuid("{0006303D-0000-0000-C000-000000000046}");
  virtual HRESULT get_Count(LONG* count) = 0;
  // addToFolderFields true makes the property usable in the folder's filters.
  virtual HRESULT Add(BSTR name, LONG type, VARIANT addToFolderFields, VARIANT displayFormat,
                      UserProperty** property) = 0;
  // S_OK with null when the item has no such property.
  virtual HRESULT Find(BSTR name, VARIANT custom, UserProperty** property) = 0;

 protected:
  ~UserProperties() = default;
};

struct UserProperty : IDispatch {
  static constexpr IID kIID = MakeGuid("{00063042-0000-0000-C000-000000000046}");
  virtual HRESULT get_Name(BSTR* name) = 0;
  virtual HRESULT get_Type(LONG* type) = 0;
  virtual HRESULT get_Value(VARIANT* value) = 0;
  virtual HRESULT put_Value(VARIANT value) = 0;

 protected:
  ~UserProperty() = default;
};

struct _Explorers : IDispatch {
  static constexpr IID kIID = MakeGuid("{0006300A-0000-0000-C000-000000000046}");
  virtual HRESULT get_Count(LONG* count) = 0;
  virtual HRESULT Item(VARIANT index, _Explorer** explorer) = 0;

 protected:
  ~_Explorers() = default;
};

struct _Explorer : IDispatch {
  static constexpr IID kIID = MakeGuid("{00063003-0000-0000-C000-000000000046}");
  virtual HRESULT get_CommandBars(CommandBars** bars) = 0;
  // The caption names the top-level window, the owner of message boxes.
  virtual HRESULT get_Caption(BSTR* caption) = 0;
  virtual HRESULT get_CurrentFolder(MAPIFolder** folder) = 0;
  virtual HRESULT putref_CurrentFolder(MAPIFolder* folder) = 0;
  virtual HRESULT Close() = 0;

 protected:
  ~_Explorer() = default;
};

// What a property page control talks to: the host's Options dialog.
struct PropertyPageSite : IDispatch {
  static constexpr IID kIID = MakeGuid("{0006307F-0000-0000-C000-000000000046}");
  // The page has changes: the dialog enables Apply.
  virtual HRESULT OnStatusChange() = 0;

 protected:
  ~PropertyPageSite() = default;
};

// What the host asks of a page in its Options dialog.
struct PropertyPage : IDispatch {
  static constexpr IID kIID = MakeGuid("{0006307E-0000-0000-C000-000000000046}");
  virtual HRESULT GetPageInfo(BSTR* helpFile, LONG* helpContext) = 0;
  virtual HRESULT get_Dirty(VARIANT_BOOL* dirty) = 0;
  virtual HRESULT Apply() = 0;

 protected:
  ~PropertyPage() = default;
};

struct PropertyPages : IDispatch {
  static constexpr IID kIID = MakeGuid("{00063080-0000-0000-C000-000000000046}");
  virtual HRESULT get_Count(LONG* count) = 0;
  // page: the page control (a ProgID text or the control object); title: its tab.
  virtual HRESULT Add(VARIANT page, BSTR title) = 0;

 protected:
  ~PropertyPages() = default;
};

// Event interfaces, raised to sinks through IDispatch::Invoke with these dispids.
struct ApplicationEvents : IDispatch {
  static constexpr IID kIID = MakeGuid("{0006304E-0000-0000-C000-000000000046}");
  static constexpr DISPID kReminder = 0xF004;         // (IDispatch* item)
  static constexpr DISPID kOptionsPagesAdd = 0xF005;  // (PropertyPages* pages)
  static constexpr DISPID kStartup = 0xF006;          // ()
  static constexpr DISPID kQuit = 0xF007;             // ()

 protected:
  ~ApplicationEvents() = default;
};

struct FoldersEvents : IDispatch {
  static constexpr IID kIID = MakeGuid("{00063076-0000-0000-C000-000000000046}");
  static constexpr DISPID kFolderAdd = 0xF001;     // (MAPIFolder* folder)
  static constexpr DISPID kFolderChange = 0xF002;  // (MAPIFolder* folder)
  static constexpr DISPID kFolderRemove = 0xF003;  // ()

 protected:
  ~FoldersEvents() = default;
};

struct ExplorerEvents : IDispatch {
  static constexpr IID kIID = MakeGuid("{0006304F-0000-0000-C000-000000000046}");
  static constexpr DISPID kClose = 0xF008;  // ()

 protected:
  ~ExplorerEvents() = default;
};

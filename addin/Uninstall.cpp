// The uninstaller's clean-up: Outlook is started without a window, the
// add-in's tool bar goes, every item the add-in wrote leaves the calendar
// and Deleted Items, and at last the maker's registry key goes with the
// settings under it.
//
// The key goes last on purpose: where a store cannot filter on user fields,
// the custom reminders are found by their subject, which is a setting. With
// the settings gone first they were found by nothing and outlived the
// add-in.

#include "addin/Uninstall.h"

#include <chrono>
#include <thread>

#include "services/AutomationText.h"
#include "services/Exceptions.h"
#include "services/ModuleStrings.h"
#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "calendar/CalendarQueries.h"
#include "platform/com/ComRuntime.h"
#include "platform/registry/Registry.h"

namespace {

// A null object where one was promised is a failure of the call.
template <typename T>
T* Required(const ComPtr<T>& object, int line) {
  if (!object) throw CComException(E_POINTER, nullptr, line);
  return object.Get();
}

// The add-in's mark on an item: the number property `name`, at most
// kPrayerNumLimit. Items without it are the user's, whatever their subject.
bool CarriesMark(_AppointmentItem* item, const std::u16string& name) {
  ComPtr<UserProperties> properties;
  THROW_IF_FAILED(item->get_UserProperties(properties.ReleaseAndGetAddressOf()));
  ComPtr<UserProperty> property;
  THROW_IF_FAILED(Required(properties, __LINE__)
                      ->Find(CComBSTR(name).Get(), CComVariant::Bool(true), property.ReleaseAndGetAddressOf()));
  if (!property) return false;
  CComVariant value;
  THROW_IF_FAILED(property->get_Value(&value));
  CComVariant number;
  if (FAILED(VariantChangeType(&number, &value, 0, VT_I4))) return false;
  return number.lVal >= 0 && number.lVal <= kPrayerNumLimit;
}

// Deletes every item of `items` (walked from the last) that carries the
// mark; items of other kinds are left alone.
void DeleteMarked(_Items* items, const std::u16string& name) {
  LONG count = 0;
  THROW_IF_FAILED(items->get_Count(&count));
  for (LONG index = count; index >= 1; --index) {
    ComPtr<IDispatch> object;
    THROW_IF_FAILED(items->Item(CComVariant::I4(index), object.ReleaseAndGetAddressOf()));
    ComPtr<_AppointmentItem> item;
    if (!object || FAILED(object.As(&item)) || !item) continue;
    if (!CarriesMark(item.Get(), name)) continue;
    CComBSTR subject;
    THROW_IF_FAILED(item->get_Subject(&subject));
    Trace("Deleting " + subject.Utf8());
    THROW_IF_FAILED(item->Delete());
  }
}

// The MAPI namespace, its calendar and the calendar's items; a failure is
// raised.
void OpenCalendar(_Application* application, ComPtr<_NameSpace>* space, ComPtr<MAPIFolder>* calendar,
                  ComPtr<_Items>* items) {
  THROW_IF_FAILED(application->GetNamespace(CComBSTR(u"MAPI").Get(), space->ReleaseAndGetAddressOf()));
  THROW_IF_FAILED(Required(*space, __LINE__)->GetDefaultFolder(olFolderCalendar, calendar->ReleaseAndGetAddressOf()));
  THROW_IF_FAILED(Required(*calendar, __LINE__)->get_Items(items->ReleaseAndGetAddressOf()));
}

// Deletes the deepest keys first, as a key with subkeys cannot be deleted.
LONG DeleteKeyTree(HKEY parent, const tstring& path) {
  HKEY key = nullptr;
  LONG error = RegOpenKeyEx(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key);
  if (error != ERROR_SUCCESS) return error;
  for (int guard = 0; guard < 100000; ++guard) {
    tchar name[256] = {};
    DWORD length = 256;
    if (RegEnumKeyEx(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (DeleteKeyTree(key, name) != ERROR_SUCCESS) break;
  }
  RegCloseKey(key);
  return RegDeleteKey(parent, path.c_str());
}

}  // namespace

void DeleteMarkedItems(_Application* application, const std::u16string& name) {
  try {
    ComPtr<_NameSpace> space;
    ComPtr<MAPIFolder> calendar;
    ComPtr<_Items> items;
    OpenCalendar(application, &space, &calendar, &items);
    const std::u16string filter = u"[" + name + u"] <= " + u"191";
    ComPtr<_Items> found;
    THROW_IF_FAILED(ManualRestrict(Required(items, __LINE__), filter, found.ReleaseAndGetAddressOf()));
    if (found) DeleteMarked(found.Get(), name);

    // What Outlook moved to Deleted Items goes for good.
    ComPtr<MAPIFolder> deleted;
    THROW_IF_FAILED(space->GetDefaultFolder(olFolderDeletedItems, deleted.ReleaseAndGetAddressOf()));
    ComPtr<_Items> deletedItems;
    THROW_IF_FAILED(Required(deleted, __LINE__)->get_Items(deletedItems.ReleaseAndGetAddressOf()));
    DeleteMarked(Required(deletedItems, __LINE__), name);
  } catch (const CComException& e) {
    LogComException(e, __FILE__);
  }
}

HRESULT DeleteOutlookItemsNow() {
  TraceEnter("COutlookPrayer::Unregister");
  ComPtr<_Application> application;
  try {
    ComPtr<IUnknown> unknown;
    THROW_IF_FAILED(CoCreateInstance(CLSID_OutlookApplication, nullptr, CLSCTX_ALL, IUnknown::kIID,
                                     unknown.ReleaseAndGetVoidAddress()));
    THROW_IF_FAILED(OleRun(unknown.Get()));
    THROW_IF_FAILED(unknown.As(&application));
    Required(application, __LINE__);

    ComPtr<_NameSpace> space;
    ComPtr<MAPIFolder> calendar;
    ComPtr<_Items> items;
    OpenCalendar(application.Get(), &space, &calendar, &items);

    ComPtr<_Explorer> explorer;
    THROW_IF_FAILED(application->ActiveExplorer(explorer.ReleaseAndGetAddressOf()));
    if (explorer) {
      THROW_IF_FAILED(explorer->putref_CurrentFolder(calendar.Get()));
    } else {
      THROW_IF_FAILED(calendar->GetExplorer(CComVariant::I4(0), explorer.ReleaseAndGetAddressOf()));
    }

    ComPtr<CommandBars> bars;
    THROW_IF_FAILED(Required(explorer, __LINE__)->get_CommandBars(bars.ReleaseAndGetAddressOf()));
    LONG count = 0;
    THROW_IF_FAILED(Required(bars, __LINE__)->get_Count(&count));
    for (LONG index = 1; index <= count; ++index) {
      ComPtr<CommandBar> bar;
      THROW_IF_FAILED(bars->get_Item(CComVariant::I4(index), bar.ReleaseAndGetAddressOf()));
      CComBSTR name;
      THROW_IF_FAILED(Required(bar, __LINE__)->get_Name(&name));
      if (name.View() == u"Orvane") {
        THROW_IF_FAILED(bar->Delete());
        break;
      }
    }

    SetResourceSilent(true);
    // Every item the add-in wrote carries its mark, custom reminders (7)
    // included; "Prayer" is the mark of its earliest versions.
    DeleteMarkedItems(application.Get(), u"PrayerNum");
    DeleteMarkedItems(application.Get(), u"Prayer");
    SetResourceSilent(false);
    FreeResourceLibrary();

    THROW_IF_FAILED(explorer->Close());
  } catch (const CComException& e) {
    SetResourceSilent(false);
    LogComException(e, __FILE__);
  }
  if (application) {
    application->Quit();
    application.Reset();
  }
  CoFreeUnusedLibraries();
  // Outlook takes its time to go; the settings may go only after it.
  std::this_thread::sleep_for(std::chrono::milliseconds(kUninstallQuitWaitMs));

  const tstring makerKey = ModuleString(4);
  if (!makerKey.empty()) DeleteKeyTree(HKEY_CURRENT_USER, makerKey);
  TraceExit("COutlookPrayer::Unregister");
  return S_OK;
}

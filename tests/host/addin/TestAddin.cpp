// A small add-in for testing the host end to end before the real add-in
// exists: it connects as an add-in does, keeps the objects the real one
// keeps, sinks the same events, creates and finds items, and writes one
// line per thing that happened to the file named by ORVANE_TEST_ADDIN_LOG.
//
// ORVANE_TEST_ADDIN_MODE changes what it does:
//   fail-connect   OnConnection fails
//   batch:N        Startup saves N items one by one (for crash tests)
//   store-id       Startup logs the calendar's store identity and saves nothing
//   fail-startup   Startup fails (access denied) and saves nothing

#include <cstdio>
#include <cstdlib>
#include <string>

#include "office/Outlook.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/EventSource.h"
#include "platform/time/SystemTime.h"
#include "platform/com/VariantTime.h"
#include "platform/com/RefCounted.h"

namespace {

constexpr CLSID CLSID_TestAddin = MakeGuid("{5E1C2A10-7B3D-4F21-9C55-0A1B2C3D4E5F}");

void Log(const std::string& line) {
  const char* path = std::getenv("ORVANE_TEST_ADDIN_LOG");
  if (path == nullptr) return;
  if (FILE* f = std::fopen(path, "a")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

std::string Mode() {
  const char* mode = std::getenv("ORVANE_TEST_ADDIN_MODE");
  return mode ? mode : "";
}


std::string Hex(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
  return buf;
}

class CTestAddin;

// One event sink: forwards the events of one source to the add-in.
class EventSink final : public com::CRefCounted<IDispatch> {
 public:
  EventSink(CTestAddin* owner, const IID& events) : owner_(owner), events_(events) {}

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IUnknown::kIID || iid == IDispatch::kIID || iid == events_) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

  // Attaches to source's connection point; false when it cannot.
  bool Advise(IUnknown* source) {
    Unadvise();
    ComPtr<IConnectionPointContainer> container;
    if (source == nullptr ||
        FAILED(source->QueryInterface(IConnectionPointContainer::kIID, container.ReleaseAndGetVoidAddress())) ||
        FAILED(container->FindConnectionPoint(events_, point_.ReleaseAndGetAddressOf())) ||
        FAILED(point_->Advise(static_cast<IDispatch*>(this), &cookie_))) {
      point_.Reset();
      return false;
    }
    return true;
  }
  void Unadvise() {
    if (point_) {
      const HRESULT hr = point_->Unadvise(cookie_);
      if (FAILED(hr)) Log("unadvise failed " + Hex(hr));
    }
    point_.Reset();
  }

 private:
  CTestAddin* owner_;
  IID events_;
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

class CTestAddin : public _IDTExtensibility2 {
 public:
  using PrimaryInterface = _IDTExtensibility2;

  virtual ~CTestAddin() = default;

  HRESULT InternalQueryInterface(REFIID iid, void** object) {
    if (iid != _IDTExtensibility2::kIID && iid != IDispatch::kIID) return E_NOINTERFACE;
    *object = static_cast<_IDTExtensibility2*>(this);
    return S_OK;
  }

  HRESULT GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

  HRESULT OnConnection(IDispatch* application, LONG mode, IDispatch*, void*) override {
    Log("OnConnection mode=" + std::to_string(mode));
    if (Mode() == "fail-connect") return E_FAIL;
    if (FAILED(application->QueryInterface(_Application::kIID, app_.ReleaseAndGetVoidAddress()))) return E_NOINTERFACE;
    ComPtr<LanguageSettings> language;
    LONG ui = 0;
    if (SUCCEEDED(app_->get_LanguageSettings(language.ReleaseAndGetAddressOf())) &&
        SUCCEEDED(language->get_LanguageID(msoLanguageIDUI, &ui))) {
      Log("language " + std::to_string(ui));
    }
    CComBSTR mapi("MAPI");
    if (HRESULT hr = app_->GetNamespace(mapi.Get(), space_.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
    TakeFolders();
    space_->get_Folders(folders_.ReleaseAndGetAddressOf());
    appSink_ = ComPtr<EventSink>(new EventSink(this, ApplicationEvents::kIID));
    foldersSink_ = ComPtr<EventSink>(new EventSink(this, FoldersEvents::kIID));
    explorerSink_ = ComPtr<EventSink>(new EventSink(this, ExplorerEvents::kIID));
    appSink_->Advise(app_.Get());
    foldersSink_->Advise(folders_.Get());
    ComPtr<_Explorer> explorer;
    app_->ActiveExplorer(explorer.ReleaseAndGetAddressOf());
    if (!explorer) {
      Log("explorer none");
      return S_OK;
    }
    CComBSTR caption;
    explorer->get_Caption(&caption);
    Log("explorer " + caption.Utf8());
    explorerSink_->Advise(explorer.Get());
    return S_OK;
  }

  HRESULT OnDisconnection(LONG mode, void*) override {
    Log("OnDisconnection mode=" + std::to_string(mode));
    ReleaseAll();
    return S_OK;
  }
  HRESULT OnAddInsUpdate(void*) override {
    Log("OnAddInsUpdate");
    return S_OK;
  }
  HRESULT OnStartupComplete(void*) override {
    Log("OnStartupComplete");
    return S_OK;
  }
  HRESULT OnBeginShutdown(void*) override {
    Log("OnBeginShutdown");
    return S_OK;
  }

  HRESULT OnEvent(const IID& source, DISPID id, DISPPARAMS* params) {
    if (source == ApplicationEvents::kIID) {
      switch (id) {
        case ApplicationEvents::kStartup:
          Log("Startup");
          return OnStartup();
        case ApplicationEvents::kReminder:
          return OnReminder(params->cArgs == 1 ? params->rgvarg[0].pdispVal : nullptr);
        case ApplicationEvents::kQuit:
          Log("Quit");
          return S_OK;
        default:
          return S_OK;
      }
    }
    if (source == FoldersEvents::kIID) {
      if (id == FoldersEvents::kFolderRemove) {
        Log("FolderRemove");
        calendar_.Reset();
        items_.Reset();
      } else if (id == FoldersEvents::kFolderAdd) {
        Log("FolderAdd");
        TakeFolders();
      }
      return S_OK;
    }
    if (source == ExplorerEvents::kIID && id == ExplorerEvents::kClose) {
      ComPtr<_Explorers> explorers;
      LONG count = -1;
      if (SUCCEEDED(app_->get_Explorers(explorers.ReleaseAndGetAddressOf()))) explorers->get_Count(&count);
      Log("Close explorers=" + std::to_string(count));
      if (count > 0) {
        // Watch the window that stays.
        ComPtr<_Explorer> next;
        app_->ActiveExplorer(next.ReleaseAndGetAddressOf());
        explorerSink_->Advise(next.Get());
      } else {
        ReleaseAll();
      }
    }
    return S_OK;
  }

 private:
  void TakeFolders() {
    space_->GetDefaultFolder(olFolderCalendar, calendar_.ReleaseAndGetAddressOf());
    if (!calendar_) {
      Log("calendar none");
      return;
    }
    calendar_->get_Items(items_.ReleaseAndGetAddressOf());
  }

  HRESULT Save(const char* subject, DATE start, LONG prayerNum) {
    ComPtr<IDispatch> created;
    if (HRESULT hr = app_->CreateItem(olAppointmentItem, created.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
    ComPtr<_AppointmentItem> item;
    if (HRESULT hr = created.As(&item); FAILED(hr)) return hr;
    CComBSTR text(subject);
    item->put_Subject(text.Get());
    item->put_Start(start);
    item->put_End(start + 10.0 / 1440.0);
    item->put_ReminderSet(VARIANT_TRUE);
    item->put_ReminderMinutesBeforeStart(5);
    ComPtr<UserProperties> properties;
    if (HRESULT hr = item->get_UserProperties(properties.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
    CComBSTR name("PrayerNum");
    ComPtr<UserProperty> property;
    CComVariant toFolder, format;
    toFolder.vt = VT_I2;
    toFolder.iVal = -1;
    format.vt = VT_I4;
    format.lVal = 9;
    if (HRESULT hr = properties->Add(name.Get(), olNumber, toFolder, format, property.ReleaseAndGetAddressOf());
        FAILED(hr)) {
      return hr;
    }
    if (HRESULT hr = property->put_Value(CComVariant::I4(prayerNum)); FAILED(hr)) return hr;
    return item->Save();
  }

  HRESULT OnStartup() {
    if (!items_) return S_FALSE;
    SYSTEMTIME st;
    GetLocalTime(&st);
    DATE now = 0;
    SystemTimeToVariantTime(&st, &now);
    const std::string mode = Mode();
    if (mode == "fail-startup") return static_cast<HRESULT>(0x80070005);
    if (mode == "store-id") {
      CComBSTR id;
      const HRESULT hr = calendar_->get_StoreID(&id);
      Log(FAILED(hr) ? "store id failed " + Hex(hr) : "store " + id.Utf8());
      return hr;
    }
    if (mode.rfind("batch:", 0) == 0) {
      const int count = std::atoi(mode.c_str() + 6);
      for (int i = 0; i < count; ++i) {
        if (HRESULT hr = Save("Batch item", now + i / 1440.0, 7); FAILED(hr)) {
          Log("batch failed " + Hex(hr));
          return hr;
        }
      }
      Log("batch done");
      return S_OK;
    }
    CComBSTR isha("[PrayerNum] = 5");
    ComPtr<IDispatch> found;
    HRESULT hr = items_->Find(isha.Get(), found.ReleaseAndGetAddressOf());
    Log(FAILED(hr) ? "find failed " + Hex(hr) : found ? "find " + Subject(found.Get()) : "find none");
    if (hr = Save("Test reminder", now + 1.0 / 24, 7); FAILED(hr)) {
      Log("save failed " + Hex(hr));
      return hr;
    }
    CComBSTR ours("[PrayerNum] <= 191");
    ComPtr<_Items> restricted;
    hr = items_->Restrict(ours.Get(), restricted.ReleaseAndGetAddressOf());
    LONG count = -1;
    if (SUCCEEDED(hr)) restricted->get_Count(&count);
    Log(FAILED(hr) ? "restrict failed " + Hex(hr) : "restrict " + std::to_string(count));
    return S_OK;
  }

  static std::string Subject(IDispatch* object) {
    ComPtr<_AppointmentItem> item;
    CComBSTR subject;
    if (FAILED(object->QueryInterface(_AppointmentItem::kIID, item.ReleaseAndGetVoidAddress())) ||
        FAILED(item->get_Subject(&subject))) {
      return "?";
    }
    return subject.Utf8();
  }

  HRESULT OnReminder(IDispatch* object) {
    if (object == nullptr) return E_POINTER;
    ComPtr<_AppointmentItem> item;
    if (HRESULT hr = object->QueryInterface(_AppointmentItem::kIID, item.ReleaseAndGetVoidAddress()); FAILED(hr)) {
      return hr;
    }
    ComPtr<UserProperties> properties;
    item->get_UserProperties(properties.ReleaseAndGetAddressOf());
    CComBSTR name("PrayerNum");
    ComPtr<UserProperty> property;
    CComVariant custom = CComVariant::I4(-1);
    std::string value = "none";
    if (SUCCEEDED(properties->Find(name.Get(), custom, property.ReleaseAndGetAddressOf())) && property) {
      CComVariant v;
      property->get_Value(&v);
      value = v.vt == VT_R8 ? std::to_string(static_cast<int>(v.dblVal)) : "not a number";
    }
    Log("Reminder " + Subject(object) + " PrayerNum=" + value);
    return S_OK;
  }

  void ReleaseAll() {
    if (appSink_) appSink_->Unadvise();
    if (foldersSink_) foldersSink_->Unadvise();
    if (explorerSink_) explorerSink_->Unadvise();
    items_.Reset();
    calendar_.Reset();
    folders_.Reset();
    space_.Reset();
    app_.Reset();
  }

  ComPtr<_Application> app_;
  ComPtr<_NameSpace> space_;
  ComPtr<_Folders> folders_;
  ComPtr<MAPIFolder> calendar_;
  ComPtr<_Items> items_;
  ComPtr<EventSink> appSink_, foldersSink_, explorerSink_;
};

HRESULT EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
  return owner_->OnEvent(events_, id, params);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid,
                                                                             void** object) {
  if (clsid != CLSID_TestAddin) return CLASS_E_CLASSNOTAVAILABLE;
  return com::GetClassFactory<CTestAddin>(iid, object);
}

extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow() {
  return com::ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

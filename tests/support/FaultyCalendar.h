#pragma once
// A stand-in between the add-in and the host's application that passes
// everything on, except that the calendar's Restrict fails for the filters a
// test names (a query Outlook refuses, in the middle of a walk, without
// breaking the store), and the saving of new items fails where a test says
// (a disk that fills up half way).

#include <functional>
#include <string>
#include <utility>

#include "office/Outlook.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/com/RefCounted.h"

using FilterFault = std::function<HRESULT(std::u16string_view filter)>;  // S_OK: let it through
// The answer to saving an item that starts at `start`: S_OK lets the save
// through, a failure is returned in its place (a full disk, a file that
// became read-only) and nothing is saved.
using SaveFault = std::function<HRESULT(DATE start)>;

// Passes IUnknown and IDispatch on; the interface it stands in for answers
// with itself, any other with the inner object's answer.
template <typename Interface>
class Relay : public com::CRefCounted<Interface> {
 public:
  explicit Relay(Interface* inner) : inner_(inner) {}
  virtual ~Relay() = default;
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IUnknown::kIID || iid == IDispatch::kIID || iid == Interface::kIID) {
      *object = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    return inner_->QueryInterface(iid, object);
  }
  HRESULT GetTypeInfoCount(UINT* count) override { return inner_->GetTypeInfoCount(count); }
  HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override { return inner_->GetTypeInfo(index, lcid, info); }
  HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
    return inner_->GetIDsOfNames(iid, names, count, lcid, ids);
  }
  HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT* argumentError) override {
    return inner_->Invoke(id, iid, lcid, flags, params, result, exception, argumentError);
  }

 protected:
  ComPtr<Interface> inner_;

 private:
};

class FaultyAppointment final : public Relay<_AppointmentItem> {
 public:
  FaultyAppointment(_AppointmentItem* inner, SaveFault fault) : Relay(inner), fault_(std::move(fault)) {}
  HRESULT get_Start(DATE* start) override { return inner_->get_Start(start); }
  HRESULT put_Start(DATE start) override { return inner_->put_Start(start); }
  HRESULT get_End(DATE* end) override { return inner_->get_End(end); }
  HRESULT put_End(DATE end) override { return inner_->put_End(end); }
  HRESULT get_Subject(BSTR* subject) override { return inner_->get_Subject(subject); }
  HRESULT put_Subject(BSTR subject) override { return inner_->put_Subject(subject); }
  HRESULT get_Body(BSTR* body) override { return inner_->get_Body(body); }
  HRESULT put_Body(BSTR body) override { return inner_->put_Body(body); }
  HRESULT get_BusyStatus(LONG* status) override { return inner_->get_BusyStatus(status); }
  HRESULT put_BusyStatus(LONG status) override { return inner_->put_BusyStatus(status); }
  HRESULT get_ReminderSet(VARIANT_BOOL* set) override { return inner_->get_ReminderSet(set); }
  HRESULT put_ReminderSet(VARIANT_BOOL set) override { return inner_->put_ReminderSet(set); }
  HRESULT get_ReminderMinutesBeforeStart(LONG* minutes) override { return inner_->get_ReminderMinutesBeforeStart(minutes); }
  HRESULT put_ReminderMinutesBeforeStart(LONG minutes) override { return inner_->put_ReminderMinutesBeforeStart(minutes); }
  HRESULT get_ReminderPlaySound(VARIANT_BOOL* play) override { return inner_->get_ReminderPlaySound(play); }
  HRESULT put_ReminderPlaySound(VARIANT_BOOL play) override { return inner_->put_ReminderPlaySound(play); }
  HRESULT get_ReminderSoundFile(BSTR* file) override { return inner_->get_ReminderSoundFile(file); }
  HRESULT put_ReminderSoundFile(BSTR file) override { return inner_->put_ReminderSoundFile(file); }
  HRESULT get_UserProperties(UserProperties** properties) override { return inner_->get_UserProperties(properties); }
  HRESULT Save() override {
    DATE start = 0;
    inner_->get_Start(&start);
    if (HRESULT hr = fault_(start); FAILED(hr)) return hr;
    return inner_->Save();
  }
  HRESULT Delete() override { return inner_->Delete(); }

 private:
  SaveFault fault_;
};

class FaultyItems final : public Relay<_Items> {
 public:
  FaultyItems(_Items* inner, FilterFault fault) : Relay(inner), fault_(std::move(fault)) {}
  HRESULT get_Count(LONG* count) override { return inner_->get_Count(count); }
  HRESULT Item(VARIANT index, IDispatch** item) override { return inner_->Item(index, item); }
  HRESULT Restrict(BSTR filter, _Items** result) override {
    if (HRESULT hr = fault_(std::u16string_view(filter, SysStringLen(filter))); FAILED(hr)) return hr;
    return inner_->Restrict(filter, result);
  }
  HRESULT Find(BSTR filter, IDispatch** item) override { return inner_->Find(filter, item); }
  HRESULT FindNext(IDispatch** item) override { return inner_->FindNext(item); }

 private:
  FilterFault fault_;
};

class FaultyFolder final : public Relay<MAPIFolder> {
 public:
  FaultyFolder(MAPIFolder* inner, FilterFault fault) : Relay(inner), fault_(std::move(fault)) {}
  HRESULT get_Name(BSTR* name) override { return inner_->get_Name(name); }
  HRESULT get_Items(_Items** items) override {
    ComPtr<_Items> real;
    if (HRESULT hr = inner_->get_Items(real.ReleaseAndGetAddressOf()); FAILED(hr) || !real) return hr;
    *items = new FaultyItems(real.Get(), fault_);
    (*items)->AddRef();
    return S_OK;
  }
  HRESULT GetExplorer(VARIANT mode, _Explorer** explorer) override { return inner_->GetExplorer(mode, explorer); }
  HRESULT get_StoreID(BSTR* id) override { return inner_->get_StoreID(id); }

 private:
  FilterFault fault_;
};

class FaultyNameSpace final : public Relay<_NameSpace> {
 public:
  FaultyNameSpace(_NameSpace* inner, FilterFault fault) : Relay(inner), fault_(std::move(fault)) {}
  HRESULT GetDefaultFolder(LONG which, MAPIFolder** result) override {
    ComPtr<MAPIFolder> real;
    if (HRESULT hr = inner_->GetDefaultFolder(which, real.ReleaseAndGetAddressOf()); FAILED(hr) || !real) {
      *result = real.Detach();
      return hr;
    }
    if (which != olFolderCalendar) {
      *result = real.Detach();
      return S_OK;
    }
    *result = new FaultyFolder(real.Get(), fault_);
    (*result)->AddRef();
    return S_OK;
  }
  HRESULT get_Folders(_Folders** folders) override { return inner_->get_Folders(folders); }

 private:
  FilterFault fault_;
};

class FaultyApplication final : public Relay<_Application> {
 public:
  FaultyApplication(_Application* inner, FilterFault fault, SaveFault saveFault = nullptr)
      : Relay(inner), fault_(std::move(fault)), saveFault_(std::move(saveFault)) {}
  HRESULT GetNamespace(BSTR type, _NameSpace** space) override {
    ComPtr<_NameSpace> real;
    if (HRESULT hr = inner_->GetNamespace(type, real.ReleaseAndGetAddressOf()); FAILED(hr) || !real) return hr;
    *space = new FaultyNameSpace(real.Get(), fault_);
    (*space)->AddRef();
    return S_OK;
  }
  HRESULT ActiveExplorer(_Explorer** explorer) override { return inner_->ActiveExplorer(explorer); }
  HRESULT get_Explorers(_Explorers** explorers) override { return inner_->get_Explorers(explorers); }
  HRESULT CreateItem(LONG type, IDispatch** item) override {
    if (HRESULT hr = inner_->CreateItem(type, item); FAILED(hr) || !saveFault_ || *item == nullptr) return hr;
    ComPtr<_AppointmentItem> real;
    if (FAILED((*item)->QueryInterface(_AppointmentItem::kIID, real.ReleaseAndGetVoidAddress())) || !real) return S_OK;
    (*item)->Release();
    *item = new FaultyAppointment(real.Get(), saveFault_);
    (*item)->AddRef();
    return S_OK;
  }
  HRESULT get_LanguageSettings(LanguageSettings** settings) override { return inner_->get_LanguageSettings(settings); }
  HRESULT Quit() override { return inner_->Quit(); }

 private:
  FilterFault fault_;
  SaveFault saveFault_;
};

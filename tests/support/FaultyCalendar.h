#pragma once
// A stand-in between the add-in and the host's application that passes
// everything on, except that the calendar's Restrict fails for the filters a
// test names: a query Outlook refuses, in the middle of a walk, without
// breaking the store.

#include <functional>
#include <string>
#include <utility>

#include "office/Outlook.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"

using FilterFault = std::function<HRESULT(std::u16string_view filter)>;  // S_OK: let it through

// Passes IUnknown and IDispatch on; the interface it stands in for answers
// with itself, any other with the inner object's answer.
template <typename Interface>
class Relay : public Interface {
 public:
  explicit Relay(Interface* inner) : inner_(inner) {}
  virtual ~Relay() = default;
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IUnknown::kIID || iid == IDispatch::kIID || iid == Interface::kIID) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    return inner_->QueryInterface(iid, object);
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
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
  ULONG refs_ = 0;
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
  FaultyApplication(_Application* inner, FilterFault fault) : Relay(inner), fault_(std::move(fault)) {}
  HRESULT GetNamespace(BSTR type, _NameSpace** space) override {
    ComPtr<_NameSpace> real;
    if (HRESULT hr = inner_->GetNamespace(type, real.ReleaseAndGetAddressOf()); FAILED(hr) || !real) return hr;
    *space = new FaultyNameSpace(real.Get(), fault_);
    (*space)->AddRef();
    return S_OK;
  }
  HRESULT ActiveExplorer(_Explorer** explorer) override { return inner_->ActiveExplorer(explorer); }
  HRESULT get_Explorers(_Explorers** explorers) override { return inner_->get_Explorers(explorers); }
  HRESULT CreateItem(LONG type, IDispatch** item) override { return inner_->CreateItem(type, item); }
  HRESULT get_LanguageSettings(LanguageSettings** settings) override { return inner_->get_LanguageSettings(settings); }
  HRESULT Quit() override { return inner_->Quit(); }

 private:
  FilterFault fault_;
};

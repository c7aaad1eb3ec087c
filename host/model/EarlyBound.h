#pragma once
// The base of the host's object-model classes. The add-in calls Outlook
// early-bound, through the interfaces' own slots; nothing calls the host
// late-bound, so the IDispatch half answers that it has no members rather
// than pretending to dispatch.

#include <new>
#include <utility>

#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Dispatch.h"

namespace host {

template <typename Interface>
class EarlyBound : public Interface {
 public:
  using PrimaryInterface = Interface;

  HRESULT GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

 protected:
  EarlyBound() = default;
  virtual ~EarlyBound() = default;
  // For InternalQueryInterface: the interface itself and IDispatch.
  bool IsOwnInterface(REFIID iid) const { return iid == Interface::kIID || iid == IDispatch::kIID; }
};

// An object-model class with a second interface (events, a site): one
// IUnknown answers for both, the one CComObject supplies.
template <typename Interface, typename Second>
class EarlyBoundWith : public EarlyBound<Interface>, public Second {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override = 0;
  ULONG AddRef() override = 0;
  ULONG Release() override = 0;
};

// A new object of class T holding one reference.
template <typename T, typename... Args>
ComPtr<T> NewObject(Args&&... args) {
  return ComPtr<T>(new com::CComObject<T>(std::forward<Args>(args)...));
}

// Hands a reference to *out, as an out parameter does.
template <typename T, typename U>
HRESULT HandOut(const ComPtr<T>& object, U** out) {
  if (out == nullptr) return E_POINTER;
  *out = object.Get();
  if (*out != nullptr) (*out)->AddRef();
  return S_OK;
}

}  // namespace host

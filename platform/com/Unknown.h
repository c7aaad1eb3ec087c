#pragma once
// The root COM interfaces. Interfaces are abstract classes whose first three
// slots are IUnknown's; each names its identifier as kIID. A pointer handed
// out through an out parameter carries one reference that the receiver
// releases.

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"

struct IUnknown {
  static constexpr IID kIID = MakeGuid("{00000000-0000-0000-C000-000000000046}");
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;  // objects go away through Release, never delete
};

struct IClassFactory : IUnknown {
  static constexpr IID kIID = MakeGuid("{00000001-0000-0000-C000-000000000046}");
  // With an outer unknown, only IUnknown may be asked for (aggregation).
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) = 0;
  virtual HRESULT LockServer(BOOL lock) = 0;

 protected:
  ~IClassFactory() = default;
};

struct ISupportErrorInfo : IUnknown {
  static constexpr IID kIID = MakeGuid("{DF0B3D60-548F-101B-8E65-08002B2BD119}");
  virtual HRESULT InterfaceSupportsErrorInfo(REFIID iid) = 0;

 protected:
  ~ISupportErrorInfo() = default;
};

// The identifier of an interface type.
template <typename Interface>
constexpr const IID& IidOf() {
  return Interface::kIID;
}

// The signatures of a module's entry points.
using DllGetClassObjectFunction = HRESULT (*)(REFCLSID clsid, REFIID iid, void** object);
using DllCanUnloadNowFunction = HRESULT (*)();
using DllRegisterServerFunction = HRESULT (*)();

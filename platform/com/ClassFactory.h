#pragma once
// What every class object has in common: it counts its references and
// answers for IUnknown and IClassFactory. A module's class factories
// (ComObject.h) add the module lock and the making of their class; the
// host's class objects what they make.

#include "platform/com/RefCounted.h"

namespace com {

class CClassFactoryBase : public CRefCounted<IClassFactory> {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IUnknown::kIID || iid == IClassFactory::kIID) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
};

}  // namespace com

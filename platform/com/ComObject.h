#pragma once
// Reference counting, aggregation and class factories for the objects a
// module serves, and the module's lock count.
//
// A class T derives from its interfaces and provides
//   HRESULT InternalQueryInterface(REFIID iid, void** object);
// that answers for every interface but IUnknown's identity (returning the
// pointer without AddRef); the templates here supply IUnknown. Each module
// links its own copy of this code, so each has its own lock count.

#include <atomic>
#include <new>
#include <utility>

#include "platform/com/ClassFactory.h"
#include "platform/com/RefCounted.h"
#include "platform/com/Unknown.h"

namespace com {

// Objects and server locks alive in this module.
long ModuleLockCount();
void LockModule();
void UnlockModule();

// A standalone object: counts its own references and deletes itself.
template <typename T>
class CComObject final : public CRefCounted<T> {
 public:
  template <typename... Args>
  explicit CComObject(Args&&... args) : CRefCounted<T>(std::forward<Args>(args)...) {
    LockModule();
  }
  ~CComObject() { UnlockModule(); }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == IUnknown::kIID) {
      *object = static_cast<IUnknown*>(static_cast<typename T::PrimaryInterface*>(this));
    } else if (const HRESULT hr = this->InternalQueryInterface(iid, object); FAILED(hr)) {
      return hr;
    }
    this->AddRef();
    return S_OK;
  }
};

// The inner object of an aggregate: its IUnknown methods go to the outer
// object, which owns the identity and the reference count.
template <typename T>
class CComContainedObject final : public T {
 public:
  explicit CComContainedObject(IUnknown* outer) : m_outer(outer) {}
  HRESULT QueryInterface(REFIID iid, void** object) override {
    return m_outer->QueryInterface(iid, object);
  }
  ULONG AddRef() override { return m_outer->AddRef(); }
  ULONG Release() override { return m_outer->Release(); }

 private:
  IUnknown* m_outer;  // not counted: the outer object owns us
};

// The non-delegating unknown handed to the outer object when T is aggregated.
template <typename T>
class CComAggObject final : public CRefCounted<IUnknown> {
 public:
  explicit CComAggObject(IUnknown* outer) : m_contained(outer) { LockModule(); }
  ~CComAggObject() { UnlockModule(); }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == IUnknown::kIID) {
      *object = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    if (const HRESULT hr = m_contained.InternalQueryInterface(iid, object); FAILED(hr)) return hr;
    // The interface belongs to the aggregate: its reference is the outer's.
    static_cast<IUnknown*>(*object)->AddRef();
    return S_OK;
  }

 private:
  CComContainedObject<T> m_contained;
};

// Creates T, standalone or as the inner part of an aggregate, and asks it
// for iid. With an outer unknown only IUnknown may be asked for.
template <typename T>
HRESULT CreateComObject(IUnknown* outer, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr && iid != IUnknown::kIID) return CLASS_E_NOAGGREGATION;
  IUnknown* unknown = nullptr;
  if (outer != nullptr) {
    unknown = new (std::nothrow) CComAggObject<T>(outer);
  } else {
    auto* created = new (std::nothrow) CComObject<T>();
    unknown = created ? static_cast<IUnknown*>(static_cast<typename T::PrimaryInterface*>(created))
                      : nullptr;
  }
  if (unknown == nullptr) return E_OUTOFMEMORY;
  unknown->AddRef();
  const HRESULT hr = unknown->QueryInterface(iid, object);
  unknown->Release();  // the object goes if the interface was refused
  return hr;
}

// A class factory for T; it counts as a lock on the module while alive.
template <typename T>
class CComClassFactory final : public CClassFactoryBase {
 public:
  CComClassFactory() { LockModule(); }
  ~CComClassFactory() { UnlockModule(); }

  HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    return CreateComObject<T>(outer, iid, object);
  }
  HRESULT LockServer(BOOL lock) override {
    if (lock) {
      LockModule();
    } else {
      UnlockModule();
    }
    return S_OK;
  }
};

// Hands out a new class factory for T.
template <typename T>
HRESULT GetClassFactory(REFIID iid, void** object) {
  auto* factory = new (std::nothrow) CComClassFactory<T>();
  if (factory == nullptr) return E_OUTOFMEMORY;
  factory->AddRef();
  const HRESULT hr = factory->QueryInterface(iid, object);
  factory->Release();
  return hr;
}

}  // namespace com

#pragma once
// An event sink for tests: answers for IUnknown, IDispatch and one event
// interface, and records every event raised to it. It can run a callback
// inside the event (to unadvise, or to look at the source while it raises)
// and can cancel a button's default action through the by-reference flag
// of Click.

#include <functional>
#include <utility>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/Dispatch.h"
#include "platform/com/RefCounted.h"

class RecordingSink final : public com::CRefCounted<IDispatch> {
 public:
  struct Call {
    DISPID id = 0;
    // As raised, last-first. A by-reference argument is kept as the value it
    // pointed to on arrival (its vt in types keeps VT_BYREF); the pointer
    // itself dies with the event.
    std::vector<VARTYPE> types;
    std::vector<CComVariant> args;
  };
  using Callback = std::function<void(const Call& call)>;

  static ComPtr<RecordingSink> Make(const IID& events) {
    return ComPtr<RecordingSink>(new RecordingSink(events));
  }

  // Advises the sink on source's connection point for `point` (by default
  // the sink's own event interface); answers what Advise answered, or what
  // finding the point answered.
  HRESULT Advise(IUnknown* source) { return Advise(source, events_); }
  HRESULT Advise(IUnknown* source, const IID& point) {
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = source->QueryInterface(IConnectionPointContainer::kIID, container.ReleaseAndGetVoidAddress());
    if (FAILED(hr)) return hr;
    hr = container->FindConnectionPoint(point, point_.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
    return point_->Advise(static_cast<IDispatch*>(this), &cookie_);
  }
  // Unadvises from the point last advised on, with the cookie it gave.
  HRESULT Unadvise() { return point_ ? point_->Unadvise(cookie_) : E_UNEXPECTED; }

  void OnInvoke(Callback callback) { callback_ = std::move(callback); }
  void CancelClicks(bool cancel) { cancel_ = cancel; }

  const std::vector<Call>& Calls() const { return calls_; }
  std::size_t CountOf(DISPID id) const {
    std::size_t n = 0;
    for (const Call& c : calls_) n += c.id == id ? 1 : 0;
    return n;
  }
  // Lets go of the recorded arguments (and the objects they hold).
  void Clear() { calls_.clear(); }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IUnknown::kIID && iid != IDispatch::kIID && iid != events_) return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }

  HRESULT GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
    ComPtr<RecordingSink> self(this);  // the callback may unadvise the last other holder
    Call call;
    call.id = id;
    for (UINT i = 0; params != nullptr && i < params->cArgs; ++i) {
      VARIANT& arg = params->rgvarg[i];
      call.types.push_back(arg.vt);
      CComVariant copy;
      if (arg.vt & VT_BYREF) {
        VariantChangeType(&copy, &arg, 0, arg.vt & ~VT_BYREF);
        if (cancel_ && arg.vt == (VT_BOOL | VT_BYREF)) *arg.pboolVal = VARIANT_TRUE;
      } else {
        VariantCopy(&copy, &arg);
      }
      call.args.push_back(copy);
    }
    calls_.push_back(call);
    if (callback_) callback_(call);  // the local copy: the callback may raise more events
    return S_OK;
  }

 private:
  explicit RecordingSink(const IID& events) : events_(events) {}
  ~RecordingSink() = default;

  IID events_;
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
  Callback callback_;
  bool cancel_ = false;
  std::vector<Call> calls_;
};

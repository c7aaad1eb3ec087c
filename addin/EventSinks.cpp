#include "addin/EventSinks.h"

#include "addin/OutlookPrayer.h"

CEventSink::CEventSink(COutlookPrayer* owner, Source source) : m_owner(owner), m_source(source) {}

CEventSink::~CEventSink() = default;

const IID& CEventSink::EventInterface() const {
  switch (m_source) {
    case Source::kApplication:
      return ApplicationEvents::kIID;
    case Source::kFolders:
      return FoldersEvents::kIID;
    case Source::kExplorer:
      return ExplorerEvents::kIID;
    case Source::kButton:
      break;
  }
  return _CommandBarButtonEvents::kIID;
}

HRESULT CEventSink::Attach(IUnknown* source) {
  if (source == nullptr) return E_POINTER;
  if (const HRESULT hr = Detach(); FAILED(hr)) return hr;
  ComPtr<IConnectionPointContainer> container;
  HRESULT hr = source->QueryInterface(IConnectionPointContainer::kIID, container.ReleaseAndGetVoidAddress());
  if (FAILED(hr)) return hr;
  ComPtr<IConnectionPoint> point;
  if (hr = container->FindConnectionPoint(EventInterface(), point.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  if (hr = point->Advise(static_cast<IDispatch*>(this), &m_cookie); FAILED(hr)) return hr;
  m_point = std::move(point);
  return S_OK;
}

HRESULT CEventSink::Detach() {
  if (!m_point) return S_OK;
  ComPtr<IConnectionPoint> point = std::move(m_point);
  m_point.Reset();
  return point->Unadvise(m_cookie);
}

HRESULT CEventSink::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IUnknown::kIID || iid == IDispatch::kIID || iid == EventInterface()) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT CEventSink::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT CEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT CEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return DISP_E_UNKNOWNNAME; }

HRESULT CEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
  if (m_owner == nullptr) return S_OK;
  DISPPARAMS none;
  if (params == nullptr) params = &none;
  switch (m_source) {
    case Source::kApplication:
      return m_owner->OnApplicationEvent(id, *params);
    case Source::kFolders:
      return m_owner->OnFoldersEvent(id, *params);
    case Source::kExplorer:
      return m_owner->OnExplorerEvent(id);
    case Source::kButton:
      return m_owner->OnButtonClick(this, id, *params);
  }
  return S_OK;
}

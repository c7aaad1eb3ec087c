#include "platform/com/EventSource.h"

#include <new>
#include <stdexcept>

namespace com {

ComPtr<ConnectionPoint> ConnectionPoint::Create(REFIID iid) {
  return ComPtr<ConnectionPoint>(new ConnectionPoint(iid));
}

HRESULT ConnectionPoint::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IUnknown::kIID || iid == IConnectionPoint::kIID) {
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = m_iid;
  return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr) return E_POINTER;
  *cookie = 0;
  if (sink == nullptr) return E_POINTER;
  ComPtr<IDispatch> events;
  if (FAILED(sink->QueryInterface(m_iid, events.ReleaseAndGetVoidAddress())) || !events) {
    return CONNECT_E_CANNOTCONNECT;
  }
  *cookie = m_nextCookie++;
  m_sinks.emplace(*cookie, std::move(events));
  return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
  // Outlook answers an unknown cookie this way too; the add-in may unadvise twice.
  return m_sinks.erase(cookie) == 1 ? S_OK : CONNECT_E_NOCONNECTION;
}

HRESULT ConnectionPoint::Fire(DISPID id, std::span<VARIANT> argsLastFirst) {
  // A sink may unadvise, or release its source, while handling the event:
  // work on a copy and keep ourselves alive until the round is over.
  ComPtr<ConnectionPoint> self(this);
  std::vector<ComPtr<IDispatch>> sinks;
  sinks.reserve(m_sinks.size());
  for (const auto& [cookie, sink] : m_sinks) sinks.push_back(sink);
  HRESULT first = S_OK;
  for (const ComPtr<IDispatch>& sink : sinks) {
    CComVariant result;
    const HRESULT hr = InvokeMember(sink.Get(), id, DISPATCH_METHOD, argsLastFirst, &result);
    // A sink that has no handler for this event is no failure of it.
    if (FAILED(hr) && hr != DISP_E_MEMBERNOTFOUND && SUCCEEDED(first)) first = hr;
  }
  return first;
}

void ConnectionPoint::UnadviseAll() {
  // Released after the map is empty, so a sink's destructor sees a clean point.
  std::map<DWORD, ComPtr<IDispatch>> sinks;
  sinks.swap(m_sinks);
}

ConnectionPoints::ConnectionPoints(std::initializer_list<IID> eventInterfaces) {
  for (const IID& iid : eventInterfaces) m_points.push_back(ConnectionPoint::Create(iid));
}

HRESULT ConnectionPoints::Find(REFIID iid, IConnectionPoint** point) const {
  if (point == nullptr) return E_POINTER;
  *point = nullptr;
  for (const ComPtr<ConnectionPoint>& p : m_points) {
    IID pointIid;
    p->GetConnectionInterface(&pointIid);
    if (pointIid == iid) return p->QueryInterface(IConnectionPoint::kIID, reinterpret_cast<void**>(point));
  }
  return CONNECT_E_NOCONNECTION;
}

ConnectionPoint& ConnectionPoints::Of(REFIID iid) const {
  for (const ComPtr<ConnectionPoint>& p : m_points) {
    IID pointIid;
    p->GetConnectionInterface(&pointIid);
    if (pointIid == iid) return *p;
  }
  throw std::logic_error("no connection point for this event interface");
}

void ConnectionPoints::UnadviseAll() {
  for (ComPtr<ConnectionPoint>& p : m_points) p->UnadviseAll();
}

}  // namespace com

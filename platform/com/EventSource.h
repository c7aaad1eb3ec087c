#pragma once
// The source side of connection points: an object that raises events keeps
// one ConnectionPoint per event interface, hands them out through
// IConnectionPointContainer, and raises an event by calling Invoke on every
// sink that asked for it.

#include <map>
#include <span>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/RefCounted.h"

namespace com {

class ConnectionPoint final : public CRefCounted<IConnectionPoint> {
 public:
  // A new point for the event interface iid, holding one reference.
  static ComPtr<ConnectionPoint> Create(REFIID iid);

  HRESULT QueryInterface(REFIID iid, void** object) override;

  HRESULT GetConnectionInterface(IID* iid) override;
  // The sink must answer QueryInterface for the event interface (event
  // interfaces are dispinterfaces: the answer is its IDispatch).
  HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT Unadvise(DWORD cookie) override;

  // Raises event `id` to every sink advised when the call starts, in the
  // order they were advised; a sink that unadvises (itself or another)
  // during the event still gets this one. Arguments come last-first, as
  // automation passes them. Answers S_OK, or the first failure a sink
  // returned (not knowing the event, DISP_E_MEMBERNOTFOUND, is none); every
  // sink is called either way.
  HRESULT Fire(DISPID id, std::span<VARIANT> argsLastFirst = {});

  std::size_t SinkCount() const { return m_sinks.size(); }
  // Lets every sink go: the source is going away.
  void UnadviseAll();

 private:
  explicit ConnectionPoint(REFIID iid) : m_iid(iid) {}
  ~ConnectionPoint() = default;

  IID m_iid;
  DWORD m_nextCookie = 1;
  std::map<DWORD, ComPtr<IDispatch>> m_sinks;  // cookies grow, so map order is Advise order
};

// The container half: the points of one object, found by event interface.
class ConnectionPoints {
 public:
  explicit ConnectionPoints(std::initializer_list<IID> eventInterfaces);
  HRESULT Find(REFIID iid, IConnectionPoint** point) const;
  // The point of iid; it must be one of those given at construction.
  ConnectionPoint& Of(REFIID iid) const;
  // Drops every sink: the source is going away.
  void UnadviseAll();

 private:
  std::vector<ComPtr<ConnectionPoint>> m_points;
};

}  // namespace com

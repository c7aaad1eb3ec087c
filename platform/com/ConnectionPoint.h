#pragma once
// Connection points: how an event source hands its events to the sinks
// that asked for them (Advise) until they stop asking (Unadvise).

#include "platform/com/Dispatch.h"

struct IConnectionPoint;

struct IConnectionPointContainer : IUnknown {
  static constexpr IID kIID = MakeGuid("{B196B284-BAB4-101A-B69C-00AA00341D07}");
  // The connection point of the event interface iid; CONNECT_E_NOCONNECTION
  // when the object raises no such events. The caller releases it.
  virtual HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) = 0;

 protected:
  ~IConnectionPointContainer() = default;
};

struct IConnectionPoint : IUnknown {
  static constexpr IID kIID = MakeGuid("{B196B286-BAB4-101A-B69C-00AA00341D07}");
  virtual HRESULT GetConnectionInterface(IID* iid) = 0;
  // Keeps a reference to the sink until Unadvise; *cookie names the link.
  virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
  virtual HRESULT Unadvise(DWORD cookie) = 0;

 protected:
  ~IConnectionPoint() = default;
};

inline constexpr HRESULT CONNECT_E_NOCONNECTION = MakeHResult(0x80040200);
inline constexpr HRESULT CONNECT_E_ADVISELIMIT = MakeHResult(0x80040201);
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = MakeHResult(0x80040202);

#pragma once
// The OLE control interfaces through which a container hands a control its
// site: the members the host's Options dialog uses of them.

#include "platform/com/Unknown.h"

struct IOleClientSite : IUnknown {
  static constexpr IID kIID = MakeGuid("{00000118-0000-0000-C000-000000000046}");
  virtual HRESULT SaveObject() = 0;
  // The container itself; E_NOINTERFACE when the site has none to offer.
  virtual HRESULT GetContainer(IUnknown** container) = 0;
  virtual HRESULT ShowObject() = 0;

 protected:
  ~IOleClientSite() = default;
};

enum : DWORD {
  OLECLOSE_SAVEIFDIRTY = 0,
  OLECLOSE_NOSAVE = 1,
};

struct IOleObject : IUnknown {
  static constexpr IID kIID = MakeGuid("{00000112-0000-0000-C000-000000000046}");
  // A null site takes the control off its container.
  virtual HRESULT SetClientSite(IOleClientSite* site) = 0;
  virtual HRESULT GetClientSite(IOleClientSite** site) = 0;
  virtual HRESULT Close(DWORD saveOption) = 0;

 protected:
  ~IOleObject() = default;
};

// The dispid of a control's Caption property.
inline constexpr LONG DISPID_CAPTION = -518;

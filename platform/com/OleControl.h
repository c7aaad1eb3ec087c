#pragma once
// The OLE control interfaces through which a container hands a control its
// site: the members the host's Options dialog uses of them.

#include "platform/com/Unknown.h"
#include "platform/ui/Geometry.h"

struct WindowRecord;
using HWND = WindowRecord*;

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

// In-place activation, as far as a property page needs it: the container
// asks the control to show its window inside one of its own windows (what
// DoVerb(OLEIVERB_INPLACEACTIVATE) does), reads that window to lay it out,
// moves it, and takes it down again.
struct IOleInPlaceObject : IUnknown {
  static constexpr IID kIID = MakeGuid("{00000113-0000-0000-C000-000000000046}");
  // parent: the container's window; position: the control's rectangle in
  // the parent's client area.
  virtual HRESULT InPlaceActivate(HWND parent, const RECT* position) = 0;
  // The control's window; E_FAIL while it has none.
  virtual HRESULT GetWindow(HWND* window) = 0;
  virtual HRESULT InPlaceDeactivate() = 0;
  virtual HRESULT SetObjectRects(const RECT* position) = 0;

 protected:
  ~IOleInPlaceObject() = default;
};

// The dispid of a control's Caption property.
inline constexpr LONG DISPID_CAPTION = -518;

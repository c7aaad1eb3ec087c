#pragma once
// Activation: finding a class's module through the registry, loading it and
// asking it for objects, and unloading modules nobody uses.

#include "platform/com/Unknown.h"

enum : DWORD {
  CLSCTX_INPROC_SERVER = 0x1,
  CLSCTX_INPROC_HANDLER = 0x2,
  CLSCTX_LOCAL_SERVER = 0x4,
  CLSCTX_ALL = 0x17,
};

// Apartments need no set-up here; these keep callers written as for COM.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();

// HKCR\CLSID\{clsid}\InprocServer32 names the module; it is loaded (once),
// its DllGetClassObject gives the class factory. REGDB_E_CLASSNOTREG when the
// class or its InprocServer32 key is missing, CO_E_DLLNOTFOUND when the
// module cannot be loaded, CO_E_ERRORINDLL when it lacks the entry point.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* reserved, REFIID iid, void** object);

// A running program's own class objects (a local server's, in Windows
// terms): CoGetClassObject hands out a registered one before it looks in the
// registry. The table keeps a reference until the class is revoked.
enum : DWORD {
  REGCLS_SINGLEUSE = 0,
  REGCLS_MULTIPLEUSE = 1,
};
HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD context, DWORD flags, DWORD* cookie);
HRESULT CoRevokeClassObject(DWORD cookie);

// Puts an object into its running state. The objects here run from the
// moment they exist, so this only checks that there is one.
HRESULT OleRun(IUnknown* object);

// CoGetClassObject, then CreateInstance(outer, iid) and the factory released.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                         void** object);

// HKCR\<progId>\CLSID, following CurVer when the ProgID has no CLSID of its
// own. CO_E_CLASSSTRING when there is none.
HRESULT CLSIDFromProgID(const char16_t* progId, CLSID* clsid);
HRESULT CLSIDFromProgID(const char* progIdUtf8, CLSID* clsid);

// Asks every loaded module DllCanUnloadNow and unloads those that say S_OK.
void CoFreeUnusedLibraries();

namespace com {
// How many modules CoGetClassObject has loaded and not yet unloaded.
int LoadedModuleCount();
}  // namespace com

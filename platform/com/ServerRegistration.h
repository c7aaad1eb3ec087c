#pragma once
// What regsvr32 does: load a module and call its own DllRegisterServer or
// DllUnregisterServer.

#include <string>

#include "platform/com/HResult.h"

namespace com {

// CO_E_DLLNOTFOUND when the module cannot be loaded (*error says why),
// CO_E_ERRORINDLL when it lacks the entry point, else the entry point's result.
HRESULT RegisterServerModule(const std::string& path, bool unregister, std::string* error);

}  // namespace com

#pragma once
// Registration of a module's type library and of the interfaces it
// describes, where automation clients look for them:
//   HKCR\TypeLib\{LIBID}\1.0            = help string
//   HKCR\TypeLib\{LIBID}\1.0\0\linux64  = the module's path
//   HKCR\TypeLib\{LIBID}\1.0\FLAGS      = "0"
//   HKCR\TypeLib\{LIBID}\1.0\HELPDIR    = the module's folder
//   HKCR\Interface\{IID}                = interface name
//   HKCR\Interface\{IID}\ProxyStubClsid32, ProxyStubClsid = the automation marshaler
//   HKCR\Interface\{IID}\TypeLib        = {LIBID}, value Version "1.0"

#include <span>
#include <string>

#include "platform/com/Guid.h"

namespace com {

struct TypeLibInterface {
  IID iid;
  const char* name;
};

struct TypeLibDescription {
  GUID libid;
  WORD majorVersion;
  WORD minorVersion;
  const char* name;        // e.g. "ORVANELib"
  const char* helpString;
  std::span<const TypeLibInterface> interfaces;
};

// The marshaler that automation-compatible interfaces name as proxy/stub.
inline constexpr CLSID kAutomationMarshaler = MakeGuid("{00020424-0000-0000-C000-000000000046}");

HRESULT RegisterTypeLib(const TypeLibDescription& lib, const std::string& modulePath);
// Removes the version's key (and the library's key when no version is left)
// and the interfaces' keys. Missing keys are no error.
HRESULT UnRegisterTypeLib(const TypeLibDescription& lib);

}  // namespace com

#include "platform/com/TypeLibRegistration.h"

#include <filesystem>

#include "platform/com/Registrar.h"
#include "platform/registry/Registry.h"
#include "platform/text/TextConvert.h"

namespace com {
namespace {

// Escapes a value for a single-quoted registry script string.
std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    out.push_back(c);
    if (c == '\'') out.push_back('\'');
  }
  return out + "'";
}

std::string ScriptFor(const TypeLibDescription& lib, const std::string& modulePath) {
  const std::string version =
      std::to_string(lib.majorVersion) + "." + std::to_string(lib.minorVersion);
  const std::string libid = GuidToString(lib.libid);
  const std::string folder = std::filesystem::path(modulePath).parent_path().string();
  std::string script = "HKCR\n{\n NoRemove TypeLib\n {\n  NoRemove " + libid + "\n  {\n   " +
                       version + " = s " + Quoted(lib.helpString) + "\n   {\n" +
                       "    0 { linux64 = s " + Quoted(modulePath) + " }\n" +
                       "    FLAGS = s '0'\n    HELPDIR = s " + Quoted(folder) + "\n   }\n  }\n }\n" +
                       " NoRemove Interface\n {\n";
  for (const TypeLibInterface& itf : lib.interfaces) {
    const std::string marshaler = GuidToString(kAutomationMarshaler);
    script += "  ForceRemove " + GuidToString(itf.iid) + " = s " + Quoted(itf.name) + "\n  {\n" +
              "   ProxyStubClsid = s '" + marshaler + "'\n" + "   ProxyStubClsid32 = s '" +
              marshaler + "'\n" + "   TypeLib = s '" + libid + "' { val Version = s '" + version +
              "' }\n  }\n";
  }
  return script + " }\n}\n";
}

}  // namespace

HRESULT RegisterTypeLib(const TypeLibDescription& lib, const std::string& modulePath) {
  return RunRegistryScript(ScriptFor(lib, modulePath), {}, true);
}

HRESULT UnRegisterTypeLib(const TypeLibDescription& lib) {
  const std::string libid = GuidToString(lib.libid);
  const std::string version =
      std::to_string(lib.majorVersion) + "." + std::to_string(lib.minorVersion);
  std::string script = "HKCR\n{\n NoRemove TypeLib\n {\n  NoRemove " + libid + "\n  {\n   " +
                       version + "\n  }\n }\n NoRemove Interface\n {\n";
  for (const TypeLibInterface& itf : lib.interfaces) script += "  " + GuidToString(itf.iid) + "\n";
  script += " }\n}\n";
  HRESULT hr = RunRegistryScript(script, {}, false);
  if (FAILED(hr)) return hr;
  // The library's own key goes with its last version.
  const std::u16string libKey = text::Utf8ToUtf16("TypeLib\\" + libid);
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CLASSES_ROOT, libKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return S_OK;
  }
  char16_t name[256];
  DWORD length = 256;
  const bool empty =
      RegEnumKeyEx(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_NO_MORE_ITEMS;
  RegCloseKey(key);
  if (empty) RegDeleteTree(HKEY_CLASSES_ROOT, libKey.c_str());
  return S_OK;
}

}  // namespace com

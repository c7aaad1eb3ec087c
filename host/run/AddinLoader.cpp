#include "host/run/AddinLoader.h"

#include <cstdio>
#include <stdexcept>

#include "host/run/FailureWords.h"
#include "platform/com/ComRuntime.h"
#include "platform/registry/Registry.h"

namespace host {

namespace {

constexpr DWORD kLoadAtStartup = 3;
constexpr DWORD kNotLoaded = 2;

// A list that cannot be read is no empty list: starting without the
// add-ins, and saying nothing, would look like a start that did its work.
[[noreturn]] void CannotRead(LONG code) {
  throw std::runtime_error("the list of add-ins to load cannot be read from registry.db: " +
                           FailureInWords(HRESULT_FROM_WIN32(code)));
}

std::vector<std::string> AddinNames() {
  std::vector<std::string> names;
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyEx(HKEY_CURRENT_USER, kAddinsKey, 0, KEY_READ, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return names;
  if (opened != ERROR_SUCCESS) CannotRead(opened);
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD length = sizeof name;
    const LONG read = RegEnumKeyEx(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (read == ERROR_NO_MORE_ITEMS) break;
    if (read != ERROR_SUCCESS) {
      RegCloseKey(key);
      CannotRead(read);
    }
    names.emplace_back(name, length);
  }
  RegCloseKey(key);
  return names;
}

void Disable(const std::string& progId, const char* why, HRESULT hr, bool* anyFailed) {
  *anyFailed = true;
  std::fprintf(stderr, "orvane: the add-in %s %s (0x%08X); it is marked not loaded\n", progId.c_str(), why,
               static_cast<unsigned>(hr));
  registry::SetDword(HKEY_CURRENT_USER, (std::string(kAddinsKey) + "\\" + progId).c_str(), "LoadBehavior",
                     kNotLoaded);
}

}  // namespace

void AddinLoader::ConnectAll(IDispatch* application, LONG mode) {
  for (const std::string& progId : AddinNames()) {
    DWORD behavior = 0;
    const std::string key = std::string(kAddinsKey) + "\\" + progId;
    const LONG read = registry::GetDword(HKEY_CURRENT_USER, key.c_str(), "LoadBehavior", &behavior);
    // Missing, or not a number: Outlook does not load it either.
    if (read == ERROR_BUSY || read == ERROR_BADDB || read == ERROR_OUTOFMEMORY) CannotRead(read);
    if (read != ERROR_SUCCESS || behavior != kLoadAtStartup) continue;
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
    ComPtr<_IDTExtensibility2> addin;
    if (SUCCEEDED(hr)) {
      hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, _IDTExtensibility2::kIID,
                            addin.ReleaseAndGetVoidAddress());
    }
    if (FAILED(hr) || !addin) {
      Disable(progId, "could not be created", FAILED(hr) ? hr : E_NOINTERFACE, &anyFailed_);
      continue;
    }
    hr = addin->OnConnection(application, mode, nullptr, nullptr);
    if (FAILED(hr)) {
      Disable(progId, "failed to connect", hr, &anyFailed_);
      continue;
    }
    addins_.push_back({progId, std::move(addin)});
  }
}

void AddinLoader::StartupComplete() {
  for (const LoadedAddin& loaded : addins_) loaded.addin->OnAddInsUpdate(nullptr);
  for (const LoadedAddin& loaded : addins_) loaded.addin->OnStartupComplete(nullptr);
}

void AddinLoader::BeginShutdown() {
  for (const LoadedAddin& loaded : addins_) loaded.addin->OnBeginShutdown(nullptr);
}

void AddinLoader::DisconnectAll() {
  for (const LoadedAddin& loaded : addins_) loaded.addin->OnDisconnection(ext_dm_HostShutdown, nullptr);
  addins_.clear();
}

}  // namespace host

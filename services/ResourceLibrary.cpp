#include "services/ResourceLibrary.h"

#include "office/Outlook.h"
#include "platform/com/ComPtr.h"

#include <unistd.h>

#include <cstdlib>

#include "services/ModuleStrings.h"
#include "platform/fs/ModulePath.h"
#include "platform/registry/Registry.h"
#include "platform/text/Format.h"
#include "platform/text/TextConvert.h"
#include "platform/ui/Window.h"

LONG UILanguageID = 0;

namespace {

HINSTANCE g_resourceInstance = nullptr;  // null: the module itself
bool g_libraryLoaded = false;
bool g_silent = false;

HINSTANCE ModuleInstance() {
  static HINSTANCE self =
      fs_module::SelfModule(reinterpret_cast<const void*>(&ModuleInstance), ModuleResources());
  return self;
}

// Windows counted a file as present when it could be opened for reading.
bool FileExists(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

bool TryLoad(LONG language) {
  const std::string path = resource_library::AddinFolder() + resource_library::FileName(language);
  HMODULE library = LoadLibrary(text::Utf8ToUtf16(path).c_str());
  if (library == nullptr) return false;
  g_resourceInstance = library;
  g_libraryLoaded = true;
  return true;
}

HRESULT LoadOrComplain(LONG language, resource_library::Caller caller) {
  if (TryLoad(language)) return S_OK;
  const std::string folder = resource_library::AddinFolder();
  const std::string file = resource_library::FileName(language);
  if (FileExists(folder + file) || g_silent) return E_FAIL;
  std::string shownFolder = folder;
  if (!shownFolder.empty() && (shownFolder.back() == '/' || shownFolder.back() == '\\')) {
    shownFolder.pop_back();
  }
  resource_library::ShowMissingLibraryMessage(language, file, shownFolder, caller);
  return E_FAIL;
}

}  // namespace

HINSTANCE ResourceInstance() { return g_resourceInstance != nullptr ? g_resourceInstance : ModuleInstance(); }

void SetResourceSilent(bool silent) { g_silent = silent; }

HRESULT LoadResourceLibrary() {
  if (g_libraryLoaded) return S_OK;
  DWORD language = 0;
  if (!resource_library::ReadOfficeLanguage(&language)) language = 0;  // unknown: English
  return LoadOrComplain(static_cast<LONG>(language), resource_library::Caller::kLoadResourceLibrary);
}

HRESULT ReloadResourceLibrary(LONG language) {
  FreeResourceLibrary();
  return LoadOrComplain(language, resource_library::Caller::kCheckIfAndLoadCorrectResourceLibrary);
}

HRESULT AskOfficeUILanguage(_Application* application) {
  if (application == nullptr) return E_POINTER;
  ComPtr<LanguageSettings> settings;
  if (const HRESULT hr = application->get_LanguageSettings(settings.ReleaseAndGetAddressOf()); FAILED(hr)) {
    return hr;
  }
  if (!settings) return E_NOINTERFACE;
  LONG language = 0;
  if (const HRESULT hr = settings->get_LanguageID(msoLanguageIDUI, &language); FAILED(hr)) return hr;
  UILanguageID = language;
  return S_OK;
}

HRESULT CheckIfAndLoadCorrectResourceLibrary(_Application* application) {
  DWORD setting = 0;
  const bool haveSetting = resource_library::ReadOfficeLanguage(&setting);
  if (const HRESULT hr = AskOfficeUILanguage(application); FAILED(hr)) return hr;
  if (haveSetting && static_cast<LONG>(setting) == UILanguageID) return S_OK;
  return ReloadResourceLibrary(UILanguageID);
}

void FreeResourceLibrary() {
  if (g_libraryLoaded && g_resourceInstance != nullptr) FreeLibrary(g_resourceInstance);
  g_resourceInstance = nullptr;
  g_libraryLoaded = false;
}

namespace resource_library {

const char* LanguageCode(LONG language) {
  switch (language) {
    case 1025: return "ar";
    case 1036: return "fr";
    default: return "en";
  }
}

std::string AddinFolder() {
  // Tests (and anyone running the add-in's code against another set of data)
  // may name the folder; it must end in a slash.
  if (const char* folder = std::getenv("ORVANE_ADDIN_FOLDER"); folder != nullptr && *folder != '\0') {
    std::string named = folder;
    if (named.back() != '/') named.push_back('/');
    return named;
  }
  const std::string path = fs_module::ModulePathOf(reinterpret_cast<const void*>(&AddinFolder)).string();
  return path.substr(0, path.find_last_of('/') + 1);
}

std::string FileName(LONG language) {
  return TToUtf8(ModuleString(3)) + LanguageCode(language) + ".so";
}

bool ReadOfficeLanguage(DWORD* language) {
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, ModuleString(5).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  DWORD type = 0, value = 0, size = sizeof value;
  const LONG error = RegQueryValueEx(key, ModuleString(6).c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (error != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return false;
  *language = value;
  return true;
}

void ShowMissingLibraryMessage(LONG language, const std::string& fileName,
                               const std::string& folder, Caller caller) {
  const char* format = nullptr;
  UINT style = MB_ICONERROR;
  if (language == 1025) {
    format = "لم يتم العثور علي الملف %s في المسار %s. رجاء إعادة تثبيت برنامج Orvane.";
    style = MB_ICONERROR | MB_RTLREADING | MB_RIGHT;
  } else if (language == 1036) {
    format = caller == Caller::kLoadResourceLibrary
                 ? "Le fichier %s est introuvable dans le dossier %s. Veuillez réinstaller le "
                   "programme complémentaire Orvane."
                 : "Le dossier %s n'a pas été retrouvé sur la piste %s. Prière de réinstaller "
                   "l'Orvane.";
  } else {
    format = "The file %s could not be found in the specified path %s. Please re-install Orvane add-in.";
  }
  const std::string message = text::FormatResource(format, fileName, folder);
  // In the XP module the 8-bit box, with the Arabic text in the ANSI code page.
  MessageBox(GetActiveWindow(), Utf8ToT(message).c_str(), TEXT("Orvane"), style);
}

}  // namespace resource_library

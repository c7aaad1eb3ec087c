#pragma once
// The resource library of the user-interface language: which file, loading
// it, the message when it is missing, and the process-wide resource instance
// from which every user-visible string is loaded at the moment of use.
//
// The library sits in the add-in's folder and is named "orvnres" + a
// two-letter code + ".so": 1025 "ar", 1036 "fr", every other language "en".
// (Windows called them .dll; the module's string 325 still says so, and
// nothing reads it.)

#include <string>

#include "services/Flavour.h"
#include "platform/com/HResult.h"
#include "platform/fs/Module.h"

struct _Application;

// The Office user-interface language: 1025 Arabic, 1036 French, anything
// else English. 0 until Office is asked.
extern LONG UILanguageID;

// Where resources come from now: the library once loaded, else the module.
HINSTANCE ResourceInstance();

// Set only by the uninstall export, to keep the missing-library message away.
void SetResourceSilent(bool silent);

// Loads the library of the language in Office's "UILanguage" setting, once.
// E_FAIL when it cannot be loaded; the missing-library message is shown when
// the file does not exist and the silent flag is off.
HRESULT LoadResourceLibrary();

// Loads the library of the given language in place of the current one (the
// add-in object does this when Office's language differs from the setting).
// E_FAIL with the message when the file is missing, silently otherwise.
HRESULT ReloadResourceLibrary(LONG language);

// Asks Office for its user-interface language (LanguageSettings) into
// UILanguageID; a failure of the Office calls is answered.
HRESULT AskOfficeUILanguage(_Application* application);

// At connection: when Office's language is not the one the library was
// chosen by (the "UILanguage" setting, a missing one counting as different),
// the library of Office's language replaces it. E_FAIL when that library is
// missing (with its message) or cannot be loaded; the old one is gone then.
HRESULT CheckIfAndLoadCorrectResourceLibrary(_Application* application);

// Frees the library (when it is not the module itself); the module is the
// resource instance again.
void FreeResourceLibrary();

namespace resource_library {

// The two-letter code of a language: "ar", "fr" or "en".
const char* LanguageCode(LONG language);
// The add-in's folder, with its trailing slash: the module's own folder, or
// ORVANE_ADDIN_FOLDER when that is set.
std::string AddinFolder();
// orvnres + code + .so
std::string FileName(LONG language);
// The language in Office's "UILanguage" setting; false when it is missing.
bool ReadOfficeLanguage(DWORD* language);

// Which missing-library message: the French one differs by caller.
enum class Caller { kLoadResourceLibrary, kCheckIfAndLoadCorrectResourceLibrary };
void ShowMissingLibraryMessage(LONG language, const std::string& fileName,
                               const std::string& folder, Caller caller);

}  // namespace resource_library

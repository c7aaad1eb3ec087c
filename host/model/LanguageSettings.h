#pragma once
// Office's LanguageSettings: the host's user-interface language.

#include "host/model/EarlyBound.h"
#include "office/Office.h"

namespace host {

class CLanguageSettings : public EarlyBound<LanguageSettings> {
 public:
  explicit CLanguageSettings(LONG uiLanguage) : uiLanguage_(uiLanguage) {}

  HRESULT InternalQueryInterface(REFIID iid, void** object) {
    if (!IsOwnInterface(iid)) return E_NOINTERFACE;
    *object = static_cast<LanguageSettings*>(this);
    return S_OK;
  }

  // The UI and help languages are the host's setting; Office was installed
  // in English.
  HRESULT get_LanguageID(LONG id, LONG* language) override {
    if (language == nullptr) return E_POINTER;
    switch (id) {
      case msoLanguageIDUI:
      case msoLanguageIDHelp:
        *language = uiLanguage_;
        return S_OK;
      case msoLanguageIDInstall:
        *language = 1033;
        return S_OK;
      default:
        *language = 0;
        return E_INVALIDARG;
    }
  }

 private:
  LONG uiLanguage_;
};

}  // namespace host

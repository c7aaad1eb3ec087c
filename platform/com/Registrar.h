#pragma once
// Runs a registry script, the text form in which a class states the keys its
// registration writes (the form ATL's registrar reads):
//
//   HKCR
//   {
//     Orvane.PrayerCalculator = s 'PrayerCalculator Class'
//     {
//       CLSID = s '{C19E1BC5-5894-11D3-907B-005004D12C2C}'
//     }
//     NoRemove CLSID
//     {
//       ForceRemove {C19E1BC5-5894-11D3-907B-005004D12C2C} = s 'PrayerCalculator Class'
//       {
//         InprocServer32 = s '%MODULE%' { val ThreadingModel = s 'Apartment' }
//       }
//     }
//   }
//
// A key may carry a default value (s text, d number, b hex bytes) and a block
// of subkeys and named values (val NAME = ...). Registering creates them;
// ForceRemove first deletes a key that already exists; Delete deletes the key.
// Unregistering deletes every key not marked NoRemove, with all beneath it,
// and the named values of the keys it keeps. %NAME% is replaced from the
// given list. Roots: HKCR, HKCU, HKLM and their long names.

#include <span>
#include <string>
#include <string_view>

#include "platform/com/HResult.h"

namespace com {

struct RegistrarReplacement {
  const char* name;  // without the percent signs
  std::string value;
};

// A script that cannot be read fails with E_INVALIDARG before anything is
// written; a failing registry call stops with its error as an HRESULT.
HRESULT RunRegistryScript(std::string_view script,
                          std::span<const RegistrarReplacement> replacements, bool registering);

}  // namespace com

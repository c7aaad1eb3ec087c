#pragma once
// What differs between the two add-in modules built from these sources.

#include "platform/text/TChar.h"
#include "resources/OrvaneTypeLib.h"

namespace flavour {

#if defined(ORVANE_FLAVOUR_XP)
inline constexpr const char* kModuleName = "OrvaneXP";
inline constexpr const char* kOfficeVersion = "10.0";
inline constexpr GUID kLibid = LIBID_ORVANELib_XP;
inline constexpr const char* kTypeLibHelp = kTypeLibHelp_XP;
inline constexpr CLSID kAddinClsid = CLSID_OutlookXPPrayer;
inline constexpr const char* kAddinClassName = "OutlookXPPrayer";
#else
inline constexpr const char* kModuleName = "Orvane2003";
inline constexpr const char* kOfficeVersion = "11.0";
inline constexpr GUID kLibid = LIBID_ORVANELib_2003;
inline constexpr const char* kTypeLibHelp = kTypeLibHelp_2003;
inline constexpr CLSID kAddinClsid = CLSID_Outlook2003Prayer;
inline constexpr const char* kAddinClassName = "Outlook2003Prayer";
#endif

}  // namespace flavour

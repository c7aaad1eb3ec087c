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
// The folder of the user's own copies of the add-in's files in the profile,
// named as the build names the add-in folder.
inline constexpr const char* kProfileFolder = "addin-xp";
#else
inline constexpr const char* kModuleName = "Orvane2003";
inline constexpr const char* kOfficeVersion = "11.0";
inline constexpr GUID kLibid = LIBID_ORVANELib_2003;
inline constexpr const char* kTypeLibHelp = kTypeLibHelp_2003;
inline constexpr CLSID kAddinClsid = CLSID_Outlook2003Prayer;
inline constexpr const char* kAddinClassName = "Outlook2003Prayer";
inline constexpr const char* kProfileFolder = "addin-2003";
#endif

}  // namespace flavour

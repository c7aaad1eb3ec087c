#include "addin/ClassTable.h"

#include "services/Flavour.h"
#include "addin/OutlookPrayer.h"
#include "calc/PrayerCalculator.h"
#include "platform/com/ComObject.h"
#include "resources/RegistryScripts.h"

namespace {

#if defined(ORVANE_FLAVOUR_XP)
constexpr std::string_view kAddinRgs = kOutlookXPPrayerRgs;
#else
constexpr std::string_view kAddinRgs = kOutlook2003PrayerRgs;
#endif

const ServedClass kServedClasses[] = {
    {flavour::kAddinClsid, flavour::kAddinClassName, com::GetClassFactory<COutlookPrayer>, kAddinRgs},
    {CLSID_PrayerCalculator, "PrayerCalculator", com::GetClassFactory<CPrayerCalculator>,
     kPrayerCalculatorRgs},
};

}  // namespace

std::span<const ServedClass> ServedClasses() { return kServedClasses; }

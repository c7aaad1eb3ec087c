#include "addin/ClassTable.h"

#include "calc/PrayerCalculator.h"
#include "platform/com/ComObject.h"
#include "resources/RegistryScripts.h"

namespace {

const ServedClass kServedClasses[] = {
    {CLSID_PrayerCalculator, "PrayerCalculator", com::GetClassFactory<CPrayerCalculator>,
     kPrayerCalculatorRgs},
};

}  // namespace

std::span<const ServedClass> ServedClasses() { return kServedClasses; }

// Recalc through the calculator's interface, created by class id from a
// registered module as the add-in creates it.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/ServerRegistration.h"
#include "resources/OrvaneTypeLib.h"
#include "tests/support/TemporaryProfile.h"

namespace {

void BM_RecalcThroughInterface(benchmark::State& state) {
  TemporaryProfile profile("orvane-bench");
  if (!profile.Ok()) {
    state.SkipWithError("no temporary folder");
    return;
  }
  std::string error;
  if (FAILED(com::RegisterServerModule(ORVANE_ADDIN_2003_PATH, false, &error))) {
    state.SkipWithError(error.c_str());
    return;
  }
  {
    ComPtr<IPrayerCalculator> calculator;
    if (FAILED(CoCreateInstance(CLSID_PrayerCalculator, nullptr, CLSCTX_INPROC_SERVER,
                                IPrayerCalculator::kIID, calculator.ReleaseAndGetVoidAddress()))) {
      state.SkipWithError("cannot create the calculator");
      return;
    }
    calculator->SetLocation(-39.8167, 21.4167, 3.0, 0);
    calculator->put_Method(eQurah);
    DATE day = 46000.0;
    for (auto _ : state) {
      calculator->Recalc(day);
      DATE isha = 0;
      calculator->get_Isha(&isha);
      benchmark::DoNotOptimize(isha);
      day = day < 46365.0 ? day + 1.0 : 46000.0;
    }
  }
  CoFreeUnusedLibraries();
}
BENCHMARK(BM_RecalcThroughInterface);

}  // namespace

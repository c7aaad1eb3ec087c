// A month's timetable as the Imsakyya button makes it: the document built
// (31 days, six times each), transformed by month.xsl and written to the
// page. Goal: under 20 ms.

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "services/ResourceLibrary.h"
#include "calc/PrayerCalculator.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComRuntime.h"
#include "timetable/ImsakyyaBuilder.h"
#include "BenchProfile.h"

namespace {

ComPtr<IPrayerCalculator> Mecca() {
  ComPtr<IPrayerCalculator> calculator;
  com::CreateComObject<CPrayerCalculator>(nullptr, IPrayerCalculator::kIID, calculator.ReleaseAndGetVoidAddress());
  calculator->SetLocation(-39.8167, 21.4167, 3.0, 0);
  calculator->put_Method(eQurah);
  return calculator;
}

void Month(benchmark::State& state, LONG calendarKind, LONG language) {
  BenchProfile profile;
  setenv("ORVANE_NOW", "2026-12-08T10:00:00", 1);
  setenv("ORVANE_ADDIN_FOLDER", ORVANE_ADDIN_2003_FOLDER, 1);
  UILanguageID = language;
  if (!profile.Ok() || FAILED(ReloadResourceLibrary(language))) {
    state.SkipWithError("no profile or resource library");
    return;
  }
  ComPtr<IPrayerCalculator> calculator = Mecca();
  const std::string page = (profile.Dir() / "imsakyya.html").string();
  for (auto _ : state) {
    CImsakyyaBuilder builder(calendarKind, CImsakyyaBuilder::kThisMonth, calculator.Get(), u"Mecca", u"Makkah",
                             u"Saudi Arabia", 3.0);
    try {
      if (FAILED(builder.Build(page))) state.SkipWithError("Build failed");
    } catch (...) {
      state.SkipWithError("Build threw");
      break;
    }
  }
  FreeResourceLibrary();
}

void BM_MonthGregorianEnglish(benchmark::State& state) { Month(state, CImsakyyaBuilder::kGregorian, 1033); }
void BM_MonthHijriArabic(benchmark::State& state) { Month(state, CImsakyyaBuilder::kHijri, 1025); }

BENCHMARK(BM_MonthGregorianEnglish)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthHijriArabic)->Unit(benchmark::kMillisecond);

}  // namespace

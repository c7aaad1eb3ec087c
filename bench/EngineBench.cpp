// How long the engine takes for one day, alone and as the calculator uses it
// (a fresh engine built for every day of a year), and the day's schedule the
// calculator computes over it, at an ordinary place and in polar day and
// night (where it looks for the nearest night).

#include <benchmark/benchmark.h>

#include "calc/DaySchedule.h"
#include "calc/PrayerEngine.h"

namespace {

void BM_ComputeDay(benchmark::State& state) {
  CPrayerEngine engine(-31.25, 30.05, 2.0, true, 2004, 1.0, eEgypt, 0, 0, 0, 0);
  engine.SetDaylightRange(25, 4, 28, 9);
  int day = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(engine.ComputeDay(day));
    day = day % 366 + 1;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ComputeDay);

void BM_FreshEngineEveryDayOfAYear(benchmark::State& state) {
  CalcParams params;
  params.Longitude = -39.8167;
  params.Latitude = 21.4167;
  params.TimeZone = 3.0;
  params.Method = eQurah;
  COleDate first;
  first.SetDateTime(2026, 1, 1, 0, 0, 0);
  for (auto _ : state) {
    COleDate day = first;
    for (int i = 0; i < 365; ++i, day += COleDateSpan(1.0)) {
      benchmark::DoNotOptimize(ComputeDayTimes(params, day));
    }
  }
  state.SetItemsProcessed(state.iterations() * 365);
}
BENCHMARK(BM_FreshEngineEveryDayOfAYear);

// Every day of a year at a latitude (the argument, degrees north).
void BM_DayScheduleEveryDayOfAYear(benchmark::State& state) {
  CalcParams params;
  params.Longitude = -18.95;
  params.Latitude = static_cast<double>(state.range(0));
  params.TimeZone = 1.0;
  params.Method = eWIL;
  COleDate first;
  first.SetDateTime(2026, 1, 1, 0, 0, 0);
  for (auto _ : state) {
    COleDate day = first;
    for (int i = 0; i < 365; ++i, day += COleDateSpan(1.0)) {
      benchmark::DoNotOptimize(ComputeDaySchedule(params, day));
    }
  }
  state.SetItemsProcessed(state.iterations() * 365);
}
BENCHMARK(BM_DayScheduleEveryDayOfAYear)->Arg(30)->Arg(55)->Arg(70)->Arg(80);

}  // namespace

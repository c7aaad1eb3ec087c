// The host's mail store: saving the add-in's items one by one and in one
// batch, and the add-in's one-day query among 50,000 items (about 23 years
// of six prayers a day), which reads only that day through the index.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "host/store/CalendarStore.h"
#include "bench/BenchProfile.h"

namespace {

using host::Appointment;
using host::CalendarStore;
using host::FolderKind;
using host::PropertyType;

constexpr int kSaves = 5000;
constexpr int kQueryItems = 50000;
constexpr int kPrayersADay = 6;
constexpr double kFirstDay = 43831.0;  // 1 January 2020
const char* const kNames[kPrayersADay] = {"Fajr", "Shorouk", "Zuhr", "Asr", "Maghrib", "Isha"};
constexpr double kHours[kPrayersADay] = {5.0, 6.5, 12.2, 15.5, 18.1, 19.6};


// The n-th prayer from the first day on, as the add-in saves it.
Appointment Prayer(int n) {
  Appointment item;
  const int slot = n % kPrayersADay;
  item.start = kFirstDay + n / kPrayersADay + kHours[slot] / 24.0;
  item.end = item.start + 10.0 / 1440.0;
  item.subject = kNames[slot];
  item.body = "Time for prayer";
  item.reminderSet = true;
  item.reminderMinutesBeforeStart = 10;
  item.userProperties.push_back({"PrayerNum", PropertyType::kNumber, static_cast<double>(slot)});
  return item;
}

std::shared_ptr<CalendarStore> FreshStore(BenchProfile& profile) {
  std::filesystem::remove(profile.File());
  std::filesystem::remove(profile.File().string() + "-wal");
  std::filesystem::remove(profile.File().string() + "-shm");
  auto store = CalendarStore::Open(profile.File());
  store->AddFolderField(FolderKind::kCalendar, "PrayerNum", PropertyType::kNumber);
  return store;
}

// Each save its own commit, as Outlook's Save is.
void BM_Save5000OneByOne(benchmark::State& state) {
  BenchProfile profile;
  if (!profile.Ok()) return state.SkipWithError("no temporary folder");
  for (auto _ : state) {
    state.PauseTiming();
    auto store = FreshStore(profile);
    state.ResumeTiming();
    for (int n = 0; n < kSaves; ++n) {
      Appointment item = Prayer(n);
      store->Save(item);
    }
  }
  state.SetItemsProcessed(state.iterations() * kSaves);
}
BENCHMARK(BM_Save5000OneByOne)->Unit(benchmark::kMillisecond);

void BM_Save5000InOneBatch(benchmark::State& state) {
  BenchProfile profile;
  if (!profile.Ok()) return state.SkipWithError("no temporary folder");
  for (auto _ : state) {
    state.PauseTiming();
    auto store = FreshStore(profile);
    std::vector<Appointment> items;
    for (int n = 0; n < kSaves; ++n) items.push_back(Prayer(n));
    state.ResumeTiming();
    store->SaveAll(items);
  }
  state.SetItemsProcessed(state.iterations() * kSaves);
}
BENCHMARK(BM_Save5000InOneBatch)->Unit(benchmark::kMillisecond);

// 50,000 items saved once for the query benchmarks.
class QueryStore {
 public:
  QueryStore() {
    if (!profile_.Ok()) return;
    store_ = FreshStore(profile_);
    std::vector<Appointment> batch;
    for (int n = 0; n < kQueryItems; ++n) {
      batch.push_back(Prayer(n));
      if (batch.size() == 5000) {
        store_->SaveAll(batch);
        batch.clear();
      }
    }
    store_->SaveAll(batch);
  }
  CalendarStore* Get() { return store_.get(); }

 private:
  BenchProfile profile_;
  std::shared_ptr<CalendarStore> store_;
};

CalendarStore* Store50000() {
  static QueryStore store;
  return store.Get();
}

// The add-in's filter for 12 June 2031 from 14:25 to 14:25 the next day,
// with dates as its FormatDate writes them for English (United States).
const char* const kOneDay =
    "[PrayerNum] <= 191 AND [Start] >= \"06/12/2031 02:25 PM\" AND "
    "[Start] < \"06/13/2031 02:25 PM\"";

void BM_RestrictOneDayOf50000(benchmark::State& state) {
  CalendarStore* store = Store50000();
  if (store == nullptr) return state.SkipWithError("no store");
  std::size_t found = 0;
  for (auto _ : state) {
    found = store->Restrict(FolderKind::kCalendar, kOneDay).size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["matches"] = static_cast<double>(found);
}
BENCHMARK(BM_RestrictOneDayOf50000)->Unit(benchmark::kMicrosecond);

// Of which reading the filter: the folder's fields, the user's locale.
void BM_ParseOneDayFilter(benchmark::State& state) {
  CalendarStore* store = Store50000();
  if (store == nullptr) return state.SkipWithError("no store");
  for (auto _ : state) {
    benchmark::DoNotOptimize(store->ParseFilter(FolderKind::kCalendar, kOneDay));
  }
}
BENCHMARK(BM_ParseOneDayFilter)->Unit(benchmark::kMicrosecond);

// For scale: the same query without the range, every item read.
void BM_RestrictAllOf50000(benchmark::State& state) {
  CalendarStore* store = Store50000();
  if (store == nullptr) return state.SkipWithError("no store");
  std::size_t found = 0;
  for (auto _ : state) {
    found = store->Restrict(FolderKind::kCalendar, "[PrayerNum] <= 191").size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["matches"] = static_cast<double>(found);
}
BENCHMARK(BM_RestrictAllOf50000)->Unit(benchmark::kMillisecond);

void BM_FindFirstOfOneDayOf50000(benchmark::State& state) {
  CalendarStore* store = Store50000();
  if (store == nullptr) return state.SkipWithError("no store");
  for (auto _ : state) {
    benchmark::DoNotOptimize(store->Find(FolderKind::kCalendar, kOneDay).Next());
  }
}
BENCHMARK(BM_FindFirstOfOneDayOf50000)->Unit(benchmark::kMicrosecond);

}  // namespace

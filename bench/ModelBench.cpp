// The object model as the add-in drives it: 5,000 prayer appointments made
// through CreateItem, their fields, the PrayerNum property and Save, with
// calendar.ics following the store as it does under orvane start; and the
// add-in's day query through Restrict and Item.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "host/ical/MirrorFollower.h"
#include "host/model/OutlookSession.h"
#include "office/Outlook.h"
#include "bench/BenchProfile.h"

namespace {

constexpr int kSaves = 5000;
constexpr double kFirstDay = 43831.0;  // 1 January 2020
const char* const kNames[6] = {"Fajr", "Shorouk", "Zuhr", "Asr", "Maghrib", "Isha"};
constexpr double kHours[6] = {5.0, 6.5, 12.2, 15.5, 18.1, 19.6};


HRESULT SavePrayer(_Application* app, int n) {
  ComPtr<IDispatch> created;
  if (HRESULT hr = app->CreateItem(olAppointmentItem, created.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  ComPtr<_AppointmentItem> item;
  if (HRESULT hr = created.As(&item); FAILED(hr)) return hr;
  const int slot = n % 6;
  const DATE start = kFirstDay + n / 6 + kHours[slot] / 24.0;
  CComBSTR subject(kNames[slot]);
  item->put_Subject(subject.Get());
  item->put_Start(start);
  item->put_End(start + 10.0 / 1440.0);
  item->put_ReminderMinutesBeforeStart(10);
  item->put_BusyStatus(olFree);
  item->put_ReminderSet(VARIANT_TRUE);
  ComPtr<UserProperties> properties;
  item->get_UserProperties(properties.ReleaseAndGetAddressOf());
  CComBSTR name("PrayerNum");
  CComVariant toFolder, format;
  toFolder.vt = VT_I2;
  toFolder.iVal = -1;
  format.vt = VT_I4;
  format.lVal = 9;
  ComPtr<UserProperty> property;
  if (HRESULT hr = properties->Add(name.Get(), olNumber, toFolder, format, property.ReleaseAndGetAddressOf());
      FAILED(hr)) {
    return hr;
  }
  property->put_Value(CComVariant::I4(slot));
  return item->Save();
}

struct Session {
  explicit Session(const BenchProfile& profile) {
    host::SessionOptions options;
    options.storeFile = profile.Dir() / "outlook.db";
    session = host::OutlookSession::Create(options);
    std::weak_ptr<host::OutlookSession> weak = session;
    mirror = std::make_unique<host::MirrorFollower>(profile.Dir() / "calendar.ics", [weak] {
      auto s = weak.lock();
      return s ? s->Store(s->StoreGeneration()) : nullptr;
    });
    host::MirrorFollower* follower = mirror.get();
    session->AddStoreListener([follower](std::uint64_t changes) { follower->OnChange(changes); });
  }
  ~Session() { session->Shutdown(); }
  std::shared_ptr<host::OutlookSession> session;
  std::unique_ptr<host::MirrorFollower> mirror;
};

void BM_ModelSave5000WithMirror(benchmark::State& state) {
  int writes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    BenchProfile profile;
    Session s(profile);
    state.ResumeTiming();
    for (int n = 0; n < kSaves; ++n) {
      if (FAILED(SavePrayer(s.session->Application(), n))) state.SkipWithError("save failed");
    }
    s.mirror->Flush();
    writes = s.mirror->WriteCount();
  }
  state.counters["mirror_writes"] = writes;
  state.counters["saves_per_s"] = benchmark::Counter(kSaves, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ModelSave5000WithMirror)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ModelRestrictOneDayAndWalk(benchmark::State& state) {
  BenchProfile profile;
  Session s(profile);
  for (int n = 0; n < kSaves; ++n) SavePrayer(s.session->Application(), n);
  ComPtr<_NameSpace> space;
  CComBSTR mapi("MAPI");
  s.session->Application()->GetNamespace(mapi.Get(), space.ReleaseAndGetAddressOf());
  ComPtr<MAPIFolder> calendar;
  space->GetDefaultFolder(olFolderCalendar, calendar.ReleaseAndGetAddressOf());
  ComPtr<_Items> items;
  calendar->get_Items(items.ReleaseAndGetAddressOf());
  CComBSTR filter(
      "[PrayerNum] <= 191 AND [Start] >= \"06/01/2021 12:00 AM\" AND [Start] < \"06/02/2021 12:00 AM\"");
  for (auto _ : state) {
    ComPtr<_Items> day;
    items->Restrict(filter.Get(), day.ReleaseAndGetAddressOf());
    LONG count = 0;
    day->get_Count(&count);
    for (LONG i = 1; i <= count; ++i) {
      ComPtr<IDispatch> item;
      day->Item(CComVariant::I4(i), item.ReleaseAndGetAddressOf());
      benchmark::DoNotOptimize(item.Get());
    }
    if (count != 6) state.SkipWithError("a day should hold six prayers");
  }
}
BENCHMARK(BM_ModelRestrictOneDayAndWalk)->Unit(benchmark::kMicrosecond);

}  // namespace

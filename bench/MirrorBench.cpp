// How long the calendar mirror takes for a full calendar: 5,000 items, about
// two years of the six daily prayers, each with its reminder and prayer number,
// the Friday ones with a hadith in the body. Built alone, built and written
// (with the flush to the disk that an atomic rewrite makes), and read back.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/ical/CalendarMirror.h"
#include "host/ical/MirrorReader.h"
#include "tests/support/TemporaryProfile.h"

namespace {

constexpr int kItems = 5000;

std::vector<host::Appointment> PrayerCalendar(int count) {
  const char* kSubjects[] = {"صلاة الفجر", "الشروق",      "صلاة الظهر",
                             "صلاة العصر", "صلاة المغرب", "صلاة العشاء"};
  std::vector<host::Appointment> items;
  for (int i = 0; i < count; ++i) {
    host::Appointment item;
    item.id = i + 1;
    item.uid = "orvane-" + std::to_string(i + 1) + "@example.invalid";
    item.start = 38067.0 + i / 6 + (5 + 3 * (i % 6)) / 24.0;
    item.end = item.start + 20 / 1440.0;
    item.subject = kSubjects[i % 6];
    if (i / 6 % 7 == 5) item.body = "قال رسول الله ﷺ: خير يوم طلعت عليه الشمس يوم الجمعة";
    item.reminderSet = true;
    item.reminderMinutesBeforeStart = 10;
    item.reminderPlaySound = i % 6 == 0;
    item.reminderSoundFile = "C:\\Program Files\\Orvane\\adhan fajr.wav";
    item.userProperties = {{"PrayerNum", host::PropertyType::kNumber, double(i % 6 + 1)}};
    items.push_back(item);
  }
  return items;
}

void BM_BuildMirror(benchmark::State& state) {
  TemporaryProfile profile("orvane-bench");
  const auto items = PrayerCalendar(static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string text = host::BuildICalendar(items);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_BuildMirror)->Arg(500)->Arg(kItems)->Unit(benchmark::kMillisecond);

void BM_WriteMirror(benchmark::State& state) {
  TemporaryProfile profile("orvane-bench");
  const auto items = PrayerCalendar(static_cast<int>(state.range(0)));
  const std::filesystem::path path = profile.Dir() / "calendar.ics";
  for (auto _ : state) host::WriteMirror(path, items);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriteMirror)->Arg(500)->Arg(kItems)->Unit(benchmark::kMillisecond);

void BM_ReadMirror(benchmark::State& state) {
  TemporaryProfile profile("orvane-bench");
  const std::string text = host::BuildICalendar(PrayerCalendar(static_cast<int>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(host::ParseMirror(text).events.size());
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadMirror)->Arg(500)->Arg(kItems)->Unit(benchmark::kMillisecond);

}  // namespace

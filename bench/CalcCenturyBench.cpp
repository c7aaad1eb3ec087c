// A user asking for a century of times: `orvane calc` for Cairo (Egyptian
// method, 36,500 days from 1 January 2000) timed as a whole process, from
// start to exit, its lines written to a file. Next to it, when Node and the
// npm packages adhan and praytime are at hand, the same century printed by
// the scripts of bench/peers/, also whole processes; their counters say how
// many times longer they take (goal: 5 or more against each).
//
// The peers are not a dependency of the build. To run them:
//   npm install adhan praytime     (in a folder of your choice)
//   ORVANE_BENCH_NODE_PATH=/that/folder/node_modules build/bin/bench_calc_century
// Without ORVANE_BENCH_NODE_PATH they are skipped with a message.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/BenchProfile.h"

extern char** environ;

namespace {

constexpr const char* kFirstDay = "2000-01-01";
constexpr const char* kDays = "36500";
constexpr int kLines = 36500;
// The first line as orvane calc prints it, so that a run that printed
// something else does not count.
constexpr const char* kFirstLine = "2000-01-01 05:18 06:51 11:58 14:47 17:06 18:29\n";

struct Run {
  double seconds = -1;     // elapsed, start to exit
  double cpuSeconds = 0;   // user and system, which a busy machine does not stretch
  std::string error;
};

// Runs the program with its standard output into `out` (standard error to
// /dev/null) and waits for it.
Run Spawn(const std::vector<std::string>& argv, const std::filesystem::path& out) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  Run run;
  const auto begin = std::chrono::steady_clock::now();
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    run.error = "cannot start " + argv[0];
    return run;
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) {
    run.error = "lost " + argv[0];
    return run;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    run.error = argv[0] + " failed";
    return run;
  }
  run.seconds = seconds;
  run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  return run;
}

// The century's text: 36,500 lines of a date and six times.
std::string CheckCentury(const std::filesystem::path& out) {
  std::ifstream in(out);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  long lines = 0;
  for (const char c : text) lines += c == '\n';
  if (lines != kLines) return "printed " + std::to_string(lines) + " lines, not " + std::to_string(kLines);
  if (text.size() != kLines * 47u) return "printed lines of another length";
  return {};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Median elapsed and processor seconds of orvane calc's century.
double g_orvaneSeconds = 0;
double g_orvaneCpuSeconds = 0;

// Times `argv` for the century; the median of its elapsed and processor
// seconds, which one run slowed by another program's build moves least.
void TimeCentury(benchmark::State& state, const std::vector<std::string>& argv, const std::filesystem::path& out,
                 double* medianSeconds, double* medianCpuSeconds) {
  std::vector<double> elapsed, cpu;
  for (auto _ : state) {
    const Run run = Spawn(argv, out);
    if (run.seconds < 0) return state.SkipWithError(run.error.c_str());
    state.SetIterationTime(run.seconds);
    elapsed.push_back(run.seconds);
    cpu.push_back(run.cpuSeconds);
  }
  if (const std::string problem = CheckCentury(out); !problem.empty()) {
    return state.SkipWithError(problem.c_str());
  }
  *medianSeconds = Median(elapsed);
  *medianCpuSeconds = Median(cpu);
  state.counters["median_ms"] = 1000 * *medianSeconds;
  state.counters["cpu_median_ms"] = 1000 * *medianCpuSeconds;
}

void BM_CalcCenturyOrvane(benchmark::State& state) {
  BenchProfile profile;
  if (!profile.Ok()) return state.SkipWithError("no temporary folder");
  const std::filesystem::path out = profile.Dir() / "century.txt";
  if (!Spawn({ORVANE_PROGRAM, "install"}, out).error.empty()) return state.SkipWithError("orvane install failed");
  TimeCentury(state,
              {ORVANE_PROGRAM, "calc", "--longitude", "-31.25", "--latitude", "30.05", "--timezone", "2", "--method",
               "eEgypt", "--date", kFirstDay, "--days", kDays},
              out, &g_orvaneSeconds, &g_orvaneCpuSeconds);
  std::ifstream in(out);
  std::string first;
  std::getline(in, first);
  if (first + "\n" != kFirstLine) state.SkipWithError(("printed another century: " + first).c_str());
}
BENCHMARK(BM_CalcCenturyOrvane)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

// A peer script of bench/peers/ for the same century; the ratios are its
// medians over orvane calc's.
void PeerCentury(benchmark::State& state, const char* script) {
  const char* nodePath = std::getenv("ORVANE_BENCH_NODE_PATH");
  if (nodePath == nullptr || *nodePath == '\0') {
    return state.SkipWithError("set ORVANE_BENCH_NODE_PATH to a node_modules holding adhan and praytime");
  }
  setenv("NODE_PATH", nodePath, 1);
  BenchProfile profile;
  if (!profile.Ok()) return state.SkipWithError("no temporary folder");
  double seconds = 0, cpuSeconds = 0;
  TimeCentury(state,
              {"node", std::string(ORVANE_PEERS_DIR) + "/" + script, "30.05", "31.25", "2", kFirstDay, kDays},
              profile.Dir() / "century.txt", &seconds, &cpuSeconds);
  if (g_orvaneSeconds > 0 && seconds > 0) {
    state.counters["over_orvane"] = seconds / g_orvaneSeconds;
    state.counters["over_orvane_cpu"] = cpuSeconds / g_orvaneCpuSeconds;
  }
}

void BM_CalcCenturyAdhanOnNode(benchmark::State& state) { PeerCentury(state, "adhan-century.js"); }
BENCHMARK(BM_CalcCenturyAdhanOnNode)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

void BM_CalcCenturyPraytimeOnNode(benchmark::State& state) { PeerCentury(state, "praytime-century.js"); }
BENCHMARK(BM_CalcCenturyPraytimeOnNode)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

}  // namespace

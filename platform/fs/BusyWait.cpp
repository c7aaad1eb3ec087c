#include "platform/fs/BusyWait.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <thread>

namespace files {
namespace {

std::mutex g_mutex;

BusyWaitSettings& Settings() {
  static auto* settings = new BusyWaitSettings();
  return *settings;
}

// Short pauses first, as most waits are for another process's one commit;
// then a tenth of a second, so that a long wait costs little.
constexpr std::chrono::milliseconds kPauses[] = {std::chrono::milliseconds(1),  std::chrono::milliseconds(2),
                                                 std::chrono::milliseconds(5),  std::chrono::milliseconds(10),
                                                 std::chrono::milliseconds(20), std::chrono::milliseconds(50)};
constexpr std::chrono::milliseconds kLongestPause{100};

// When a wait for each file last ran out. A file another program holds for
// longer than the limit is not waited for again at every call that follows
// (a start makes dozens): for as long as the limit once more, they fail at
// once, as the first did.
std::map<std::string, std::chrono::steady_clock::time_point>& GaveUp() {
  static auto* gaveUp = new std::map<std::string, std::chrono::steady_clock::time_point>();
  return *gaveUp;
}

}  // namespace

void SetBusyWaitSettings(BusyWaitSettings settings) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Settings() = std::move(settings);
}

BusyWaitSettings CurrentBusyWaitSettings() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return Settings();
}

bool BusyWait::Retry(int refusals) {
  const auto now = std::chrono::steady_clock::now();
  if (refusals <= 0) {
    began_ = now;
    told_ = false;
  }
  const BusyWaitSettings settings = CurrentBusyWaitSettings();
  if (refusals <= 0) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto last = GaveUp().find(file_);
    if (last != GaveUp().end() && now - last->second < settings.limit) return false;
  }
  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - began_);
  if (waited >= settings.limit) {
    std::lock_guard<std::mutex> lock(g_mutex);
    GaveUp()[file_] = now;
    return false;
  }
  if (!told_ && waited >= settings.noticeAfter) {
    told_ = true;
    if (settings.notice) settings.notice(file_, settings.limit);
  }
  const std::size_t step = static_cast<std::size_t>(std::max(refusals, 0));
  std::chrono::milliseconds pause = step < std::size(kPauses) ? kPauses[step] : kLongestPause;
  pause = std::min(pause, settings.limit - waited);
  std::this_thread::sleep_for(pause);
  return true;
}

int BusyWait::SqliteBusyHandler(void* wait, int refusals) {
  return static_cast<BusyWait*>(wait)->Retry(refusals) ? 1 : 0;
}

}  // namespace files

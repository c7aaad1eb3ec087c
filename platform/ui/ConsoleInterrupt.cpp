#include "platform/ui/ConsoleInterrupt.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ui/CommonControls.h"
#include "platform/ui/MessageQueue.h"

namespace ui {
namespace {

struct InterruptState {
  std::mutex mutex;
  std::vector<std::pair<HWND, HWND>> watched;  // window, cancel control; latest last
  bool installed = false;
  struct sigaction previous {};
  int readFd = -1;
};

InterruptState& State() {
  static auto* state = new InterruptState;  // never destroyed: its thread outlives main
  return *state;
}

// Written once, before the handler is first installed.
int g_writeFd = -1;

void OnInterrupt(int) {
  // Only what is safe in a signal handler: one write to a pipe.
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(g_writeFd, &byte, 1);
  errno = saved;
}

// With the state's lock held.
void Install(InterruptState& state) {
  if (state.installed) return;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  if (sigaction(SIGINT, &action, &state.previous) == 0) state.installed = true;
}

void Uninstall(InterruptState& state) {
  if (!state.installed) return;
  sigaction(SIGINT, &state.previous, nullptr);
  state.installed = false;
}

void PressOrPassOn() {
  InterruptState& state = State();
  std::vector<std::pair<HWND, HWND>> watched;
  {
    std::lock_guard lock(state.mutex);
    watched = state.watched;
  }
  for (auto it = watched.rbegin(); it != watched.rend(); ++it) {
    if (IsWindowVisible(it->first) && IsWindowEnabled(it->second)) {
      // Posted, not sent: this thread never waits for a window.
      PostMessage(it->second, BM_CLICK, 0, 0);
      return;
    }
  }
  // Nothing to cancel: Ctrl-C does what it did before the window came.
  {
    std::lock_guard lock(state.mutex);
    Uninstall(state);
  }
  raise(SIGINT);
  std::lock_guard lock(state.mutex);
  if (!state.watched.empty()) Install(state);
}

void Watch() {
  const int fd = State().readFd;
  for (;;) {
    char byte = 0;
    const ssize_t got = read(fd, &byte, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    PressOrPassOn();
  }
}

// With the state's lock held. False when the pipe or the thread cannot be had.
bool StartWatcher(InterruptState& state) {
  if (state.readFd >= 0) return true;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  // A flood of Ctrl-C must never block the handler.
  fcntl(fds[1], F_SETFL, fcntl(fds[1], F_GETFL) | O_NONBLOCK);
  try {
    state.readFd = fds[0];
    g_writeFd = fds[1];
    std::thread(Watch).detach();
  } catch (...) {
    close(fds[0]);
    close(fds[1]);
    state.readFd = -1;
    g_writeFd = -1;
    return false;
  }
  return true;
}

}  // namespace

void WatchForInterrupt(HWND window, HWND cancelControl) {
  InterruptState& state = State();
  std::lock_guard lock(state.mutex);
  const auto found = std::find_if(state.watched.begin(), state.watched.end(),
                                  [&](const auto& entry) { return entry.first == window; });
  if (found == state.watched.end()) state.watched.emplace_back(window, cancelControl);
  if (StartWatcher(state)) Install(state);
}

void StopWatchingForInterrupt(HWND window) {
  InterruptState& state = State();
  std::lock_guard lock(state.mutex);
  std::erase_if(state.watched, [&](const auto& entry) { return entry.first == window; });
  if (state.watched.empty()) Uninstall(state);
}

}  // namespace ui

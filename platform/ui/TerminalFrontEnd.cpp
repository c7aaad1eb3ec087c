#include "platform/ui/TerminalFrontEnd.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/ui/ConsoleInterrupt.h"
#include "platform/ui/MessageQueue.h"

namespace ui {
namespace {

constexpr std::size_t kBarWidth = 20;
constexpr const char* kClearToEnd = "\x1b[K";

const ControlSnapshot* ProgressBarOf(const WindowSnapshot& window) {
  for (const ControlSnapshot& control : window.controls) {
    if (control.kind == ControlKind::kProgressBar) return &control;
  }
  return nullptr;
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The first width characters (code points) of UTF-8 text.
std::string Cut(const std::string& text, std::size_t width) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (characters++ == width) return text.substr(0, i);
  }
  return text;
}

}  // namespace

TerminalFrontEnd::TerminalFrontEnd(int fd) : m_fd(fd) {}

TerminalFrontEnd::~TerminalFrontEnd() {
  std::lock_guard lock(m_mutex);
  EraseLine();
  for (HWND window : m_watched) StopWatchingForInterrupt(window);
}

void TerminalFrontEnd::Write(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(m_fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

void TerminalFrontEnd::EraseLine() {
  if (m_drawn == nullptr) return;
  Write(std::string("\r") + kClearToEnd);
  m_drawn = nullptr;
  m_line.clear();
}

int TerminalFrontEnd::ShowMessageBox(const MessageBoxRequest& request) {
  const char* kind = (request.style & MB_ICONMASK) == MB_ICONERROR     ? "error"
                     : (request.style & MB_ICONMASK) == MB_ICONWARNING ? "warning"
                                                                       : "message";
  std::lock_guard lock(m_mutex);
  // The box must not land in the middle of a progress line; the line comes
  // back with the window's next change.
  EraseLine();
  Write(std::string("[") + kind + "] " + request.caption + ": " + request.text + "\n");
  return DefaultButton(request.style);
}

std::string TerminalFrontEnd::ProgressLine(const WindowSnapshot& window, std::size_t width) {
  const ControlSnapshot* bar = ProgressBarOf(window);
  std::string line = window.caption;
  for (const ControlSnapshot& control : window.controls) {
    if (control.kind == ControlKind::kAnimation && control.clip != 0 && !control.frame.empty()) {
      line += (line.empty() ? "" : " ") + control.frame;
    }
  }
  if (bar != nullptr) {
    const int span = bar->rangeMax - bar->rangeMin;
    const int percent =
        span > 0 ? std::clamp((bar->position - bar->rangeMin) * 100 / span, 0, 100) : 0;
    const std::size_t filled = static_cast<std::size_t>(percent) * kBarWidth / 100;
    std::string count = std::to_string(percent);
    count.insert(0, 3 - std::min<std::size_t>(count.size(), 3), ' ');
    line += (line.empty() ? "[" : " [") + std::string(filled, '#') +
            std::string(kBarWidth - filled, '-') + "] " + count + "%";
  }
  for (const ControlSnapshot& control : window.controls) {
    if (control.kind != ControlKind::kStatic || !control.visible) continue;
    const std::string text = Trimmed(control.text);
    if (!text.empty()) line += " " + text;
  }
  return width > 0 ? Cut(line, width) : line;
}

void TerminalFrontEnd::OnWindowEvent(WindowEvent event, const WindowSnapshot& window) {
  const ControlSnapshot* cancel = window.cancelId != 0 ? window.Control(window.cancelId) : nullptr;
  const bool progress = ProgressBarOf(window) != nullptr;
  const bool showing = window.visible && event != WindowEvent::kDestroyed;

  std::lock_guard lock(m_mutex);
  if (progress && cancel != nullptr && showing) {
    if (std::find(m_watched.begin(), m_watched.end(), window.handle) == m_watched.end()) {
      m_watched.push_back(window.handle);
      WatchForInterrupt(window.handle, cancel->handle);
    }
  } else if (std::erase(m_watched, window.handle) != 0) {
    StopWatchingForInterrupt(window.handle);
  }

  if (!showing) {
    if (m_drawn == window.handle) EraseLine();
    return;
  }
  // Only a terminal gets the line: redrawing in place means nothing to a
  // file or a pipe.
  if (!progress || isatty(m_fd) != 1) return;
  winsize size{};
  const std::size_t columns =
      ioctl(m_fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 ? size.ws_col : 80;
  // One column short, so that the cursor never wraps to the next line.
  const std::string line = ProgressLine(window, columns - 1);
  if (m_drawn == window.handle && line == m_line) return;
  m_drawn = window.handle;
  m_line = line;
  Write("\r" + line + kClearToEnd);
}

}  // namespace ui

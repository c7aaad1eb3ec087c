#include "platform/ui/DeferredFrontEnd.h"

#include <algorithm>

namespace ui {

DeferredFrontEnd::DeferredFrontEnd(Factory make, std::shared_ptr<FrontEnd> fallback)
    : make_(std::move(make)), fallback_(std::move(fallback)) {}

std::shared_ptr<FrontEnd> DeferredFrontEnd::Real() const {
  std::lock_guard lock(mutex_);
  if (real_ == nullptr) {
    real_ = make_ ? make_() : nullptr;
    if (real_ == nullptr) real_ = fallback_;
    make_ = nullptr;
    // The windows that exist already, so that the new front end knows
    // them (an owner before the window it owns). Only queued to the real
    // front end: nothing here waits on a window's thread.
    for (const auto& [handle, snapshot] : hidden_) real_->OnWindowEvent(WindowEvent::kCreated, snapshot);
    hidden_.clear();
  }
  return real_;
}

bool DeferredFrontEnd::Made() const {
  std::lock_guard lock(mutex_);
  return real_ != nullptr;
}

int DeferredFrontEnd::ShowMessageBox(const MessageBoxRequest& request) { return Real()->ShowMessageBox(request); }

std::optional<std::string> DeferredFrontEnd::ShowOpenFile(const OpenFileRequest& request) {
  return Real()->ShowOpenFile(request);
}

bool DeferredFrontEnd::ShowsDialogs() const { return Real()->ShowsDialogs(); }

void DeferredFrontEnd::OnWindowEvent(WindowEvent event, const WindowSnapshot& window) {
  {
    std::lock_guard lock(mutex_);
    if (real_ == nullptr) {
      const auto noted = std::find_if(hidden_.begin(), hidden_.end(),
                                      [&](const auto& entry) { return entry.first == window.handle; });
      if (event == WindowEvent::kDestroyed) {
        if (noted != hidden_.end()) hidden_.erase(noted);
        return;
      }
      if (!window.visible) {
        if (noted != hidden_.end()) {
          noted->second = window;
        } else {
          hidden_.emplace_back(window.handle, window);
        }
        return;
      }
      // About to show: the real front end hears of it as made and shown.
      if (noted != hidden_.end()) hidden_.erase(noted);
    }
  }
  Real()->OnWindowEvent(event, window);
}

}  // namespace ui

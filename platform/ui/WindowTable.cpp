#include "platform/ui/WindowTable.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "platform/threads/Thread.h"
#include "platform/ui/FrontEnd.h"
#include "platform/ui/ThreadQueue.h"
#include "platform/ui/WindowStyles.h"

namespace ui::detail {
namespace {

struct Table {
  // Handle values are never reused, so a stale HWND cannot reach a newer
  // window that happens to take its place.
  std::uintptr_t next = 0x10000;
  std::unordered_map<std::uintptr_t, std::shared_ptr<Window>> windows;
  std::unordered_map<DWORD, ThreadState> threads;
};

// Never destroyed: window threads may still end while the process exits.
Table& TheTable() {
  static auto* table = new Table;
  return *table;
}

std::uintptr_t Key(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }

ControlSnapshot ControlOf(const Window& control, HWND focus) {
  ControlSnapshot snapshot{};
  const ControlValues& values = control.values;
  snapshot.handle = control.handle;
  snapshot.id = control.id;
  snapshot.kind = control.kind;
  snapshot.text = control.text;
  snapshot.visible = (control.style & WS_VISIBLE) != 0;
  snapshot.enabled = (control.style & WS_DISABLED) == 0;
  snapshot.rect = control.rect;
  snapshot.style = control.style;
  snapshot.exStyle = control.exStyle;
  snapshot.rangeMin = values.rangeMin;
  snapshot.rangeMax = values.rangeMax;
  snapshot.position = values.position;
  snapshot.clip = values.clip;
  snapshot.playing = values.playing;
  snapshot.frame = values.frame;
  snapshot.frameIndex = values.frameIndex;
  snapshot.clipModule = values.clipModule;
  snapshot.checked = values.checked;
  snapshot.focused = focus == control.handle;
  snapshot.textLimit = values.textLimit;
  snapshot.selStart = values.selStart;
  snapshot.selEnd = values.selEnd;
  snapshot.items = values.items;
  snapshot.selection = values.selection;
  if (const Window* buddy = values.buddy != nullptr ? LookupLocked(values.buddy) : nullptr) {
    snapshot.buddyId = buddy->id;
  }
  snapshot.dateText = values.hasDate ? values.dateText : std::string();
  snapshot.date = values.date;
  snapshot.hasDateMin = values.hasDateMin;
  snapshot.dateMin = values.dateMin;
  snapshot.hasDateMax = values.hasDateMax;
  snapshot.dateMax = values.dateMax;
  snapshot.timeOnly = control.kind == ControlKind::kDatePicker && (control.style & 0x9) == 0x9;
  snapshot.imageType = values.imageType;
  snapshot.imageId = values.imageId;
  snapshot.imageModule = values.imageModule;
  snapshot.imageOffset = values.imageOffset;
  snapshot.textColor = values.textColor;
  snapshot.underline = FontUnderline(control.font);
  snapshot.cursorId = values.cursorId;
  snapshot.tooltip = values.tooltip;
  return snapshot;
}

}  // namespace

std::mutex& TableMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

ThreadState& ThreadStateLocked(DWORD threadId) { return TheTable().threads[threadId]; }

HWND AddWindow(std::shared_ptr<Window> window) {
  std::lock_guard lock(TableMutex());
  Table& table = TheTable();
  table.next += 2;
  window->handle = reinterpret_cast<HWND>(table.next);
  table.windows.emplace(table.next, window);
  return window->handle;
}

std::shared_ptr<Window> Lookup(HWND window) {
  std::lock_guard lock(TableMutex());
  const auto found = TheTable().windows.find(Key(window));
  return found == TheTable().windows.end() ? nullptr : found->second;
}

Window* LookupLocked(HWND window) {
  const auto found = TheTable().windows.find(Key(window));
  return found == TheTable().windows.end() ? nullptr : found->second.get();
}

void RemoveWindow(HWND window) {
  std::vector<std::shared_ptr<Window>> going;  // released after the lock
  std::lock_guard lock(TableMutex());
  Table& table = TheTable();
  const auto found = table.windows.find(Key(window));
  if (found == table.windows.end()) return;
  for (HWND child : found->second->children) {
    const auto c = table.windows.find(Key(child));
    if (c == table.windows.end()) continue;
    going.push_back(std::move(c->second));
    table.windows.erase(c);
  }
  if (Window* parent = found->second->isChild ? LookupLocked(found->second->parent) : nullptr) {
    std::erase(parent->children, window);
  }
  going.push_back(std::move(found->second));
  table.windows.erase(found);
  // What pointed at them points nowhere now.
  for (auto& [thread, state] : table.threads) {
    for (const auto& gone : going) {
      if (state.focus == gone->handle) state.focus = nullptr;
      if (state.active == gone->handle) state.active = nullptr;
      if (state.capture == gone->handle) state.capture = nullptr;
    }
  }
}

std::vector<HWND> TopLevelWindowsOf(DWORD threadId) {
  std::lock_guard lock(TableMutex());
  std::vector<HWND> windows;
  for (const auto& [key, window] : TheTable().windows) {
    if (window->threadId == threadId && !window->isChild) windows.push_back(window->handle);
  }
  return windows;
}

POINT ClientOriginLocked(const Window& window) {
  if (window.isChild) {
    const Window* parent = LookupLocked(window.parent);
    const POINT origin = parent != nullptr ? ClientOriginLocked(*parent) : POINT{0, 0};
    return POINT{origin.x + window.rect.left, origin.y + window.rect.top};
  }
  const bool framed = (window.style & WS_CAPTION) != 0;
  return POINT{window.rect.left + (framed ? kBorderWidth : 0),
               window.rect.top + (framed ? kBorderWidth + kCaptionHeight : 0)};
}

Window* TopLevelLocked(Window& window) {
  Window* at = &window;
  while (at != nullptr && at->isChild) at = LookupLocked(at->parent);
  return at;
}

Window* RootLocked(Window& window) {
  Window* at = TopLevelLocked(window);
  while (at != nullptr && (at->style & WS_CHILD) != 0 && at->parent != nullptr) {
    Window* holder = LookupLocked(at->parent);
    if (holder == nullptr) break;
    at = TopLevelLocked(*holder);
  }
  return at;
}

std::vector<HWND> RadioGroupLocked(const Window& dialog, HWND radio) {
  const std::vector<HWND>& children = dialog.children;
  const auto at = std::find(children.begin(), children.end(), radio);
  if (at == children.end()) return {};
  std::size_t first = static_cast<std::size_t>(at - children.begin());
  while (first > 0) {
    const Window* control = LookupLocked(children[first]);
    if (control == nullptr || (control->style & WS_GROUP) != 0) break;
    const Window* before = LookupLocked(children[first - 1]);
    if (before == nullptr || before->kind != ControlKind::kRadioButton) break;
    --first;
  }
  std::vector<HWND> group;
  for (std::size_t i = first; i < children.size(); ++i) {
    const Window* control = LookupLocked(children[i]);
    if (control == nullptr || control->kind != ControlKind::kRadioButton) break;
    if (i > first && (control->style & WS_GROUP) != 0) break;
    group.push_back(children[i]);
  }
  return group;
}

LRESULT ClassWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Held for the call, so a window that destroys itself from its own
  // procedure stays in memory until the procedure has returned.
  const std::shared_ptr<Window> record = Lookup(window);
  if (record == nullptr || record->threadId != GetCurrentThreadId()) return 0;
  return record->procedure->Procedure(window, message, wParam, lParam);
}

LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const std::shared_ptr<Window> record = Lookup(window);
  if (record == nullptr || record->threadId != GetCurrentThreadId()) return 0;
  WNDPROC procedure = nullptr;
  {
    std::lock_guard lock(TableMutex());
    procedure = record->wndProc;
  }
  if (procedure == nullptr) return record->procedure->Procedure(window, message, wParam, lParam);
  return procedure(window, message, wParam, lParam);
}

LRESULT OnWindowThread(HWND window, const std::function<LRESULT()>& task) {
  const std::shared_ptr<Window> record = Lookup(window);
  if (record == nullptr) return 0;
  if (record->threadId == GetCurrentThreadId()) return task();
  auto sent = std::make_shared<SentMessage>();
  sent->window = window;
  sent->task = task;
  return record->queue->SendAndWait(std::move(sent));
}

WindowSnapshot SnapshotLocked(const Window& topLevel) {
  WindowSnapshot snapshot{topLevel.handle,
                          topLevel.templateId,
                          topLevel.text,
                          (topLevel.style & WS_VISIBLE) != 0 && !topLevel.destroying,
                          (topLevel.style & WS_DISABLED) == 0,
                          topLevel.rect,
                          topLevel.style,
                          topLevel.exStyle,
                          topLevel.cancelId,
                          {}};
  snapshot.owner = topLevel.parent;
  snapshot.modal = topLevel.modal;
  snapshot.fontPointSize = FontPointSize(topLevel.font);
  const HWND focus = ThreadStateLocked(topLevel.threadId).focus;
  for (HWND child : topLevel.children) {
    if (const Window* control = LookupLocked(child)) {
      snapshot.controls.push_back(ControlOf(*control, focus));
      if (focus == child) snapshot.focusId = control->id;
    }
  }
  return snapshot;
}

void Announce(HWND window, WindowEvent event) {
  WindowSnapshot snapshot;
  {
    std::lock_guard lock(TableMutex());
    Window* record = LookupLocked(window);
    Window* top = record != nullptr ? TopLevelLocked(*record) : nullptr;
    if (top == nullptr || !top->announced) return;
    if (top->initializing && event == WindowEvent::kChanged) return;
    snapshot = SnapshotLocked(*top);
  }
  CurrentFrontEnd()->OnWindowEvent(event, snapshot);
}

void DiscardWindowsOfThread(DWORD threadId) {
  for (HWND window : TopLevelWindowsOf(threadId)) {
    WindowSnapshot snapshot;
    bool announced = false;
    {
      std::lock_guard lock(TableMutex());
      Window* record = LookupLocked(window);
      if (record == nullptr) continue;
      record->destroying = true;
      announced = record->announced;
      snapshot = SnapshotLocked(*record);
    }
    RemoveWindow(window);
    if (announced) CurrentFrontEnd()->OnWindowEvent(WindowEvent::kDestroyed, snapshot);
  }
  std::lock_guard lock(TableMutex());
  TheTable().threads.erase(threadId);
}

}  // namespace ui::detail

namespace ui {

const ControlSnapshot* WindowSnapshot::Control(int id) const {
  const auto found =
      std::find_if(controls.begin(), controls.end(),
                   [id](const ControlSnapshot& control) { return control.id == id; });
  return found == controls.end() ? nullptr : &*found;
}

const char* WindowEventName(WindowEvent event) {
  switch (event) {
    case WindowEvent::kCreated:
      return "created";
    case WindowEvent::kShown:
      return "shown";
    case WindowEvent::kHidden:
      return "hidden";
    case WindowEvent::kChanged:
      return "changed";
    case WindowEvent::kDestroyed:
      return "destroyed";
  }
  return "?";
}

}  // namespace ui

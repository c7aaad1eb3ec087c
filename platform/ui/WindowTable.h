#pragma once
// The process's windows: the records behind HWND values. Internal to
// platform/ui; add-in code uses Window.h, MessageQueue.h and Dialog.h.
//
// Locking: one mutex guards the table and every field of every record. It is
// never held while a window procedure, a handler or the front end runs, nor
// while a message queue's lock is taken. Records change only on their
// window's own thread, so a procedure sees its window as it left it.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/fs/Module.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/Font.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowSnapshot.h"

namespace ui::detail {

class ThreadQueue;

// The behaviour of a kind of window: its window procedure. One object per
// window, called on the window's thread only.
class WindowClass {
 public:
  virtual ~WindowClass() = default;
  virtual LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

// What the controls show besides their text.
struct ControlValues {
  int rangeMin = 0;
  int rangeMax = 100;
  int position = 0;
  unsigned clip = 0;
  bool playing = false;
  std::string frame;
  int checked = 0;
};

struct Window {
  HWND handle = nullptr;
  DWORD threadId = 0;
  std::shared_ptr<ThreadQueue> queue;  // its thread's
  HWND parent = nullptr;               // a control's dialog, a dialog's owner
  bool isChild = false;
  bool isDialog = false;
  int id = 0;
  ControlKind kind = ControlKind::kStatic;
  std::string text;  // UTF-8
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect{};  // a child's in its parent's client area; a top-level one's on the screen
  HFONT font = nullptr;
  HINSTANCE instance = nullptr;  // where its template and clips come from
  unsigned templateId = 0;
  int cancelId = 0;
  std::vector<HWND> children;  // in template order
  ControlValues values;
  bool announced = false;  // the front end has been told of it
  bool destroying = false;
  std::unique_ptr<WindowClass> procedure;
};

// A top-level window's frame: a border all round and a title bar when it
// has a caption. What GetWindowRect adds to the client area.
inline constexpr int kBorderWidth = 3;
inline constexpr int kCaptionHeight = 19;

std::mutex& TableMutex();

// Adds the record under a new handle, which it also stores in the record.
HWND AddWindow(std::shared_ptr<Window> window);
// The record, or null; takes the lock itself.
std::shared_ptr<Window> Lookup(HWND window);
// The record, or null; the caller holds TableMutex().
Window* LookupLocked(HWND window);
// Takes the record and its children out of the table; they stay alive as
// long as someone holds them.
void RemoveWindow(HWND window);
// The top-level windows of a thread.
std::vector<HWND> TopLevelWindowsOf(DWORD threadId);

// The screen position of a window's client area; the caller holds the lock.
POINT ClientOriginLocked(const Window& window);
// The top-level window above a window (itself when it is one).
Window* TopLevelLocked(Window& window);

// Calls the window's procedure; the caller is the window's thread. 0 when
// the window is gone.
LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs task on the window's thread and returns its result: directly when
// that is the calling thread, else as a sent message that the caller waits
// for. 0 when the window or its thread goes first.
LRESULT OnWindowThread(HWND window, const std::function<LRESULT()>& task);

// Tells the front end what happened to the top-level window above window,
// with its snapshot; nothing until the window has been announced as created.
void Announce(HWND window, WindowEvent event);
WindowSnapshot SnapshotLocked(const Window& topLevel);

// A control's state changed: the front end hears of it (kChanged).
template <typename Change>
void ChangeControl(HWND window, Change&& change) {
  {
    std::lock_guard lock(TableMutex());
    Window* record = LookupLocked(window);
    if (record == nullptr) return;
    change(*record);
  }
  Announce(window, WindowEvent::kChanged);
}

// Forgets the windows of a thread that ends without destroying them: no more
// calls to their procedures (their handlers may be gone), only the front end
// hears that they are destroyed.
void DiscardWindowsOfThread(DWORD threadId);

}  // namespace ui::detail

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
  int rangeMin = 0;  // progress bar, up-down
  int rangeMax = 100;
  int position = 0;
  unsigned clip = 0;  // animation
  HINSTANCE clipModule = nullptr;
  bool playing = false;
  int frameIndex = 0;
  std::string frame;
  int checked = 0;  // check box, radio button
  // Edit and the edit of a combo box: the most characters typing may give
  // (0: the default of 30000), and the selection in characters.
  int textLimit = 0;
  int selStart = 0;
  int selEnd = 0;
  // Combo boxes: the list, each entry's data, the selection (-1: none).
  std::vector<std::string> items;
  std::vector<LPARAM> itemData;
  int selection = -1;
  // Up-down: the edit it steps, and whether it writes its position there.
  HWND buddy = nullptr;
  // Date picker: the date shown (valid when hasDate), its range (each end
  // valid when it is set).
  bool hasDate = false;
  DATE date = 0;
  DATE dateMin = 0;
  DATE dateMax = 0;
  bool hasDateMin = false;
  bool hasDateMax = false;
  std::string dateText;
  // Picture and button: the image shown, a resource of a module, and a
  // picture's wrap-around shift (STM_SHIFTIMAGE).
  unsigned imageType = 0;
  unsigned imageId = 0;
  HINSTANCE imageModule = nullptr;
  POINT imageOffset{0, 0};
  // What the last paint chose: text colour (kNoColor: the default), the
  // cursor over the control, the tooltip.
  DWORD textColor = 0xFFFFFFFF;
  unsigned cursorId = 0;
  std::string tooltip;
};

// What each thread has: the window with the keyboard focus, its active
// window, the window that captured the mouse. Guarded by TableMutex().
struct ThreadState {
  HWND focus = nullptr;
  HWND active = nullptr;
  HWND capture = nullptr;
  unsigned cursorId = 0;  // set by SetCursor
};
ThreadState& ThreadStateLocked(DWORD threadId);

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
  // Filling itself in (WM_INITDIALOG): its changes are told once, when it
  // is done, not one by one (a list of 465 cities is 465 changes, each a
  // copy of the whole window for the front end).
  bool initializing = false;
  bool destroying = false;
  bool modal = false;  // a dialog running DialogBoxParam
  bool ended = false;  // EndDialog was called
  std::intptr_t result = 0;
  std::unique_ptr<WindowClass> procedure;
  // The procedure messages go to first: the class's (ClassWindowProc) until
  // someone subclasses the window.
  WNDPROC wndProc = nullptr;
  LONG_PTR userData = 0;
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
// The window a person works in: the top-level window, and past a page (a
// dialog standing inside its parent) the window that holds it. A modal
// dialog disables this one, and input reaches nothing it holds meanwhile.
Window* RootLocked(Window& window);
// The radio buttons of a radio button's group among its dialog's controls:
// from the one with WS_GROUP up to the next WS_GROUP or the first control
// that is no radio button. Empty when the window is no child of the
// dialog. The caller holds the lock.
std::vector<HWND> RadioGroupLocked(const Window& dialog, HWND radio);

// The procedure of every window's class, as GetWindowLongPtr(GWLP_WNDPROC)
// hands it out before anyone subclasses the window.
LRESULT ClassWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

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

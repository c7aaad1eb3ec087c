#pragma once
// What the dialog runtime's tests share: a module with a test dialog and its
// clips, a handler that records what it hears, and a thread that runs a
// dialog's message loop as the add-in's window threads do.

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/threads/Thread.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/HeadlessFrontEnd.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowStyles.h"

namespace uitest {

// Dialog kDialog: caption string kCaptionId, font "MS Shell Dlg" 8 points,
// client area 200 x 100 at 100, 50, cancel control kCancel; controls:
enum : int {
  kDialog = 100,
  kCaptionId = 1,
  kLabel = 10,      // static "Label" at 10, 10, 80 x 14
  kOk = 11,         // button "OK"
  kCancel = 12,     // button "Cancel"
  kDisabled = 13,   // button, disabled in the template
  kProgress = 14,   // progress bar at 10, 40, 180 x 12
  kAnimation = 15,  // animation, ACS_AUTOPLAY
  kCheck = 16,      // auto check box
  kGoodClip = 50,   // a clip of three frames, 20 ms each
  kBadClip = 51,    // not a clip
  kBitmap = 60,     // a bitmap of 2 x 2 pixels
  kIcon = 61,       // an icon of 16 x 16 pixels
  kPng = 62,        // a bitmap in PNG, 3 x 2 pixels
  kPictureClip = 52,  // a picture clip of four frames, 20 ms each
};

// Dialog kForm: a modal form with one control of each kind, in this tab
// order (template order):
enum : int {
  kForm = 200,
  kName = 20,     // edit, tab stop
  kNumber = 21,   // edit, tab stop, at 10, 30, 60 x 14
  kSpin = 22,     // up-down: auto buddy (kNumber), buddy int, right-aligned, arrow keys, 12 wide
  kList = 23,     // drop-down list, tab stop
  kCombo = 24,    // editable combo box, sorted, tab stop
  kDate = 25,     // date picker, tab stop
  kHidden = 26,   // edit, tab stop, not visible
  kLink = 27,     // static text
  kRadioA = 28,   // auto radio button, group start, tab stop
  kRadioB = 29,   // auto radio button
  kOff = 30,      // button, tab stop, disabled
  kPicture = 31,  // picture (SS_BITMAP)
  // IDOK (default push button) and IDCANCEL, tab stops.
};

// Ends the form's modal run with the button pressed (OK and Cancel), and
// records the commands and notifications it hears.
class FormHandler : public ui::DialogHandler {
 public:
  struct Heard {
    UINT message;  // WM_COMMAND or WM_NOTIFY
    int id;
    int code;  // the notification code (WM_NOTIFY's as int)
  };
  BOOL OnInitDialog(HWND dialog, LPARAM initParam) override;
  void OnCommand(HWND dialog, int id, int code, HWND control) override;
  bool OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  std::vector<Heard> HeardFrom(int id) const;
  int Count(int id, int code) const;

  bool refuseSteps = false;   // answers UDN_DELTAPOS with "no"
  bool endDuringInit = false;  // EndDialog(77) from WM_INITDIALOG

 private:
  mutable std::mutex m_mutex;
  std::vector<Heard> m_heard;
};

// Runs the form modally on a thread of its own, as the add-in's dialogs run
// on Outlook's thread while a person uses them.
class ModalRun {
 public:
  ModalRun(ui::DialogHandler* handler, HWND owner = nullptr, UINT templateId = kForm);
  ~ModalRun();
  // The dialog once shown, null when it never shows.
  HWND Dialog(const ui::HeadlessFrontEnd& frontEnd, UINT templateId = kForm);
  // Waits for DialogBoxParam to return and gives its result.
  std::intptr_t Result();

 private:
  std::thread m_thread;
  std::intptr_t m_result = -2;
};
inline constexpr UINT kAskThread = WM_USER + 1;  // the handler answers with its thread id
inline constexpr UINT kNote = WM_USER + 2;       // the handler records wParam
inline constexpr UINT kRelay =
    WM_USER + 3;  // sends kAskThread to window lParam, answers its answer
inline constexpr UINT kDestroySelf = WM_USER + 4;  // the dialog destroys itself

HINSTANCE TestModule();

class RecordingHandler : public ui::DialogHandler {
 public:
  struct Call {
    std::string what;  // "init", "command", "timer", "destroy", "note", "font"
    DWORD thread;
    WPARAM value;        // command id, timer id, note
    int code;            // command notification
    bool controlsAlive;  // on destroy: whether control kLabel still existed
  };

  BOOL OnInitDialog(HWND dialog, LPARAM initParam) override;
  void OnCommand(HWND dialog, int id, int code, HWND control) override;
  void OnTimer(HWND dialog, UINT_PTR timerId) override;
  void OnDestroy(HWND dialog) override;
  bool OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  std::vector<Call> Calls() const;
  std::vector<WPARAM> Values(const std::string& what) const;

  // Set before the dialog exists: OnDestroy posts WM_QUIT, as a window
  // thread's main dialog does.
  bool quitOnDestroy = true;

 private:
  void Add(Call call);
  mutable std::mutex m_mutex;
  std::vector<Call> m_calls;
};

// A thread that makes a dialog from the test module and serves its messages
// until WM_QUIT.
class WindowThread {
 public:
  explicit WindowThread(ui::DialogHandler* handler, UINT templateId = kDialog);
  ~WindowThread();  // asks the thread to quit and waits for it
  WindowThread(const WindowThread&) = delete;
  WindowThread& operator=(const WindowThread&) = delete;

  HWND Dialog() const { return m_dialog; }
  DWORD ThreadId() const { return m_threadId; }
  // Waits for the thread's end; returns its loop's exit code.
  int Join();

 private:
  std::thread m_thread;
  HWND m_dialog = nullptr;
  DWORD m_threadId = 0;
  int m_exitCode = -1;
};

// Runs task on the window's thread and returns its result, as the window's
// own code would run it.
LRESULT RunOnThread(HWND window, const std::function<LRESULT()>& task);

// Fresh headless front end for each test.
class UiTest : public ::testing::Test {
 protected:
  void SetUp() override { ui::SetFrontEnd(m_frontEnd); }
  void TearDown() override { ui::SetFrontEnd(nullptr); }
  std::shared_ptr<ui::HeadlessFrontEnd> m_frontEnd = std::make_shared<ui::HeadlessFrontEnd>();
};

}  // namespace uitest

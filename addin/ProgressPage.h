#pragma once
// The progress window: a small modeless dialog (template 160 of the resource
// library) with an animation, a progress bar, a text line, a second text and
// a Cancel button. Filling, updating or clearing the calendar runs on the
// main thread and keeps it busy, so the window runs its own message loop on
// a thread of its own and stays alive meanwhile.
//
// The main thread creates it, steps it, sets its texts and destroys it; every
// one of those calls reaches the window through SendMessage, so the controls
// are only ever touched on the window's thread. The Cancel button sets the
// owner's cancel flag, which the main thread polls between items.

#include <chrono>

#include "addin/ProgressOwner.h"
#include "calendar/CalendarContext.h"
#include "platform/com/ComPtr.h"
#include "platform/text/TChar.h"
#include "platform/threads/Handle.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Font.h"

// The modes (kModeDelete, kModeCreate, kModeUpdate) are the calendar
// walk's: what the loop does while the window shows.
class CProgressPage : public ui::DialogHandler, public ICalendarProgress {
 public:
  enum : UINT { IDD = 160 };

  // Controls of template 160 and the clips of the resource library.
  enum : int {
    kAnimation = 248,
    kProgressBar = 247,
    kTextLine = 249,
    kSecondText = 250,
    kCancelButton = 221,
  };
  enum : UINT { kClipRemoving = 223, kClipWriting = 224 };

  // Asks the window to destroy itself (WM_USER + 1000).
  static constexpr UINT kDestroyMessage = WM_USER + 1000;
  // A delayed window shows when this timer is due: an operation shorter
  // than the delay never flashes a window at the user.
  static constexpr UINT_PTR kShowTimer = 2025;
  static constexpr UINT kShowDelayMilliseconds = 1500;

  CProgressPage() = default;
  // Closes a window still open, so that its thread never calls into a page
  // that is gone.
  ~CProgressPage() override;
  CProgressPage(const CProgressPage&) = delete;
  CProgressPage& operator=(const CProgressPage&) = delete;

  // The owner whose cancel flag Cancel sets; the page keeps a counted
  // reference (null lets it go). Set before CreatePage.
  void SetOwner(IProgressOwner* owner);

  /// Main thread. Starts the window's thread and returns once the window
  /// exists: S_OK; E_FAIL when the window or its thread could not be made
  /// (nothing is left running); E_UNEXPECTED when a window is already open.
  /// step: percent of the bar added by each Stepit. delayed: show the window
  /// only once the operation has lasted 1500 ms.
  HRESULT CreatePage(int mode, float step, bool delayed) override;

  /// Main thread. Advances the bar by one step. The fractions of a percent
  /// are kept until they make a whole one, and the bar stops at 100.
  void Stepit() override;

  /// Main thread. Puts text into the text line, sized to it, and moves the
  /// second text beside it: to its left when language is Arabic (1025), the
  /// line then ending where it ended in the template; to its right
  /// otherwise, the line starting where it started.
  void SetText(const tchar* text, LONG language) override;

  /// Main thread. Puts text into the second text; rightToLeft 1 gives it the
  /// right-to-left reading order (WS_EX_RTLREADING), any other value the
  /// left-to-right one.
  void SetSecondText(const tchar* text, int rightToLeft) override;
  /// Main thread. Whether a walk's next date is worth showing: the first,
  /// then one every kSecondTextInterval. A walk passes a day or an item in a
  /// millisecond or two and each text is a round trip to the window's
  /// thread (a sixteenth of a fast fill); a person sees no difference, and
  /// the date after a slow step is shown at once.
  bool SecondTextDue() override;
  static constexpr std::chrono::milliseconds kSecondTextInterval{40};

  /// Main thread. Closes the animation, has the window destroy itself and
  /// returns once its thread has ended. Does nothing when no window is open.
  void DestroyPage() override;

  HWND Window() const override { return m_hWnd; }
  DWORD ThreadId() const { return m_threadId; }

 private:
  static DWORD ThreadProc(void* parameter);

  BOOL OnInitDialog(HWND dialog, LPARAM initParam) override;
  void OnCommand(HWND dialog, int id, int code, HWND control) override;
  void OnTimer(HWND dialog, UINT_PTR timerId) override;
  void OnDestroy(HWND dialog) override;
  bool OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  bool IsOpen() const { return m_created && !m_destroyed; }

  ComPtr<IProgressOwner> m_owner;
  HANDLE m_thread = nullptr;
  DWORD m_threadId = 0;
  HANDLE m_ready = nullptr;  // during CreatePage only
  bool m_created = false;
  bool m_destroyed = false;

  // Written by the main thread before the window's thread starts.
  int m_mode = 0;
  bool m_delayed = false;

  // Main thread only: percent per step, the fraction not shown yet, and
  // what the bar shows (0 to 100).
  float m_step = 0;
  float m_accumulator = 0;
  float m_total = 0;
  int m_barStep = 0;  // the step the bar was last given; 0 before the first
  std::chrono::steady_clock::time_point m_secondTextShown{};  // when SecondTextDue last said yes

  // Written on the window's thread before the ready event is signalled,
  // read by the main thread after it.
  HFONT m_font = nullptr;
  HWND m_hWnd = nullptr;
  HWND m_animation = nullptr;
  HWND m_progressBar = nullptr;
  HWND m_textLine = nullptr;
  HWND m_secondText = nullptr;
  RECT m_textLineRect{};    // as the template placed them, in client
  RECT m_secondTextRect{};  // coordinates
};

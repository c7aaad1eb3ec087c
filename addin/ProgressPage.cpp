#include "addin/ProgressPage.h"

#include <cmath>

#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "platform/threads/Event.h"
#include "platform/threads/Thread.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowStyles.h"

namespace {

constexpr LONG kArabic = 1025;

// A control's rectangle in its dialog's client coordinates: GetWindowRect
// counts the dialog's frame in, which the placement must not.
RECT ClientRectOf(HWND dialog, HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  POINT topLeft{rect.left, rect.top};
  POINT bottomRight{rect.right, rect.bottom};
  ScreenToClient(dialog, &topLeft);
  ScreenToClient(dialog, &bottomRight);
  return RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

}  // namespace

CProgressPage::~CProgressPage() {
  DestroyPage();
  if (m_ready != nullptr) CloseHandle(m_ready);
}

void CProgressPage::SetOwner(IProgressOwner* owner) { m_owner = ComPtr<IProgressOwner>(owner); }

HRESULT CProgressPage::CreatePage(int mode, float step, bool delayed) {
  TraceEnter("CProgressPage::CreatePage");
  // A second window would leave the first one's thread running for ever.
  if (IsOpen()) return E_UNEXPECTED;
  m_mode = mode;
  m_step = step;
  m_delayed = delayed;
  m_accumulator = 0;
  m_total = 0;
  m_barStep = 0;
  m_created = false;
  m_destroyed = false;
  m_hWnd = nullptr;

  m_ready = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  if (m_ready == nullptr) return E_FAIL;
  m_thread = CreateThread(nullptr, 0, ThreadProc, this, 0, &m_threadId);
  if (m_thread == nullptr) {
    CloseHandle(m_ready);
    m_ready = nullptr;
    return E_FAIL;
  }
  WaitForSingleObject(m_ready, INFINITE);
  CloseHandle(m_ready);
  m_ready = nullptr;

  if (m_hWnd == nullptr) {
    // No window (the library lacks the template): the thread has ended or is
    // ending on its own.
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
    return E_FAIL;
  }
  m_created = true;
  TraceExit("CProgressPage::CreatePage");
  return S_OK;
}

DWORD CProgressPage::ThreadProc(void* parameter) {
  auto* page = static_cast<CProgressPage*>(parameter);
  // A new thread has no active window, so the dialog is a top-level window.
  const HWND window = CreateDialogParam(ResourceInstance(), IDD, GetActiveWindow(), page, 0);
  if (window == nullptr) {
    page->m_hWnd = nullptr;
    // The creator waits for this event whatever happens.
    SetEvent(page->m_ready);
    return 1;
  }
  if (page->m_delayed) {
    SetTimer(window, kShowTimer, kShowDelayMilliseconds, nullptr);
  } else {
    ShowWindow(window, SW_SHOW);
  }
  // The page's fields belong to the main thread again from here on.
  SetEvent(page->m_ready);

  MSG message{};
  BOOL got = 0;
  while ((got = GetMessage(&message, nullptr, 0, 0)) != 0 && got != -1) {
    TranslateMessage(&message);
    DispatchMessage(&message);
  }
  return static_cast<DWORD>(message.wParam);
}

BOOL CProgressPage::OnInitDialog(HWND dialog, LPARAM) {
  m_hWnd = dialog;
  m_animation = GetDlgItem(dialog, kAnimation);
  m_progressBar = GetDlgItem(dialog, kProgressBar);
  m_textLine = GetDlgItem(dialog, kTextLine);
  m_secondText = GetDlgItem(dialog, kSecondText);
  m_textLineRect = ClientRectOf(dialog, m_textLine);
  m_secondTextRect = ClientRectOf(dialog, m_secondText);

  const WPARAM library = reinterpret_cast<WPARAM>(ResourceInstance());
  switch (m_mode) {
    case kModeDelete:
      SendMessage(m_animation, ACM_OPEN, library, kClipRemoving);
      break;
    case kModeCreate:
      SendMessage(m_animation, ACM_OPEN, library, kClipWriting);
      break;
    case kModeUpdate:
      SendMessage(m_animation, ACM_OPEN, library, kClipWriting);
      // An update cannot stop half way.
      EnableWindow(GetDlgItem(dialog, kCancelButton), FALSE);
      break;
    default:
      break;
  }
  return TRUE;
}

void CProgressPage::OnCommand(HWND, int id, int code, HWND) {
  // The disabled button already keeps an update from being cancelled; a
  // command from elsewhere must not either.
  if (id != kCancelButton || code != BN_CLICKED || m_mode == kModeUpdate) return;
  if (m_owner) m_owner->SetCancelFlag(1);
}

void CProgressPage::OnTimer(HWND dialog, UINT_PTR timerId) {
  if (timerId != kShowTimer) return;
  ShowWindow(dialog, SW_SHOW);
  KillTimer(dialog, kShowTimer);
}

void CProgressPage::OnDestroy(HWND) { PostQuitMessage(0); }

bool CProgressPage::OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
  switch (message) {
    case WM_SETFONT:
      m_font = reinterpret_cast<HFONT>(wParam);
      return false;  // the dialog keeps it too
    case kDestroyMessage:
      DestroyWindow(dialog);
      *result = 0;
      return true;
    default:
      return false;
  }
}

void CProgressPage::Stepit() {
  if (!IsOpen()) return;
  m_accumulator += m_step;
  if (!(m_accumulator >= 1)) return;
  float n = std::floor(m_accumulator);
  // The bar ends exactly at 100 and stays there: a step past it would make
  // the control start over from the beginning.
  if (m_total + n > 100) n = 100 - m_total;
  m_total += n;
  m_accumulator -= n;
  if (n <= 0) return;
  // The bar keeps its step: each message is a round trip to the window's
  // thread, and a long fill steps by the same 1 nearly every time.
  const int step = static_cast<int>(n);
  if (step != m_barStep) {
    SendMessage(m_progressBar, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
    m_barStep = step;
  }
  SendMessage(m_progressBar, PBM_STEPIT, 0, 0);
}

void CProgressPage::SetText(const tchar* text, LONG language) {
  if (!IsOpen() || text == nullptr) return;
  SIZE extent{};
  GetTextExtentPoint32(m_font, text, static_cast<int>(tstring_view(text).size()), &extent);
  const LONG height = m_textLineRect.bottom - m_textLineRect.top;
  const LONG secondWidth = m_secondTextRect.right - m_secondTextRect.left;
  const LONG secondHeight = m_secondTextRect.bottom - m_secondTextRect.top;
  if (language == kArabic) {
    const LONG left = m_textLineRect.right - extent.cx;
    SetWindowPos(m_textLine, nullptr, left, m_textLineRect.top, extent.cx, height, SWP_NOZORDER);
    SetWindowPos(m_secondText, nullptr, left - secondWidth, m_secondTextRect.top, secondWidth,
                 secondHeight, SWP_NOZORDER);
  } else {
    const LONG left = m_textLineRect.left;
    SetWindowPos(m_textLine, nullptr, left, m_textLineRect.top, extent.cx, height, SWP_NOZORDER);
    SetWindowPos(m_secondText, nullptr, left + extent.cx, m_secondTextRect.top, secondWidth,
                 secondHeight, SWP_NOZORDER);
  }
  SetWindowText(m_textLine, text);
}

void CProgressPage::SetSecondText(const tchar* text, int rightToLeft) {
  if (!IsOpen() || text == nullptr) return;
  // Cleared as well as set: a date of the other reading order must not
  // inherit the previous one's.
  const DWORD style = static_cast<DWORD>(GetWindowLong(m_secondText, GWL_EXSTYLE));
  const DWORD wanted = rightToLeft == 1 ? style | WS_EX_RTLREADING : style & ~WS_EX_RTLREADING;
  if (wanted != style) SetWindowLong(m_secondText, GWL_EXSTYLE, static_cast<LONG>(wanted));
  SetWindowText(m_secondText, text);
}

bool CProgressPage::SecondTextDue() {
  const auto now = std::chrono::steady_clock::now();
  if (m_secondTextShown != std::chrono::steady_clock::time_point{} && now - m_secondTextShown < kSecondTextInterval) {
    return false;
  }
  m_secondTextShown = now;
  return true;
}

void CProgressPage::DestroyPage() {
  if (!IsOpen()) return;
  TraceEnter("CProgressPage::DestroyPage");
  SendMessage(m_animation, ACM_OPEN, 0, 0);
  // The parent would be activated here; the window is top-level (its thread
  // had no active window when it was made), so there is none.
  SendMessage(m_hWnd, kDestroyMessage, 0, 0);
  WaitForSingleObject(m_thread, INFINITE);
  CloseHandle(m_thread);
  m_thread = nullptr;
  m_destroyed = true;
  TraceExit("CProgressPage::DestroyPage");
}

#include "options/LinkControl.h"

#include <cstring>
#include <optional>
#include <string>

#include "platform/registry/Registry.h"
#include "platform/text/CaseFold.h"
#include "platform/shell/Program.h"
#include "platform/shell/Shell.h"
#include "platform/text/TextConvert.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowStyles.h"
#include "platform/win/LastError.h"

namespace {

constexpr char16_t kBrowserSettings[] = u"Software\\Microsoft\\Internet Explorer\\Settings";

// A text value of the registry as UTF-8, or nothing.
std::optional<std::string> ReadText(HKEY root, const char16_t* path, const char16_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyEx(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  char16_t buffer[1024] = {};
  DWORD type = 0;
  DWORD size = sizeof buffer - sizeof buffer[0];
  const LONG result =
      RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
  return text::Utf16ToUtf8(buffer);
}

// "r,g,b": exactly three decimal numbers of 0..255 separated by commas.
std::optional<COLORREF> ParseColor(const std::string& text) {
  int parts[3] = {};
  std::size_t at = 0;
  for (int i = 0; i < 3; ++i) {
    if (at >= text.size() || text[at] < '0' || text[at] > '9') return std::nullopt;
    int value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
      value = value * 10 + (text[at++] - '0');
      if (value > 255) return std::nullopt;
    }
    parts[i] = value;
    if (i < 2) {
      if (at >= text.size() || text[at] != ',') return std::nullopt;
      ++at;
    }
  }
  if (at != text.size()) return std::nullopt;
  return RGB(static_cast<BYTE>(parts[0]), static_cast<BYTE>(parts[1]), static_cast<BYTE>(parts[2]));
}

// The browser's command with the address as its one last argument: the
// command's own words, cut where "%1" was to go, then the address. The
// address is never pasted into a command line that something would split
// again or hand to a shell.
std::vector<std::string> BrowserCommand(const std::string& address) {
  const std::optional<std::string> type = ReadText(HKEY_CLASSES_ROOT, u".htm", u"");
  if (!type || type->empty()) return {};
  const std::u16string commandKey = text::Utf8ToUtf16(*type) + u"\\shell\\open\\command";
  std::optional<std::string> command = ReadText(HKEY_CLASSES_ROOT, commandKey.c_str(), u"");
  if (!command || command->empty()) return {};
  std::size_t cut = command->find("\"%1\"");
  if (cut == std::string::npos) cut = command->find("%1");
  if (cut != std::string::npos) command->resize(cut);
  std::vector<std::string> words = shell::SplitCommandLine(*command);
  if (words.empty()) return {};
  words.push_back(address);
  return words;
}

}  // namespace

CLinkControl::~CLinkControl() {
  // A window that outlives its link gets its own procedure back rather
  // than a procedure that reaches a link that is gone.
  if (m_previous != nullptr && IsWindow(m_window)) {
    SetWindowLongPtr(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
    SetWindowLongPtr(m_window, GWLP_USERDATA, 0);
  }
  if (m_hand != nullptr) DestroyCursor(m_hand);
  if (m_font != nullptr) DeleteObject(m_font);
}

void CLinkControl::SetAddress(const tchar* address) {
  m_address = address != nullptr ? address : TEXT("");
  if (m_tooltip != nullptr) {
    const std::string text = TToUtf8(m_address);
    TOOLINFO tool{sizeof(TOOLINFO), TTF_IDISHWND | TTF_SUBCLASS, m_window,
                  reinterpret_cast<UINT_PTR>(m_window), RECT{}, nullptr, text.c_str(), 0};
    SendMessage(m_tooltip, TTM_UPDATETIPTEXT, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void CLinkControl::BuildFont() {
  if (m_baseFont == nullptr) return;
  LOGFONT logical;
  if (GetObject(m_baseFont, sizeof logical, &logical) == 0) return;
  // Unset style bits count as all set.
  logical.lfUnderline = (m_style & kUnderline) != 0 ? 1 : 0;
  HFONT font = CreateFontIndirect(&logical);
  if (font == nullptr) return;
  if (m_font != nullptr) DeleteObject(m_font);
  m_font = font;
  if (m_window != nullptr) SendMessage(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
}

void CLinkControl::ReadColors() {
  const struct {
    COLORREF* colour;
    const char16_t* name;
  } colours[] = {{&m_linkColor, u"Anchor Color"},
                 {&m_hoverColor, u"Anchor Color Hover"},
                 {&m_visitedColor, u"Anchor Color Visited"}};
  for (const auto& [colour, name] : colours) {
    if (*colour != kUnset) continue;
    if (const std::optional<std::string> value = ReadText(HKEY_CURRENT_USER, kBrowserSettings, name)) {
      if (const std::optional<COLORREF> parsed = ParseColor(*value)) *colour = *parsed;
    }
  }
  const std::optional<std::string> useHover =
      ReadText(HKEY_CURRENT_USER, kBrowserSettings, u"Use Anchor Hover Color");
  m_wantHover = useHover && text::EqualIgnoringCase(*useHover, "yes");
}

void CLinkControl::Attach(HWND control) {
  m_window = control;
  m_baseFont = reinterpret_cast<HFONT>(SendMessage(control, WM_GETFONT, 0, 0));
  BuildFont();
  // Windows' help program carried the hand; here the system has one.
  if (HCURSOR hand = LoadCursor(nullptr, IDC_HAND)) m_hand = CopyCursor(hand);
  ReadColors();
  if (m_linkColor == kUnset) m_linkColor = RGB(0, 0, 255);
  if (m_visitedColor == kUnset) m_visitedColor = RGB(128, 0, 128);
  if (m_hoverColor == kUnset) m_hoverColor = RGB(255, 0, 0);
  if (m_style == kUnset) m_style = m_wantHover ? 127 : 125;
}

bool CLinkControl::Subclass(HWND control) {
  if (control == nullptr || m_previous != nullptr) return false;
  m_window = control;
  SetWindowLongPtr(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  m_previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtr(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CLinkControl::LinkProc)));
  if (m_previous == nullptr) {
    SetWindowLongPtr(control, GWLP_USERDATA, 0);
    return false;
  }
  Repaint();
  return true;
}

void CLinkControl::CreateTooltip() {
  if (m_window == nullptr || m_tooltip != nullptr) return;
  m_tooltip = CreateWindowEx(WS_EX_TOPMOST, TOOLTIPS_CLASS, nullptr, WS_POPUP, 0, 0, 0, 0, m_window,
                             nullptr, nullptr, nullptr);
  if (m_tooltip == nullptr) return;
  const std::string text = TToUtf8(m_address);
  RECT client{};
  GetClientRect(m_window, &client);
  TOOLINFO tool{sizeof(TOOLINFO), TTF_IDISHWND | TTF_SUBCLASS, m_window,
                reinterpret_cast<UINT_PTR>(m_window), client, nullptr, text.c_str(), 0};
  SendMessage(m_tooltip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&tool));
  if (m_font != nullptr) SendMessage(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
}

void CLinkControl::SetStyle(DWORD style, bool repaint) {
  const DWORD before = m_style;
  m_style = style;
  if ((before & kUnderline) != (style & kUnderline)) BuildFont();
  if (repaint) Repaint();
}

void CLinkControl::Repaint() {
  if (m_window != nullptr) InvalidateRect(m_window, nullptr, TRUE);
}

HRESULT CLinkControl::Open() {
  if (m_address.empty()) return S_FALSE;
  SetFocus(m_window);
  const std::string address = TToUtf8(m_address);
  unsigned result = ShellOpen(address) ? 33 : 31;  // 31: no program for it
  if (result <= 32) {
    const std::vector<std::string> command = BrowserCommand(address);
    if (!command.empty()) result = shell::StartProgram(command);
  }
  if (result <= 32) {
    const DWORD error = GetLastError();
    return HRESULT_FROM_WIN32(error != 0 ? error : 31);
  }
  m_visited = true;
  Repaint();
  return S_OK;
}

LRESULT CLinkControl::LinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<CLinkControl*>(GetWindowLongPtr(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProc(window, message, wParam, lParam);
  return self->OnMessage(message, wParam, lParam);
}

void CLinkControl::OnMouseMove(LPARAM lParam) {
  RECT client{};
  GetClientRect(m_window, &client);
  const LONG x = static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam)));
  const LONG y = static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lParam)));
  const bool inside = x >= client.left && x < client.right && y >= client.top && y < client.bottom;
  if (!m_hovering) {
    if (!inside) return;
    m_hovering = true;
    SetCapture(m_window);
    Repaint();
  } else if (!inside) {
    // Captured, the link hears the pointer leave it.
    m_hovering = false;
    ReleaseCapture();
    Repaint();
  }
}

LRESULT CLinkControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = m_window;
  if (m_tooltip != nullptr) {
    MSG relayed{window, message, wParam, lParam, 0, {}};
    SendMessage(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
  switch (message) {
    case WM_NCHITTEST:
      return HTCLIENT;
    case WM_SETFOCUS:
      return 0;
    case WM_KILLFOCUS:
      m_hovering = false;
      Repaint();
      return 0;
    case WM_SETCURSOR:
      if (m_hand != nullptr && (m_style & kHandCursor) != 0) {
        SetCursor(m_hand);
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
      OnMouseMove(lParam);
      return 0;
    case WM_LBUTTONDOWN:
      if ((m_style & kOpenOnPress) != 0) Open();
      return 0;
    case WM_LBUTTONUP:
      if ((m_style & kOpenOnPress) == 0) Open();
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && (m_style & kSpaceOpens) != 0) {
        Open();
        return 0;
      }
      break;
    case OCM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      const COLORREF colour = m_hovering && (m_style & kUseHover) != 0      ? m_hoverColor
                              : m_visited && (m_style & kUseVisited) != 0 ? m_visitedColor
                                                                          : m_linkColor;
      SetTextColor(dc, colour);
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetStockObject(HOLLOW_BRUSH));
    }
    case WM_DESTROY: {
      // The window goes: its procedure is its own again.
      WNDPROC previous = m_previous;
      SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      SetWindowLongPtr(window, GWLP_USERDATA, 0);
      m_previous = nullptr;
      m_tooltip = nullptr;  // destroyed with its owner
      return CallWindowProc(previous, window, message, wParam, lParam);
    }
    default:
      // Other messages the dialog reflected: the default handling of the
      // message as the dialog received it.
      if (message >= OCM__BASE && message < OCM__BASE + 0x1000) {
        return DefWindowProc(window, message - OCM__BASE, wParam, lParam);
      }
      break;
  }
  return CallWindowProc(m_previous, window, message, wParam, lParam);
}

#pragma once
// CLinkControl: a static text control of a dialog taken over as a hyperlink.
// It paints the text in the browser's link colours with an underlined copy
// of the control's font, shows the hand cursor and a tooltip with the
// address, and opens the address in the browser when clicked or, with the
// focus, when the space key is pressed.
//
// The dialog calls SetAddress, Attach, Subclass, CreateTooltip (only when
// subclassing succeeded) and SetStyle, in that order. The dialog must
// reflect WM_CTLCOLORSTATIC to the control (the runtime's dialogs do), and
// the CLinkControl must outlive the control's window.

#include "platform/com/HResult.h"
#include "platform/text/TChar.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/Gdi.h"
#include "platform/ui/Messages.h"

class CLinkControl {
 public:
  // Style bits.
  enum : DWORD {
    kUnderline = 1,
    kUseHover = 2,
    kOpenOnPress = 4,  // else on release
    kHandCursor = 8,
    kDefaultBit = 16,
    kSpaceOpens = 32,
    kUseVisited = 64,
  };
  static constexpr DWORD kUnset = 0xFFFFFFFF;  // a colour or the style bits not set yet

  CLinkControl() = default;
  ~CLinkControl();
  CLinkControl(const CLinkControl&) = delete;
  CLinkControl& operator=(const CLinkControl&) = delete;

  /// The address to open (a web address or a file), also the tooltip's
  /// text.
  void SetAddress(const tchar* address);
  /// Takes the control's font and makes the link font from it, loads the
  /// hand cursor, reads the browser's link colours and fills in the
  /// defaults (blue link, purple visited, red hover; style 125, or 127 when
  /// the browser asks for the hover colour).
  void Attach(HWND control);
  /// Puts the link's procedure in front of the control's; false when the
  /// control cannot be subclassed.
  bool Subclass(HWND control);
  /// A tooltip owned by the control that shows the address.
  void CreateTooltip();
  /// New style bits; the font is rebuilt when the underline bit changed.
  void SetStyle(DWORD style, bool repaint);
  DWORD Style() const { return m_style; }

  /// Opens the address: through the shell, else through the command of the
  /// browser registered for ".htm" with the address as its one argument.
  /// S_OK, S_FALSE without an address, or the system error as a COM result
  /// (nothing changes then).
  HRESULT Open();

  bool Visited() const { return m_visited; }
  bool Hovering() const { return m_hovering; }
  COLORREF LinkColor() const { return m_linkColor; }
  COLORREF VisitedColor() const { return m_visitedColor; }
  COLORREF HoverColor() const { return m_hoverColor; }
  HWND Window() const { return m_window; }
  HWND Tooltip() const { return m_tooltip; }

 private:
  static LRESULT LinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void BuildFont();
  void ReadColors();
  void Repaint();
  void OnMouseMove(LPARAM lParam);

  HWND m_window = nullptr;
  WNDPROC m_previous = nullptr;
  tstring m_address;
  COLORREF m_linkColor = kUnset;
  COLORREF m_visitedColor = kUnset;
  COLORREF m_hoverColor = kUnset;
  DWORD m_style = kUnset;
  bool m_wantHover = false;
  bool m_hovering = false;
  bool m_visited = false;
  HFONT m_font = nullptr;  // owned
  HFONT m_baseFont = nullptr;
  HCURSOR m_hand = nullptr;  // owned copy
  HWND m_tooltip = nullptr;  // owned by the control's window
};

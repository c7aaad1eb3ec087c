#pragma once
// Dialogs: windows made from a template of a resource library, whose
// messages go to a handler object.
//
// A dialog class derives from ui::DialogHandler and overrides what it needs.
// The runtime calls the handler on the dialog's own thread only:
//   OnMessage     first, for every message; return true when it is handled
//                 (private messages such as WM_USER + n, WM_SETFONT, …);
//   OnInitDialog  once the controls exist, before the dialog is shown;
//   OnCommand     a button was pressed or a control reports a change;
//   OnTimer       a timer of the dialog is due;
//   OnDestroy     the dialog is being destroyed (its controls still exist).
// The handler is not owned by the dialog and must outlive it, that is, stay
// alive until OnDestroy has returned. A handler serves one dialog at a time.
//
// Modeless dialogs (CreateDialogParam) run in their thread's message loop;
// modal ones (DialogBoxParam) run a loop of their own, with their owner
// disabled, until EndDialog. The messages a handler does not handle get the
// dialog's default handling: WM_CLOSE is Cancel, and WM_CTLCOLORSTATIC is
// reflected to the static control it concerns (OCM_CTLCOLORSTATIC), so that
// a control that draws itself chooses its own colours.

#include "platform/fs/Module.h"
#include "platform/ui/Messages.h"

namespace ui {

class DialogHandler {
 public:
  virtual ~DialogHandler() = default;

  // initParam is CreateDialogParam's. TRUE: the runtime gives the focus to
  // the first control the Tab key reaches; FALSE: the handler has set it.
  virtual BOOL OnInitDialog(HWND dialog, LPARAM initParam);
  // id: the control's id; code: its notification (BN_CLICKED, …); control:
  // its handle (null for a command that no control sent).
  virtual void OnCommand(HWND dialog, int id, int code, HWND control);
  virtual void OnTimer(HWND dialog, UINT_PTR timerId);
  virtual void OnDestroy(HWND dialog);
  virtual bool OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
};

}  // namespace ui

// Creates a modeless dialog on the calling thread from template templateId
// of instance, with handler receiving its messages. parent: the owner, or
// null for a top-level dialog. The dialog gets WM_SETFONT (the template's
// font) and WM_INITDIALOG(initParam), and is shown afterwards when the
// template's style has WS_VISIBLE. Null when the template does not exist,
// the handler is null, or the handler destroyed the dialog during
// initialisation.
HWND CreateDialogParam(HINSTANCE instance, UINT templateId, HWND parent, ui::DialogHandler* handler,
                       LPARAM initParam);

// Runs a modal dialog: disables the owner's top-level window (owner may be
// null), creates the dialog, shows it once initialised (unless EndDialog was
// called meanwhile), and serves the thread's messages until EndDialog. Then
// enables the owner again, makes it the active window, destroys the dialog
// and returns EndDialog's result; -1 when the dialog could not be made. A
// WM_QUIT that arrives meanwhile ends the run (result 0 unless EndDialog
// gave one) and is posted again for the outer loop. Runs nest: a modal
// dialog may run another.
std::intptr_t DialogBoxParam(HINSTANCE instance, UINT templateId, HWND owner,
                             ui::DialogHandler* handler, LPARAM initParam);

// Ends a modal run with result, on the dialog's own thread. A modeless
// dialog is hidden (its maker destroys it). FALSE for a handle that is no
// dialog.
BOOL EndDialog(HWND dialog, std::intptr_t result);

// What Enter presses in a dialog: the default push button. DM_GETDEFID
// answers DC_HASDEFID in the high word and the id in the low word.
enum : UINT {
  DM_GETDEFID = WM_USER + 0,
  DM_SETDEFID = WM_USER + 1,
};
inline constexpr WORD DC_HASDEFID = 0x534B;

namespace ui {

// The dialog manager's part in a key a person presses while the dialog is
// active, on the dialog's thread: Tab and Shift-Tab move the focus (an edit
// reached so has all its text selected), Enter presses the focused push
// button or else the default one (IDOK when there is none), Escape presses
// Cancel, Space presses the focused button, Up and Down step the up-down
// of a focused buddy edit (UDS_ARROWKEYS) or move among radio buttons. Any
// other key goes to the focused control as WM_KEYDOWN. Returns whether the
// key did something.
bool DialogKey(HWND dialog, WPARAM key, bool shift);

// Moves the focus as the Tab key does: to control, selecting an edit's
// whole text.
void FocusByKeyboard(HWND control);

}  // namespace ui

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
// Modeless dialogs only for now (CreateDialogParam). A modal run,
// DialogBoxParam with EndDialog, will be CreateDialogParam with the owner
// disabled and a message loop of its own that ends when EndDialog is called.

#include "platform/fs/Module.h"
#include "platform/ui/Messages.h"

namespace ui {

class DialogHandler {
 public:
  virtual ~DialogHandler() = default;

  // initParam is CreateDialogParam's. The result is what Windows uses to set
  // the default focus; there is no focus yet, so it is kept but not used.
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

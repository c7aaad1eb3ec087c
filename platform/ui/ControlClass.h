#pragma once
// The behaviour of each kind of control. Internal to platform/ui.

#include <memory>

#include "platform/time/SystemTime.h"
#include "platform/ui/Images.h"
#include "platform/ui/WindowTable.h"

namespace ui::detail {

// The procedure of a new control of this kind. Kinds whose behaviour is not
// built yet hold and show their text only.
std::unique_ptr<WindowClass> MakeControlClass(ControlKind kind);

std::unique_ptr<WindowClass> MakeButtonClass(ControlKind kind);
std::unique_ptr<WindowClass> MakeProgressBarClass();
std::unique_ptr<WindowClass> MakeAnimationClass();
std::unique_ptr<WindowClass> MakeEditClass();
std::unique_ptr<WindowClass> MakeComboBoxClass(bool editable);
std::unique_ptr<WindowClass> MakeUpDownClass();
std::unique_ptr<WindowClass> MakeDatePickerClass();

// What a person does to the controls, on the control's own thread.
// StepUpDown: clicks up (positive) or down; false when the dialog refused
// the step. ChangeDate: false when the date lies outside the range.
bool StepUpDown(HWND upDown, int clicks);
bool ChangeDate(HWND picker, const SYSTEMTIME& date);
// WM_COMMAND with the code from a control to its dialog.
void NotifyParent(HWND control, WORD code);

// The image a picture or a button shows (null: none), unshifted; the caller
// holds TableMutex().
void ShowImage(Window& record, HANDLE_IMAGE image);

// Asks a control, or each control of a dialog, how it looks now (colour,
// cursor); see Paint.cpp.
void PaintWindow(HWND window);

}  // namespace ui::detail

#pragma once
// The behaviour of each kind of control. Internal to platform/ui.

#include <memory>

#include "platform/ui/WindowTable.h"

namespace ui::detail {

// The procedure of a new control of this kind. Kinds whose behaviour is not
// built yet hold and show their text only.
std::unique_ptr<WindowClass> MakeControlClass(ControlKind kind);

std::unique_ptr<WindowClass> MakeButtonClass(ControlKind kind);
std::unique_ptr<WindowClass> MakeProgressBarClass();
std::unique_ptr<WindowClass> MakeAnimationClass();

}  // namespace ui::detail

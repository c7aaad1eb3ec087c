#pragma once
// The Options window as the front end shows it: a tab for each page, the
// page of the chosen tab inside it, OK, Cancel and Apply.

#include <string>

#include "host/model/OptionsDialog.h"

namespace host {

// The window's template (of the host's own resources) and its controls.
inline constexpr unsigned kOptionsWindowTemplate = 1;
inline constexpr int kOptionsTabs = 1000;
inline constexpr int kOptionsApply = 12321;

// Runs the window over the dialog's pages until it is closed: 0, or 1 with
// what went wrong in *failure (no desktop to show it on).
int ShowOptionsWindow(OptionsDialog& dialog, std::string* failure);

}  // namespace host

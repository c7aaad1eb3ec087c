#pragma once
// The add-in's tool-bar buttons, found as the user would: on the "Orvane"
// bar of a window, by the tag the add-in gives each button.

#include "host/model/CommandBars.h"
#include "host/model/Explorer.h"

namespace host {

// The button of that tag on the "Orvane" bar of the window, or null.
ComPtr<CommandBarControl> FindToolbarButton(CExplorer& window, const char* tag);

}  // namespace host

#pragma once
// The timetable of the options page's own values, saved or not: built with
// a calculator of its own (the add-in's keeps the saved settings), written
// where the Imsakyya button writes its page and opened.

#include "locations/CityInfo.h"
#include "platform/ui/Window.h"
#include "settings/AddinSettings.h"

// S_OK when it was written and opened; the failure (and nothing opened)
// when the page could not be written.
HRESULT ShowTimetable(HWND owner, const AddinSettings& values, const CCityInfo& city);

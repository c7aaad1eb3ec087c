#pragma once
// The timetable of a city as the user opens it: imsakyya.html written where
// the user may write (the add-in's folder, or the profile's copy of it when
// the add-in is installed for everyone) and opened with the user's browser.
// The Imsakyya button and the options page's timetable button both come here.

#include "locations/CityInfo.h"
#include "platform/ui/Window.h"
#include "resources/OrvaneTypeLib.h"
#include "settings/AddinSettings.h"

// Builds the page of settings' range and calendar with calculator (set for
// the place) and opens it, owned by owner (may be null). S_OK when it was
// written and opened; the failure, with nothing opened, when it could not be
// written: an earlier request's page left in the file never passes for this
// one.
HRESULT WriteAndOpenTimetable(HWND owner, const AddinSettings& settings, IPrayerCalculator* calculator,
                              const CCityInfo& city);

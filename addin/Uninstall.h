#pragma once
// What the uninstaller calls through the module's DeleteOutlookItems export.

#include <string>

#include "office/Outlook.h"

// How long the clean-up waits after asking Outlook to quit.
inline constexpr int kUninstallQuitWaitMs = 2000;

// The whole clean-up: Outlook (the application class, as the uninstaller
// finds it) is started without a window; the "Orvane" tool bar is deleted;
// every item carrying the add-in's mark ("PrayerNum", or "Prayer" of the
// earliest versions, at most 191: prayers and custom reminders alike) is
// deleted from the calendar and from Deleted Items, items without the mark
// staying whatever their subject; Outlook is asked to quit; and last the
// maker's key "Software\Veltrix\Orvane\3.0" goes with everything under it.
// Failures are written to the trace log and end that pass; always S_OK.
HRESULT DeleteOutlookItemsNow();

// One pass: the items marked with the number property `name`, from the
// calendar (found with the add-in's own query) and from Deleted Items.
void DeleteMarkedItems(_Application* application, const std::u16string& name);

#include "addin/DialogTable.h"

#include "calc/AdvancedDlg.h"
#include "calc/DaylightDlg.h"
#include "calc/SoundDlg.h"
#include "calendar/CustomPrayersDlg.h"
#include "calendar/CustomRemindersDlg.h"
#include "locations/AddCity.h"
#include "locations/LocationDlg.h"

namespace {

const DialogEntry kDialogs[] = {
    {"daylight", "", "the daylight-saving period", &ShowDaylightDialog},
    {"add-city", "--edit", "a new city (--edit: the current city corrected)", &ShowAddCityDialog},
    {"advanced", "", "the method, the Asr school, the high-latitude rule and the Friday prayer", &ShowAdvancedDialog},
    {"sound", "--prayers", "the Friday reminder's sound (--prayers: the prayers' and Fajr's)", &ShowSoundDialog},
    {"custom-prayers", "", "the prayers that get appointments, and the custom reminders", &ShowCustomPrayersDialog},
    {"custom-reminders", "", "the custom reminders' times, interval and subject", &ShowCustomRemindersDialog},
    {"location", "", "choosing the city, saved with the calendar rewritten for it", &ShowLocationDialog},
};

}  // namespace

std::span<const DialogEntry> DialogTable() { return kDialogs; }

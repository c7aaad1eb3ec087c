#include "addin/DialogTable.h"

#include "calc/DaylightDlg.h"
#include "locations/AddCity.h"
#include "locations/LocationDlg.h"

namespace {

const DialogEntry kDialogs[] = {
    {"daylight", "", "the daylight-saving period", &ShowDaylightDialog},
    {"add-city", "--edit", "a new city (--edit: the current city corrected)", &ShowAddCityDialog},
    {"location", "", "choosing the city, saved with the calendar rewritten for it", &ShowLocationDialog},
};

}  // namespace

std::span<const DialogEntry> DialogTable() { return kDialogs; }

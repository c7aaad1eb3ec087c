#include "addin/DialogTable.h"

#include "calc/DaylightDlg.h"
#include "locations/AddCity.h"

namespace {

const DialogEntry kDialogs[] = {
    {"daylight", "", "the daylight-saving period", &ShowDaylightDialog},
    {"add-city", "--edit", "a new city (--edit: the current city corrected)", &ShowAddCityDialog},
};

}  // namespace

std::span<const DialogEntry> DialogTable() { return kDialogs; }

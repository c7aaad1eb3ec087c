#pragma once
// Where the add-in module of a flavour lives: beside the program in the
// build tree (build/bin/orvane → build/addin-xp/OrvaneXP.so) or in the
// installed tree (bin/orvane → lib/orvane/xp/OrvaneXP.so). ORVANE_ADDIN_DIR
// names a folder holding addin-xp/ and addin-2003/ (or xp/ and 2003/)
// instead.

#include <filesystem>

namespace host {

// The module's path for Office 10 (XP) or 11 (2003); empty when none exists.
std::filesystem::path FindAddinModule(int office);

}  // namespace host

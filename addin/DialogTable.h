#pragma once
// The dialogs of the add-in that `orvane dialog NAME` can show on their
// own, for trying them and for translators checking a language. A dialog
// is offered there by one row of this table.

#include <span>

#include "settings/DialogRun.h"

struct DialogEntry {
  const char* name;         // the command's NAME
  const char* options;      // the further words it takes, space-separated ("" for none)
  const char* description;  // one line for `orvane dialog --help`, in English
  DialogResult (*show)(const DialogRun& run);
};

std::span<const DialogEntry> DialogTable();

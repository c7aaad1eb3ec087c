#pragma once
// Opening a document or an address with the desktop's program for it, as
// ShellExecute with the verb "open" does on Windows.

#include <string>

// Runs the program named by ORVANE_OPEN, else xdg-open, with target as its
// one argument: no shell reads it, so quotes, blanks, semicolons and "$" in
// an address stay part of the address. Waits for the program (xdg-open
// hands the target on and ends) and returns whether it started and
// reported success.
bool ShellOpen(const std::string& target);

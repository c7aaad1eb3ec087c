#pragma once
// The shell's "open": shows a file in the program the desktop chose for its
// kind (an HTML page in the user's browser) through xdg-open, or through the
// program named by ORVANE_OPEN when that is set (a browser of one's choice,
// or a test's recorder). The program is started without a shell, with the
// path as its one argument, and is not waited for.

#include "platform/fs/Module.h"
#include "platform/ui/Window.h"

// Show states; accepted and ignored: the program chooses its window.
enum : int {
  SW_HIDE = 0,
  SW_SHOWNORMAL = 1,
  SW_SHOWMINIMIZED = 2,
  SW_SHOWMAXIMIZED = 3,
};

// What ShellExecute answers when it fails, as Windows does (success is any
// value above 32).
enum : int {
  SE_ERR_FNF = 2,        // the file does not exist
  SE_ERR_NOASSOC = 31,   // no program could be started for it
  SE_ERR_ACCESSDENIED = 5,
};

// verb: "open" or null (the same); other verbs fail with SE_ERR_NOASSOC.
// parameters and directory are ignored ("open" on a document takes none).
// Returns a value above 32 when the program was started, else one of the
// SE_ERR_ values (cast to HINSTANCE, as Windows does).
HINSTANCE ShellExecute(HWND window, const char* verb, const char* file, const char* parameters,
                       const char* directory, int show);
HINSTANCE ShellExecute(HWND window, const char16_t* verb, const char16_t* file,
                       const char16_t* parameters, const char16_t* directory, int show);

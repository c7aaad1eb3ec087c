#pragma once
// The open-file dialog (GetOpenFileName), shown by the front end.

#include "platform/com/WinTypes.h"
#include "platform/fs/Module.h"
#include "platform/ui/Window.h"

// Flags.
enum : DWORD {
  OFN_READONLY = 0x00000001,
  OFN_HIDEREADONLY = 0x00000004,
  OFN_NOCHANGEDIR = 0x00000008,
  OFN_PATHMUSTEXIST = 0x00000800,
  OFN_FILEMUSTEXIST = 0x00001000,
};

// lpstrFilter: pairs of a description and a pattern ("*.wav", several
// joined with ";"), each ended by a null character, the list by a second
// one. lpstrFile: the initial path in, the chosen one out (cut to
// nMaxFile characters with the terminator).
template <typename Char>
struct OpenFileNameT {
  DWORD lStructSize = sizeof(OpenFileNameT);
  HWND hwndOwner = nullptr;
  HINSTANCE hInstance = nullptr;
  const Char* lpstrFilter = nullptr;
  DWORD nFilterIndex = 0;  // 1-based; 0: the first
  Char* lpstrFile = nullptr;
  DWORD nMaxFile = 0;
  const Char* lpstrInitialDir = nullptr;
  const Char* lpstrTitle = nullptr;
  DWORD Flags = 0;
};
using OPENFILENAMEA = OpenFileNameT<char>;
using OPENFILENAMEW = OpenFileNameT<char16_t>;

// TRUE when the user chose a file (written to lpstrFile); FALSE when they
// cancelled or the structure is unusable.
BOOL GetOpenFileName(OPENFILENAMEA* request);
BOOL GetOpenFileName(OPENFILENAMEW* request);

#pragma once
// The messages, notifications and styles of the controls: buttons and the
// common controls (progress bar, animation).

#include "platform/ui/Messages.h"

// Buttons.
enum : UINT {
  BM_GETCHECK = 0x00F0,
  BM_SETCHECK = 0x00F1,
  BM_CLICK = 0x00F5,
};
enum : WORD {
  BN_CLICKED = 0,
};
enum : int {
  BST_UNCHECKED = 0,
  BST_CHECKED = 1,
};

// Progress bar. The range is 0..100 until set; PBM_SETRANGE packs the
// minimum and maximum in the low and high words of lParam.
enum : UINT {
  PBM_SETRANGE = WM_USER + 1,  // returns the previous range, packed
  PBM_SETPOS = WM_USER + 2,    // returns the previous position
  PBM_DELTAPOS = WM_USER + 3,  // returns the previous position
  PBM_SETSTEP = WM_USER + 4,   // returns the previous step
  PBM_STEPIT = WM_USER + 5,    // returns the previous position
  PBM_GETRANGE = WM_USER + 7,
  PBM_GETPOS = WM_USER + 8,
};

// Animation. ACM_OPEN: wParam the module holding the clip (null: the one
// whose template made the control), lParam the clip's resource id (0 closes
// the clip). ACM_PLAY: wParam the repeat count (-1 for ever), lParam the
// first and last frame in its low and high words (0, -1 for all).
enum : UINT {
  ACM_OPEN = WM_USER + 100,
  ACM_PLAY = WM_USER + 101,
  ACM_STOP = WM_USER + 102,
  ACM_ISPLAYING = WM_USER + 104,
};
enum : DWORD {
  ACS_CENTER = 0x1,
  ACS_TRANSPARENT = 0x2,
  ACS_AUTOPLAY = 0x4,  // plays as soon as a clip is opened
};

#pragma once
// Bitmaps and icons of a module's resources, for pictures and buttons. The
// resource data is a BMP or PNG file (kResourceBitmap) or an ICO file
// (kResourceIcon), embedded in the module by the build; the front ends
// decode it.

#include "platform/fs/Module.h"
#include "platform/ui/Geometry.h"

struct ImageRecord {
  HINSTANCE module;
  unsigned type;  // IMAGE_BITMAP or IMAGE_ICON
  unsigned id;
};
using HBITMAP = const ImageRecord*;
using HICON = const ImageRecord*;
using HANDLE_IMAGE = const ImageRecord*;

// Null when the module has no such resource. Images live as long as the
// process; DeleteObject / DestroyIcon are allowed and do nothing.
HBITMAP LoadBitmap(HINSTANCE instance, unsigned id);
HICON LoadIcon(HINSTANCE instance, unsigned id);
BOOL DestroyIcon(HICON icon);

// LoadImage's flags; the image is shown at its own size whatever is asked.
enum : unsigned {
  LR_DEFAULTCOLOR = 0x0000,
  LR_DEFAULTSIZE = 0x0040,
  LR_SHARED = 0x8000,
};
// A bitmap (IMAGE_BITMAP) or an icon (IMAGE_ICON) by identifier; cx and cy
// (0: the image's own) and the flags are accepted and change nothing. Null
// for another type or an identifier the module lacks.
HANDLE_IMAGE LoadImage(HINSTANCE instance, unsigned id, unsigned type, int cx, int cy, unsigned flags);

// The width and height of a bitmap's BMP or PNG data, or of an icon's
// first (largest listed) image; false when the data is neither.
bool BitmapSize(HBITMAP bitmap, SIZE* size);
bool IconSize(HICON icon, SIZE* size);

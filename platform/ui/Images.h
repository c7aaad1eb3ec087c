#pragma once
// Bitmaps and icons of a module's resources, for picture controls. The
// resource data is a BMP file (kResourceBitmap) or an ICO file
// (kResourceIcon); the front ends decode it.

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

// The width and height of a bitmap's BMP data; false when it is no BMP.
bool BitmapSize(HBITMAP bitmap, SIZE* size);

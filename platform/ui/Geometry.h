#pragma once
// Points, sizes and rectangles in pixels, as Windows lays windows out: x grows
// to the right, y downwards; a rectangle's right and bottom edges lie just
// outside it.

#include "platform/com/WinTypes.h"

struct POINT {
  LONG x;
  LONG y;
};

struct SIZE {
  LONG cx;
  LONG cy;
};

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

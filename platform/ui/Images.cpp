#include "platform/ui/Images.h"

#include <cstring>
#include <list>
#include <mutex>

#include "platform/ui/CommonControls.h"
#include "platform/ui/Resources.h"

namespace {

HANDLE_IMAGE Load(HINSTANCE instance, unsigned resourceType, unsigned imageType, unsigned id) {
  if (ui::FindBinary(instance, resourceType, id) == nullptr) return nullptr;
  static std::mutex mutex;
  static auto* images = new std::list<ImageRecord>;  // never freed: handles stay valid
  std::lock_guard lock(mutex);
  for (const ImageRecord& image : *images) {
    if (image.module == instance && image.type == imageType && image.id == id) return &image;
  }
  images->push_back(ImageRecord{instance, imageType, id});
  return &images->back();
}

std::uint32_t Little32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

HBITMAP LoadBitmap(HINSTANCE instance, unsigned id) {
  return Load(instance, kResourceBitmap, IMAGE_BITMAP, id);
}

HICON LoadIcon(HINSTANCE instance, unsigned id) {
  return Load(instance, kResourceIcon, IMAGE_ICON, id);
}

BOOL DestroyIcon(HICON icon) { return icon != nullptr ? TRUE : FALSE; }

HANDLE_IMAGE LoadImage(HINSTANCE instance, unsigned id, unsigned type, int, int, unsigned) {
  switch (type) {
    case IMAGE_BITMAP:
      return LoadBitmap(instance, id);
    case IMAGE_ICON:
      return LoadIcon(instance, id);
    default:
      return nullptr;
  }
}

bool BitmapSize(HBITMAP bitmap, SIZE* size) {
  if (bitmap == nullptr || size == nullptr || bitmap->type != IMAGE_BITMAP) return false;
  const ResourceBinary* data = ui::FindBinary(bitmap->module, kResourceBitmap, bitmap->id);
  if (data == nullptr) return false;
  const unsigned char* bytes = data->data;
  // BITMAPFILEHEADER (14 bytes), then a BITMAPINFOHEADER whose width and
  // height follow its own size field.
  if (data->size >= 26 && bytes[0] == 'B' && bytes[1] == 'M') {
    const auto width = static_cast<std::int32_t>(Little32(bytes + 18));
    const auto height = static_cast<std::int32_t>(Little32(bytes + 22));
    *size = SIZE{width, height < 0 ? -height : height};
    return true;
  }
  // PNG: the signature, then the IHDR chunk's width and height, big-endian.
  static constexpr unsigned char kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (data->size >= 24 && std::memcmp(bytes, kPng, sizeof kPng) == 0 && std::memcmp(bytes + 12, "IHDR", 4) == 0) {
    const auto big = [](const unsigned char* p) {
      return static_cast<LONG>((static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
                               (static_cast<std::uint32_t>(p[2]) << 8) | p[3]);
    };
    *size = SIZE{big(bytes + 16), big(bytes + 20)};
    return true;
  }
  return false;
}

bool IconSize(HICON icon, SIZE* size) {
  if (icon == nullptr || size == nullptr || icon->type != IMAGE_ICON) return false;
  const ResourceBinary* data = ui::FindBinary(icon->module, kResourceIcon, icon->id);
  // ICONDIR: reserved 0, type 1, count; then 16-byte entries whose first two
  // bytes are the width and height (0 standing for 256).
  if (data == nullptr || data->size < 22 || data->data[0] != 0 || data->data[1] != 0 || data->data[2] != 1 ||
      data->data[3] != 0 || (data->data[4] == 0 && data->data[5] == 0)) {
    return false;
  }
  const auto side = [](unsigned char value) { return static_cast<LONG>(value == 0 ? 256 : value); };
  *size = SIZE{side(data->data[6]), side(data->data[7])};
  return true;
}

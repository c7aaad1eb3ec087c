#include "platform/ui/Images.h"

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

bool BitmapSize(HBITMAP bitmap, SIZE* size) {
  if (bitmap == nullptr || size == nullptr || bitmap->type != IMAGE_BITMAP) return false;
  const ResourceBinary* data = ui::FindBinary(bitmap->module, kResourceBitmap, bitmap->id);
  // BITMAPFILEHEADER (14 bytes), then a BITMAPINFOHEADER whose width and
  // height follow its own size field.
  if (data == nullptr || data->size < 26 || data->data[0] != 'B' || data->data[1] != 'M') {
    return false;
  }
  const auto width = static_cast<std::int32_t>(Little32(data->data + 18));
  const auto height = static_cast<std::int32_t>(Little32(data->data + 22));
  *size = SIZE{width, height < 0 ? -height : height};
  return true;
}

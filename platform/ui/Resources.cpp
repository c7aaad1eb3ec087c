#include "platform/ui/Resources.h"

#include <algorithm>
#include <cstring>

#include "platform/text/TextConvert.h"

namespace ui {

const char* FindString(HINSTANCE instance, UINT id) {
  const ResourceTable* table = fs_module::ResourcesOf(instance);
  if (table == nullptr || table->strings == nullptr) return nullptr;
  const ResourceString* begin = table->strings;
  const ResourceString* end = begin + table->stringCount;
  const ResourceString* found = std::lower_bound(
      begin, end, id, [](const ResourceString& s, UINT wanted) { return s.id < wanted; });
  return found != end && found->id == id ? found->utf8 : nullptr;
}

const ResourceBinary* FindBinary(HINSTANCE instance, unsigned type, UINT id) {
  const ResourceTable* table = fs_module::ResourcesOf(instance);
  if (table == nullptr) return nullptr;
  for (std::size_t i = 0; i < table->binaryCount; ++i) {
    if (table->binaries[i].type == type && table->binaries[i].id == id) return &table->binaries[i];
  }
  return nullptr;
}

const DialogTemplate* FindDialog(HINSTANCE instance, UINT id) {
  const ResourceTable* table = fs_module::ResourcesOf(instance);
  if (table == nullptr) return nullptr;
  for (std::size_t i = 0; i < table->dialogCount; ++i) {
    if (table->dialogs[i].id == id) return &table->dialogs[i];
  }
  return nullptr;
}

}  // namespace ui

namespace {

template <typename Char>
int CopyString(const std::basic_string<Char>& text, bool found, Char* buffer, int cch) {
  if (buffer == nullptr || cch <= 0) return 0;
  const int n = found ? static_cast<int>(std::min<std::size_t>(text.size(), cch - 1)) : 0;
  std::memcpy(buffer, text.data(), static_cast<std::size_t>(n) * sizeof(Char));
  buffer[n] = 0;
  return n;
}

}  // namespace

int LoadString(HINSTANCE instance, UINT id, char* buffer, int cch) {
  const char* utf8 = ui::FindString(instance, id);
  return CopyString(utf8 ? text::Utf8ToAnsi(utf8) : std::string(), utf8 != nullptr, buffer, cch);
}

int LoadString(HINSTANCE instance, UINT id, char16_t* buffer, int cch) {
  const char* utf8 = ui::FindString(instance, id);
  return CopyString(utf8 ? text::Utf8ToUtf16(utf8) : std::u16string(), utf8 != nullptr, buffer,
                    cch);
}

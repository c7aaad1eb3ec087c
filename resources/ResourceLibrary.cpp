// One resource library: the string table (and, as the dialogs are built, the
// templates, bitmaps and animations) of one language. The build compiles this
// file once per language with ORVANE_STRINGS naming that language's table.

#include "platform/ui/ResourceTable.h"

namespace {

constexpr ResourceString kStrings[] = {
#include ORVANE_STRINGS
};

constexpr bool SortedById() {
  for (std::size_t i = 1; i < sizeof kStrings / sizeof kStrings[0]; ++i) {
    if (kStrings[i - 1].id >= kStrings[i].id) return false;
  }
  return true;
}
static_assert(SortedById(), "string ids must be sorted and unique");

constexpr ResourceTable kTable = {
    ResourceTable::kVersion, kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0, nullptr, 0,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const ResourceTable* OrvaneResourceTable() {
  return &kTable;
}

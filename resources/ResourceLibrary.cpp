// One resource library: the string table, the dialog templates, and the
// pictures (bitmaps, icons, animation clips) of one language. The build compiles this file once per language with
// ORVANE_STRINGS and ORVANE_DIALOGS naming that language's sources.

#include "platform/ui/CommonControls.h"
#include "platform/ui/ResourceTable.h"
#include "platform/ui/WindowStyles.h"

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

// What the resource compiler gives every control of a template.
constexpr DWORD kControl = WS_CHILD | WS_VISIBLE;

#include ORVANE_DIALOGS
#include "resources/Images.inc"  // generated from data/images

constexpr ResourceTable kTable = {
    ResourceTable::kVersion,
    kStrings,
    sizeof kStrings / sizeof kStrings[0],
    kBinaries,
    sizeof kBinaries / sizeof kBinaries[0],
    kDialogs,
    sizeof kDialogs / sizeof kDialogs[0],
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const ResourceTable* OrvaneResourceTable() {
  return &kTable;
}

#include "options/PageDialogs.h"

namespace {

// The dialogs are joined here as each is finished: until then the page's
// button answers that the dialog could not be shown, and the page keeps
// its values.
class CAddinPageDialogs final : public IPageDialogs {
 public:
  std::intptr_t Location(HWND, CCityInfo&, bool*, AddinSettings&) override { return -1; }
  std::intptr_t Advanced(HWND, AddinSettings&) override { return -1; }
  std::intptr_t Sound(HWND, AddinSettings&) override { return -1; }
  std::intptr_t CustomPrayers(HWND, AddinSettings&, int*) override { return -1; }
};

}  // namespace

IPageDialogs& AddinPageDialogs() {
  static CAddinPageDialogs dialogs;
  return dialogs;
}

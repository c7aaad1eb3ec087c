// The host's Options window: a tab for each page the add-ins added, the
// page of the chosen tab inside it, and OK, Cancel and Apply. Apply is
// offered exactly while a page says it has changes; OK applies them and
// closes, unless a page refused a value (it said why, and the window stays);
// Cancel closes without applying.

#include <string>

#include "host/model/OptionsWindow.h"
#include "platform/fs/Module.h"
#include "platform/text/TextConvert.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/FrontEnd.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowStyles.h"

namespace host {
namespace {

constexpr unsigned kOptionsTemplate = kOptionsWindowTemplate;
constexpr int kTabs = kOptionsTabs;
constexpr int kApply = kOptionsApply;  // Outlook's own id of the Apply button (0x3021)

// The page area below the tabs: the size the add-in's page is made for.
constexpr int kPageLeft = 8, kPageTop = 36, kPageWidth = 430, kPageHeight = 330;
constexpr int kWidth = kPageLeft * 2 + kPageWidth;
constexpr int kButtonsTop = kPageTop + kPageHeight + 10;
constexpr int kHeight = kButtonsTop + 23 + 10;

constexpr DWORD kControl = WS_CHILD | WS_VISIBLE;

constexpr DialogControlTemplate kOptionsControls[] = {
    {kTabs, ControlKind::kTab, 0, nullptr, kPageLeft, 8, kPageWidth, 26, kControl | WS_TABSTOP, 0},
    {IDOK, ControlKind::kButton, 0, "OK", kWidth - 3 * 83, kButtonsTop, 75, 23,
     kControl | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, 0},
    {IDCANCEL, ControlKind::kButton, 0, "Cancel", kWidth - 2 * 83, kButtonsTop, 75, 23,
     kControl | WS_TABSTOP | BS_PUSHBUTTON, 0},
    {kApply, ControlKind::kButton, 0, "Apply", kWidth - 83, kButtonsTop, 75, 23,
     kControl | WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, 0},
};

constexpr DialogTemplate kHostDialogs[] = {
    {kOptionsTemplate, 0, "Options", 120, 80, kWidth, kHeight,
     WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, "MS Shell Dlg", 8, IDCANCEL,
     kOptionsControls, sizeof kOptionsControls / sizeof kOptionsControls[0]},
};

constexpr ResourceTable kHostResources = {
    ResourceTable::kVersion, nullptr, 0, nullptr, 0, kHostDialogs, sizeof kHostDialogs / sizeof kHostDialogs[0],
};

// The host's own resources: the templates of its windows.
HINSTANCE HostInstance() {
  static const HMODULE self = fs_module::SelfModule(reinterpret_cast<const void*>(&HostInstance), &kHostResources);
  return self;
}

class OptionsWindow final : public ui::DialogHandler {
 public:
  explicit OptionsWindow(OptionsDialog& dialog) : dialog_(dialog) {}

  BOOL OnInitDialog(HWND window, LPARAM) override {
    window_ = window;
    HWND tabs = GetDlgItem(window, kTabs);
    for (std::size_t i = 0; i < dialog_.Pages().size(); ++i) {
      const std::string title = text::Utf16ToUtf8(dialog_.Pages()[i].title);
      SendMessage(tabs, TCM_INSERTITEM, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(title.c_str()));
    }
    const RECT area{kPageLeft, kPageTop, kPageLeft + kPageWidth, kPageTop + kPageHeight};
    dialog_.ShowPages(window, &area);
    ShowPage(0);
    dialog_.OnStatusChange([this] { UpdateApply(); });
    UpdateApply();
    return TRUE;
  }

  void OnCommand(HWND window, int id, int code, HWND) override {
    if (id == kTabs && code == TCN_SELCHANGE) {
      ShowPage(static_cast<int>(SendMessage(GetDlgItem(window, kTabs), TCM_GETCURSEL, 0, 0)));
      return;
    }
    if (code != BN_CLICKED) return;
    if (id == IDOK) {
      // A page that refused a value said why; the window stays for it.
      if (SUCCEEDED(dialog_.Apply())) EndDialog(window, IDOK);
      UpdateApply();
    } else if (id == IDCANCEL) {
      EndDialog(window, IDCANCEL);
    } else if (id == kApply) {
      dialog_.Apply();
      UpdateApply();
    }
  }

  void OnDestroy(HWND) override {
    dialog_.OnStatusChange(nullptr);
    window_ = nullptr;
  }

 private:
  void ShowPage(int shown) {
    for (std::size_t i = 0; i < dialog_.Pages().size(); ++i) {
      if (HWND page = dialog_.PageWindow(i)) ShowWindow(page, static_cast<int>(i) == shown ? SW_SHOW : SW_HIDE);
    }
  }
  void UpdateApply() {
    if (window_ != nullptr) EnableWindow(GetDlgItem(window_, kApply), dialog_.ApplyEnabled() ? TRUE : FALSE);
  }

  OptionsDialog& dialog_;
  HWND window_ = nullptr;
};

}  // namespace

int ShowOptionsWindow(OptionsDialog& dialog, std::string* failure) {
  if (!ui::CurrentFrontEnd()->ShowsDialogs()) {
    *failure =
        "the Options window needs a desktop, and none can be reached (DISPLAY, WAYLAND_DISPLAY); "
        "orvane options --get and --set work without one";
    return 1;
  }
  OptionsWindow window(dialog);
  if (DialogBoxParam(HostInstance(), kOptionsTemplate, nullptr, &window, 0) == -1) {
    *failure = "the Options window could not be shown";
    return 1;
  }
  return 0;
}

}  // namespace host

// The hyperlink control on a dialog of its own, used with the mouse and the
// keyboard as a person would.

#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "options/LinkControl.h"
#include "platform/registry/Registry.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/ResourceTable.h"
#include "platform/ui/UserInput.h"
#include "platform/ui/WindowStyles.h"
#include "tests/support/AddinTestEnvironment.h"

namespace {

constexpr int kLinkId = 1009;
constexpr int kOtherId = 10;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DialogControlTemplate kControls[] = {
    {kOtherId, ControlKind::kEdit, 0, nullptr, 10, 10, 100, 20, kChild | WS_TABSTOP, 0},
    {kLinkId, ControlKind::kStatic, 0, "City guide", 10, 40, 100, 14, kChild | SS_NOTIFY, 0},
};
constexpr DialogTemplate kDialogs[] = {
    {1, 0, "Link", 0, 0, 200, 80, WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT, 0, "MS Shell Dlg", 8,
     0, kControls, 2},
};
constexpr ResourceTable kTable = {ResourceTable::kVersion, nullptr, 0, nullptr, 0, kDialogs, 1};

HINSTANCE LinkModule() {
  static HINSTANCE module = fs_module::SelfModule(&kTable, &kTable);
  return module;
}

const char kAddress[] = "https://example.org/guide?a=1&b=2; touch /tmp/x $(id) \"q\"";

class LinkControlTest : public AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    m_dialog = CreateDialogParam(LinkModule(), 1, nullptr, &m_handler, 0);
    ASSERT_NE(m_dialog, nullptr);
    m_control = GetDlgItem(m_dialog, kLinkId);
    unsetenv("ORVANE_OPEN");
  }
  void TearDown() override {
    DestroyWindow(m_dialog);
    unsetenv("ORVANE_OPEN");
    AddinTest::TearDown();
  }
  // The dialog's calls, in its order.
  void Take(CLinkControl& link, const char* address = kAddress) {
    link.SetAddress(Utf8ToT(address).c_str());
    link.Attach(m_control);
    ASSERT_TRUE(link.Subclass(m_control));
    link.CreateTooltip();
    link.SetStyle(link.Style() & ~(CLinkControl::kUseHover | CLinkControl::kUseVisited), true);
  }
  ui::ControlSnapshot Shown() { return *m_frontEnd->Snapshot(m_dialog)->Control(kLinkId); }
  void SetBrowserValue(const char16_t* name, const char16_t* value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"Software\\Microsoft\\Internet Explorer\\Settings", 0,
                             nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                  static_cast<DWORD>((std::char_traits<char16_t>::length(value) + 1) * 2));
    RegCloseKey(key);
  }
  // A program that writes each of its arguments on a line of its own.
  std::string Recorder(const std::string& name) {
    const std::string path = (m_profile.Dir() / name).string();
    const std::string out = path + ".args";
    std::ofstream(path) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" << out
                        << ".part\"\nmv \"" << out << ".part\" \"" << out << "\"\n";
    chmod(path.c_str(), 0755);
    return path;
  }
  static std::string WaitForFile(const std::string& path) {
    for (int i = 0; i < 500; ++i) {
      std::ifstream in(path);
      if (in) {
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "(nothing)";
  }

  ui::DialogHandler m_handler;
  HWND m_dialog = nullptr;
  HWND m_control = nullptr;
};

TEST_F(LinkControlTest, WithoutBrowserSettingsTheLinkIsBlueUnderlinedWithTheHandAndItsAddress) {
  CLinkControl link;
  Take(link);
  EXPECT_EQ(link.Style(), 125u & ~(2u | 64u));
  EXPECT_EQ(link.VisitedColor(), RGB(128, 0, 128));
  EXPECT_EQ(link.HoverColor(), RGB(255, 0, 0));
  const ui::ControlSnapshot shown = Shown();
  EXPECT_EQ(shown.textColor, RGB(0, 0, 255));
  EXPECT_TRUE(shown.underline);
  EXPECT_EQ(shown.cursorId, IDC_HAND);
  EXPECT_EQ(shown.tooltip, kAddress);
  EXPECT_EQ(shown.text, "City guide");  // the control keeps its own text

  // Clearing the underline bit replaces the font with one without it.
  link.SetStyle(link.Style() & ~CLinkControl::kUnderline, true);
  EXPECT_FALSE(Shown().underline);
  link.SetAddress(TEXT("https://example.org/other"));
  EXPECT_EQ(Shown().tooltip, "https://example.org/other");
}

TEST_F(LinkControlTest, TheBrowsersColoursAreTakenOnlyAsThreeNumbers) {
  SetBrowserValue(u"Anchor Color", u"0,128,0");
  SetBrowserValue(u"Anchor Color Visited", u"1,2");
  SetBrowserValue(u"Anchor Color Hover", u"1,2,3,4");
  SetBrowserValue(u"Use Anchor Hover Color", u"YES");
  CLinkControl link;
  link.Attach(m_control);
  EXPECT_EQ(link.LinkColor(), RGB(0, 128, 0));
  EXPECT_EQ(link.VisitedColor(), RGB(128, 0, 128));
  EXPECT_EQ(link.HoverColor(), RGB(255, 0, 0));
  EXPECT_EQ(link.Style(), 127u);  // the hover colour is wanted
  ASSERT_TRUE(link.Subclass(m_control));
  EXPECT_EQ(Shown().textColor, RGB(0, 128, 0));

  // Hovering shows the hover colour; moving off the link ends it even
  // though the link holds the mouse.
  ASSERT_TRUE(ui::input::Mouse(m_control, WM_MOUSEMOVE, POINT{3, 3}));
  EXPECT_TRUE(link.Hovering());
  EXPECT_EQ(GetCapture(), m_control);
  EXPECT_EQ(Shown().textColor, RGB(255, 0, 0));
  ASSERT_TRUE(ui::input::Mouse(GetDlgItem(m_dialog, kOtherId), WM_MOUSEMOVE, POINT{2, 2}));
  EXPECT_FALSE(link.Hovering());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Shown().textColor, RGB(0, 128, 0));
}

TEST_F(LinkControlTest, AClickOpensTheAddressAsOneArgumentAndTheLinkIsVisited) {
  const std::string opener = Recorder("opener");
  setenv("ORVANE_OPEN", opener.c_str(), 1);
  CLinkControl link;
  Take(link);
  link.SetStyle(link.Style() | CLinkControl::kUseVisited, true);
  ASSERT_TRUE(m_frontEnd->Click(m_dialog, kLinkId));
  EXPECT_EQ(WaitForFile(opener + ".args"), std::string(kAddress) + "\n");
  EXPECT_TRUE(link.Visited());
  EXPECT_EQ(Shown().textColor, RGB(128, 0, 128));
  EXPECT_EQ(GetFocus(), m_control);

  // With the focus, the space key opens it too.
  std::remove((opener + ".args").c_str());
  ASSERT_TRUE(m_frontEnd->Key(m_dialog, VK_SPACE));
  EXPECT_EQ(WaitForFile(opener + ".args"), std::string(kAddress) + "\n");
}

TEST_F(LinkControlTest, TheBrowsersOwnCommandGetsTheAddressAsOneArgumentNeverThroughAShell) {
  // The shell's opener fails; the page type's command is used instead. It
  // used to get the address pasted on to its command line and started
  // through a shell, which split it at blanks and ran what followed ";".
  setenv("ORVANE_OPEN", "/nonexistent/opener", 1);
  const std::string browser = Recorder("my browser");
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, u".htm", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueEx(key, u"", 0, REG_SZ, reinterpret_cast<const BYTE*>(u"TestPage"), 18);
  RegCloseKey(key);
  ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, u"TestPage\\shell\\open\\command", 0, nullptr, 0,
                           KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::u16string command = u"\"" + text::Utf8ToUtf16(browser) + u"\" --new-window \"%1\"";
  RegSetValueEx(key, u"", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                static_cast<DWORD>((command.size() + 1) * 2));
  RegCloseKey(key);

  CLinkControl link;
  Take(link);
  EXPECT_EQ(link.Open(), S_OK);
  EXPECT_EQ(WaitForFile(browser + ".args"), std::string("--new-window\n") + kAddress + "\n");
  EXPECT_TRUE(link.Visited());
}

TEST_F(LinkControlTest, AFailedOpenChangesNothingAndNoAddressOpensNothing) {
  setenv("ORVANE_OPEN", "/nonexistent/opener", 1);
  CLinkControl link;
  Take(link);
  EXPECT_TRUE(FAILED(link.Open()));
  EXPECT_FALSE(link.Visited());

  link.SetAddress(TEXT(""));
  EXPECT_EQ(link.Open(), S_FALSE);
  EXPECT_FALSE(link.Visited());
}

}  // namespace

// The progress window: its thread, its bar, its texts, its Cancel button.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "addin/ProgressPage.h"
#include "services/TraceLog.h"
#include "platform/registry/Registry.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/TerminalFrontEnd.h"
#include "platform/ui/WindowStyles.h"
#include "tests/support/AddinTestEnvironment.h"

namespace {

// Stands for the add-in object: counts its references and keeps the flag.
class FakeOwner final : public IProgressOwner {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid != IUnknown::kIID && iid != IProgressOwner::kIID) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IProgressOwner*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override { return --m_refs; }  // lives on the test's stack
  void SetCancelFlag(LONG value) override { m_flag = value; }
  LONG GetCancelFlag() override { return m_flag; }

  std::atomic<ULONG> m_refs{0};
  std::atomic<LONG> m_flag{0};
};

class ProgressPageTest : public AddinTest {
 protected:
  int BarPosition(const CProgressPage& page) {
    return static_cast<int>(
        SendMessage(GetDlgItem(page.Window(), CProgressPage::kProgressBar), PBM_GETPOS, 0, 0));
  }
  // Waits, generously, for something another thread does.
  template <typename Test>
  static bool Eventually(Test&& test) {
    for (int i = 0; i < 1000; ++i) {
      if (test()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return test();
  }
};

TEST_F(ProgressPageTest, StepsAddUpTheirFractionsAndTheBarEndsExactlyAt100) {
  CProgressPage page;
  ASSERT_EQ(page.CreatePage(CProgressPage::kModeCreate, 0.4f, false), S_OK);
  // 0.4, 0.8, 1.2 -> 1 (0.2 left), 0.6, 1.0 -> 1, ...: two moves of 1 every
  // five calls, at the third and the fifth.
  std::vector<int> moves;
  int before = 0;
  for (int call = 1; call <= 10; ++call) {
    page.Stepit();
    const int now = BarPosition(page);
    if (now != before) moves.push_back(call);
    EXPECT_LE(now - before, 1) << "call " << call;
    before = now;
  }
  EXPECT_EQ(moves, (std::vector<int>{3, 5, 8, 10}));
  for (int call = 11; call <= 300; ++call) page.Stepit();
  EXPECT_EQ(BarPosition(page), 100);
  page.DestroyPage();

  // 30 a step: 30, 60, 90, then 100, not 120; and it stays there (a bar
  // stepped past its end starts over from the beginning).
  CProgressPage big;
  ASSERT_EQ(big.CreatePage(CProgressPage::kModeCreate, 30.0f, false), S_OK);
  std::vector<int> positions;
  for (int call = 1; call <= 6; ++call) {
    big.Stepit();
    positions.push_back(BarPosition(big));
  }
  EXPECT_EQ(positions, (std::vector<int>{30, 60, 90, 100, 100, 100}));
  big.DestroyPage();
}

TEST_F(ProgressPageTest, ADelayedWindowShowsOnlyWhenTheOperationOutlastsTheDelay) {
  CProgressPage quick;
  ASSERT_EQ(quick.CreatePage(CProgressPage::kModeCreate, 10.0f, true), S_OK);
  const HWND quickWindow = quick.Window();
  quick.Stepit();
  quick.DestroyPage();
  EXPECT_FALSE(m_frontEnd->WasShown(quickWindow));
  ASSERT_FALSE(m_frontEnd->History(quickWindow).empty());
  EXPECT_EQ(m_frontEnd->History(quickWindow).back().event, ui::WindowEvent::kDestroyed);

  CProgressPage slow;
  ASSERT_EQ(slow.CreatePage(CProgressPage::kModeCreate, 10.0f, true), S_OK);
  EXPECT_TRUE(
      m_frontEnd->WaitFor(slow.Window(), [](const ui::WindowSnapshot& w) { return w.visible; }));
  slow.DestroyPage();
}

TEST_F(ProgressPageTest, EachModeHasItsClipAndOnlyAnUpdateCannotBeCancelled) {
  struct Case {
    int mode;
    unsigned clip;
    bool cancellable;
  };
  for (const Case& c :
       {Case{CProgressPage::kModeDelete, 223, true}, Case{CProgressPage::kModeCreate, 224, true},
        Case{CProgressPage::kModeUpdate, 224, false}}) {
    FakeOwner owner;
    {
      CProgressPage page;
      page.SetOwner(&owner);
      EXPECT_EQ(owner.m_refs, 1u);
      ASSERT_EQ(page.CreatePage(c.mode, 10.0f, false), S_OK);
      const HWND window = page.Window();
      const auto shown = m_frontEnd->Snapshot(window);
      ASSERT_TRUE(shown.has_value());
      EXPECT_TRUE(shown->visible);
      EXPECT_EQ(shown->Control(CProgressPage::kAnimation)->clip, c.clip) << c.mode;
      EXPECT_TRUE(shown->Control(CProgressPage::kAnimation)->playing) << c.mode;
      EXPECT_EQ(shown->Control(CProgressPage::kCancelButton)->enabled, c.cancellable) << c.mode;

      EXPECT_EQ(m_frontEnd->Click(window, CProgressPage::kCancelButton), c.cancellable);
      // Not even a command from elsewhere cancels an update.
      SendMessage(window, WM_COMMAND, MAKEWPARAM(CProgressPage::kCancelButton, BN_CLICKED), 0);
      EXPECT_EQ(owner.GetCancelFlag(), c.cancellable ? 1 : 0) << c.mode;
      page.DestroyPage();
    }
    EXPECT_EQ(owner.m_refs, 0u);  // the page let its owner go
  }
}

TEST_F(ProgressPageTest, DestroyPageReturnsWithTheWindowAndItsThreadGone) {
  for (int round = 0; round < 20; ++round) {
    CProgressPage page;
    ASSERT_EQ(page.CreatePage(CProgressPage::kModeDelete, 1.0f, round % 2 == 0), S_OK);
    const HWND window = page.Window();
    const HWND text = GetDlgItem(window, CProgressPage::kTextLine);
    ASSERT_TRUE(IsWindow(window));
    page.DestroyPage();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindow(text));
    // The thread has ended: its queue takes nothing any more.
    EXPECT_FALSE(PostThreadMessage(page.ThreadId(), WM_NULL, 0, 0));
    // The clip was closed before the window went.
    const auto history = m_frontEnd->History(window);
    ASSERT_GE(history.size(), 2u);
    EXPECT_EQ(history[history.size() - 2].window.Control(CProgressPage::kAnimation)->clip, 0u);
    page.DestroyPage();  // a second time does nothing
  }
}

TEST_F(ProgressPageTest, WithoutItsTemplateCreatePageFailsInsteadOfWaitingForEver) {
  FreeResourceLibrary();  // the module itself has no dialog 160
  CProgressPage page;
  EXPECT_EQ(page.CreatePage(CProgressPage::kModeCreate, 10.0f, false), E_FAIL);
  EXPECT_EQ(page.Window(), nullptr);
  page.Stepit();
  page.SetText(TEXT("x"), 1033);
  page.DestroyPage();
}

TEST_F(ProgressPageTest, TheTextLineIsSizedToItsTextAndTheSecondTextMovesBesideIt) {
  CProgressPage page;
  ASSERT_EQ(page.CreatePage(CProgressPage::kModeCreate, 10.0f, false), S_OK);
  const HWND window = page.Window();
  const ui::WindowSnapshot first = m_frontEnd->History(window).front().window;
  const RECT line = first.Control(CProgressPage::kTextLine)->rect;
  const RECT second = first.Control(CProgressPage::kSecondText)->rect;
  const LONG secondWidth = second.right - second.left;
  const HFONT font = reinterpret_cast<HFONT>(SendMessage(window, WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  SIZE extent{};

  // Arabic: the line ends at its old right edge; the second text at its left.
  const tchar* arabic = TEXT("يتم حذف مواعيد الصلاة: ");
  page.SetText(arabic, 1025);
  GetTextExtentPoint32(font, arabic, static_cast<int>(tstring_view(arabic).size()), &extent);
  auto now = *m_frontEnd->Snapshot(window);
  RECT moved = now.Control(CProgressPage::kTextLine)->rect;
  RECT beside = now.Control(CProgressPage::kSecondText)->rect;
  EXPECT_EQ(moved.right, line.right);
  EXPECT_EQ(moved.right - moved.left, extent.cx);
  EXPECT_EQ(beside.right, moved.left);
  EXPECT_EQ(beside.right - beside.left, secondWidth);
  EXPECT_EQ(moved.top, line.top);
  EXPECT_EQ(moved.bottom - moved.top, line.bottom - line.top);
  EXPECT_EQ(beside.top, second.top);
  EXPECT_EQ(now.Control(CProgressPage::kTextLine)->text, TToUtf8(arabic));

  // Any other language: the line starts at its old left edge; the second
  // text right after it.
  const tchar* english = TEXT("Creating prayer appointments: ");
  page.SetText(english, 1033);
  GetTextExtentPoint32(font, english, static_cast<int>(tstring_view(english).size()), &extent);
  now = *m_frontEnd->Snapshot(window);
  moved = now.Control(CProgressPage::kTextLine)->rect;
  beside = now.Control(CProgressPage::kSecondText)->rect;
  EXPECT_EQ(moved.left, line.left);
  EXPECT_EQ(moved.right - moved.left, extent.cx);
  EXPECT_EQ(beside.left, moved.right);
  EXPECT_EQ(beside.right - beside.left, secondWidth);
  page.DestroyPage();
}

TEST_F(ProgressPageTest, TheSecondTextReadsRightToLeftOnlyWhenAskedTo) {
  CProgressPage page;
  ASSERT_EQ(page.CreatePage(CProgressPage::kModeCreate, 10.0f, false), S_OK);
  const HWND second = GetDlgItem(page.Window(), CProgressPage::kSecondText);
  page.SetSecondText(TEXT("21/03/2004"), 1);
  EXPECT_NE(GetWindowLong(second, GWL_EXSTYLE) & WS_EX_RTLREADING, 0);
  page.SetSecondText(TEXT("03/22/2004"), 0);
  EXPECT_EQ(GetWindowLong(second, GWL_EXSTYLE) & WS_EX_RTLREADING, 0);
  EXPECT_EQ(m_frontEnd->Snapshot(page.Window())->Control(CProgressPage::kSecondText)->text,
            "03/22/2004");
  page.DestroyPage();
}

TEST_F(ProgressPageTest, AWalksDatesAreShownAtMostEveryFortyMilliseconds) {
  CProgressPage page;
  EXPECT_TRUE(page.SecondTextDue()) << "the first date always shows";
  EXPECT_FALSE(page.SecondTextDue());
  EXPECT_FALSE(page.SecondTextDue());
  std::this_thread::sleep_for(CProgressPage::kSecondTextInterval + std::chrono::milliseconds(5));
  EXPECT_TRUE(page.SecondTextDue()) << "the date after a slow step shows at once";
  EXPECT_FALSE(page.SecondTextDue());
  CProgressPage next;
  EXPECT_TRUE(next.SecondTextDue()) << "each walk's page starts afresh";
}

TEST_F(ProgressPageTest, CtrlCInTheTerminalPressesCancelInsteadOfEndingTheProgram) {
  const int null = open("/dev/null", O_WRONLY);
  ui::SetFrontEnd(std::make_shared<ui::TerminalFrontEnd>(null));
  const auto disposition = [] {
    struct sigaction now {};
    sigaction(SIGINT, nullptr, &now);
    return now.sa_handler;
  };
  FakeOwner owner;
  {
    CProgressPage page;
    page.SetOwner(&owner);
    ASSERT_EQ(page.CreatePage(CProgressPage::kModeDelete, 10.0f, false), S_OK);
    raise(SIGINT);
    EXPECT_TRUE(Eventually([&] { return owner.GetCancelFlag() == 1; }));
    page.DestroyPage();
  }
  // With no progress window, Ctrl-C ends the program again.
  EXPECT_EQ(disposition(), SIG_DFL);
  ui::SetFrontEnd(m_frontEnd);
  close(null);
}

TEST_F(ProgressPageTest, CreateAndDestroyWriteTheirTraceLines) {
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, "Software\\Veltrix\\Orvane\\3.0", "LogToFile", 1),
            ERROR_SUCCESS);
  CTraceLog::Instance().Setup();
  {
    CProgressPage page;
    ASSERT_EQ(page.CreatePage(CProgressPage::kModeCreate, 10.0f, false), S_OK);
    page.DestroyPage();
  }
  registry::SetDword(HKEY_CURRENT_USER, "Software\\Veltrix\\Orvane\\3.0", "LogToFile", 0);
  CTraceLog::Instance().Setup();
  std::ifstream in(m_profile.Dir() / "drive_c" / "orvnlog.txt", std::ios::binary);
  std::ostringstream log;
  log << in.rdbuf();
  const std::string text = log.str();
  const std::size_t enter = text.find("\nEnter CProgressPage::CreatePage()");
  const std::size_t exit = text.find("\nExit CProgressPage::CreatePage()");
  const std::size_t destroy = text.find("\nEnter CProgressPage::DestroyPage()");
  const std::size_t destroyed = text.find("\nExit CProgressPage::DestroyPage()");
  ASSERT_NE(enter, std::string::npos) << text;
  EXPECT_LT(enter, exit);
  EXPECT_LT(exit, destroy);
  EXPECT_LT(destroy, destroyed);
  EXPECT_NE(destroyed, std::string::npos);
}

}  // namespace

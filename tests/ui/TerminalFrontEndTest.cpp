// The terminal front end: message boxes and the progress line on standard
// error, and Ctrl-C as the Cancel button.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/ui/TerminalFrontEnd.h"
#include "tests/ui/UiTestSupport.h"

namespace uitest {
namespace {

// Everything readable from fd within a short while.
std::string Drain(int fd) {
  std::string got;
  for (;;) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 200) <= 0) return got;
    char buffer[512];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return got;
    got.append(buffer, static_cast<std::size_t>(n));
  }
}

class TerminalFrontEndTest : public ::testing::Test {
 protected:
  void TearDown() override { ui::SetFrontEnd(nullptr); }
};

TEST_F(TerminalFrontEndTest, ALineIsDrawnOnlyOnATerminal) {
  // A pipe: boxes, but no progress line and no control characters.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  auto onPipe = std::make_shared<ui::TerminalFrontEnd>(fds[1]);
  ui::SetFrontEnd(onPipe);
  {
    RecordingHandler handler;
    WindowThread thread(&handler);
    ShowWindow(thread.Dialog(), SW_SHOW);
    SendMessage(GetDlgItem(thread.Dialog(), kProgress), PBM_SETPOS, 50, 0);
    MessageBox(nullptr, u"Nothing to delete.", u"Orvane", MB_OK | MB_ICONERROR);
  }
  EXPECT_EQ(Drain(fds[0]), "[error] Orvane: Nothing to delete.\n");
  ui::SetFrontEnd(nullptr);
  onPipe.reset();
  close(fds[0]);
  close(fds[1]);

  // A terminal: the line, redrawn in place, and erased when the window goes.
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  ui::SetFrontEnd(std::make_shared<ui::TerminalFrontEnd>(terminal));
  {
    RecordingHandler handler;
    WindowThread thread(&handler);
    ShowWindow(thread.Dialog(), SW_SHOW);
    SendMessage(GetDlgItem(thread.Dialog(), kProgress), PBM_SETPOS, 50, 0);
    ShowWindow(thread.Dialog(), SW_HIDE);
  }
  const std::string drawn = Drain(master);
  EXPECT_NE(drawn.find("\rTest dialog [--------------------]   0% Label"), std::string::npos)
      << drawn;
  EXPECT_NE(drawn.find("\rTest dialog [##########----------]  50% Label\x1b[K"), std::string::npos)
      << drawn;
  EXPECT_EQ(drawn.substr(drawn.size() - 4), "\r\x1b[K");
  ui::SetFrontEnd(nullptr);
  close(terminal);
  close(master);
}

TEST(TerminalProgressLine, ShowsCaptionClipBarAndTextsCutToTheWidth) {
  ui::WindowSnapshot window{};
  window.caption = "Orvane";
  ui::ControlSnapshot clip{};
  clip.kind = ControlKind::kAnimation;
  clip.clip = 223;
  clip.frame = "(o )";
  ui::ControlSnapshot bar{};
  bar.kind = ControlKind::kProgressBar;
  bar.rangeMax = 200;
  bar.position = 50;
  ui::ControlSnapshot text{};
  text.kind = ControlKind::kStatic;
  text.visible = true;
  text.text = "يتم حذف مواعيد الصلاة: ";
  ui::ControlSnapshot date = text;
  date.text = "21/03/2004";
  window.controls = {clip, bar, text, date};
  EXPECT_EQ(ui::TerminalFrontEnd::ProgressLine(window, 0),
            "Orvane (o ) [#####---------------]  25% يتم حذف مواعيد الصلاة: 21/03/2004");
  // Cut by characters, not bytes: no half letter at the end.
  EXPECT_EQ(ui::TerminalFrontEnd::ProgressLine(window, 46),
            "Orvane (o ) [#####---------------]  25% يتم حذ");
}

TEST_F(TerminalFrontEndTest, CtrlCIsHandledOnlyWhileACancellableWindowIsShown) {
  const int null = open("/dev/null", O_WRONLY);
  ui::SetFrontEnd(std::make_shared<ui::TerminalFrontEnd>(null));
  const auto disposition = [] {
    struct sigaction now {};
    sigaction(SIGINT, nullptr, &now);
    return now.sa_handler;
  };
  ASSERT_EQ(disposition(), SIG_DFL);
  {
    RecordingHandler handler;
    WindowThread thread(&handler);
    EXPECT_EQ(disposition(), SIG_DFL);  // hidden: nothing to cancel
    ShowWindow(thread.Dialog(), SW_SHOW);
    EXPECT_NE(disposition(), SIG_DFL);

    raise(SIGINT);
    // The press comes through the window's thread; wait for it, generously.
    for (int i = 0; i < 1000 && handler.Values("command").empty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(handler.Values("command"), std::vector<WPARAM>{kCancel});

    ShowWindow(thread.Dialog(), SW_HIDE);
    EXPECT_EQ(disposition(), SIG_DFL);
  }
  ui::SetFrontEnd(nullptr);
  close(null);
}

TEST(TerminalInterruptDeathTest, CtrlCStillEndsTheProgramWhenCancelIsDisabled) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const int null = open("/dev/null", O_WRONLY);
        ui::SetFrontEnd(std::make_shared<ui::TerminalFrontEnd>(null));
        RecordingHandler handler;
        WindowThread thread(&handler);
        ShowWindow(thread.Dialog(), SW_SHOW);
        EnableWindow(GetDlgItem(thread.Dialog(), kCancel), FALSE);
        raise(SIGINT);
        // The watcher passes the signal on; give it all the time it needs.
        std::this_thread::sleep_for(std::chrono::seconds(10));
        std::exit(0);
      },
      ::testing::KilledBySignal(SIGINT), "");
}

}  // namespace
}  // namespace uitest

// The desktop made only when a window is about to show: windows made
// hidden, changed and destroyed while hidden cost nothing; the first shown
// window, message box, file request or question about dialogs makes it,
// and it hears first of the hidden windows as they are by then; a desktop
// that cannot be made leaves the terminal's answers.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/DeferredFrontEnd.h"

namespace {

// Notes what it is told, one line an event.
class NotingFrontEnd final : public ui::FrontEnd {
 public:
  int ShowMessageBox(const ui::MessageBoxRequest& request) override {
    heard.push_back("box " + request.text);
    return 42;
  }
  void OnWindowEvent(ui::WindowEvent event, const ui::WindowSnapshot& window) override {
    heard.push_back(std::string(ui::WindowEventName(event)) + " " + window.caption);
  }
  bool ShowsDialogs() const override { return dialogs; }

  std::vector<std::string> heard;
  bool dialogs = true;
};

ui::WindowSnapshot Window(int handle, const char* caption, bool visible) {
  ui::WindowSnapshot window{};
  window.handle = reinterpret_cast<HWND>(static_cast<intptr_t>(handle));
  window.caption = caption;
  window.visible = visible;
  return window;
}

struct Deferred {
  Deferred() {
    frontEnd = std::make_unique<ui::DeferredFrontEnd>(
        [this] {
          ++made;
          return desktop;
        },
        terminal);
  }
  std::shared_ptr<NotingFrontEnd> desktop = std::make_shared<NotingFrontEnd>();
  std::shared_ptr<NotingFrontEnd> terminal = std::make_shared<NotingFrontEnd>();
  std::unique_ptr<ui::DeferredFrontEnd> frontEnd;
  int made = 0;
};

TEST(DeferredFrontEnd, HiddenWindowsCostNothingUntilOneShows) {
  Deferred d;
  d.frontEnd->OnWindowEvent(ui::WindowEvent::kCreated, Window(1, "Progress", false));
  d.frontEnd->OnWindowEvent(ui::WindowEvent::kChanged, Window(1, "Progress 10%", false));
  d.frontEnd->OnWindowEvent(ui::WindowEvent::kCreated, Window(2, "Gone", false));
  d.frontEnd->OnWindowEvent(ui::WindowEvent::kDestroyed, Window(2, "Gone", false));
  d.frontEnd->OnWindowEvent(ui::WindowEvent::kCreated, Window(3, "Owner", false));
  EXPECT_EQ(d.made, 0);
  EXPECT_FALSE(d.frontEnd->Made());

  // The progress window shows: the desktop is made, and learns of the
  // windows that exist, as they are now, before the one at hand shows.
  d.frontEnd->OnWindowEvent(ui::WindowEvent::kShown, Window(1, "Progress 40%", true));
  EXPECT_EQ(d.made, 1);
  EXPECT_EQ(d.desktop->heard, (std::vector<std::string>{"created Owner", "shown Progress 40%"}));
  d.frontEnd->OnWindowEvent(ui::WindowEvent::kCreated, Window(4, "Later", false));
  EXPECT_EQ(d.desktop->heard.back(), "created Later") << "once made, it hears everything";
  EXPECT_EQ(d.made, 1);
  EXPECT_TRUE(d.terminal->heard.empty());
}

TEST(DeferredFrontEnd, ABoxOrAQuestionAboutDialogsMakesTheDesktop) {
  Deferred box;
  EXPECT_EQ(box.frontEnd->ShowMessageBox({nullptr, "Filled already", "Outlook", 0}), 42);
  EXPECT_EQ(box.made, 1);
  EXPECT_EQ(box.desktop->heard, std::vector<std::string>{"box Filled already"});

  Deferred question;
  question.desktop->dialogs = false;
  EXPECT_FALSE(question.frontEnd->ShowsDialogs());
  EXPECT_EQ(question.made, 1);
}

TEST(DeferredFrontEnd, ADesktopThatCannotBeMadeLeavesTheTerminalsAnswers) {
  Deferred d;
  d.desktop = nullptr;
  d.terminal->dialogs = false;
  d.frontEnd->OnWindowEvent(ui::WindowEvent::kCreated, Window(1, "Progress", false));
  d.frontEnd->OnWindowEvent(ui::WindowEvent::kShown, Window(1, "Progress", true));
  EXPECT_EQ(d.made, 1);
  EXPECT_FALSE(d.frontEnd->ShowsDialogs());
  EXPECT_EQ(d.made, 1) << "tried once, not at every window";
  EXPECT_EQ(d.terminal->heard, std::vector<std::string>{"shown Progress"});
}

}  // namespace

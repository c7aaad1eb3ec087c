// Dialogs from templates, their handlers and their controls.

#include <cstring>

#include "platform/ui/AnimationClip.h"
#include "platform/ui/Font.h"
#include "tests/ui/UiTestSupport.h"

namespace uitest {
namespace {

using DialogTest = UiTest;

std::vector<std::string> What(const RecordingHandler& handler) {
  std::vector<std::string> what;
  for (const auto& call : handler.Calls()) what.push_back(call.what);
  return what;
}

TEST_F(DialogTest, ADialogIsMadeFromItsTemplateAndInitialisedBeforeItShows) {
  RecordingHandler handler;
  WindowThread thread(&handler);
  HWND dialog = thread.Dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(What(handler), (std::vector<std::string>{"font", "init"}));
  EXPECT_EQ(handler.Values("init"), std::vector<WPARAM>{42});
  EXPECT_EQ(handler.Calls()[1].thread, thread.ThreadId());

  // The front end heard of it once whole, hidden, with the template's texts.
  const auto history = m_frontEnd->History(dialog);
  ASSERT_FALSE(history.empty());
  EXPECT_EQ(history.front().event, ui::WindowEvent::kCreated);
  const ui::WindowSnapshot& created = history.front().window;
  EXPECT_EQ(created.caption, "Test dialog");
  EXPECT_FALSE(created.visible);
  EXPECT_EQ(created.templateId, static_cast<unsigned>(kDialog));
  EXPECT_EQ(created.cancelId, kCancel);
  ASSERT_EQ(created.controls.size(), 7u);
  ASSERT_NE(created.Control(kLabel), nullptr);
  EXPECT_EQ(created.Control(kLabel)->text, "Label");
  EXPECT_EQ(created.Control(kLabel)->rect, (RECT{10, 10, 90, 24}));
  EXPECT_FALSE(created.Control(kDisabled)->enabled);
  EXPECT_TRUE(created.Control(kOk)->enabled);
  EXPECT_EQ(GetDlgCtrlID(GetDlgItem(dialog, kOk)), kOk);
  EXPECT_EQ(GetParent(GetDlgItem(dialog, kOk)), dialog);
  EXPECT_EQ(GetParent(dialog), nullptr);

  // No template, no handler: no dialog.
  EXPECT_EQ(CreateDialogParam(TestModule(), 999, nullptr, &handler, 0), nullptr);
  EXPECT_EQ(CreateDialogParam(TestModule(), kDialog, nullptr, nullptr, 0), nullptr);
}

TEST_F(DialogTest, DestroyingTellsTheHandlerOnceWithItsControlsStillThere) {
  RecordingHandler handler;
  WindowThread thread(&handler);
  HWND dialog = thread.Dialog();
  HWND label = GetDlgItem(dialog, kLabel);
  // Only the window's own thread may destroy it.
  EXPECT_FALSE(DestroyWindow(dialog));
  EXPECT_TRUE(IsWindow(dialog));

  EXPECT_TRUE(SendMessage(dialog, kDestroySelf, 0, 0));
  EXPECT_EQ(thread.Join(), 7);  // the handler's PostQuitMessage(7)
  const auto calls = handler.Calls();
  ASSERT_EQ(
      std::count_if(calls.begin(), calls.end(), [](const auto& c) { return c.what == "destroy"; }),
      1);
  EXPECT_TRUE(calls.back().controlsAlive);
  EXPECT_EQ(calls.back().thread, thread.ThreadId());
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_FALSE(IsWindow(label));
  const auto history = m_frontEnd->History(dialog);
  ASSERT_FALSE(history.empty());
  EXPECT_EQ(history.back().event, ui::WindowEvent::kDestroyed);
  EXPECT_FALSE(history.back().window.visible);
}

TEST_F(DialogTest, ChangesFromAnotherThreadAreMadeOnTheWindowThread) {
  RecordingHandler handler;
  WindowThread thread(&handler);
  HWND dialog = thread.Dialog();
  HWND label = GetDlgItem(dialog, kLabel);
  HWND ok = GetDlgItem(dialog, kOk);

  EXPECT_FALSE(ShowWindow(dialog, SW_SHOW));  // was hidden
  EXPECT_TRUE(ShowWindow(dialog, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_TRUE(IsWindowVisible(label));
  EXPECT_FALSE(EnableWindow(ok, FALSE));  // was enabled
  EXPECT_FALSE(IsWindowEnabled(ok));
  EXPECT_TRUE(SetWindowText(label, u"صلاة الفجر"));
  char16_t text[32];
  EXPECT_EQ(GetWindowText(label, text, 32), 10);
  EXPECT_EQ(std::u16string(text), u"صلاة الفجر");
  EXPECT_EQ(GetWindowText(label, text, 4), 3);  // cut to fit, terminated
  EXPECT_EQ(std::u16string(text), u"صلا");
  EXPECT_EQ(SetWindowLong(label, GWL_EXSTYLE, WS_EX_RTLREADING), 0);
  EXPECT_EQ(GetWindowLong(label, GWL_EXSTYLE), static_cast<LONG>(WS_EX_RTLREADING));

  const auto last = m_frontEnd->Snapshot(dialog);
  ASSERT_TRUE(last.has_value());
  EXPECT_TRUE(last->visible);
  EXPECT_FALSE(last->Control(kOk)->enabled);
  EXPECT_EQ(last->Control(kLabel)->text, "صلاة الفجر");
  EXPECT_EQ(last->Control(kLabel)->exStyle, static_cast<DWORD>(WS_EX_RTLREADING));
  for (const auto& record : m_frontEnd->History(dialog)) {
    EXPECT_EQ(record.thread, thread.ThreadId()) << ui::WindowEventName(record.event);
  }

  EXPECT_TRUE(ShowWindow(dialog, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(label));  // its own style says visible, its dialog is not
}

TEST_F(DialogTest, PlacesMapBetweenTheScreenAndTheClientArea) {
  RecordingHandler handler;
  WindowThread thread(&handler);
  HWND dialog = thread.Dialog();
  HWND label = GetDlgItem(dialog, kLabel);
  RECT client{}, frame{}, at{};
  ASSERT_TRUE(GetClientRect(dialog, &client));
  EXPECT_EQ(client, (RECT{0, 0, 200, 100}));
  ASSERT_TRUE(GetWindowRect(dialog, &frame));
  // The frame surrounds the client area on every side, the title bar on top.
  EXPECT_LT(frame.left, 100);
  EXPECT_LT(frame.top, 50);
  EXPECT_EQ(frame.right - frame.left, 200 + 2 * (100 - frame.left));

  ASSERT_TRUE(GetWindowRect(label, &at));
  POINT corner{at.left, at.top};
  ASSERT_TRUE(ScreenToClient(dialog, &corner));
  EXPECT_EQ(corner.x, 10);
  EXPECT_EQ(corner.y, 10);
  ClientToScreen(dialog, &corner);
  EXPECT_EQ(corner.x, at.left);

  ASSERT_TRUE(SetWindowPos(label, nullptr, 30, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
  ASSERT_TRUE(SetWindowPos(label, nullptr, 0, 0, 50, 16, SWP_NOMOVE | SWP_NOZORDER));
  EXPECT_EQ(m_frontEnd->Snapshot(dialog)->Control(kLabel)->rect, (RECT{30, 20, 80, 36}));
}

TEST_F(DialogTest, TheProgressBarStepsWithinItsRange) {
  RecordingHandler handler;
  WindowThread thread(&handler);
  HWND bar = GetDlgItem(thread.Dialog(), kProgress);
  EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 0);
  EXPECT_EQ(SendMessage(bar, PBM_SETSTEP, 30, 0), 10);  // the default step
  EXPECT_EQ(SendMessage(bar, PBM_STEPIT, 0, 0), 0);     // the previous position
  SendMessage(bar, PBM_STEPIT, 0, 0);
  SendMessage(bar, PBM_STEPIT, 0, 0);
  EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 90);
  // A step past the end starts over from the beginning.
  SendMessage(bar, PBM_STEPIT, 0, 0);
  EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 20);
  EXPECT_EQ(m_frontEnd->Snapshot(thread.Dialog())->Control(kProgress)->position, 20);

  // Positions set outside the range are held at its ends.
  EXPECT_EQ(SendMessage(bar, PBM_SETPOS, 150, 0), 20);
  EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 100);
  SendMessage(bar, PBM_SETPOS, static_cast<WPARAM>(-5), 0);
  EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 0);
  // A new range keeps the position inside it and gives the old one back.
  SendMessage(bar, PBM_SETPOS, 80, 0);
  EXPECT_EQ(SendMessage(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 50)), MAKELPARAM(0, 100));
  EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 50);
  EXPECT_EQ(SendMessage(bar, PBM_GETRANGE, FALSE, 0), 50);
}

TEST_F(DialogTest, TheAnimationOpensPlaysAndClosesClipsOfItsModule) {
  RecordingHandler handler;
  WindowThread thread(&handler);
  HWND dialog = thread.Dialog();
  HWND animation = GetDlgItem(dialog, kAnimation);

  // ACS_AUTOPLAY: playing as soon as opened, frame after frame on its timer.
  EXPECT_TRUE(SendMessage(animation, ACM_OPEN, 0, kGoodClip));
  EXPECT_TRUE(SendMessage(animation, ACM_ISPLAYING, 0, 0));
  EXPECT_TRUE(m_frontEnd->WaitFor(
      dialog, [](const ui::WindowSnapshot& w) { return w.Control(kAnimation)->frame == "[  *]"; }));
  EXPECT_EQ(m_frontEnd->Snapshot(dialog)->Control(kAnimation)->clip,
            static_cast<unsigned>(kGoodClip));

  EXPECT_TRUE(SendMessage(animation, ACM_STOP, 0, 0));
  EXPECT_FALSE(SendMessage(animation, ACM_ISPLAYING, 0, 0));

  // No clip closes; a missing or malformed clip is refused and leaves none.
  EXPECT_TRUE(SendMessage(animation, ACM_OPEN, 0, 0));
  EXPECT_EQ(m_frontEnd->Snapshot(dialog)->Control(kAnimation)->clip, 0u);
  EXPECT_FALSE(SendMessage(animation, ACM_OPEN, 0, 77));
  EXPECT_TRUE(SendMessage(animation, ACM_OPEN, 0, kGoodClip));
  EXPECT_FALSE(SendMessage(animation, ACM_OPEN, 0, kBadClip));
  const auto last = m_frontEnd->Snapshot(dialog);
  EXPECT_EQ(last->Control(kAnimation)->clip, 0u);
  EXPECT_FALSE(last->Control(kAnimation)->playing);
  EXPECT_FALSE(SendMessage(animation, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF)));
}

TEST_F(DialogTest, ClipsAreReadOnlyInTheirOwnFormat) {
  const auto read = [](const char* text) {
    return ui::ParseAnimationClip(reinterpret_cast<const unsigned char*>(text), std::strlen(text));
  };
  const auto clip = read("ORVANE-CLIP 120\n(o  )\n( o )\n");
  ASSERT_TRUE(clip.has_value());
  EXPECT_EQ(clip->frameMilliseconds, 120);
  EXPECT_EQ(clip->frames, (std::vector<std::string>{"(o  )", "( o )"}));
  EXPECT_FALSE(read("ORVANE-CLIP 120\n").has_value());       // no frame
  EXPECT_FALSE(read("ORVANE-CLIP 5\n(o)\n").has_value());    // too fast
  EXPECT_FALSE(read("ORVANE-CLIP 12x\n(o)\n").has_value());  // not a number
  EXPECT_FALSE(read("RIFF\n(o)\n").has_value());
  EXPECT_FALSE(ui::ParseAnimationClip(nullptr, 4).has_value());
  // A picture clip: its frames side by side in the image after the line.
  const auto picture = read("ORVANE-CLIP 150 PICTURE 7\nIMAGE");
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->FrameCount(), 7);
  EXPECT_TRUE(picture->frames.empty());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(picture->image), picture->imageSize), "IMAGE");
  EXPECT_FALSE(read("ORVANE-CLIP 150 PICTURE 7\n").has_value());   // no image
  EXPECT_FALSE(read("ORVANE-CLIP 150 PICTURE 0\nIMAGE").has_value());
  EXPECT_FALSE(read("ORVANE-CLIP 150 PICTURE 65\nIMAGE").has_value());
  EXPECT_FALSE(read("ORVANE-CLIP 150 FRAMES 7\nIMAGE").has_value());
}

// The front end draws a picture clip's frames; the snapshot says which.
TEST_F(DialogTest, APictureClipPlaysFrameByFrameAsNumbers) {
  RecordingHandler handler;
  WindowThread thread(&handler);
  HWND dialog = thread.Dialog();
  HWND animation = GetDlgItem(dialog, kAnimation);
  EXPECT_TRUE(SendMessage(animation, ACM_OPEN, 0, kPictureClip));
  EXPECT_TRUE(m_frontEnd->WaitFor(
      dialog, [](const ui::WindowSnapshot& w) { return w.Control(kAnimation)->frameIndex == 3; }));
  const ui::ControlSnapshot shown = *m_frontEnd->Snapshot(dialog)->Control(kAnimation);
  EXPECT_EQ(shown.clip, static_cast<unsigned>(kPictureClip));
  EXPECT_EQ(shown.clipModule, TestModule());
  EXPECT_TRUE(shown.frame.empty());
  // After the last frame, the first again.
  EXPECT_TRUE(m_frontEnd->WaitFor(
      dialog, [](const ui::WindowSnapshot& w) { return w.Control(kAnimation)->frameIndex == 0; }));
  EXPECT_TRUE(SendMessage(animation, ACM_STOP, 0, 0));
}

// A window's thread that paces what it shows pauses in front of its front
// end; a thread without a window pauses unheard.
TEST_F(DialogTest, PausesOfAWindowsThreadAreToldAfterWhatItShowed) {
  RecordingHandler handler;
  WindowThread thread(&handler);
  HWND dialog = thread.Dialog();
  Sleep(1);  // this thread shows no window
  HWND bar = GetDlgItem(dialog, kProgress);
  RunOnThread(dialog, [&]() -> LRESULT {
    SetActiveWindow(dialog);
    SendMessage(bar, PBM_SETPOS, 10, 0);
    Sleep(5);
    SendMessage(bar, PBM_SETPOS, 20, 0);
    Sleep(6);
    return 0;
  });
  const auto pauses = m_frontEnd->Pauses(dialog);
  ASSERT_EQ(pauses.size(), 2u);
  EXPECT_EQ(pauses[0].milliseconds, 5u);
  EXPECT_EQ(pauses[1].milliseconds, 6u);
  const auto history = m_frontEnd->History(dialog);
  ASSERT_GE(pauses[1].afterRecords, 1u);
  EXPECT_EQ(history[pauses[0].afterRecords - 1].window.Control(kProgress)->position, 10);
  EXPECT_EQ(history[pauses[1].afterRecords - 1].window.Control(kProgress)->position, 20);
}

TEST_F(DialogTest, OnlyAShownEnabledButtonCanBePressed) {
  RecordingHandler handler;
  WindowThread thread(&handler);
  HWND dialog = thread.Dialog();
  EXPECT_FALSE(m_frontEnd->Click(dialog, kOk));  // not shown yet
  ShowWindow(dialog, SW_SHOW);
  EXPECT_TRUE(m_frontEnd->Click(dialog, kOk));
  EXPECT_FALSE(m_frontEnd->Click(dialog, kDisabled));
  EXPECT_FALSE(m_frontEnd->Click(dialog, 999));
  // Even a program cannot press a disabled button.
  SendMessage(GetDlgItem(dialog, kDisabled), BM_CLICK, 0, 0);
  EXPECT_TRUE(m_frontEnd->Click(dialog, kCheck));

  const auto calls = handler.Calls();
  std::vector<WPARAM> pressed;
  for (const auto& call : calls) {
    if (call.what != "command") continue;
    pressed.push_back(call.value);
    EXPECT_EQ(call.code, BN_CLICKED);
    EXPECT_EQ(call.thread, thread.ThreadId());
  }
  EXPECT_EQ(pressed, (std::vector<WPARAM>{kOk, kCheck}));
  EXPECT_EQ(SendMessage(GetDlgItem(dialog, kCheck), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(DialogTest, TextIsMeasuredInTheFixedWidthModelOfItsFont) {
  const HFONT font = ui::FontFor("MS Shell Dlg", 8);
  EXPECT_EQ(ui::FontFor("MS Shell Dlg", 8), font);
  SIZE size{};
  // One cell per character, whatever its encoding: UTF-16 and the code page.
  ASSERT_TRUE(GetTextExtentPoint32(font, u"الفجر", 5, &size));
  EXPECT_EQ(size.cx, 5 * 7);
  EXPECT_EQ(size.cy, 13);
  ASSERT_TRUE(GetTextExtentPoint32(font, "Fajr", 4, &size));
  EXPECT_EQ(size.cx, 4 * 7);
  ASSERT_TRUE(GetTextExtentPoint32(ui::FontFor("MS Shell Dlg", 16), u"ab", 2, &size));
  EXPECT_EQ(size.cx, 2 * 14);
  EXPECT_FALSE(GetTextExtentPoint32(font, static_cast<const char16_t*>(nullptr), 0, &size));
}

// A dialog that fills a long list as it starts.
class LongListForm final : public FormHandler {
 public:
  BOOL OnInitDialog(HWND dialog, LPARAM initParam) override {
    const BOOL result = FormHandler::OnInitDialog(dialog, initParam);
    for (int i = 0; i < 200; ++i) {
      SendDlgItemMessage(dialog, kList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a city"));
    }
    return result;
  }
};

// Each item added was told to the front end as a copy of the whole window:
// a list of 465 cities took the desktop front end more than ten seconds
// before the dialog showed. What a dialog does as it starts is told once.
TEST_F(DialogTest, WhatADialogDoesAsItStartsIsToldOnce) {
  LongListForm form;
  ModalRun run(&form);
  HWND dialog = run.Dialog(*m_frontEnd);
  ASSERT_NE(dialog, nullptr);
  const auto history = m_frontEnd->History(dialog);
  ASSERT_GE(history.size(), 2u);
  EXPECT_EQ(history[0].event, ui::WindowEvent::kCreated);
  EXPECT_LT(history[0].window.Control(kList)->items.size(), 200u);
  EXPECT_GE(history[1].window.Control(kList)->items.size(), 200u);
  EXPECT_EQ(history[1].window.Control(kList)->items, m_frontEnd->Snapshot(dialog)->Control(kList)->items);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  run.Result();
}

}  // namespace
}  // namespace uitest

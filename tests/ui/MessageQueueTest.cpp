// Message queues: sending, posting, quitting and timers, between threads.

#include <chrono>
#include <future>
#include <thread>

#include "platform/threads/Event.h"
#include "tests/ui/UiTestSupport.h"

namespace uitest {
namespace {

using MessageQueueTest = UiTest;

// Serves the calling thread's queue until WM_QUIT; returns its exit code.
int RunLoop() {
  MSG message;
  while (GetMessage(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessage(&message);
  }
  return static_cast<int>(message.wParam);
}

TEST_F(MessageQueueTest, SendMessageRunsOnTheWindowThreadAndReturnsItsResult) {
  RecordingHandler handler;
  WindowThread thread(&handler);
  ASSERT_NE(thread.Dialog(), nullptr);
  const LRESULT answer = SendMessage(thread.Dialog(), kAskThread, 0, 0);
  EXPECT_EQ(answer, static_cast<LRESULT>(thread.ThreadId()));
  EXPECT_NE(answer, static_cast<LRESULT>(GetCurrentThreadId()));

  // On the window's own thread it is a plain call: nothing pumps this
  // thread's queue, and the answer still comes.
  RecordingHandler local;
  local.quitOnDestroy = false;
  HWND mine = CreateDialogParam(TestModule(), kDialog, nullptr, &local, 0);
  ASSERT_NE(mine, nullptr);
  EXPECT_EQ(SendMessage(mine, kAskThread, 0, 0), static_cast<LRESULT>(GetCurrentThreadId()));
  DestroyWindow(mine);
}

TEST_F(MessageQueueTest, TwoThreadsSendingToEachOtherDoNotDeadlock) {
  // The window thread, serving our message, sends one back to our window
  // while we wait: we serve it in the meantime.
  RecordingHandler local;
  local.quitOnDestroy = false;
  HWND mine = CreateDialogParam(TestModule(), kDialog, nullptr, &local, 0);
  RecordingHandler handler;
  WindowThread thread(&handler);
  EXPECT_EQ(SendMessage(thread.Dialog(), kRelay, 0, reinterpret_cast<LPARAM>(mine)),
            static_cast<LRESULT>(GetCurrentThreadId()));
  DestroyWindow(mine);
}

TEST_F(MessageQueueTest, PostedMessagesArriveInOrderAndQuitComesAfterThem) {
  RecordingHandler handler;
  {
    WindowThread thread(&handler);
    for (WPARAM i = 1; i <= 50; ++i) ASSERT_TRUE(PostMessage(thread.Dialog(), kNote, i, 0));
    ASSERT_TRUE(PostThreadMessage(thread.ThreadId(), WM_QUIT, 0, 0));
    thread.Join();
  }
  std::vector<WPARAM> expected;
  for (WPARAM i = 1; i <= 50; ++i) expected.push_back(i);
  EXPECT_EQ(handler.Values("note"), expected);

  // PostQuitMessage lets what was posted before and after it through first.
  RecordingHandler local;
  local.quitOnDestroy = false;
  HWND mine = CreateDialogParam(TestModule(), kDialog, nullptr, &local, 0);
  PostMessage(mine, kNote, 1, 0);
  PostQuitMessage(3);
  PostMessage(mine, kNote, 2, 0);
  EXPECT_EQ(RunLoop(), 3);
  EXPECT_EQ(local.Values("note"), (std::vector<WPARAM>{1, 2}));
  DestroyWindow(mine);
}

TEST_F(MessageQueueTest, TimersComeThroughTheQueueOfTheWindowThread) {
  RecordingHandler local;
  local.quitOnDestroy = false;
  HWND mine = CreateDialogParam(TestModule(), kDialog, nullptr, &local, 0);
  ASSERT_EQ(SetTimer(mine, 5, 20, nullptr), 5u);

  // The timer is a message like another: taken by GetMessage, handled only
  // when dispatched.
  MSG message;
  do {
    ASSERT_GT(GetMessage(&message, nullptr, 0, 0), 0);
  } while (message.message != WM_TIMER);
  EXPECT_EQ(message.hwnd, mine);
  EXPECT_EQ(message.wParam, 5u);
  EXPECT_TRUE(local.Values("timer").empty());
  DispatchMessage(&message);
  EXPECT_EQ(local.Values("timer"), std::vector<WPARAM>{5});

  // It keeps coming until killed.
  do {
    ASSERT_GT(GetMessage(&message, nullptr, 0, 0), 0);
    DispatchMessage(&message);
  } while (local.Values("timer").size() < 3);
  EXPECT_TRUE(KillTimer(mine, 5));
  EXPECT_FALSE(KillTimer(mine, 5));
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  EXPECT_FALSE(PeekMessage(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));

  // Only the window's own thread may set its timers, as in Windows.
  std::async(std::launch::async, [&] { EXPECT_EQ(SetTimer(mine, 6, 20, nullptr), 0u); }).get();

  // A destroyed window's timer stops with it.
  SetTimer(mine, 7, 10, nullptr);
  DestroyWindow(mine);
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  EXPECT_FALSE(PeekMessage(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST_F(MessageQueueTest, AStaleOrMadeUpHandleIsRefused) {
  RecordingHandler local;
  local.quitOnDestroy = false;
  HWND dialog = CreateDialogParam(TestModule(), kDialog, nullptr, &local, 0);
  HWND label = GetDlgItem(dialog, kLabel);
  ASSERT_TRUE(IsWindow(dialog));
  ASSERT_TRUE(DestroyWindow(dialog));

  for (HWND gone : {dialog, label, reinterpret_cast<HWND>(0x1234), static_cast<HWND>(nullptr)}) {
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_EQ(SendMessage(gone, kAskThread, 0, 0), 0);
    EXPECT_FALSE(ShowWindow(gone, SW_SHOW));
    EXPECT_FALSE(SetWindowText(gone, u"x"));
    char16_t text[8] = u"unset";
    EXPECT_EQ(GetWindowText(gone, text, 8), 0);
    EXPECT_EQ(text[0], u'\0');
    RECT rect{};
    EXPECT_FALSE(GetWindowRect(gone, &rect));
    EXPECT_EQ(GetDlgItem(gone, kLabel), nullptr);
    EXPECT_FALSE(DestroyWindow(gone));
    EXPECT_EQ(SetTimer(gone, 1, 10, nullptr), 0u);
  }
  EXPECT_FALSE(PostMessage(dialog, kNote, 1, 0));
  EXPECT_TRUE(local.Values("note").empty());

  // A new window never takes a dead one's handle.
  HWND next = CreateDialogParam(TestModule(), kDialog, nullptr, &local, 0);
  EXPECT_NE(next, dialog);
  EXPECT_NE(GetDlgItem(next, kLabel), label);
  DestroyWindow(next);
}

TEST_F(MessageQueueTest, ASenderIsAnsweredWhenTheWindowThreadEndsWithoutServingIt) {
  // A thread that makes a window and ends without ever pumping its queue.
  RecordingHandler handler;
  handler.quitOnDestroy = false;
  HANDLE release = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  std::promise<HWND> made;
  std::thread owner([&] {
    made.set_value(CreateDialogParam(TestModule(), kDialog, nullptr, &handler, 0));
    WaitForSingleObject(release, INFINITE);
  });
  HWND dialog = made.get_future().get();
  auto answer =
      std::async(std::launch::async, [&] { return SendMessage(dialog, kAskThread, 0, 0); });
  // Give the send time to be queued; if it is not, it finds no window and
  // gets 0 all the same.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  SetEvent(release);
  owner.join();
  ASSERT_EQ(answer.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(answer.get(), 0);
  EXPECT_FALSE(IsWindow(dialog));
  CloseHandle(release);
}

}  // namespace
}  // namespace uitest

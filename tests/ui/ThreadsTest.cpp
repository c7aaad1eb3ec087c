// Events and threads, as the progress window uses them to start and stop
// its thread.

#include "platform/threads/Event.h"
#include "platform/threads/Thread.h"
#include "tests/ui/UiTestSupport.h"

namespace uitest {
namespace {

using ThreadsTest = UiTest;

TEST_F(ThreadsTest, AManualResetEventStaysSignalledUntilReset) {
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  ASSERT_TRUE(SetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  ASSERT_TRUE(ResetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);

  // An auto-reset event lets one wait through.
  HANDLE once = CreateEvent(nullptr, FALSE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(once, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(once, 0), WAIT_TIMEOUT);

  // A closed handle is refused, as is one that never was.
  ASSERT_TRUE(CloseHandle(event));
  EXPECT_FALSE(CloseHandle(event));
  EXPECT_FALSE(SetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(0x7777), 0), WAIT_FAILED);
  CloseHandle(once);
  // Names and security attributes are not supported.
  EXPECT_EQ(CreateEvent(nullptr, TRUE, FALSE, "named"), nullptr);
}

struct Job {
  HANDLE go;
  DWORD seenId = 0;
  HWND dialog = nullptr;
  RecordingHandler handler;
};

DWORD RunJob(void* parameter) {
  auto* job = static_cast<Job*>(parameter);
  job->seenId = GetCurrentThreadId();
  // Leaves a window behind on purpose.
  job->handler.quitOnDestroy = false;
  job->dialog = CreateDialogParam(TestModule(), kDialog, nullptr, &job->handler, 0);
  WaitForSingleObject(job->go, INFINITE);
  return 33;
}

TEST_F(ThreadsTest, AThreadHandleIsSignalledOnceTheThreadAndItsWindowsAreGone) {
  Job job;
  job.go = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, RunJob, &job, 0, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);

  SetEvent(job.go);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(job.seenId, id);
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 33u);
  // The window the thread left was taken away with it, without calling the
  // handler of a thread that is gone; the front end heard it go.
  ASSERT_NE(job.dialog, nullptr);
  EXPECT_FALSE(IsWindow(job.dialog));
  EXPECT_TRUE(job.handler.Values("destroy").empty());
  EXPECT_EQ(m_frontEnd->History(job.dialog).back().event, ui::WindowEvent::kDestroyed);
  EXPECT_TRUE(CloseHandle(thread));
  CloseHandle(job.go);
}

}  // namespace
}  // namespace uitest

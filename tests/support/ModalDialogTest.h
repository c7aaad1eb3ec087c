#pragma once
// For tests of the add-in's modal dialogs: the dialog runs on a thread of
// its own, as Outlook's thread runs it while the person works in it, and
// the test drives it through the headless front end. A dialog left open by
// a failed assertion is closed before the test ends, the ones it opened
// first, so that no thread outlives its test.

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ui/Dialog.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UserInput.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowSnapshot.h"
#include "tests/support/AddinTestEnvironment.h"

class ModalDialogTest : public AddinTest {
 protected:
  void TearDown() override {
    if (m_thread.joinable()) {
      for (auto id = m_open.rbegin(); id != m_open.rend(); ++id) {
        if (HWND open = m_frontEnd->WaitForDialog(*id, std::chrono::milliseconds(100))) {
          m_frontEnd->Key(open, VK_ESCAPE);
        }
      }
      m_thread.join();
    }
    AddinTest::TearDown();
  }

  // A dialog that lives as long as the test.
  template <typename Dialog, typename... Args>
  Dialog& Make(Args&&... args) {
    m_dialogs.push_back(std::make_unique<Dialog>(std::forward<Args>(args)...));
    return static_cast<Dialog&>(*m_dialogs.back());
  }

  // Runs the dialog modally without owner; the shown window of its
  // template, or null.
  template <typename Dialog>
  HWND Open(Dialog& dialog, unsigned templateId = Dialog::IDD) {
    m_open.push_back(templateId);
    m_thread = std::thread([this, &dialog] { m_result = dialog.DoModal(nullptr); });
    return m_frontEnd->WaitForDialog(templateId);
  }
  // Presses a button of the open dialog whose handler runs a dialog of
  // its own (templateId), and waits for that one.
  HWND OpenFrom(HWND dialog, int button, unsigned templateId) {
    m_open.push_back(templateId);
    EXPECT_TRUE(ui::input::Click(GetDlgItem(dialog, button), ui::input::Mode::kPost));
    return m_frontEnd->WaitForDialog(templateId);
  }
  // Waits until a dialog that a button of owner opened has closed and the
  // handler that ran it has returned: the owner is enabled again when the
  // dialog's own loop has ended, and a message sent to it then is served
  // only once its thread is back in the owner's loop.
  void WaitClosed(HWND dialog, HWND owner) {
    ASSERT_TRUE(m_frontEnd->WaitFor(dialog, [](const ui::WindowSnapshot& shown) { return !shown.visible; }));
    ASSERT_TRUE(m_frontEnd->WaitFor(owner, [](const ui::WindowSnapshot& shown) { return shown.enabled; }));
    SendMessage(owner, WM_NULL, 0, 0);
  }

  // What DoModal returned, once it has.
  std::intptr_t Result() {
    if (m_thread.joinable()) m_thread.join();
    return m_result;
  }
  ui::ControlSnapshot Control(HWND dialog, int id) { return *m_frontEnd->Snapshot(dialog)->Control(id); }

 private:
  std::vector<std::unique_ptr<ui::DialogHandler>> m_dialogs;
  std::vector<unsigned> m_open;
  std::thread m_thread;
  std::intptr_t m_result = -2;
};

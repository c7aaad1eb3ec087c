// The daylight-saving dialog, used as a person uses it through the headless
// front end.

#include <thread>

#include "calc/DaylightDlg.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UserInput.h"
#include "tests/support/ModalDialogTest.h"

namespace {

class DaylightDlgTest : public ModalDialogTest {
 protected:
  std::pair<int, int> Range(HWND dialog, int spin) {
    int low = 0, high = 0;
    SendMessage(GetDlgItem(dialog, spin), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                reinterpret_cast<LPARAM>(&high));
    return {low, high};
  }
  // Types both days and presses OK.
  void Enter(HWND dialog, const char* startDay, const char* endDay) {
    ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, CDaylightDlg::kStartDay, startDay));
    ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, CDaylightDlg::kEndDay, endDay));
    ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  }
};

TEST_F(DaylightDlgTest, OpensWithTheStoredRuleRepairedButNeverReordered) {
  // A southern rule, 15 October to 31 March, with a day out of its month.
  CDaylightDlg rule(15, 9, 31, 2);
  HWND dialog = Open(rule);
  ASSERT_NE(dialog, nullptr);
  const ui::ControlSnapshot start = Control(dialog, CDaylightDlg::kStartMonth);
  ASSERT_EQ(start.items.size(), 12u);
  EXPECT_EQ(start.items[0], ResourceUtf8(309));
  EXPECT_EQ(start.items[11], ResourceUtf8(320));
  // The months stay as they were: October to March runs over the new year.
  EXPECT_EQ(start.selection, 9);
  EXPECT_EQ(Control(dialog, CDaylightDlg::kEndMonth).selection, 2);
  EXPECT_EQ(Control(dialog, CDaylightDlg::kStartDay).text, "15");
  EXPECT_EQ(Control(dialog, CDaylightDlg::kEndDay).text, "31");
  EXPECT_EQ(Range(dialog, CDaylightDlg::kStartSpin), std::make_pair(1, 31));
  EXPECT_EQ(Range(dialog, CDaylightDlg::kEndSpin), std::make_pair(1, 31));
  // The first field has the focus.
  EXPECT_EQ(m_frontEnd->Snapshot(dialog)->focusId, CDaylightDlg::kStartMonth);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  EXPECT_EQ(Result(), IDCANCEL);

  // Out-of-range stored values: month 14 is December, day 0 is 1, 31 April
  // is 30 April.
  CDaylightDlg broken(0, 14, 31, 3);
  dialog = Open(broken);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Control(dialog, CDaylightDlg::kStartMonth).selection, 11);
  EXPECT_EQ(Control(dialog, CDaylightDlg::kStartDay).text, "1");
  EXPECT_EQ(Control(dialog, CDaylightDlg::kEndDay).text, "30");
  EXPECT_EQ(Range(dialog, CDaylightDlg::kEndSpin), std::make_pair(1, 30));
  // A month chosen from the list changes the day's range, not its text.
  ASSERT_TRUE(m_frontEnd->Select(dialog, CDaylightDlg::kEndMonth, 1));
  EXPECT_EQ(Range(dialog, CDaylightDlg::kEndSpin), std::make_pair(1, 29));
  EXPECT_EQ(Control(dialog, CDaylightDlg::kEndDay).text, "30");
  // Stepping goes on from the typed day and stays within February.
  ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, CDaylightDlg::kEndDay, "28"));
  ASSERT_TRUE(m_frontEnd->Step(dialog, CDaylightDlg::kEndSpin, 1));
  ASSERT_TRUE(m_frontEnd->Step(dialog, CDaylightDlg::kEndSpin, 1));
  EXPECT_EQ(Control(dialog, CDaylightDlg::kEndDay).text, "29");
  // The day takes two digits and nothing else.
  ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, CDaylightDlg::kStartDay, "1x23"));
  EXPECT_EQ(Control(dialog, CDaylightDlg::kStartDay).text, "12");
  ASSERT_TRUE(m_frontEnd->Key(dialog, VK_ESCAPE));
  EXPECT_EQ(Result(), IDCANCEL);
  EXPECT_EQ(broken.m_startMonth, 11);  // repaired copies; the caller ignores them on Cancel
}

TEST_F(DaylightDlgTest, ADayOutsideItsMonthIsRefusedWithTheFocusOnIt) {
  CDaylightDlg rule(1, 3, 30, 8);
  HWND dialog = Open(rule);
  ASSERT_NE(dialog, nullptr);
  for (const char* bad : {"0", "32", ""}) {
    m_frontEnd->Clear();
    Enter(dialog, bad, "30");
    ASSERT_EQ(m_frontEnd->MessageBoxes().size(), 1u) << bad;
    const ui::MessageBoxRequest box = m_frontEnd->MessageBoxes()[0];
    EXPECT_EQ(box.text, ResourceUtf8(235));
    EXPECT_EQ(box.caption, ResourceUtf8(138));
    EXPECT_EQ(box.style, static_cast<UINT>(MB_OK));
    EXPECT_EQ(box.owner, dialog);
    EXPECT_EQ(GetFocus(), nullptr);  // the test's thread has none; the dialog's:
    EXPECT_EQ(m_frontEnd->Snapshot(dialog)->focusId, CDaylightDlg::kStartDay) << bad;
    EXPECT_TRUE(IsWindowVisible(dialog));
  }
  m_frontEnd->Clear();
  Enter(dialog, "1", "31");  // 31 September
  ASSERT_EQ(m_frontEnd->MessageBoxes().size(), 1u);
  EXPECT_EQ(m_frontEnd->MessageBoxes()[0].text, ResourceUtf8(235));
  EXPECT_EQ(m_frontEnd->Snapshot(dialog)->focusId, CDaylightDlg::kEndDay);

  // 29 February is a day of February.
  ASSERT_TRUE(m_frontEnd->Select(dialog, CDaylightDlg::kStartMonth, 1));
  m_frontEnd->Clear();
  Enter(dialog, "29", "30");
  EXPECT_TRUE(m_frontEnd->MessageBoxes().empty());
  EXPECT_EQ(Result(), IDOK);
  EXPECT_EQ(rule.m_startDay, 29);
  EXPECT_EQ(rule.m_startMonth, 1);
  EXPECT_EQ(rule.m_endDay, 30);
  EXPECT_EQ(rule.m_endMonth, 8);
}

TEST_F(DaylightDlgTest, APeriodOverTheNewYearIsTakenAndOnlyASingleDayIsRefused) {
  // Previously refused with message 236, so that users south of the
  // equator could not enter their summer time at all.
  CDaylightDlg southern(1, 9, 5, 3);
  HWND dialog = Open(southern);
  ASSERT_NE(dialog, nullptr);
  Enter(dialog, "4", "5");
  EXPECT_TRUE(m_frontEnd->MessageBoxes().empty());
  EXPECT_EQ(Result(), IDOK);
  EXPECT_EQ(southern.m_startDay, 4);
  EXPECT_EQ(southern.m_startMonth, 9);
  EXPECT_EQ(southern.m_endDay, 5);
  EXPECT_EQ(southern.m_endMonth, 3);

  // Start and end the same day: refused, and the dialog stays open; the next
  // day is a period of two days.
  CDaylightDlg same(10, 4, 10, 4);
  dialog = Open(same);
  ASSERT_NE(dialog, nullptr);
  Enter(dialog, "10", "10");
  ASSERT_EQ(m_frontEnd->MessageBoxes().size(), 1u);
  EXPECT_EQ(m_frontEnd->MessageBoxes()[0].text, ResourceUtf8(236));
  EXPECT_TRUE(IsWindowVisible(dialog));
  Enter(dialog, "10", "11");
  EXPECT_EQ(Result(), IDOK);
  EXPECT_EQ(same.m_endDay, 11);
}

TEST_F(DaylightDlgTest, ItsMessagesReadRightToLeftWithTheArabicInterface) {
  ASSERT_EQ(ReloadResourceLibrary(1025), S_OK);
  const LONG saved = UILanguageID;
  UILanguageID = 1025;
  CDaylightDlg rule(1, 3, 1, 3);
  HWND dialog = Open(rule);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(m_frontEnd->Snapshot(dialog)->caption, "التوقيت الصيفي");
  EXPECT_EQ(Control(dialog, CDaylightDlg::kStartMonth).items[0], "يناير");
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(m_frontEnd->MessageBoxes().size(), 1u);
  EXPECT_EQ(m_frontEnd->MessageBoxes()[0].style, static_cast<UINT>(MB_OK | 0x00180000));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  EXPECT_EQ(Result(), IDCANCEL);
  UILanguageID = saved;
}

}  // namespace

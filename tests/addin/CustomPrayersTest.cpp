// The custom prayers dialog and the custom reminders dialog it opens, used
// as a person uses them through the headless front end.

#include <set>
#include <memory>
#include <thread>
#include <vector>

#include "calendar/CustomPrayersDlg.h"
#include "calendar/CustomRemindersDlg.h"
#include "platform/nls/Nls.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UserInput.h"
#include "tests/support/GenerationFixture.h"
#include "tests/support/ModalDialogTest.h"

namespace {

constexpr DATE kEight = 480.0 / 1440.0;
constexpr DATE kFive = 1020.0 / 1440.0;

class CustomDialogsTest : public ModalDialogTest {
 protected:
  void SetUp() override {
    ModalDialogTest::SetUp();
    ASSERT_TRUE(nls::SetUserDefaultLocale(1033));
  }
  // Presses the button that runs the custom reminders dialog, and waits for it.
  HWND OpenFrom(HWND dialog, int button) { return ModalDialogTest::OpenFrom(dialog, button, CCustomReminders::IDD); }
  CCustomPrayers& Prayers(DWORD flags, const tstring& subject = TEXT("Dhikr"), DWORD interval = 60) {
    CCustomPrayers& prayers = Make<CCustomPrayers>();
    prayers.SetPrayingAppointments(flags);
    prayers.SetCustomReminderSettings(kEight, kFive, subject, interval);
    return prayers;
  }
};

TEST_F(CustomDialogsTest, TheFridayPrayerFollowsZuhr) {
  CCustomPrayers& zuhr = Prayers(kZuhrFlag);
  HWND dialog = Open(zuhr);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Control(dialog, CCustomPrayers::kZuhr).checked, BST_CHECKED);
  EXPECT_EQ(Control(dialog, CCustomPrayers::kFriday).checked, BST_CHECKED);
  EXPECT_FALSE(Control(dialog, CCustomPrayers::kFriday).enabled);
  EXPECT_EQ(Control(dialog, CCustomPrayers::kFajr).checked, BST_UNCHECKED);
  // OK without changes stores Zuhr, which includes the Friday prayer: 4, not 68.
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  EXPECT_EQ(Result(), IDOK);
  EXPECT_EQ(zuhr.GetPrayingAppointments(), static_cast<DWORD>(kZuhrFlag));
  EXPECT_EQ(zuhr.m_change, kCustomRemindersUnchanged);

  // Unticking Zuhr frees the Friday box with its tick: the Friday prayer on its own.
  CCustomPrayers& both = Prayers(kZuhrFlag | kAsrFlag | kCustomReminderFlag);
  dialog = Open(both);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Control(dialog, CCustomPrayers::kCustomReminders).checked, BST_CHECKED);
  ASSERT_TRUE(m_frontEnd->Click(dialog, CCustomPrayers::kZuhr));
  EXPECT_TRUE(Control(dialog, CCustomPrayers::kFriday).enabled);
  EXPECT_EQ(Control(dialog, CCustomPrayers::kFriday).checked, BST_CHECKED);
  ASSERT_TRUE(m_frontEnd->Click(dialog, CCustomPrayers::kFajr));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  EXPECT_EQ(Result(), IDOK);
  EXPECT_EQ(both.GetPrayingAppointments(),
            static_cast<DWORD>(kFajrFlag | kAsrFlag | kFridayFlag | kCustomReminderFlag));

  // Ticking Zuhr again ticks and locks the Friday box; Cancel stores nothing.
  CCustomPrayers& friday = Prayers(kFridayFlag);
  dialog = Open(friday);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Control(dialog, CCustomPrayers::kFriday).checked, BST_CHECKED);
  EXPECT_TRUE(Control(dialog, CCustomPrayers::kFriday).enabled);
  ASSERT_TRUE(m_frontEnd->Click(dialog, CCustomPrayers::kFriday));
  ASSERT_TRUE(m_frontEnd->Click(dialog, CCustomPrayers::kZuhr));
  EXPECT_EQ(Control(dialog, CCustomPrayers::kFriday).checked, BST_CHECKED);
  EXPECT_FALSE(Control(dialog, CCustomPrayers::kFriday).enabled);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  EXPECT_EQ(Result(), IDCANCEL);
  EXPECT_EQ(friday.GetPrayingAppointments(), static_cast<DWORD>(kFridayFlag));
}

TEST_F(CustomDialogsTest, CustomRemindersCannotBeSwitchedOnWithoutASubject) {
  CCustomPrayers& prayers = Prayers(kAsrFlag, TEXT(""));
  HWND dialog = Open(prayers);
  ASSERT_NE(dialog, nullptr);
  HWND reminders = OpenFrom(dialog, CCustomPrayers::kCustomReminders);
  ASSERT_NE(reminders, nullptr);
  ASSERT_TRUE(m_frontEnd->Click(reminders, IDCANCEL));
  WaitClosed(reminders, dialog);
  EXPECT_EQ(Control(dialog, CCustomPrayers::kCustomReminders).checked, BST_UNCHECKED);

  // With a subject given there, the box stays ticked.
  reminders = OpenFrom(dialog, CCustomPrayers::kCustomReminders);
  ASSERT_NE(reminders, nullptr);
  ASSERT_TRUE(m_frontEnd->ReplaceText(reminders, CCustomReminders::kSubject, "Dhikr"));
  ASSERT_TRUE(m_frontEnd->Click(reminders, IDOK));
  WaitClosed(reminders, dialog);
  EXPECT_EQ(Control(dialog, CCustomPrayers::kCustomReminders).checked, BST_CHECKED);
  // Unticked and ticked again: the subject is known, no dialog.
  ASSERT_TRUE(m_frontEnd->Click(dialog, CCustomPrayers::kCustomReminders));
  ASSERT_TRUE(m_frontEnd->Click(dialog, CCustomPrayers::kCustomReminders));
  EXPECT_EQ(Control(dialog, CCustomPrayers::kCustomReminders).checked, BST_CHECKED);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  EXPECT_EQ(Result(), IDOK);
  EXPECT_EQ(prayers.GetPrayingAppointments(), static_cast<DWORD>(kAsrFlag | kCustomReminderFlag));
  EXPECT_EQ(TToUtf8(prayers.m_customSubject), "Dhikr");
  EXPECT_EQ(prayers.m_change, kCustomReminderSubjectChanged);
}

TEST_F(CustomDialogsTest, TheIntervalListHoldsTheStoredValueInItsPlace) {
  struct Case {
    DWORD stored;
    std::vector<std::string> items;
    int selected;
  };
  const Case cases[] = {
      {60, {"15", "30", "60", "90", "120", "180"}, 2},
      {45, {"15", "30", "45", "60", "90", "120", "180"}, 2},
      {240, {"15", "30", "60", "90", "120", "180", "240"}, 6},
      // Regression: 0 selected nothing, and OK stored an undefined interval.
      {0, {"15", "30", "60", "90", "120", "180"}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    CCustomReminders& reminders = Make<CCustomReminders>(kEight, kFive, TEXT("Dhikr"), c.stored);
    HWND dialog = Open(reminders);
    ASSERT_NE(dialog, nullptr);
    const ui::ControlSnapshot interval = Control(dialog, CCustomReminders::kInterval);
    EXPECT_EQ(interval.items, c.items);
    EXPECT_EQ(interval.selection, c.selected);
    ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
    EXPECT_EQ(Result(), IDOK);
    EXPECT_EQ(reminders.m_interval, c.stored != 0 ? c.stored : 60u);
  }
}

TEST_F(CustomDialogsTest, TheTimesAreHalfHoursAndTheEndMustComeAfterTheStart) {
  // 08:15 shows 08:30; 23:45 the last entry.
  CCustomReminders& reminders =
      Make<CCustomReminders>(COleDate(495.0 / 1440.0), COleDate(1425.0 / 1440.0), TEXT("Dhikr"), 60);
  HWND dialog = Open(reminders);
  ASSERT_NE(dialog, nullptr);
  const ui::ControlSnapshot from = Control(dialog, CCustomReminders::kFrom);
  ASSERT_EQ(from.items.size(), 48u);
  EXPECT_EQ(from.items[0], "12:00 AM");
  EXPECT_EQ(from.items[17], "08:30 AM");
  EXPECT_EQ(from.items[47], "11:30 PM");
  EXPECT_EQ(from.selection, 17);
  EXPECT_EQ(Control(dialog, CCustomReminders::kTo).selection, 47);
  EXPECT_EQ(Control(dialog, CCustomReminders::kSubject).textLimit, 99);

  // From 17:00 to 08:00: refused, with the focus on the end.
  ASSERT_TRUE(m_frontEnd->Select(dialog, CCustomReminders::kFrom, 34));
  ASSERT_TRUE(m_frontEnd->Select(dialog, CCustomReminders::kTo, 16));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(m_frontEnd->MessageBoxes().size(), 1u);
  EXPECT_EQ(m_frontEnd->MessageBoxes()[0].text, ResourceUtf8(1046));
  EXPECT_EQ(m_frontEnd->MessageBoxes()[0].caption, ResourceUtf8(138));
  EXPECT_EQ(m_frontEnd->Snapshot(dialog)->focusId, CCustomReminders::kTo);
  // The same time twice is no period either.
  m_frontEnd->Clear();
  ASSERT_TRUE(m_frontEnd->Select(dialog, CCustomReminders::kTo, 34));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(m_frontEnd->MessageBoxes().size(), 1u);
  // An empty subject: refused, with the focus on it.
  m_frontEnd->Clear();
  ASSERT_TRUE(m_frontEnd->Select(dialog, CCustomReminders::kTo, 35));
  ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, CCustomReminders::kSubject, ""));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(m_frontEnd->MessageBoxes().size(), 1u);
  EXPECT_EQ(m_frontEnd->MessageBoxes()[0].text, ResourceUtf8(1045));
  EXPECT_EQ(m_frontEnd->Snapshot(dialog)->focusId, CCustomReminders::kSubject);
  EXPECT_TRUE(IsWindowVisible(dialog));

  ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, CCustomReminders::kSubject, "Qur'an"));
  ASSERT_TRUE(m_frontEnd->Select(dialog, CCustomReminders::kInterval, 3));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  EXPECT_EQ(Result(), IDOK);
  EXPECT_EQ(reminders.m_from.Value(), 1020.0 / 1440.0);
  EXPECT_EQ(reminders.m_to.Value(), 1050.0 / 1440.0);
  EXPECT_EQ(reminders.m_interval, 90u);
  EXPECT_EQ(TToUtf8(reminders.m_subject), "Qur'an");
}

// Regression: the times were written with "hh:mm tt" in every locale; one
// without designators (French) showed each of 01:00 .. 12:30 twice, for the
// morning and the evening.
TEST_F(CustomDialogsTest, NoTwoTimesReadAlikeInAnyLocale) {
  struct Case {
    LCID locale;
    const char* eightThirtyPm;
  };
  for (const Case& c : {Case{1033, "08:30 PM"}, Case{1036, "20:30"}, Case{1025, "08:30 م"}}) {
    SCOPED_TRACE(c.locale);
    ASSERT_TRUE(nls::SetUserDefaultLocale(c.locale));
    CCustomReminders& reminders = Make<CCustomReminders>(kEight, kFive, TEXT("Dhikr"), 60);
    HWND dialog = Open(reminders);
    ASSERT_NE(dialog, nullptr);
    const std::vector<std::string> items = Control(dialog, CCustomReminders::kFrom).items;
    EXPECT_EQ(std::set<std::string>(items.begin(), items.end()).size(), 48u);
    EXPECT_EQ(items[41], c.eightThirtyPm);
    ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
    EXPECT_EQ(Result(), IDCANCEL);
  }
}

TEST_F(CustomDialogsTest, TheChangeSaysWhatTheCalendarMustRedo) {
  struct Step {
    int interval;         // entry to pick, -1 none
    const char* subject;  // nullptr: as it is
    int change;           // the change after this step
  };
  const struct {
    const char* what;
    std::vector<Step> steps;
  } cases[] = {
      {"nothing", {{-1, nullptr, kCustomRemindersUnchanged}}},
      {"only the subject", {{-1, "Tasbih", kCustomReminderSubjectChanged}}},
      {"interval and subject", {{3, "Tasbih", kCustomReminderTimesChanged}}},
      // Regression: each run of the reminders dialog overwrote the change,
      // so a second look closed with OK forgot the moved reminders.
      {"moved, then looked at again", {{3, nullptr, kCustomReminderTimesChanged}, {-1, nullptr, kCustomReminderTimesChanged}}},
      {"renamed, then looked at again", {{-1, "Tasbih", kCustomReminderSubjectChanged}, {-1, nullptr, kCustomReminderSubjectChanged}}},
      {"renamed, then moved", {{-1, "Tasbih", kCustomReminderSubjectChanged}, {0, nullptr, kCustomReminderTimesChanged}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CCustomPrayers& prayers = Prayers(kCustomReminderFlag);
    HWND dialog = Open(prayers);
    ASSERT_NE(dialog, nullptr);
    for (const Step& step : c.steps) {
      HWND reminders = OpenFrom(dialog, CCustomPrayers::kRemindersButton);
      ASSERT_NE(reminders, nullptr);
      if (step.interval >= 0) {
        ASSERT_TRUE(m_frontEnd->Select(reminders, CCustomReminders::kInterval, step.interval));
      }
      if (step.subject != nullptr) {
        ASSERT_TRUE(m_frontEnd->ReplaceText(reminders, CCustomReminders::kSubject, step.subject));
      }
      ASSERT_TRUE(m_frontEnd->Click(reminders, IDOK));
      WaitClosed(reminders, dialog);
      EXPECT_EQ(prayers.m_change, step.change);
    }
    // Cancel in the reminders dialog changes nothing.
    HWND reminders = OpenFrom(dialog, CCustomPrayers::kRemindersButton);
    ASSERT_NE(reminders, nullptr);
    ASSERT_TRUE(m_frontEnd->Select(reminders, CCustomReminders::kInterval, 5));
    ASSERT_TRUE(m_frontEnd->Click(reminders, IDCANCEL));
    WaitClosed(reminders, dialog);
    EXPECT_EQ(prayers.m_change, c.steps.back().change);
    ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
    EXPECT_EQ(Result(), IDOK);
    EXPECT_EQ(prayers.m_change, c.steps.back().change);
  }
}

class CustomSubjectTest : public GenerationFixture {};

// A subject with quotes, commas and Arabic letters comes out of the dialog
// as typed, and the calendar's reminders carry it, found again by it.
TEST_F(CustomSubjectTest, ASubjectWithQuotesCommasAndArabicSurvivesTheDialogAndTheCalendar) {
  const std::string subject = "Say \"subhan Allah\", then سبحان الله";
  CCustomReminders reminders(kEight, kFive, TEXT(""), 60);
  std::intptr_t result = 0;
  std::thread run([&] { result = reminders.DoModal(nullptr); });
  HWND dialog = m_frontEnd->WaitForDialog(CCustomReminders::IDD);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, CCustomReminders::kSubject, subject));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  run.join();
  ASSERT_EQ(result, IDOK);
  EXPECT_EQ(TToUtf8(reminders.m_subject), subject);

  Connect(false);  // a store without user fields in filters: found by subject
  AddinSettings& settings = prayer_->Settings();
  settings.prayers = kCustomReminderFlag;
  settings.prescheduleDays = 1;
  settings.customFrom = reminders.m_from;
  settings.customTo = reminders.m_to;
  settings.customInterval = reminders.m_interval;
  settings.customSubject = reminders.m_subject;
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  const std::size_t made = Calendar().size();
  ASSERT_GT(made, 0u);
  for (const host::Appointment& item : Calendar()) EXPECT_EQ(item.subject, subject);
  // A second fill finds them by that subject and adds none.
  ASSERT_EQ(prayer_->Calendar().Precalculate(false, false, true, false), S_OK);
  EXPECT_EQ(Calendar().size(), made);
}

}  // namespace

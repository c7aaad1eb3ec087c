// The host's run as Outlook, in process: reminders raised exactly once
// across restarts, also for items saved with their reminder already due;
// a run that survives a bad sound file and an add-in that quits; the mirror
// following changes made by another program; built-in bars keeping the
// controls added to them.

#include <cstdlib>

#include "host/ical/MirrorReader.h"
#include "host/model/Application.h"
#include "host/model/Explorer.h"
#include "host/run/OutlookProcess.h"
#include "host/run/ReminderAlert.h"
#include "tests/model/ModelTest.h"

namespace {

constexpr double kSecond = 1.0 / 86400.0;

class HostRunTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    setenv("ORVANE_NOTIFY", "", 1);
    setenv("ORVANE_PLAY", "/bin/true", 1);
  }
  void TearDown() override {
    unsetenv("ORVANE_NOTIFY");
    unsetenv("ORVANE_PLAY");
    ModelTest::TearDown();
  }

  // An item of the Calendar with its reminder `lead` minutes before `start`.
  static host::Appointment Reminded(const char* subject, DATE start, long lead) {
    host::Appointment item;
    item.subject = subject;
    item.start = start;
    item.end = start + 10.0 / 1440.0;
    item.reminderSet = true;
    item.reminderMinutesBeforeStart = lead;
    return item;
  }
  static void SaveAside(host::Appointment item) {
    host::CalendarStore::Open(profile::File("outlook.db"))->Save(item);
  }
  static host::HostOptions Embedded() {
    host::HostOptions options;
    options.embedding = true;
    return options;
  }
};

TEST_F(HostRunTest, RemindersAreRaisedOnceAcrossRestartsWhateverTheFractionOfASecond) {
  const DATE due = MakeDate(2004, 3, 21, 10, 15);
  SaveAside(Reminded("Asr", due + 15.0 / 1440.0, 15));
  {
    host::OutlookProcess first(Embedded());
    first.Start();
    EXPECT_EQ(first.CheckReminders(due - 0.4 * kSecond), 0);  // not yet
    EXPECT_EQ(first.CheckReminders(due + 0.3 * kSecond), 1);
    first.Stop();
  }
  {
    host::OutlookProcess second(Embedded());
    second.Start();
    EXPECT_EQ(second.CheckReminders(due + 60 * kSecond), 0);  // shown already
  }
  // A run that stopped a fraction of a second before it fell due leaves it
  // for the next, which raises it while the item has not ended.
  SaveAside(Reminded("Maghrib", MakeDate(2004, 3, 21, 18, 10), 10));
  const DATE dueMaghrib = MakeDate(2004, 3, 21, 18, 0);
  {
    host::OutlookProcess third(Embedded());
    third.Start();
    EXPECT_EQ(third.CheckReminders(dueMaghrib - 0.4 * kSecond), 0);
  }
  host::OutlookProcess fourth(Embedded());
  fourth.Start();
  EXPECT_EQ(fourth.CheckReminders(dueMaghrib + 5 * kSecond), 1);
}

TEST_F(HostRunTest, AnItemSavedWithItsReminderDueIsRaisedAtTheNextCheck) {
  host::OutlookProcess outlook(Embedded());
  outlook.Start();
  const DATE now = MakeDate(2004, 3, 21, 10, 20);
  EXPECT_EQ(outlook.CheckReminders(now), 0);
  // Starts at 10:30 with 15 minutes' warning: due before it was saved.
  SaveAside(Reminded("Zuhr", MakeDate(2004, 3, 21, 10, 30), 15));
  EXPECT_EQ(outlook.CheckReminders(now + kSecond), 1);
  EXPECT_EQ(outlook.CheckReminders(now + 2 * kSecond), 0);
  // The mirror heard of that other program's change too.
  outlook.Mirror().Flush();
  EXPECT_EQ(host::ReadMirror(profile::File("calendar.ics")).events.size(), 1u);
}

TEST_F(HostRunTest, AnAddinQuittingInAReminderEndsTheRunInOrder) {
  const DATE due = MakeDate(2004, 3, 21, 10, 15);
  SaveAside(Reminded("Asr", due + 15.0 / 1440.0, 15));
  SaveAside(Reminded("Asr again", due + 15.0 / 1440.0, 15));
  host::OutlookProcess outlook(Embedded());
  outlook.Start();
  auto sink = RecordingSink::Make(ApplicationEvents::kIID);
  _Application* app = outlook.Session().Application();
  ASSERT_EQ(sink->Advise(app), S_OK);
  sink->OnInvoke([app](const RecordingSink::Call& call) {
    if (call.id == ApplicationEvents::kReminder) app->Quit();
  });
  EXPECT_EQ(outlook.CheckReminders(due + kSecond), 1);
  std::atomic<bool> never{false};
  outlook.Stay(never);  // returns: Outlook has quit
  outlook.Stop();
}

TEST_F(HostRunTest, ASoundFileThatCannotBeReadPlaysNothingAndStopsNothing) {
  host::Appointment item = Reminded("Fajr", MakeDate(2004, 3, 21, 5, 0), 10);
  item.reminderPlaySound = true;
  item.reminderSoundFile = "/" + std::string(300, 'x') + ".wav";  // too long a name to look at
  host::ReminderAlert alert;
  EXPECT_NO_THROW(alert.Show(item));
}

TEST_F(HostRunTest, ControlsAddedToABuiltInBarComeBackInTheNextWindowWithoutADoubleBar) {
  Open();
  {
    auto window = session_->NewExplorer(host::FolderKind::kCalendar, true);
    ComPtr<CommandBars> bars;
    window->get_CommandBars(bars.ReleaseAndGetAddressOf());
    ComPtr<CommandBar> standard;
    ASSERT_EQ(bars->get_Item(CComVariant::Str("Standard"), standard.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<CommandBarControls> controls;
    standard->get_Controls(controls.ReleaseAndGetAddressOf());
    ComPtr<CommandBarControl> added;
    CComVariant missing;
    ASSERT_EQ(controls->Add(CComVariant::I4(msoControlButton), missing, missing, missing, missing,
                            added.ReleaseAndGetAddressOf()),
              S_OK);
    CComBSTR tag("kept");
    added->put_Tag(tag.Get());
  }
  Open();  // the first session ends and keeps its bars
  auto window = session_->NewExplorer(host::FolderKind::kCalendar, true);
  ComPtr<CommandBars> bars;
  window->get_CommandBars(bars.ReleaseAndGetAddressOf());
  LONG count = 0;
  bars->get_Count(&count);
  EXPECT_EQ(count, 2);  // Menu Bar and Standard, once each
  ComPtr<CommandBar> standard;
  ASSERT_EQ(bars->get_Item(CComVariant::Str("Standard"), standard.ReleaseAndGetAddressOf()), S_OK);
  ComPtr<CommandBarControl> kept;
  CComVariant missing;
  ASSERT_EQ(standard->FindControl(missing, missing, CComVariant::Str("kept"), missing, missing,
                                  kept.ReleaseAndGetAddressOf()),
            S_OK);
  EXPECT_TRUE(kept);
  // The Menu Bar's own Options command is not kept as if added: still one.
  ComPtr<CommandBar> menu;
  ASSERT_EQ(bars->get_Item(CComVariant::Str("Menu Bar"), menu.ReleaseAndGetAddressOf()), S_OK);
  ComPtr<CommandBarControls> menuControls;
  menu->get_Controls(menuControls.ReleaseAndGetAddressOf());
  LONG menuCount = 0;
  menuControls->get_Count(&menuCount);
  EXPECT_EQ(menuCount, 1);
}

}  // namespace

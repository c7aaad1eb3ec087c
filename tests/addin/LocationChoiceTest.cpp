// Choosing a city with `orvane dialog location`: the choice is saved, and at
// the add-in's next start every prayer appointment from then on is
// rewritten for the new place; later starts go on from there.

#include <gtest/gtest.h>

#include <thread>

#include "locations/LocationDlg.h"
#include "platform/registry/Registry.h"
#include "tests/support/GenerationFixture.h"

namespace {

class LocationChoiceTest : public GenerationFixture {
 protected:
  // Runs the dialog as `orvane dialog location` does and chooses the city
  // whose entry holds `name`; the run's result.
  DialogResult Choose(const std::string& name, std::vector<std::string>* printed) {
    CSettingsStore store;
    EXPECT_EQ(store.ReadSettings(), S_OK);
    DialogRun run{store, {}, [](const char* line, void* context) {
                    static_cast<std::vector<std::string>*>(context)->push_back(line);
                  },
                  printed};
    DialogResult result = kDialogNotShown;
    std::thread shown([&] { result = ShowLocationDialog(run); });
    HWND dialog = m_frontEnd->WaitForDialog(CLocationDlg::IDD);
    EXPECT_NE(dialog, nullptr);
    if (dialog != nullptr) {
      const std::vector<std::string> items = m_frontEnd->Snapshot(dialog)->Control(CLocationDlg::kCities)->items;
      int entry = -1;
      for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].find(name) != std::string::npos && entry < 0) entry = static_cast<int>(i);
      }
      EXPECT_GE(entry, 0) << name;
      EXPECT_TRUE(m_frontEnd->Select(dialog, CLocationDlg::kCities, entry));
      EXPECT_TRUE(m_frontEnd->Click(dialog, IDOK));
    }
    shown.join();
    return result;
  }

  // Every prayer appointment from `from` on stands at the time the
  // connected add-in's calculator gives for its day.
  void ExpectTimesOfTheCalculator(DATE from, const char* where) {
    IPrayerCalculator* calculator = prayer_->Calculator();
    ASSERT_NE(calculator, nullptr);
    int checked = 0;
    for (const host::Appointment& item : Calendar()) {
      if (item.start < from || !HasMark(item)) continue;
      ASSERT_EQ(calculator->Recalc(item.start), S_OK);
      DATE zuhr = 0, asr = 0;
      calculator->get_Zuhr(&zuhr);
      calculator->get_Asr(&asr);
      // The Friday prayer's appointment starts its minutes before Zuhr.
      const DATE friday = zuhr - prayer_->Settings().fridayMinutesBefore / 1440.0;
      const DATE expected = item.subject == ResourceUtf8(106) ? asr : item.subject == ResourceUtf8(158) ? friday : zuhr;
      EXPECT_NEAR(item.start, expected, 1.0 / 86400) << where << " " << item.subject;
      ++checked;
    }
    EXPECT_GT(checked, 0) << where;
  }

  static DWORD Pending() {
    DWORD value = 7;
    registry::GetDword(HKEY_CURRENT_USER, ui::FindString(ResourceInstance(), 101), "UpdatePending", &value);
    return value;
  }
};

TEST_F(LocationChoiceTest, AfterChoosingLondonEveryAppointmentFromNowOnHasLondonsTimes) {
  Connect();
  ASSERT_EQ(session_->RaiseStartup(), S_OK);  // Mecca's week
  const std::size_t written = Calendar().size();
  ASSERT_GT(written, 0u);
  DATE meccaZuhrToday = 0;
  for (const host::Appointment& item : Calendar()) {
    if (item.start < MakeDate(2026, 12, 8) && item.subject == ResourceUtf8(105)) meccaZuhrToday = item.start;
  }
  ASSERT_NE(meccaZuhrToday, 0);
  Disconnect();

  std::vector<std::string> printed;
  ASSERT_EQ(Choose("London, United Kingdom", &printed), kDialogOkSaved);
  EXPECT_NE(std::find(printed.begin(), printed.end(), "Name=London"), printed.end());
  EXPECT_EQ(Pending(), 1u);

  // The next start at noon: London's Zuhr (11:53) is past, Mecca's
  // appointment (12:12) not yet.
  Restart("2026-12-07T12:00:00");
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  EXPECT_EQ(Pending(), 0u);
  EXPECT_DOUBLE_EQ(prayer_->Settings().timeZone, 0.0);
  EXPECT_EQ(Calendar().size(), written);  // rewritten, not added
  ExpectTimesOfTheCalculator(MakeDate(2026, 12, 7, 12, 30), "rewritten");
  // Today's Zuhr is past in London: it keeps the time it had.
  int zuhrToday = 0;
  for (const host::Appointment& item : Calendar()) {
    if (item.start < MakeDate(2026, 12, 8) && item.subject == ResourceUtf8(105)) {
      EXPECT_EQ(item.start, meccaZuhrToday);
      ++zuhrToday;
    }
  }
  EXPECT_EQ(zuhrToday, 1);

  // Two days later the start goes on with London's times.
  Restart("2026-12-09T08:00:00");
  ASSERT_EQ(session_->RaiseStartup(), S_OK);
  ExpectTimesOfTheCalculator(MakeDate(2026, 12, 9, 8, 0), "continued");
  std::size_t lastDay = 0;
  for (const host::Appointment& item : Calendar()) {
    if (item.start >= MakeDate(2026, 12, 15)) ++lastDay;
  }
  EXPECT_GT(lastDay, 0u);
}

TEST_F(LocationChoiceTest, CancelSavesNothingAndMarksNothing) {
  CSettingsStore store;
  ASSERT_EQ(store.ReadSettings(), S_OK);
  DialogRun run{store, {}, [](const char*, void*) {}, nullptr};
  DialogResult result = kDialogNotShown;
  std::thread shown([&] { result = ShowLocationDialog(run); });
  HWND dialog = m_frontEnd->WaitForDialog(CLocationDlg::IDD);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  shown.join();
  EXPECT_EQ(result, kDialogCancelled);
  EXPECT_EQ(Pending(), 7u);  // never written
}

}  // namespace

// The options page through the host's Options dialog, as a person uses it:
// what it shows of the stored settings, what each control marks as changed,
// and how Apply brings the calendar in line and saves.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fstream>
#include <functional>
#include <sstream>

#include "host/model/OptionsDialog.h"
#include "options/PrayerPage.h"
#include "platform/com/ComRuntime.h"
#include "platform/fs/BusyWait.h"
#include "platform/fs/Profile.h"
#include "platform/registry/Registry.h"
#include "platform/ui/UserInput.h"
#include "platform/ui/WindowsX.h"
#include "services/ResourceLibrary.h"
#include "tests/support/FaultyCalendar.h"
#include "tests/support/GenerationFixture.h"

namespace {

// The dialogs the page opens, played by the test: each answers what the
// test says and changes the values as a person would have.
class ScriptedDialogs final : public IPageDialogs {
 public:
  std::function<std::intptr_t(CCityInfo&, bool*, AddinSettings&)> location;
  std::function<std::intptr_t(AddinSettings&)> advanced;
  std::function<std::intptr_t(AddinSettings&, int*)> customPrayers;
  int opened = 0;

  std::intptr_t Location(HWND, CCityInfo& city, bool* hasCity, AddinSettings& working) override {
    ++opened;
    return location ? location(city, hasCity, working) : std::intptr_t{IDCANCEL};
  }
  std::intptr_t Advanced(HWND, AddinSettings& working) override {
    ++opened;
    return advanced ? advanced(working) : std::intptr_t{IDCANCEL};
  }
  std::intptr_t Sound(HWND, AddinSettings&) override {
    ++opened;
    return IDCANCEL;
  }
  std::intptr_t CustomPrayers(HWND, AddinSettings& working, int* change) override {
    ++opened;
    return customPrayers ? customPrayers(working, change) : std::intptr_t{IDCANCEL};
  }
};

// The add-in as the page sees it, except that the person pressed Cancel in
// the progress window of every deletion.
class CancellingOwner final : public IPrayerPageOwner {
 public:
  explicit CancellingOwner(IPrayerPageOwner& inner) : inner_(inner) {}
  CSettingsStore& Store() override { return inner_.Store(); }
  IPrayerCalculator* Calculator() override { return inner_.Calculator(); }
  HRESULT FindTimeInfo(const COleDate& instant) override { return inner_.FindTimeInfo(instant); }
  const TimeInfo& CurrentPeriod() const override { return inner_.CurrentPeriod(); }
  CPrayerCalendar& Calendar() override { return inner_.Calendar(); }
  _Items* CalendarItems() override { return inner_.CalendarItems(); }
  HRESULT GenerateNext(bool force) override { return inner_.GenerateNext(force); }
  LONG GetCancelFlag() override { return 1; }

 private:
  IPrayerPageOwner& inner_;
};

class PrayerPageTest : public GenerationFixture {
 protected:
  void TearDown() override {
    if (options_) options_->Close();
    options_.reset();
    GenerationFixture::TearDown();
  }

  // Connects with the settings as a test wants them saved, fills the
  // calendar as at start-up, and opens the Options dialog.
  void OpenWith(const std::function<void(AddinSettings&)>& settings, bool fill = true) {
    Connect();
    settings(prayer_->Settings());
    prayer_->Store().SaveSettings();
    if (fill) {
      ASSERT_EQ(session_->RaiseStartup(), S_OK);
    }
    Open();
  }
  void Open() {
    options_ = std::make_unique<host::OptionsDialog>(session_);
    ASSERT_EQ(options_->Open(), S_OK);
    ASSERT_EQ(options_->Pages().size(), 1u);
    page_ = prayer_->OptionsPage();
    ASSERT_NE(page_, nullptr);
    page_->SetDialogs(&dialogs_);
    ASSERT_EQ(options_->ShowPages(nullptr), S_OK);
    window_ = page_->Window();
    ASSERT_NE(window_, nullptr);
  }
  // The settings as the next start reads them.
  AddinSettings Saved() {
    CSettingsStore store;
    store.ReadSettings();
    return store.Settings();
  }
  int Selected(int id) { return ComboBox_GetCurSel(GetDlgItem(window_, id)); }
  bool Select(int id, int position) { return m_frontEnd->Select(window_, id, position); }
  std::size_t PrayerCount() {
    std::size_t n = 0;
    for (const auto& item : Calendar()) n += HasMark(item) ? 1 : 0;
    return n;
  }
  DATE LastStart() {
    DATE last = 0;
    for (const auto& item : Calendar()) last = std::max(last, item.start);
    return last;
  }

  std::unique_ptr<host::OptionsDialog> options_;
  CPrayerPage* page_ = nullptr;
  HWND window_ = nullptr;
  ScriptedDialogs dialogs_;
};

TEST_F(PrayerPageTest, ThePageIsAControlEveryModuleRegisters) {
  const std::string key = "CLSID\\{3A8FB1F7-591F-11D3-AED9-005004D37487}";
  std::string value;
  ASSERT_EQ(registry::GetString(HKEY_CLASSES_ROOT, key.c_str(), nullptr, &value), ERROR_SUCCESS);
  EXPECT_EQ(value, "PrayerPage Class");
  for (const char* sub : {"Control", "Insertable", "InprocServer32", "ToolboxBitmap32", "MiscStatus\\1", "TypeLib",
                          "Version"}) {
    EXPECT_TRUE(registry::KeyExists(HKEY_CLASSES_ROOT, (key + "\\" + sub).c_str())) << sub;
  }
  ASSERT_EQ(registry::GetString(HKEY_CLASSES_ROOT, (key + "\\MiscStatus\\1").c_str(), nullptr, &value), ERROR_SUCCESS);
  EXPECT_EQ(value, "131473");
  ASSERT_EQ(registry::GetString(HKEY_CLASSES_ROOT, (key + "\\TypeLib").c_str(), nullptr, &value), ERROR_SUCCESS);
  EXPECT_EQ(value, "{0B6AA871-5876-11D3-AED8-005004D37487}");
  ASSERT_EQ(registry::GetString(HKEY_CLASSES_ROOT, (key + "\\ToolboxBitmap32").c_str(), nullptr, &value), ERROR_SUCCESS);
  EXPECT_EQ(value, std::string(ORVANE_ADDIN_MODULE) + ", 109");

  // Made by its ProgID, as Outlook would: a property page whose Caption
  // (the stock property -518) is string 102.
  CLSID clsid;
  ASSERT_EQ(CLSIDFromProgID(u"Orvane.PrayerPage", &clsid), S_OK);
  ComPtr<PropertyPage> page;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, PropertyPage::kIID, page.ReleaseAndGetVoidAddress()),
            S_OK);
  CComVariant caption;
  ASSERT_EQ(com::InvokeMember(page.Get(), DISPID_CAPTION, DISPATCH_PROPERTYGET, {}, &caption), S_OK);
  ASSERT_EQ(caption.vt, VT_BSTR);
  EXPECT_EQ(text::Utf16ToUtf8(caption.bstrVal), ResourceUtf8(102));
  BSTR helpFile = nullptr;
  LONG context = -1;
  ASSERT_EQ(page->GetPageInfo(&helpFile, &context), S_OK);
  EXPECT_EQ(SysStringLen(helpFile), 0u);
  EXPECT_EQ(context, 0);
  SysFreeString(helpFile);
  // A page no add-in made has no owner: it applies nothing.
  EXPECT_EQ(page->Apply(), S_OK);
}

TEST_F(PrayerPageTest, TheTabCarriesThePagesCaptionAndTheStoredSettingsShow) {
  OpenWith([](AddinSettings& s) {
    s.prayers = 61;
    s.busyStatus = 2;
    s.duration = 25;  // not a preset: inserted in its place
    s.prescheduleDays = 14;
  }, false);
  EXPECT_EQ(text::Utf16ToUtf8(options_->Pages()[0].title), ResourceUtf8(102));
  EXPECT_NE(ResourceUtf8(102), "Hello World");
  EXPECT_EQ(Selected(CPrayerPage::kPrayers), 2);
  EXPECT_EQ(Selected(CPrayerPage::kBusyStatus), 2);
  EXPECT_EQ(Selected(CPrayerPage::kDaysAhead), 4);
  HWND duration = GetDlgItem(window_, CPrayerPage::kDuration);
  ASSERT_EQ(ComboBox_GetCount(duration), 8);
  EXPECT_EQ(Selected(CPrayerPage::kDuration), 4);  // 1, 5, 10, 15, 25
  // Mecca, from the default city line.
  tchar text[256] = {};
  GetDlgItemText(window_, CPrayerPage::kLocationText, text, 256);
  EXPECT_NE(TToUtf8(text).find("Mecca"), std::string::npos) << TToUtf8(text);
  // Nothing changed yet: Apply is not offered.
  VARIANT_BOOL dirty = VARIANT_TRUE;
  ASSERT_EQ(options_->Pages()[0].page->get_Dirty(&dirty), S_OK);
  EXPECT_EQ(dirty, VARIANT_FALSE);
  EXPECT_FALSE(options_->ApplyEnabled());
}

TEST_F(PrayerPageTest, APrayerSelectionOutsideTheListShowsTheCustomChoice) {
  OpenWith([](AddinSettings& s) { s.prayers = kFajrFlag | kZuhrFlag; }, false);
  EXPECT_EQ(Selected(CPrayerPage::kPrayers), CPrayerPage::kCustomPosition);
  EXPECT_EQ(CPrayerPage::PrayersPosition(63), 3);
  EXPECT_EQ(CPrayerPage::PrayersPosition(0), 6);
  // The Friday prayer alone ticks the Friday settings' box.
  prayer_->Settings().fridaySettings = false;
  ASSERT_TRUE(Select(CPrayerPage::kPrayers, 5));
  EXPECT_EQ(IsDlgButtonChecked(window_, CPrayerPage::kFridaySettings), BST_CHECKED);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window_, CPrayerPage::kFridaySettings)));
  EXPECT_EQ(page_->ChangeBits(), CPrayerPage::kChangePrayers);
  EXPECT_TRUE(options_->ApplyEnabled());
}

TEST_F(PrayerPageTest, DaysAheadOfThreeAndSixMonthsShowAndSurviveAnotherChange) {
  // Stored 93 days once showed no selection, and any Apply stored 0: the
  // calendar stopped being filled.
  OpenWith([](AddinSettings& s) { s.prescheduleDays = 93; }, false);
  EXPECT_EQ(Selected(CPrayerPage::kDaysAhead), 6);
  ASSERT_EQ(ComboBox_GetCount(GetDlgItem(window_, CPrayerPage::kDaysAhead)), 8);
  ASSERT_TRUE(Select(CPrayerPage::kReminderMinutes, 3));
  ASSERT_EQ(options_->Apply(), S_OK);
  EXPECT_EQ(Saved().prescheduleDays, 93u);
  EXPECT_EQ(Saved().reminderMinutes, 15u);

  // A list without a selection keeps what is stored.
  ComboBox_SetCurSel(GetDlgItem(window_, CPrayerPage::kDaysAhead), -1);
  ASSERT_TRUE(Select(CPrayerPage::kBusyStatus, 1));
  ASSERT_EQ(options_->Apply(), S_OK);
  EXPECT_EQ(Saved().prescheduleDays, 93u);
}

TEST_F(PrayerPageTest, ChangingOnlyTheDurationRewritesTheAppointmentsAndAddsNone) {
  OpenWith([](AddinSettings& s) { s.prescheduleDays = 7; });
  const std::size_t before = PrayerCount();
  ASSERT_GT(before, 0u);
  ASSERT_TRUE(Select(CPrayerPage::kDuration, 4));  // 30 minutes
  EXPECT_EQ(page_->ChangeBits(), CPrayerPage::kChangeAppointments);
  ASSERT_EQ(options_->Apply(), S_OK);
  EXPECT_EQ(PrayerCount(), before);
  EXPECT_EQ(DeletedCount(), 0u);
  for (const auto& item : Calendar()) {
    if (item.start > MakeDate(2026, 12, 7, 13, 0) && item.subject != ResourceUtf8(158)) {
      EXPECT_NEAR(item.end - item.start, 30.0 / 1440, 1e-6);
    }
  }
  EXPECT_EQ(Saved().duration, 30u);
  EXPECT_EQ(page_->ChangeBits(), 0u);
}

TEST_F(PrayerPageTest, TypedMinutesAreAChangeAndAreCheckedBeforeAnythingIsApplied) {
  OpenWith([](AddinSettings& s) { s.prescheduleDays = 7; });
  // Typed, not chosen: the page is dirty, and the appointments take it.
  ASSERT_TRUE(m_frontEnd->ReplaceText(window_, CPrayerPage::kDuration, "25"));
  EXPECT_EQ(page_->ChangeBits(), CPrayerPage::kChangeAppointments);
  EXPECT_TRUE(options_->ApplyEnabled());
  ASSERT_EQ(options_->Apply(), S_OK);
  for (const auto& item : Calendar()) {
    if (item.start > MakeDate(2026, 12, 7, 13, 0) && item.subject != ResourceUtf8(158)) {
      EXPECT_NEAR(item.end - item.start, 25.0 / 1440, 1e-6);
    }
  }

  // What the settings cannot keep is refused with the field named, and
  // nothing is applied.
  for (const char* typed : {"abc", "0", "1441", "-5", ""}) {
    m_frontEnd->Clear();
    ASSERT_TRUE(m_frontEnd->ReplaceText(window_, CPrayerPage::kReminderMinutes, typed));
    ASSERT_TRUE(Select(CPrayerPage::kBusyStatus, 3));
    EXPECT_EQ(page_->Apply(), E_INVALIDARG) << typed;
    const auto boxes = m_frontEnd->MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << typed;
    EXPECT_NE(boxes[0].text.find(ResourceUtf8(1309)), std::string::npos) << boxes[0].text;
    EXPECT_EQ(Saved().busyStatus, 0u) << typed;
    EXPECT_EQ(prayer_->Settings().busyStatus, 0u) << typed;
  }
}

TEST_F(PrayerPageTest, FewerDaysAheadDeletesBeyondTheWindowAndRefills) {
  OpenWith([](AddinSettings& s) { s.prescheduleDays = 31; });
  ASSERT_GT(LastStart(), MakeDate(2027, 1, 5));
  ASSERT_TRUE(Select(CPrayerPage::kDaysAhead, 3));  // 7 days
  EXPECT_EQ(page_->ChangeBits(), CPrayerPage::kChangeDaysAhead);
  ASSERT_EQ(options_->Apply(), S_OK);
  EXPECT_LT(LastStart(), MakeDate(2026, 12, 15));
  EXPECT_GE(LastStart(), MakeDate(2026, 12, 13));
  // Every day of the window keeps its two prayers, none doubled.
  for (int day = 8; day <= 13; ++day) {
    EXPECT_EQ(CountOn(Calendar(), MakeDate(2026, 12, day), MakeDate(2026, 12, day + 1)), 2u) << day;
  }
  EXPECT_EQ(Saved().prescheduleDays, 7u);

  // More days: the window is filled to its new end.
  ASSERT_TRUE(Select(CPrayerPage::kDaysAhead, 7));  // 186 days
  ASSERT_EQ(options_->Apply(), S_OK);
  EXPECT_GT(LastStart(), MakeDate(2027, 6, 5));
  EXPECT_EQ(CountOn(Calendar(), MakeDate(2027, 3, 1), MakeDate(2027, 3, 2)), 2u);
}

TEST_F(PrayerPageTest, CancellingTheDeletionKeepsTheDaysAheadAndTheCalendarFull) {
  OpenWith([](AddinSettings& s) { s.prescheduleDays = 31; });
  const DATE lastBefore = LastStart();
  CancellingOwner owner(*prayer_);
  page_->SetOwner(&owner);
  ASSERT_TRUE(Select(CPrayerPage::kDaysAhead, 3));  // 7 days
  ASSERT_EQ(options_->Apply(), S_OK);
  page_->SetOwner(prayer_);
  // The list and the settings say 31 days again, and whatever the deletion
  // took before it stopped is written again: every day keeps its prayers.
  EXPECT_EQ(Selected(CPrayerPage::kDaysAhead), 5);
  EXPECT_EQ(Saved().prescheduleDays, 31u);
  EXPECT_GE(LastStart(), lastBefore - 1);
  for (DATE day = MakeDate(2026, 12, 9); day < MakeDate(2027, 1, 7); day += 1) {
    EXPECT_EQ(CountOn(Calendar(), day, day + 1), 2u) << day;
  }
}

TEST_F(PrayerPageTest, TheTimetableButtonShowsTheChoicesNotYetApplied) {
  OpenWith([](AddinSettings& s) { s.prescheduleDays = 7; });
  const std::string path = resource_library::AddinFolder() + "imsakyya.html";
  std::remove(path.c_str());
  setenv("ORVANE_OPEN", "true", 1);
  CCityInfo london;
  ASSERT_EQ(london.GetInfoFromLine(TEXT("London,,United Kingdom,51 30 N,0 8 W,0,Y,0,Y,433")), 1);
  dialogs_.location = [&](CCityInfo& city, bool* hasCity, AddinSettings&) {
    city = london;
    *hasCity = true;
    return IDOK;
  };
  ASSERT_TRUE(m_frontEnd->Click(window_, CPrayerPage::kLocationButton));
  ASSERT_TRUE(Select(CPrayerPage::kTimetableRange, 2));  // the month
  ASSERT_TRUE(m_frontEnd->Click(window_, CPrayerPage::kTimetableButton));
  unsetenv("ORVANE_OPEN");
  std::ifstream file(path);
  std::stringstream page;
  page << file.rdbuf();
  EXPECT_NE(page.str().find("London"), std::string::npos);
  // A month's rows, and nothing of it saved.
  std::size_t rows = 0;
  for (std::size_t at = page.str().find("<tr"); at != std::string::npos; at = page.str().find("<tr", at + 1)) ++rows;
  EXPECT_GE(rows, 28u);
  EXPECT_EQ(TToUtf8(Saved().location).find("London"), std::string::npos);
  EXPECT_EQ(Saved().timetableRange, prayer_->Settings().timetableRange);
  EXPECT_NE(Saved().timetableRange, 2u);
}

TEST_F(PrayerPageTest, NextPrayerOnlyLeavesExactlyOneAppointment) {
  OpenWith([](AddinSettings& s) { s.prescheduleDays = 7; });
  ASSERT_GT(PrayerCount(), 1u);
  ASSERT_TRUE(Select(CPrayerPage::kDaysAhead, 1));
  ASSERT_EQ(options_->Apply(), S_OK);
  EXPECT_EQ(PrayerCount(), 1u);
  EXPECT_EQ(Saved().prescheduleDays, 255u);
}

TEST_F(PrayerPageTest, ASecondApplyOnlySaves) {
  OpenWith([](AddinSettings& s) { s.prescheduleDays = 7; });
  ASSERT_TRUE(Select(CPrayerPage::kPrayers, 2));  // the five prayers
  ASSERT_EQ(options_->Apply(), S_OK);
  const std::vector<host::Appointment> after = Calendar();
  EXPECT_EQ(CountOn(after, MakeDate(2026, 12, 9), MakeDate(2026, 12, 10)), 5u);
  // The page stays dirty, with nothing left to do.
  VARIANT_BOOL dirty = VARIANT_FALSE;
  page_->get_Dirty(&dirty);
  EXPECT_EQ(dirty, VARIANT_TRUE);
  ASSERT_EQ(page_->Apply(), S_OK);
  const std::vector<host::Appointment> again = Calendar();
  ASSERT_EQ(again.size(), after.size());
  for (std::size_t i = 0; i < again.size(); ++i) {
    EXPECT_EQ(again[i].id, after[i].id);
    EXPECT_EQ(again[i].end, after[i].end);
  }
}

TEST_F(PrayerPageTest, AnUnreadableLocationIsNotOverwrittenByABlank) {
  OpenWith([](AddinSettings& s) {
    s.location = TEXT("not a city line");
    s.longitude = -31.25;
    s.latitude = 30.05;
    s.timeZone = 2;
  }, false);
  tchar text[256] = {};
  GetDlgItemText(window_, CPrayerPage::kLocationText, text, 256);
  EXPECT_EQ(TToUtf8(text), "");
  ASSERT_TRUE(Select(CPrayerPage::kBusyStatus, 2));
  ASSERT_EQ(options_->Apply(), S_OK);
  // What Apply saved (a later read puts the default city in place of a
  // line it cannot read, which is another matter).
  const AddinSettings& saved = prayer_->Settings();
  EXPECT_EQ(TToUtf8(saved.location), "not a city line");
  EXPECT_DOUBLE_EQ(saved.longitude, -31.25);
  EXPECT_DOUBLE_EQ(saved.latitude, 30.05);
  EXPECT_DOUBLE_EQ(saved.timeZone, 2);
}

TEST_F(PrayerPageTest, TheNewCitysTimesAreUsedForThePeriodAndTheAppointments) {
  OpenWith([](AddinSettings& s) { s.prescheduleDays = 7; });
  CCityInfo london;
  ASSERT_EQ(london.GetInfoFromLine(TEXT("London,,United Kingdom,51 30 N,0 8 W,0,Y,0,Y,433")), 1);
  dialogs_.location = [&](CCityInfo& city, bool* hasCity, AddinSettings&) {
    city = london;
    *hasCity = true;
    return IDOK;
  };
  ASSERT_TRUE(m_frontEnd->Click(window_, CPrayerPage::kLocationButton));
  EXPECT_EQ(dialogs_.opened, 1);
  EXPECT_EQ(page_->ChangeBits(), CPrayerPage::kChangeAppointments);
  ASSERT_EQ(options_->Apply(), S_OK);
  // The period found in Apply is London's: at 10:00 in December the
  // current prayer there is Shorouk's period (Zuhr is at about 11:55).
  ComPtr<IPrayerCalculator> calculator;
  ASSERT_EQ(CoCreateInstance(CLSID_PrayerCalculator, nullptr, CLSCTX_ALL, IPrayerCalculator::kIID,
                             calculator.ReleaseAndGetVoidAddress()),
            S_OK);
  ASSERT_EQ(CSettingsStore::ApplyCalcSettings(prayer_->Settings(), calculator.Get()), S_OK);
  ASSERT_EQ(calculator->Recalc(MakeDate(2026, 12, 7)), S_OK);
  DATE shorouk = 0;
  calculator->get_Shorouk(&shorouk);
  EXPECT_NEAR(prayer_->CurrentPeriod().periodStart.Value(), shorouk, 1.0 / 86400);
  EXPECT_NE(TToUtf8(Saved().location).find("London"), std::string::npos);
  EXPECT_NEAR(Saved().longitude, london.m_longitude, 1e-9);
  // Tomorrow's Zuhr stands at London's time.
  ASSERT_EQ(calculator->Recalc(MakeDate(2026, 12, 8)), S_OK);
  DATE zuhr = 0;
  calculator->get_Zuhr(&zuhr);
  bool found = false;
  for (const auto& item : Calendar()) found = found || std::abs(item.start - zuhr) < 1.0 / 1440;
  EXPECT_TRUE(found);
}

TEST_F(PrayerPageTest, APageWhoseAddinWasUnloadedIsDisabledAndAppliesNothing) {
  OpenWith([](AddinSettings& s) { s.prescheduleDays = 7; });
  ASSERT_TRUE(Select(CPrayerPage::kDaysAhead, 5));
  const std::size_t before = PrayerCount();
  ComPtr<PropertyPage> page = options_->Pages()[0].page;
  ASSERT_EQ(addin_->OnDisconnection(ext_dm_UserClosed, nullptr), S_OK);
  EXPECT_TRUE(page_->Disabled());
  for (const int id : {201, 207, 203, 208, 221, 218, 216, 224, 230, 231, 206, 213, 1017, 1012, 1013, 1015, 1016, 1003}) {
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window_, id))) << id;
  }
  EXPECT_EQ(page->Apply(), S_OK);
  EXPECT_EQ(PrayerCount(), before);
  EXPECT_EQ(Saved().prescheduleDays, 7u);
}

TEST_F(PrayerPageTest, ACalendarOperationThatFailsIsLoggedAndSaidOnce) {
  OpenWith([](AddinSettings& s) { s.prescheduleDays = 7; });
  options_->Close();
  options_.reset();
  // The same add-in, now on an Outlook that refuses the query of one day:
  // the calendar cannot be filled again.
  const std::u16string failing = text::Utf8ToUtf16("12/10/2026 12:00 AM\" AND [Start] <");
  ComPtr<_Application> faulty(new FaultyApplication(session_->Application(), [&](std::u16string_view filter) {
    return filter.find(failing) != std::u16string_view::npos ? E_FAIL : S_OK;
  }));
  ASSERT_NO_FATAL_FAILURE(Reconnect(faulty.Get()));
  Open();
  m_frontEnd->Clear();
  ASSERT_TRUE(Select(CPrayerPage::kDaysAhead, 4));  // 14 days
  // Apply still answers S_OK, as Outlook expects of it, but says so.
  EXPECT_EQ(options_->Apply(), S_OK);
  const auto boxes = m_frontEnd->MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, ResourceUtf8(CPrayerPage::kCalendarNotInLine));
  std::ifstream log(m_profile.Dir() / "drive_c" / "orvnlog.txt");
  std::stringstream text;
  text << log.rdbuf();
  EXPECT_NE(text.str().find("HRESULT = 0x80004005"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("the calendar could not be filled"), std::string::npos) << text.str();
  // The settings were saved all the same, and the next start fills the day.
  EXPECT_EQ(Saved().prescheduleDays, 14u);
  EXPECT_LE(Saved().lastDate.Value(), MakeDate(2026, 12, 10));
}

TEST_F(PrayerPageTest, OptionsThatCannotBeSavedChangeNeitherTheSettingsNorTheCalendar) {
  OpenWith([](AddinSettings& s) { s.prescheduleDays = 7; });
  const std::vector<host::Appointment> before = Calendar();
  // Another program is writing to the registry: it holds the byte of the
  // shared-memory file that gives one writer at a time its turn (a process
  // of its own: locks on a file are a process's).
  const files::BusyWaitSettings usual = files::CurrentBusyWaitSettings();
  files::SetBusyWaitSettings({std::chrono::milliseconds(200), std::chrono::milliseconds(1000), nullptr});
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  const std::string shared = profile::File("registry.db-shm").string();
  const pid_t holder = fork();
  if (holder == 0) {
    close(ready[0]);
    close(release[1]);
    const int fd = ::open(shared.c_str(), O_RDWR);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_start = 120;  // the write lock of a database in WAL mode
    lock.l_len = 1;
    const bool locked = fd >= 0 && fcntl(fd, F_SETLK, &lock) == 0;
    char byte = locked ? 1 : 0;
    (void)!write(ready[1], &byte, 1);
    (void)!read(release[0], &byte, 1);
    _exit(0);
  }
  close(ready[1]);
  close(release[0]);
  char locked = 0;
  const bool told = read(ready[0], &locked, 1) == 1;
  if (!told || locked != 1) {
    close(release[1]);
    waitpid(holder, nullptr, 0);
    files::SetBusyWaitSettings(usual);
    FAIL() << "the registry could not be locked";
  }
  ASSERT_TRUE(Select(CPrayerPage::kDaysAhead, 4));  // 14 days
  m_frontEnd->Clear();
  const HRESULT applied = options_->Apply();
  close(release[1]);  // the holder reads the end of the pipe and goes
  waitpid(holder, nullptr, 0);
  files::SetBusyWaitSettings(usual);
  EXPECT_TRUE(FAILED(applied));
  const auto boxes = m_frontEnd->MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, ResourceUtf8(CPrayerPage::kOptionsNotSaved));
  EXPECT_EQ(prayer_->Settings().prescheduleDays, 7u);
  EXPECT_EQ(Saved().prescheduleDays, 7u);
  const std::vector<host::Appointment> after = Calendar();
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i].id, before[i].id);
  // The page keeps the choice; once the file is free Apply takes it.
  EXPECT_TRUE(options_->ApplyEnabled());
  ASSERT_EQ(options_->Apply(), S_OK);
  EXPECT_EQ(Saved().prescheduleDays, 14u);
  EXPECT_EQ(CountOn(Calendar(), MakeDate(2026, 12, 20), MakeDate(2026, 12, 21)), 2u);
  close(ready[0]);
}

}  // namespace

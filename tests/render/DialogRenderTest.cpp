// The add-in's dialogs drawn on the desktop front end in each language.

#include <qnamespace.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "addin/OutlookPrayer.h"
#include "addin/ProgressPage.h"
#include "calc/AdvancedDlg.h"
#include "calc/DaylightDlg.h"
#include "calc/SoundDlg.h"
#include "calendar/CustomPrayersDlg.h"
#include "calendar/CustomRemindersDlg.h"
#include "host/model/Explorer.h"
#include "host/model/OptionsWindow.h"
#include "host/model/OutlookSession.h"
#include "locations/AddCity.h"
#include "locations/LocationDlg.h"
#include "platform/nls/Nls.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/Images.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/ResourceTable.h"
#include "platform/ui/WindowStyles.h"
#include "platform/com/ComObject.h"
#include "platform/com/ServerRegistration.h"
#include "platform/fs/Profile.h"
#include "platform/ui/UserInput.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/AddinTestEnvironment.h"

namespace {

struct Language {
  LONG id;
  const char* code;
};
constexpr Language kLanguages[] = {{1033, "en"}, {1036, "fr"}, {1025, "ar"}};

class DialogRenderTest : public AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    m_qt = rendertest::OffscreenQt();
    ASSERT_NE(m_qt, nullptr);
    ui::SetFrontEnd(std::make_shared<rendertest::TeeFrontEnd>(m_qt, m_frontEnd));
    m_savedLanguage = UILanguageID;
  }
  void TearDown() override {
    UILanguageID = m_savedLanguage;
    AddinTest::TearDown();
  }
  void UseLanguage(const Language& language) {
    ASSERT_EQ(ReloadResourceLibrary(language.id), S_OK);
    UILanguageID = language.id;
  }
  // Draws the shown dialog; closes it with Escape afterwards.
  ui::qt::RenderedWindow Render(HWND dialog, const std::string& name) {
    ui::qt::RenderedWindow rendered;
    EXPECT_TRUE(ui::qt::RenderWindow(*m_qt, dialog, rendertest::ImagePath(name), &rendered)) << name;
    return rendered;
  }

  std::shared_ptr<ui::FrontEnd> m_qt;
  LONG m_savedLanguage = 0;
};

TEST_F(DialogRenderTest, TheDaylightDialogFitsInEachLanguageAndArabicReadsFromTheRight) {
  for (const Language& language : kLanguages) {
    UseLanguage(language);
    // September: the longest month name in two of the languages.
    CDaylightDlg rule(15, 8, 30, 10);
    std::intptr_t result = 0;
    std::thread run([&] { result = rule.DoModal(nullptr); });
    HWND dialog = m_frontEnd->WaitForDialog(CDaylightDlg::IDD);
    ASSERT_NE(dialog, nullptr);
    const ui::qt::RenderedWindow window = Render(dialog, std::string("daylight-") + language.code);
    ASSERT_FALSE(window.controls.empty()) << language.code;
    rendertest::ExpectLaidOutWell(window, std::string("daylight ") + language.code);

    const ui::qt::RenderedControl* label = rendertest::Find(window, -1);
    const ui::qt::RenderedControl* month = rendertest::Find(window, CDaylightDlg::kStartMonth);
    const ui::qt::RenderedControl* day = rendertest::Find(window, CDaylightDlg::kStartDay);
    ASSERT_TRUE(label && month && day);
    if (language.id == 1025) {
      // Mirrored: the label at the right, then the month, then the day.
      EXPECT_GT(label->x, month->x);
      EXPECT_GT(month->x, day->x);
      EXPECT_TRUE(label->rightToLeft);
      EXPECT_TRUE(month->rightToLeft);
    } else {
      EXPECT_LT(label->x, month->x);
      EXPECT_LT(month->x, day->x);
      EXPECT_FALSE(month->rightToLeft);
    }
    ASSERT_TRUE(ui::input::Key(dialog, VK_ESCAPE));
    run.join();
    EXPECT_EQ(result, IDCANCEL);
  }
}

TEST_F(DialogRenderTest, OnTheDesktopTypingClickingAndKeysReachTheDialog) {
  UseLanguage(kLanguages[2]);
  CDaylightDlg rule(15, 8, 30, 10);
  std::intptr_t result = 0;
  std::thread run([&] { result = rule.DoModal(nullptr); });
  HWND dialog = m_frontEnd->WaitForDialog(CDaylightDlg::IDD);
  ASSERT_NE(dialog, nullptr);
  const auto dayIs = [&](int id, const char* text) {
    return m_frontEnd->WaitFor(dialog, [&](const ui::WindowSnapshot& shown) {
      return shown.Control(id) != nullptr && shown.Control(id)->text == text;
    });
  };
  // Typed into the desktop's edit, the day reaches the dialog; OK refuses
  // it with the message and the focus on the day.
  ASSERT_TRUE(ui::qt::TypeInto(*m_qt, dialog, CDaylightDlg::kStartDay, "32"));
  ASSERT_TRUE(dayIs(CDaylightDlg::kStartDay, "32"));
  ASSERT_TRUE(ui::qt::ClickControl(*m_qt, dialog, IDOK));
  for (int i = 0; i < 1000 && m_frontEnd->MessageBoxes().empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ(m_frontEnd->MessageBoxes().size(), 1u);
  EXPECT_EQ(m_frontEnd->MessageBoxes()[0].text, ResourceUtf8(235));
  EXPECT_EQ(m_frontEnd->MessageBoxes()[0].style, static_cast<UINT>(MB_OK | 0x00180000));
  EXPECT_TRUE(m_frontEnd->WaitFor(dialog, [](const ui::WindowSnapshot& shown) {
    return shown.focusId == CDaylightDlg::kStartDay;
  }));
  Render(dialog, "daylight-ar-refused");
  // A good day and Enter: the dialog closes with OK.
  ASSERT_TRUE(ui::qt::TypeInto(*m_qt, dialog, CDaylightDlg::kStartDay, "16"));
  ASSERT_TRUE(dayIs(CDaylightDlg::kStartDay, "16"));
  ASSERT_TRUE(ui::qt::PressKey(*m_qt, dialog, Qt::Key_Return));
  run.join();
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(rule.m_startDay, 16);

  // Escape on the desktop is Cancel.
  CDaylightDlg again(1, 3, 30, 8);
  std::thread second([&] { result = again.DoModal(nullptr); });
  dialog = m_frontEnd->WaitForDialog(CDaylightDlg::IDD);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(ui::qt::PressKey(*m_qt, dialog, Qt::Key_Escape));
  second.join();
  EXPECT_EQ(result, IDCANCEL);
}

TEST_F(DialogRenderTest, TheAddCityDialogFitsInBothModesInEachLanguage) {
  for (const Language& language : kLanguages) {
    UseLanguage(language);
    CCityInfo city;
    const tstring line = Utf8ToT("St. John's,Newfoundland,Canada,47 34 N,52 43 W,-3.500000,Y,1,N,4\n");
    ASSERT_EQ(city.GetInfoFromLine(line.c_str()), 1);
    for (const short mode : {CAddCity::kAdd, CAddCity::kEdit}) {
      CAddCity dialog(&city, mode);
      std::intptr_t result = 0;
      std::thread run([&] { result = dialog.DoModal(nullptr); });
      HWND window = m_frontEnd->WaitForDialog(CAddCity::IDD);
      ASSERT_NE(window, nullptr);
      const std::string name =
          std::string("add-city-") + (mode == CAddCity::kAdd ? "add-" : "edit-") + language.code;
      const ui::qt::RenderedWindow rendered = Render(window, name);
      ASSERT_FALSE(rendered.controls.empty()) << name;
      rendertest::ExpectLaidOutWell(rendered, name);
      const ui::qt::RenderedControl* label = rendertest::Find(rendered, -1);
      const ui::qt::RenderedControl* field = rendertest::Find(rendered, CAddCity::kName);
      ASSERT_TRUE(label && field);
      if (language.id == 1025) {
        EXPECT_GT(label->x, field->x) << name;
        EXPECT_TRUE(field->rightToLeft) << name;
      } else {
        EXPECT_LT(label->x, field->x) << name;
      }
      // Numbers read left to right in every language: the zone of St.
      // John's shows "-3", not "3-".
      for (const int number : {CAddCity::kZoneHours, CAddCity::kZoneMinutes, CAddCity::kLatitudeDegrees}) {
        const ui::qt::RenderedControl* field = rendertest::Find(rendered, number);
        ASSERT_NE(field, nullptr);
        EXPECT_FALSE(field->rightToLeft) << name << " " << number;
      }
      ASSERT_TRUE(ui::input::Key(window, VK_ESCAPE));
      run.join();
      EXPECT_EQ(result, IDCANCEL);
    }
  }
}

// Each of the dialogs the options page opens, drawn in each language: every
// control inside the window, none on another, no text cut off, and the
// Arabic ones laid out from the right.
TEST_F(DialogRenderTest, TheAdvancedSoundAndCustomDialogsFitInEachLanguage) {
  std::string error;
  ASSERT_EQ(com::RegisterServerModule(ORVANE_ADDIN_MODULE, false, &error), S_OK) << error;
  setenv("ORVANE_NOW", "2027-06-21T10:00:00", 1);
  // London on 21 June by the middle of the night: the rule's Fajr and Isha,
  // Isha after midnight, and the notes that say so.
  AddinSettings settings;
  settings.longitude = 0.1276;
  settings.latitude = 51.5072;
  settings.timeZone = 0;
  settings.daylightStartMonth = 2;
  settings.daylightStartDay = 28;
  settings.daylightEndMonth = 9;
  settings.daylightEndDay = 30;
  settings.method = eWIL;
  settings.highLatitudeRule = 1;
  settings.fridayMinutesBefore = 45;
  settings.fridaySoundFile = Utf8ToT("c:\\sounds\\adhan.wav");
  settings.customSubject = Utf8ToT("Dhikr");
  const LCID locales[] = {1033, 1036, 1025};
  for (std::size_t l = 0; l < std::size(kLanguages); ++l) {
    const Language& language = kLanguages[l];
    UseLanguage(language);
    ASSERT_TRUE(nls::SetUserDefaultLocale(locales[l]));
    struct Shown {
      const char* name;
      unsigned templateId;
      std::function<std::intptr_t()> run;
      int label;  // two controls of a row, the first in reading order
      int field;
    };
    CAdvancedDlg advanced(settings);
    CSoundDlg sound(true, settings.fridaySoundFile);
    CSoundDlg sounds(true, settings.fridaySoundFile, false, TEXT(""));
    CCustomPrayers prayers;
    prayers.SetPrayingAppointments(kZuhrFlag | kAsrFlag | kCustomReminderFlag);
    prayers.SetCustomReminderSettings(settings.customFrom, settings.customTo, settings.customSubject, 45);
    CCustomReminders reminders(settings.customFrom, settings.customTo, settings.customSubject, 45);
    const Shown shown[] = {
        {"advanced", CAdvancedDlg::IDD, [&] { return advanced.DoModal(nullptr); }, 243, CAdvancedDlg::kFridayBefore},
        {"sound", CSoundDlg::IDD, [&] { return sound.DoModal(nullptr); }, CSoundDlg::kFile, CSoundDlg::kBrowse},
        {"sounds", CSoundDlg::IDD_TWO_SOUNDS, [&] { return sounds.DoModal(nullptr); }, CSoundDlg::kSecondFile,
         CSoundDlg::kSecondBrowse},
        {"custom-prayers", CCustomPrayers::IDD, [&] { return prayers.DoModal(nullptr); }, CCustomPrayers::kFajr,
         CCustomPrayers::kMaghrib},
        {"custom-reminders", CCustomReminders::IDD, [&] { return reminders.DoModal(nullptr); }, -1,
         CCustomReminders::kFrom},
    };
    for (const Shown& dialog : shown) {
      const std::string name = std::string(dialog.name) + "-" + language.code;
      std::intptr_t result = 0;
      std::thread run([&] { result = dialog.run(); });
      HWND window = m_frontEnd->WaitForDialog(dialog.templateId);
      ASSERT_NE(window, nullptr) << name;
      const ui::qt::RenderedWindow rendered = Render(window, name);
      ASSERT_FALSE(rendered.controls.empty()) << name;
      rendertest::ExpectLaidOutWell(rendered, name);
      const ui::qt::RenderedControl* first = rendertest::Find(rendered, dialog.label);
      const ui::qt::RenderedControl* second = rendertest::Find(rendered, dialog.field);
      ASSERT_TRUE(first && second) << name;
      // Left of the second, or right of it in Arabic.
      EXPECT_EQ(language.id == 1025, first->x > second->x) << name;
      ASSERT_TRUE(ui::input::Key(window, VK_ESCAPE));
      run.join();
      EXPECT_EQ(result, IDCANCEL) << name;
    }
  }
  ASSERT_TRUE(nls::SetUserDefaultLocale(1033));
}

// Stands for the add-in object: keeps the cancel flag.
class Owner final : public IProgressOwner {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IUnknown::kIID && iid != IProgressOwner::kIID) return E_NOINTERFACE;
    *object = static_cast<IProgressOwner*>(this);
    return S_OK;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }  // lives on the test's stack
  void SetCancelFlag(LONG value) override { flag = value; }
  LONG GetCancelFlag() override { return flag; }
  std::atomic<LONG> flag{0};
};

TEST_F(DialogRenderTest, TheProgressWindowShowsOnItsOwnThreadAndItsCancelButtonWorks) {
  for (const Language& language : kLanguages) {
    UseLanguage(language);
    Owner owner;
    CProgressPage page;
    page.SetOwner(&owner);
    ASSERT_EQ(page.CreatePage(CProgressPage::kModeCreate, 10.0f, false), S_OK);
    page.SetText(TEXT("Saturday 20 March 2004"), language.id);
    // The add-in's thread is busy and pumps nothing meanwhile; the window
    // lives on its own thread.
    for (int i = 0; i < 4; ++i) page.Stepit();
    ASSERT_TRUE(m_frontEnd->WaitFor(page.Window(), [](const ui::WindowSnapshot& shown) {
      return shown.visible && shown.Control(CProgressPage::kProgressBar)->position == 40;
    }));
    const ui::qt::RenderedWindow window = Render(page.Window(), std::string("progress-") + language.code);
    rendertest::ExpectLaidOutWell(window, std::string("progress ") + language.code);
    ASSERT_TRUE(ui::qt::ClickControl(*m_qt, page.Window(), CProgressPage::kCancelButton));
    for (int i = 0; i < 1000 && owner.flag == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(owner.flag, 1) << language.code;
    page.DestroyPage();
    page.SetOwner(nullptr);
  }
}

TEST_F(DialogRenderTest, TheLocationDialogFitsInEachLanguageAndItsMapMovesUnderTheMarker) {
  for (const Language& language : kLanguages) {
    UseLanguage(language);
    CCityInfo city;
    const tstring line = Utf8ToT("London,,United Kingdom,51 30 N,0 8 W,0,Y,0,Y,433\n");
    ASSERT_EQ(city.GetInfoFromLine(line.c_str()), 1);
    bool daylight = true;
    DaylightRule rule;
    CLocationDlg dialog(city, daylight, rule, eWIL);
    std::intptr_t result = 0;
    std::thread run([&] { result = dialog.DoModal(nullptr); });
    HWND window = m_frontEnd->WaitForDialog(CLocationDlg::IDD);
    ASSERT_NE(window, nullptr);
    const std::string name = std::string("location-") + language.code;
    // London, chosen in the English list, is found in each language's.
    EXPECT_GE(m_frontEnd->Snapshot(window)->Control(CLocationDlg::kCities)->selection, 0) << name;
    const ui::qt::RenderedWindow rendered = Render(window, name);
    ASSERT_FALSE(rendered.controls.empty()) << name;
    rendertest::ExpectLaidOutWell(rendered, name);
    const ui::qt::RenderedControl* label = rendertest::Find(rendered, -1);
    const ui::qt::RenderedControl* list = rendertest::Find(rendered, CLocationDlg::kCities);
    const ui::qt::RenderedControl* map = rendertest::Find(rendered, CLocationDlg::kMap);
    const ui::qt::RenderedControl* marker = rendertest::Find(rendered, -1, 1);
    ASSERT_TRUE(label && list && map && marker);
    if (language.id == 1025) {
      EXPECT_GT(label->x, list->x) << name;
      EXPECT_TRUE(list->rightToLeft) << name;
    } else {
      EXPECT_LT(label->x, list->x) << name;
    }
    // The marker stands above the map's middle column, in every language.
    EXPECT_NEAR(marker->x + marker->width / 2.0, map->x + map->width / 2.0, 1.0) << name;
    EXPECT_LE(marker->y + marker->height, map->y) << name;

    // Sydney: ten hours east, 150 pixels to the left, frame by frame.
    const std::vector<std::string> items = m_frontEnd->Snapshot(window)->Control(CLocationDlg::kCities)->items;
    int sydney = -1;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (items[i].find("Sydney") != std::string::npos || items[i].find("سيدني") != std::string::npos) {
        sydney = static_cast<int>(i);
      }
    }
    ASSERT_GE(sydney, 0) << name;
    ASSERT_TRUE(m_frontEnd->Select(window, CLocationDlg::kCities, sydney));
    EXPECT_EQ(m_frontEnd->Snapshot(window)->Control(CLocationDlg::kMap)->imageOffset.x, -150);
    Render(window, name + "-sydney");
    ASSERT_TRUE(ui::input::Key(window, VK_ESCAPE));
    run.join();
    EXPECT_EQ(result, IDCANCEL);
  }
}

// A dialog of the tests' own: a date picker with a range, and a button that
// shows an icon of the resource library in place of its text.
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
constexpr DialogControlTemplate kPickerControls[] = {
    {10, ControlKind::kDatePicker, 0, nullptr, 10, 10, 140, 21, kChild, 0},
    {11, ControlKind::kButton, 0, "Sound", 160, 6, 40, 30, kChild | BS_ICON, 0},
    {IDCANCEL, ControlKind::kButton, 0, "Cancel", 120, 45, 80, 23, kChild, 0},
};
constexpr DialogTemplate kPickerDialogs[] = {
    {300, 0, "Dates", 100, 100, 210, 75, WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT, 0, "MS Shell Dlg", 8,
     IDCANCEL, kPickerControls, sizeof kPickerControls / sizeof kPickerControls[0]},
};
constexpr ResourceString kPickerStrings[] = {{1, "x"}};
constexpr ResourceTable kPickerTable = {ResourceTable::kVersion, kPickerStrings, 1, nullptr, 0, kPickerDialogs, 1};

class PickerDialog final : public ui::DialogHandler {
 public:
  BOOL OnInitDialog(HWND dialog, LPARAM) override {
    SYSTEMTIME range[2] = {};
    range[0].wYear = 2004, range[0].wMonth = 3, range[0].wDay = 1;
    range[1].wYear = 2004, range[1].wMonth = 6, range[1].wDay = 30;
    SendDlgItemMessage(dialog, 10, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));
    SYSTEMTIME day = range[0];
    day.wDay = 21;
    SendDlgItemMessage(dialog, 10, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&day));
    SendDlgItemMessage(dialog, 11, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(LoadIcon(ResourceInstance(), 221)));
    return TRUE;
  }
  void OnCommand(HWND dialog, int id, int, HWND) override {
    if (id == IDCANCEL) EndDialog(dialog, IDCANCEL);
  }
};

// The picker wrote every date as 2004-03-21, whatever the user's way, and
// let a person pick a day outside the range the dialog set.
TEST_F(DialogRenderTest, TheDatePickerWritesTheUsersShortDateAndKeepsToItsRange) {
  UseLanguage(kLanguages[1]);
  ASSERT_TRUE(nls::SetUserDefaultLocale(1036));
  static HINSTANCE module = fs_module::SelfModule(&kPickerTable, &kPickerTable);
  PickerDialog handler;
  std::thread run([&] { DialogBoxParam(module, 300, nullptr, &handler, 0); });
  HWND window = m_frontEnd->WaitForDialog(300);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(m_frontEnd->WaitFor(window, [](const ui::WindowSnapshot& shown) {
    return shown.Control(11)->imageId == 221 && !shown.Control(10)->dateText.empty();
  }));
  Render(window, "date-picker-fr");
  std::string shown, lowest, highest;
  ASSERT_TRUE(ui::qt::ShownText(*m_qt, window, 10, &shown));
  EXPECT_EQ(shown, "21/03/2004");  // French: day, month, year
  ASSERT_TRUE(ui::qt::DateRange(*m_qt, window, 10, &lowest, &highest));
  EXPECT_EQ(lowest, "2004-03-01");
  EXPECT_EQ(highest, "2004-06-30");
  std::string button;
  ASSERT_TRUE(ui::qt::ShownText(*m_qt, window, 11, &button));
  EXPECT_EQ(button, "");  // the icon in place of the text
  ASSERT_TRUE(ui::input::Key(window, VK_ESCAPE));
  run.join();
}

TEST_F(DialogRenderTest, TheOptionsWindowShowsTheAddinsPageInEachLanguage) {
  std::string error;
  ASSERT_EQ(com::RegisterServerModule(ORVANE_ADDIN_MODULE, false, &error), S_OK) << error;
  for (const Language& language : kLanguages) {
    UseLanguage(language);
    host::SessionOptions options;
    options.storeFile = profile::File("outlook.db");
    auto session = host::OutlookSession::Create(options);
    session->NewExplorer(host::FolderKind::kCalendar, true);
    ComPtr<_IDTExtensibility2> addin;
    ASSERT_EQ(com::CreateComObject<COutlookPrayer>(nullptr, _IDTExtensibility2::kIID, addin.ReleaseAndGetVoidAddress()),
              S_OK);
    ASSERT_EQ(addin->OnConnection(session->Application(), ext_cm_Startup, nullptr, nullptr), S_OK);
    // The resource library the add-in loaded is its language's.
    ASSERT_EQ(ReloadResourceLibrary(language.id), S_OK);
    UILanguageID = language.id;

    host::OptionsDialog dialog(session);
    ASSERT_EQ(dialog.Open(), S_OK);
    ASSERT_EQ(dialog.Pages().size(), 1u);
    std::string failure;
    std::thread run([&] { host::ShowOptionsWindow(dialog, &failure); });
    HWND window = m_frontEnd->WaitForDialog(host::kOptionsWindowTemplate);
    ASSERT_NE(window, nullptr);
    HWND page = m_frontEnd->WaitForDialog(CPrayerPage::IDD);
    ASSERT_NE(page, nullptr);
    const ui::qt::RenderedWindow pageView = Render(page, std::string("options-page-") + language.code);
    rendertest::ExpectLaidOutWell(pageView, std::string("options page ") + language.code);
    const ui::qt::RenderedControl* label = rendertest::Find(pageView, CPrayerPage::kLocationText);
    const ui::qt::RenderedControl* button = rendertest::Find(pageView, CPrayerPage::kLocationButton);
    ASSERT_TRUE(label && button);
    EXPECT_EQ(language.id == 1025, label->x > button->x) << language.code;
    const ui::qt::RenderedWindow whole = Render(window, std::string("options-") + language.code);
    EXPECT_GT(whole.height, pageView.height);
    // The dialogs the page's buttons open show over it in its language, and
    // closing them comes back to the page.
    const std::pair<int, unsigned> opened[] = {{CPrayerPage::kSoundButton, 219u},
                                               {CPrayerPage::kAdvancedButton, CAdvancedDlg::IDD}};
    for (const auto& [buttonId, templateId] : opened) {
      ASSERT_TRUE(ui::input::Click(GetDlgItem(page, buttonId), ui::input::Mode::kPost));
      HWND shown = m_frontEnd->WaitForDialog(templateId);
      ASSERT_NE(shown, nullptr) << templateId;
      // While it shows, the Options window and the page in it take no input.
      EXPECT_FALSE(IsWindowEnabled(window));
      EXPECT_FALSE(m_frontEnd->Click(page, CPrayerPage::kTimetableButton));
      const ui::qt::RenderedWindow view =
          Render(shown, "options-" + std::to_string(templateId) + "-" + language.code);
      rendertest::ExpectLaidOutWell(view, "dialog " + std::to_string(templateId) + " from the page " + language.code);
      ASSERT_TRUE(ui::input::Key(shown, VK_ESCAPE));
      EXPECT_TRUE(m_frontEnd->WaitFor(window, [](const ui::WindowSnapshot& s) { return s.enabled; }));
    }
    ASSERT_TRUE(ui::input::Key(window, VK_ESCAPE));
    run.join();
    EXPECT_EQ(failure, "");
    dialog.Close();
    addin->OnDisconnection(ext_dm_HostShutdown, nullptr);
    addin.Reset();
    session->Shutdown();
  }
}

}  // namespace

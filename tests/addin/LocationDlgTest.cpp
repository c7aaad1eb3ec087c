// The location dialog as a person uses it: choosing, adding, editing and
// removing cities, the map's movement, and what reaches the city files and
// the caller.

#include <sys/stat.h>

#include <algorithm>
#include <thread>

#include "locations/AddCity.h"
#include "locations/CityLists.h"
#include "locations/DataFileHandler.h"
#include "locations/LocationDlg.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/UserInput.h"
#include "tests/support/AddinTestEnvironment.h"
#include "tests/support/FlavourFile.h"

namespace {

namespace fs = std::filesystem;

// Eight cities, each in its own zone; the second and third files name them
// in other words, line by line.
const char* const kCities[] = {
    "Mecca,,Saudi Arabia,21 25 N,39 49 E,3,N,1,N,1",
    "Medina,,Saudi Arabia,24 28 N,39 36 E,3,N,1,N,2",
    "London,,United Kingdom,51 30 N,0 8 W,0,Y,0,Y,3",
    "Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,Y,4",
    "Paris,,France,48 52 N,2 20 E,1,Y,0,Y,5",
    "Karachi,,Pakistan,24 52 N,67 3 E,5,N,2,N,6",
    "Sydney,New South Wales,Australia,33 52 S,151 13 E,10,Y,0,N,7",
    "New York,New York,United States,40 43 N,74 0 W,-5,Y,4,N,8",
};

// Line i of list `list` (0 primary): the primary's line with its name marked
// for the other lists.
std::string Line(int list, int i) {
  std::string line = kCities[i];
  if (list > 0) line.insert(line.find(','), list == 1 ? " (fr)" : " (ar)");
  return line + "\n";
}

CCityInfo Parse(const std::string& utf8) {
  CCityInfo city;
  const tstring line = Utf8ToT(utf8);
  EXPECT_EQ(city.GetInfoFromLine(line.c_str()), 1) << utf8;
  return city;
}

class LocationDlgTest : public AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    WriteLists(8, 8, 8);
  }
  void TearDown() override {
    if (m_thread.joinable()) {
      HWND dialog = m_frontEnd->WaitForDialog(CLocationDlg::IDD, std::chrono::milliseconds(100));
      if (dialog != nullptr) ui::input::Key(dialog, VK_ESCAPE);
      m_thread.join();
    }
    AddinTest::TearDown();
  }

  std::string FileName(int list) const { return ResourceUtf8(CityLists::kFileIds[list]); }
  fs::path OwnCopy(int list) const { return fs::path(UserCityFolder()) / FileName(list); }
  fs::path Installed(int list) const { return m_folder / FileName(list); }

  // The installed files, with the first `counts` lines of each list.
  void WriteLists(int primary, int second, int third) {
    const int counts[3] = {primary, second, third};
    for (int list = 0; list < 3; ++list) {
      std::string text;
      for (int i = 0; i < counts[list]; ++i) text += Line(list, i);
      WriteAddinFile(FileName(list), FlavourFileBytes(text));
    }
  }
  // What a file holds, as UTF-8 lines, read back as the module reads it.
  std::vector<CCityInfo> Read(const fs::path& path) {
    std::vector<CCityInfo> cities;
    const tstring name = Utf8ToT(path.string());
    CDataFileHandler file(name.c_str(), CDataFileHandler::kRead);
    CCityInfo city;
    while (file.GetNextCityInfo(city)) cities.push_back(city);
    return cities;
  }

  HWND Open(const std::string& cityLine, bool daylight = false, int method = eEgypt) {
    m_city = Parse(cityLine);
    m_daylight = daylight;
    m_dialog = std::make_unique<CLocationDlg>(m_city, m_daylight, m_rule, method);
    m_thread = std::thread([this] { m_result = m_dialog->DoModal(nullptr); });
    return m_frontEnd->WaitForDialog(CLocationDlg::IDD);
  }
  std::intptr_t Result() {
    if (m_thread.joinable()) m_thread.join();
    return m_result;
  }
  const ui::ControlSnapshot& Control(HWND dialog, int id) {
    m_last = m_frontEnd->Snapshot(dialog);
    return *m_last->Control(id);
  }
  // The entry whose text holds `text`; -1 when none does.
  int Entry(HWND dialog, const std::string& text) {
    const std::vector<std::string>& items = Control(dialog, CLocationDlg::kCities).items;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (items[i].find(text) != std::string::npos) return static_cast<int>(i);
    }
    return -1;
  }
  bool Choose(HWND dialog, const std::string& text) {
    const int entry = Entry(dialog, text);
    return entry >= 0 && m_frontEnd->Select(dialog, CLocationDlg::kCities, entry);
  }
  std::string Selected(HWND dialog) {
    const ui::ControlSnapshot& list = Control(dialog, CLocationDlg::kCities);
    return list.selection < 0 ? std::string() : list.items[static_cast<std::size_t>(list.selection)];
  }
  // Presses a button that opens the add-city dialog, and returns that.
  HWND OpenAddCity(HWND dialog, int button) {
    EXPECT_TRUE(ui::input::Click(GetDlgItem(dialog, button), ui::input::Mode::kPost));
    return m_frontEnd->WaitForDialog(CAddCity::IDD);
  }
  // Fills the add-city dialog's fields that are given, and presses OK.
  void FillAndConfirm(HWND addCity, const std::vector<std::pair<int, const char*>>& fields) {
    for (const auto& [id, text] : fields) ASSERT_TRUE(m_frontEnd->ReplaceText(addCity, id, text)) << id;
    ASSERT_TRUE(ui::input::Click(GetDlgItem(addCity, IDOK), ui::input::Mode::kPost));
  }
  // Waits until the add-city dialog has gone and the location dialog's
  // handler has done with what it closed with (the list filled again, the
  // map moved): a message sent to the dialog is served only after that.
  bool BackFromAddCity(HWND dialog, HWND addCity) {
    for (int i = 0; i < 1000 && IsWindow(addCity); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (IsWindow(addCity)) return false;
    SendMessage(dialog, WM_NULL, 0, 0);
    return true;
  }
  // The message boxes shown since `before` of them had been.
  std::vector<ui::MessageBoxRequest> Boxes(std::size_t before) {
    std::vector<ui::MessageBoxRequest> all = m_frontEnd->MessageBoxes();
    all.erase(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(before, all.size())));
    return all;
  }

  CCityInfo m_city;
  bool m_daylight = false;
  DaylightRule m_rule;
  std::unique_ptr<CLocationDlg> m_dialog;
  std::thread m_thread;
  std::intptr_t m_result = -2;
  std::optional<ui::WindowSnapshot> m_last;
};

TEST_F(LocationDlgTest, TheListIsSortedByZoneAndTheFilesKeepTheirOrder) {
  HWND dialog = Open(kCities[0]);
  ASSERT_NE(dialog, nullptr);
  const std::vector<std::string>& items = Control(dialog, CLocationDlg::kCities).items;
  ASSERT_EQ(items.size(), 8u);
  EXPECT_NE(items.front().find("New York"), std::string::npos);  // UTC-5 first
  EXPECT_NE(items.back().find("Sydney"), std::string::npos);     // UTC+10 last
  EXPECT_NE(Selected(dialog).find("Mecca"), std::string::npos);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  EXPECT_EQ(Result(), IDOK);
  // Nothing changed: nothing written.
  EXPECT_FALSE(fs::exists(OwnCopy(0)));
}

// A user's own Medina, its position corrected, beside the shipped one with
// the same text: the prefix search took the shipped one, and OK wrote it
// over the user's city.
TEST_F(LocationDlgTest, TheUsersOwnCityIsSelectedNotAnotherWithTheSameText) {
  const std::string own = "Medina,,Saudi Arabia,24 30 N,39 35 E,3,N,1,N,9";
  std::string text;
  for (int i = 0; i < 8; ++i) text += Line(0, i);
  WriteAddinFile(FileName(0), FlavourFileBytes(text + own + "\n"));
  HWND dialog = Open(own);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(Result(), IDOK);
  EXPECT_EQ(m_city.m_lineNumber, 9);
  EXPECT_DOUBLE_EQ(m_city.m_latitude, 24.5);
}

TEST_F(LocationDlgTest, ACityChosenInAnotherLanguagesListIsFoundByItsPlace) {
  HWND dialog = Open("Londres,,Royaume-Uni,51 30 N,0 8 W,0,Y,0,Y,3");
  ASSERT_NE(dialog, nullptr);
  EXPECT_NE(Selected(dialog).find("London"), std::string::npos) << Selected(dialog);
  EXPECT_TRUE(Control(dialog, CLocationDlg::kEditCity).enabled);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(Result(), IDOK);
  EXPECT_EQ(m_city.m_name, u"London");
}

TEST_F(LocationDlgTest, ACityNotInTheListSelectsNothingAndOKKeepsIt) {
  HWND dialog = Open("Atlantis,,Ocean,10 0 N,30 0 W,-2,Y,0,N,40", true);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Control(dialog, CLocationDlg::kCities).selection, -1);
  for (int id : {CLocationDlg::kAddCity, CLocationDlg::kRemoveCity, CLocationDlg::kEditCity, CLocationDlg::kDaylight}) {
    EXPECT_FALSE(Control(dialog, id).enabled) << id;
  }
  EXPECT_EQ(Control(dialog, CLocationDlg::kDaylight).checked, BST_CHECKED);  // the caller's flag
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(Result(), IDOK);
  EXPECT_EQ(m_city.m_name, u"Atlantis");
  EXPECT_TRUE(m_daylight);

  // Choosing a city enables them.
  dialog = Open("Atlantis,,Ocean,10 0 N,30 0 W,-2,Y,0,N,40");
  ASSERT_TRUE(Choose(dialog, "Cairo"));
  EXPECT_TRUE(Control(dialog, CLocationDlg::kEditCity).enabled);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(Result(), IDOK);
  EXPECT_EQ(m_city.m_name, u"Cairo");
  EXPECT_TRUE(m_daylight);  // Cairo's own flag
}

TEST_F(LocationDlgTest, TheDaylightBoxShowsTheChosenCitysOwnFlag) {
  HWND dialog = Open(kCities[2], false);  // London observes it
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Control(dialog, CLocationDlg::kDaylight).checked, BST_CHECKED);
  ASSERT_TRUE(Choose(dialog, "Karachi"));
  EXPECT_EQ(Control(dialog, CLocationDlg::kDaylight).checked, BST_UNCHECKED);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  EXPECT_EQ(Result(), IDCANCEL);
  EXPECT_EQ(m_city.m_name, u"London");  // Cancel hands nothing back
}

// Sydney's clocks go forward in October and back in April: the default
// rule, April to October, was its winter, and every time an hour off.
TEST_F(LocationDlgTest, ACityOfAKnownZoneTakesItsSummerTimeEvenOverTheNewYear) {
  HWND dialog = Open(kCities[2]);  // London; "now" is 21 March 2004
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(Choose(dialog, "Sydney"));
  EXPECT_EQ(Control(dialog, CLocationDlg::kDaylight).checked, BST_CHECKED);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(Result(), IDOK);
  // 2004: ahead from Sunday 31 October, back on Sunday 28 March.
  EXPECT_EQ(m_rule.startDay, 31);
  EXPECT_EQ(m_rule.startMonth, 9);
  EXPECT_EQ(m_rule.endDay, 27);
  EXPECT_EQ(m_rule.endMonth, 2);
  EXPECT_TRUE(m_daylight);

  // A zone that keeps its clocks: the box is cleared, the rule stays.
  dialog = Open(kCities[6]);
  ASSERT_TRUE(Choose(dialog, "Karachi"));
  EXPECT_EQ(Control(dialog, CLocationDlg::kDaylight).checked, BST_UNCHECKED);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(Result(), IDOK);
  EXPECT_EQ(m_rule.startMonth, 9);
  EXPECT_FALSE(m_daylight);
}

TEST_F(LocationDlgTest, TheMapMovesOnePixelAFrameAndSlowsForItsLastFifteen) {
  HWND dialog = Open(kCities[2]);  // London, zone 0
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Control(dialog, CLocationDlg::kMap).imageOffset.x, 0);
  EXPECT_EQ(Control(dialog, CLocationDlg::kMap).imageType, static_cast<unsigned>(IMAGE_BITMAP));
  EXPECT_EQ(Control(dialog, CLocationDlg::kMap).imageId, static_cast<unsigned>(CLocationDlg::kMapBitmap));
  const std::size_t before = m_frontEnd->History(dialog).size();
  ASSERT_TRUE(Choose(dialog, "Mecca"));  // zone +3: 45 pixels to the left

  const auto history = m_frontEnd->History(dialog);
  std::vector<long> frames;
  std::vector<std::size_t> frameAt;  // the record that showed each frame
  long shown = 0;
  for (std::size_t i = before; i < history.size(); ++i) {
    const long offset = history[i].window.Control(CLocationDlg::kMap)->imageOffset.x;
    if (offset != shown) {
      frames.push_back(offset);
      frameAt.push_back(i);
      shown = offset;
    }
  }
  std::vector<long> expected;
  for (long offset = -1; offset >= -45; --offset) expected.push_back(offset);
  EXPECT_EQ(frames, expected);
  // A pause of 15 ms after each of the last 15 frames, none before.
  std::vector<long> pausedAfter;
  for (const auto& pause : m_frontEnd->Pauses(dialog)) {
    EXPECT_EQ(pause.milliseconds, 15u);
    long frame = 0;
    for (std::size_t k = 0; k < frameAt.size(); ++k) {
      if (frameAt[k] < pause.afterRecords) frame = frames[k];
    }
    pausedAfter.push_back(frame);
  }
  EXPECT_EQ(pausedAfter, std::vector<long>(expected.end() - 15, expected.end()));

  // Choosing the same zone again shows no frame.
  const std::size_t pausesBefore = m_frontEnd->Pauses(dialog).size();
  ASSERT_TRUE(Choose(dialog, "Medina"));
  EXPECT_EQ(m_frontEnd->Pauses(dialog).size(), pausesBefore);
  EXPECT_EQ(Control(dialog, CLocationDlg::kMap).imageOffset.x, -45);
  // A zone between hours: 5.75 would be 86.25 pixels, truncated.
  EXPECT_EQ(CLocationDlg::MapOffsetOf(5.75), -86);
  EXPECT_EQ(CLocationDlg::MapOffsetOf(-3.5), 52);
}

TEST_F(LocationDlgTest, AnAddedCityTakesTheNextLineNumberInEveryFile) {
  HWND dialog = Open(kCities[3], false, eKarachi);
  ASSERT_NE(dialog, nullptr);
  HWND add = OpenAddCity(dialog, CLocationDlg::kAddCity);
  ASSERT_NE(add, nullptr);
  // Pre-filled from Cairo: a place nearby.
  FillAndConfirm(add, {{CAddCity::kName, "Luxor"}, {CAddCity::kCountry, "Egypt"},
                       {CAddCity::kLatitudeDegrees, "25"}, {CAddCity::kLatitudeMinutes, "41"},
                       {CAddCity::kLongitudeDegrees, "32"}, {CAddCity::kLongitudeMinutes, "39"}});
  ASSERT_TRUE(BackFromAddCity(dialog, add));
  EXPECT_NE(Selected(dialog).find("Luxor"), std::string::npos);
  ASSERT_EQ(Control(dialog, CLocationDlg::kCities).items.size(), 9u);

  // The same place again is refused.
  add = OpenAddCity(dialog, CLocationDlg::kAddCity);
  const std::size_t boxesBefore = m_frontEnd->MessageBoxes().size();
  FillAndConfirm(add, {{CAddCity::kCountry, "Egypt"}});
  ASSERT_TRUE(BackFromAddCity(dialog, add));
  ASSERT_EQ(Boxes(boxesBefore).size(), 1u);
  EXPECT_EQ(Boxes(boxesBefore)[0].text, ResourceUtf8(CLocationDlg::kAlreadyListed));
  EXPECT_EQ(Boxes(boxesBefore)[0].style & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(Control(dialog, CLocationDlg::kCities).items.size(), 9u);

  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(Result(), IDOK);
  EXPECT_EQ(m_city.m_name, u"Luxor");
  EXPECT_EQ(m_city.m_lineNumber, 9);
  for (int list = 0; list < 3; ++list) {
    const std::vector<CCityInfo> cities = Read(OwnCopy(list));
    ASSERT_EQ(cities.size(), 9u) << list;
    EXPECT_EQ(cities[8].m_name, u"Luxor") << list;
    EXPECT_EQ(cities[8].m_lineNumber, 9) << list;
    EXPECT_EQ(cities[8].m_method, eKarachi) << list;  // the caller's method
    EXPECT_EQ(cities[3].m_name, list == 0 ? u"Cairo" : list == 1 ? u"Cairo (fr)" : u"Cairo (ar)");
  }
  EXPECT_EQ(Read(Installed(0)).size(), 8u);  // the installed file is every user's
  // A place of no known zone keeps the rule as it was.
  EXPECT_EQ(m_rule.startMonth, DaylightRule().startMonth);
  EXPECT_EQ(m_rule.endMonth, DaylightRule().endMonth);
}

TEST_F(LocationDlgTest, RemovingRenumbersEveryListAndHandsBackTheUsersCityUnderItsNewLine) {
  HWND dialog = Open(kCities[6]);  // Sydney, line 7
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(Choose(dialog, "Paris"));  // line 5
  const std::size_t boxesBefore = m_frontEnd->MessageBoxes().size();
  ASSERT_TRUE(m_frontEnd->Click(dialog, CLocationDlg::kRemoveCity));
  EXPECT_TRUE(Boxes(boxesBefore).empty());
  EXPECT_EQ(Entry(dialog, "Paris"), -1);
  EXPECT_FALSE(Selected(dialog).empty());  // the next entry took its place
  ASSERT_TRUE(Choose(dialog, "London"));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(Result(), IDOK);
  EXPECT_EQ(m_city.m_name, u"London");
  EXPECT_EQ(m_city.m_lineNumber, 3);

  for (int list = 0; list < 3; ++list) {
    const std::vector<CCityInfo> cities = Read(OwnCopy(list));
    ASSERT_EQ(cities.size(), 7u) << list;
    for (std::size_t i = 0; i < cities.size(); ++i) EXPECT_EQ(cities[i].m_lineNumber, static_cast<int>(i) + 1);
    EXPECT_EQ(text::Utf16ToUtf8(*cities[4].m_name).substr(0, 7), "Karachi") << list;
  }
  // Sydney, the caller's city, is line 6 now: whoever keeps line 7 would
  // get New York at the next start.
  ASSERT_TRUE(m_dialog->RenumberedCity().has_value());
  EXPECT_EQ(m_dialog->RenumberedCity()->m_name, u"Sydney");
  EXPECT_EQ(m_dialog->RenumberedCity()->m_lineNumber, 6);
}

TEST_F(LocationDlgTest, RemovingTheOnlyCityIsRefused) {
  WriteLists(1, 1, 1);
  HWND dialog = Open(kCities[0]);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(m_frontEnd->Click(dialog, CLocationDlg::kRemoveCity));
  ASSERT_EQ(m_frontEnd->MessageBoxes().size(), 1u);
  EXPECT_EQ(m_frontEnd->MessageBoxes()[0].text, ResourceUtf8(CLocationDlg::kOnlyCity));
  EXPECT_EQ(m_frontEnd->MessageBoxes()[0].style & MB_ICONMASK, 0u);
  EXPECT_EQ(Control(dialog, CLocationDlg::kCities).items.size(), 1u);
}

// The second file shorter than the first, as the files allow: editing a
// city past its end replaced a record that was not there.
TEST_F(LocationDlgTest, EditingKeepsTheLineAndTouchesOtherListsOnlyWhereTheyHoldIt) {
  WriteLists(8, 3, 8);
  HWND dialog = Open(kCities[4]);  // Paris, line 5
  ASSERT_NE(dialog, nullptr);
  HWND edit = OpenAddCity(dialog, CLocationDlg::kEditCity);
  ASSERT_NE(edit, nullptr);
  FillAndConfirm(edit, {{CAddCity::kName, "Paris-Centre"}});
  ASSERT_TRUE(BackFromAddCity(dialog, edit));
  EXPECT_NE(Selected(dialog).find("Paris-Centre"), std::string::npos);

  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(Result(), IDOK);
  const std::vector<CCityInfo> primary = Read(OwnCopy(0));
  ASSERT_EQ(primary.size(), 8u);
  EXPECT_EQ(primary[4].m_name, u"Paris-Centre");
  EXPECT_EQ(primary[4].m_lineNumber, 5);
  const std::vector<CCityInfo> second = Read(OwnCopy(1));
  ASSERT_EQ(second.size(), 3u);  // nothing added past its end
  EXPECT_EQ(second[2].m_name, u"London (fr)");
  EXPECT_EQ(Read(OwnCopy(2))[4].m_name, u"Paris-Centre");  // its line 5 is Paris
  EXPECT_EQ(m_city.m_name, u"Paris-Centre");
  EXPECT_EQ(m_city.m_lineNumber, 5);
}

TEST_F(LocationDlgTest, AnEditIntoAnotherListedCityIsRefused) {
  HWND dialog = Open(kCities[4]);  // Paris
  ASSERT_NE(dialog, nullptr);
  HWND edit = OpenAddCity(dialog, CLocationDlg::kEditCity);
  ASSERT_NE(edit, nullptr);
  const std::size_t boxesBefore = m_frontEnd->MessageBoxes().size();
  // Cairo's own details.
  FillAndConfirm(edit, {{CAddCity::kName, "Cairo"}, {CAddCity::kCountry, "Egypt"},
                        {CAddCity::kLatitudeDegrees, "30"}, {CAddCity::kLatitudeMinutes, "3"},
                        {CAddCity::kLongitudeDegrees, "31"}, {CAddCity::kLongitudeMinutes, "15"},
                        {CAddCity::kZoneHours, "2"}, {CAddCity::kZoneMinutes, "0"}});
  ASSERT_TRUE(BackFromAddCity(dialog, edit));
  ASSERT_EQ(Boxes(boxesBefore).size(), 1u);
  EXPECT_EQ(Boxes(boxesBefore)[0].text, ResourceUtf8(CLocationDlg::kSameAsAnother));
  EXPECT_NE(Entry(dialog, "Paris"), -1);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(Result(), IDOK);
  EXPECT_FALSE(fs::exists(OwnCopy(0)));  // refused: nothing changed
}

TEST_F(LocationDlgTest, CancelAfterChangesLeavesEveryFileAsItWas) {
  HWND dialog = Open(kCities[0]);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(Choose(dialog, "Paris"));
  ASSERT_TRUE(m_frontEnd->Click(dialog, CLocationDlg::kRemoveCity));
  ASSERT_TRUE(Choose(dialog, "Cairo"));
  ASSERT_TRUE(m_frontEnd->Click(dialog, CLocationDlg::kRemoveCity));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDCANCEL));
  ASSERT_EQ(Result(), IDCANCEL);
  EXPECT_FALSE(fs::exists(OwnCopy(0)));
  EXPECT_EQ(Read(Installed(0)).size(), 8u);
  EXPECT_EQ(m_city.m_name, u"Mecca");
}

// A city file that cannot be written (here a folder stands where the user's
// copy of the second file goes): OK closed all the same, and the caller took
// a city whose line was never written.
TEST_F(LocationDlgTest, ASaveThatFailsSaysWhyKeepsTheDialogOpenAndChangesNothing) {
  fs::create_directories(OwnCopy(1));
  HWND dialog = Open(kCities[0]);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(Choose(dialog, "Paris"));
  ASSERT_TRUE(m_frontEnd->Click(dialog, CLocationDlg::kRemoveCity));
  ASSERT_TRUE(Choose(dialog, "Sydney"));
  const std::size_t boxesBefore = m_frontEnd->MessageBoxes().size();
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(Boxes(boxesBefore).size(), 1u);
  const ui::MessageBoxRequest box = Boxes(boxesBefore)[0];
  EXPECT_NE(box.text.find(FileName(1)), std::string::npos) << box.text;
  EXPECT_NE(box.text.find(ResourceUtf8(CLocationDlg::kNotAllowed)), std::string::npos) << box.text;
  EXPECT_EQ(box.style & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  // Still open; the caller and the disk as they were.
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_EQ(m_city.m_name, u"Mecca");
  EXPECT_FALSE(fs::exists(OwnCopy(0)));
  EXPECT_FALSE(fs::exists(OwnCopy(2)));
  EXPECT_EQ(Read(Installed(0)).size(), 8u);

  // Once the cause is gone, OK saves.
  fs::remove(OwnCopy(1));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(Result(), IDOK);
  EXPECT_EQ(m_city.m_name, u"Sydney");
  EXPECT_EQ(m_city.m_lineNumber, 6);
  EXPECT_EQ(Read(OwnCopy(1)).size(), 7u);
}

}  // namespace

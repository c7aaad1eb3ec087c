// The add-city dialog in both modes, filled in as a person fills it in.

#include <thread>

#include "locations/AddCity.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/MessageQueue.h"
#include "tests/support/ModalDialogTest.h"

namespace {

class AddCityTest : public ModalDialogTest {
 protected:
  std::string Text(HWND dialog, int id) { return m_frontEnd->Snapshot(dialog)->Control(id)->text; }
  int Focus(HWND dialog) { return m_frontEnd->Snapshot(dialog)->focusId; }

  struct Place {
    const char* longitudeDegrees;
    const char* longitudeMinutes;
    int east0West1;
    const char* latitudeDegrees;
    const char* latitudeMinutes;
    int north0South1;
    const char* hours;
    const char* minutes;
  };
  void Fill(HWND dialog, const Place& place, const char* name = "Cairo", const char* country = "Egypt") {
    const std::pair<int, const char*> fields[] = {
        {CAddCity::kLongitudeDegrees, place.longitudeDegrees}, {CAddCity::kLongitudeMinutes, place.longitudeMinutes},
        {CAddCity::kLatitudeDegrees, place.latitudeDegrees},   {CAddCity::kLatitudeMinutes, place.latitudeMinutes},
        {CAddCity::kZoneHours, place.hours},                   {CAddCity::kZoneMinutes, place.minutes},
        {CAddCity::kName, name},                               {CAddCity::kCountry, country},
    };
    for (const auto& [id, text] : fields) ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, id, text)) << id;
    ASSERT_TRUE(m_frontEnd->Select(dialog, CAddCity::kLongitudeHemisphere, place.east0West1));
    ASSERT_TRUE(m_frontEnd->Select(dialog, CAddCity::kLatitudeHemisphere, place.north0South1));
  }
  // Presses OK; the one message box it gave (its text), or "" for none.
  std::string PressOK(HWND dialog) {
    m_frontEnd->Clear();
    EXPECT_TRUE(m_frontEnd->Click(dialog, IDOK));
    const auto boxes = m_frontEnd->MessageBoxes();
    EXPECT_LE(boxes.size(), 1u);
    return boxes.empty() ? std::string() : boxes[0].text;
  }
};

TEST_F(AddCityTest, TheWorkedExampleGivesWestPositiveLongitudeAndTheZoneInHours) {
  CAddCity dialog(nullptr, CAddCity::kAdd);
  HWND window = Open(dialog);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(m_frontEnd->Snapshot(window)->caption, ResourceUtf8(339));
  EXPECT_EQ(Text(window, CAddCity::kCountry), ResourceUtf8(206));
  EXPECT_EQ(m_frontEnd->Snapshot(window)->Control(CAddCity::kLatitudeHemisphere)->items,
            (std::vector<std::string>{ResourceUtf8(131), ResourceUtf8(132)}));
  Fill(window, {"31", "15", 0, "30", "3", 0, "2", "0"});
  ASSERT_TRUE(m_frontEnd->ReplaceText(window, CAddCity::kState, ""));  // a state may be empty
  EXPECT_EQ(PressOK(window), "");
  ASSERT_EQ(Result(), IDOK);
  const CCityInfo& city = dialog.Record();
  EXPECT_DOUBLE_EQ(city.m_longitude, -31.25);
  EXPECT_NEAR(city.m_latitude, 30.05, 1e-12);
  EXPECT_DOUBLE_EQ(city.m_timeZone, 2.0);
  EXPECT_EQ(city.m_name, u"Cairo");
  EXPECT_EQ(city.m_country, u"Egypt");
  EXPECT_EQ(city.m_capital, 0);
}

TEST_F(AddCityTest, ZonesAreCheckedAgainstTheSunsTimeAtTheLongitudeNotItsSign) {
  const struct {
    Place place;
    bool accepted;
    double zone;
  } cases[] = {
      // Madrid, 3° 41′ W at UTC+1, and Apia, 171° 45′ W at UTC+13, were refused.
      {{"3", "41", 1, "40", "25", 0, "1", "0"}, true, 1.0},
      {{"171", "45", 1, "13", "50", 1, "13", "0"}, true, 13.0},
      {{"175", "12", 1, "21", "8", 1, "13", "0"}, true, 13.0},   // Nuku'alofa
      {{"157", "24", 1, "1", "52", 0, "14", "0"}, true, 14.0},   // Kiritimati
      {{"58", "23", 1, "34", "36", 1, "-3", "0"}, true, -3.0},   // Buenos Aires
      {{"48", "30", 1, "10", "0", 1, "-3", "30"}, true, -3.5},
      {{"0", "0", 0, "51", "28", 0, "0", "30"}, true, 0.5},
      {{"31", "15", 0, "30", "3", 0, "-5", "0"}, false, 0},      // east at UTC-5
      {{"74", "0", 1, "40", "42", 0, "3", "0"}, false, 0},       // west at UTC+3
      {{"0", "0", 0, "51", "28", 0, "5", "0"}, false, 0},        // Greenwich at UTC+5
  };
  for (const auto& c : cases) {
    CAddCity dialog(nullptr, CAddCity::kAdd);
    HWND window = Open(dialog);
    ASSERT_NE(window, nullptr);
    Fill(window, c.place);
    const std::string message = PressOK(window);
    if (c.accepted) {
      EXPECT_EQ(message, "") << c.place.longitudeDegrees;
      EXPECT_EQ(Result(), IDOK);
      EXPECT_DOUBLE_EQ(dialog.Record().m_timeZone, c.zone) << c.place.longitudeDegrees;
    } else {
      EXPECT_EQ(message, ResourceUtf8(330)) << c.place.longitudeDegrees;
      EXPECT_EQ(Focus(window), CAddCity::kZoneMinutes);
      ASSERT_TRUE(m_frontEnd->Click(window, IDCANCEL));
      EXPECT_EQ(Result(), IDCANCEL);
    }
  }
}

TEST_F(AddCityTest, NumbersMustBeWholeAndWithinRangeWithNoMinutesBeyondThePolesOrTheDateLine) {
  CAddCity dialog(nullptr, CAddCity::kAdd);
  HWND window = Open(dialog);
  ASSERT_NE(window, nullptr);
  const struct {
    Place place;
    const char* message;  // the resource string
    int focus;
  } cases[] = {
      // "abc" and "3x" used to read as 0 and 3.
      {{"31", "15", 0, "abc", "3", 0, "2", "0"}, "139", CAddCity::kLatitudeDegrees},
      {{"31", "15", 0, "30", "3x", 0, "2", "0"}, "139", CAddCity::kLatitudeMinutes},
      {{"31", "15", 0, "91", "0", 0, "2", "0"}, "139", CAddCity::kLatitudeDegrees},
      {{"31", "15", 0, "90", "59", 0, "2", "0"}, "139", CAddCity::kLatitudeMinutes},
      {{"180", "59", 0, "30", "3", 0, "12", "0"}, "139", CAddCity::kLongitudeMinutes},
      {{"31", "", 0, "30", "3", 0, "2", "0"}, "140", CAddCity::kLongitudeMinutes},
      {{"31", "15", 0, "30", "3", 0, "15", "0"}, "139", CAddCity::kZoneHours},
      {{"31", "15", 0, "30", "3", 0, "2", "60"}, "139", CAddCity::kZoneMinutes},
  };
  for (const auto& c : cases) {
    Fill(window, c.place);
    EXPECT_EQ(PressOK(window), ResourceUtf8(static_cast<unsigned>(std::stoi(c.message))))
        << c.place.latitudeDegrees << " " << c.place.latitudeMinutes;
    EXPECT_EQ(Focus(window), c.focus);
    // The field to correct has all its text selected.
    const ui::ControlSnapshot field = *m_frontEnd->Snapshot(window)->Control(c.focus);
    EXPECT_EQ(field.selStart, 0);
    EXPECT_EQ(field.selEnd, static_cast<int>(field.text.size()));
  }
  // 90° S and 180° W with no minutes are places.
  Fill(window, {"180", "0", 1, "90", "0", 1, "-12", "0"}, "Pole", "Antarctica");
  EXPECT_EQ(PressOK(window), "");
  EXPECT_EQ(Result(), IDOK);
  EXPECT_DOUBLE_EQ(dialog.Record().m_longitude, 180.0);
  EXPECT_DOUBLE_EQ(dialog.Record().m_latitude, -90.0);
}

TEST_F(AddCityTest, NamesTheCityLineCannotHoldAreRefusedSoTheCityFileStaysWhole) {
  CAddCity dialog(nullptr, CAddCity::kAdd);
  HWND window = Open(dialog);
  ASSERT_NE(window, nullptr);
  Fill(window, {"31", "15", 0, "30", "3", 0, "2", "0"});
  const struct {
    int field;
    const char* text;
  } bad[] = {
      {CAddCity::kName, "Cairo, Giza"},
      {CAddCity::kState, "Al Qahirah, Misr"},
      {CAddCity::kCountry, "Egypt\nArab Republic"},
      {CAddCity::kName, "Cairo\r"},
  };
  for (const auto& b : bad) {
    // Pasted, as typing could not give a line break.
    SetDlgItemText(window, b.field, b.text);
    EXPECT_EQ(PressOK(window), ResourceUtf8(348)) << b.text;
    EXPECT_EQ(Focus(window), b.field);
    SetDlgItemText(window, b.field, "Fine");
  }
  // Typing stops at the record's 127 characters; a longer text set in
  // another way is refused.
  ASSERT_TRUE(m_frontEnd->ReplaceText(window, CAddCity::kName, std::string(130, 'a')));
  EXPECT_EQ(Text(window, CAddCity::kName).size(), 127u);
  SetDlgItemText(window, CAddCity::kName, std::string(128, 'b').c_str());
  EXPECT_EQ(PressOK(window), ResourceUtf8(348));
  SetDlgItemText(window, CAddCity::kName, "");
  EXPECT_EQ(PressOK(window), ResourceUtf8(140));
  EXPECT_EQ(Focus(window), CAddCity::kName);
  SetDlgItemText(window, CAddCity::kName, Utf8ToT("القاهرة").c_str());
  SetDlgItemText(window, CAddCity::kCountry, "");
  EXPECT_EQ(PressOK(window), ResourceUtf8(140));
  EXPECT_EQ(Focus(window), CAddCity::kCountry);
  SetDlgItemText(window, CAddCity::kCountry, "Egypt");
  EXPECT_EQ(PressOK(window), "");
  ASSERT_EQ(Result(), IDOK);

  // What the dialog returns makes a city line that reads back whole.
  tchar line[1040] = {};
  dialog.Record().GetLineFromInfo(line, 1040);
  CCityInfo back;
  ASSERT_EQ(back.GetInfoFromLine(line), 1);
  EXPECT_EQ(back.m_name, u"القاهرة");
  EXPECT_EQ(back.m_country, u"Egypt");
  EXPECT_DOUBLE_EQ(back.m_timeZone, 2.0);
}

TEST_F(AddCityTest, EditModeShowsTheCityAsItIs) {
  CCityInfo city;
  const tstring line = Utf8ToT("St. John's,Newfoundland,Canada,47 34 N,52 43 W,-3.500000,Y,1,N,4\n");
  ASSERT_EQ(city.GetInfoFromLine(line.c_str()), 1);
  CAddCity dialog(&city, CAddCity::kEdit);
  HWND window = Open(dialog);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(m_frontEnd->Snapshot(window)->caption, ResourceUtf8(340));
  EXPECT_EQ(Text(window, CAddCity::kName), "St. John's");
  EXPECT_EQ(Text(window, CAddCity::kState), "Newfoundland");
  EXPECT_EQ(Text(window, CAddCity::kCountry), "Canada");
  EXPECT_EQ(Text(window, CAddCity::kZoneHours), "-3");
  EXPECT_EQ(Text(window, CAddCity::kZoneMinutes), "30");
  EXPECT_EQ(Text(window, CAddCity::kLongitudeDegrees), "52");
  EXPECT_EQ(Text(window, CAddCity::kLongitudeMinutes), "43");
  EXPECT_EQ(m_frontEnd->Snapshot(window)->Control(CAddCity::kLongitudeHemisphere)->selection, 1);
  EXPECT_EQ(m_frontEnd->Snapshot(window)->Control(CAddCity::kLatitudeHemisphere)->selection, 0);
  EXPECT_EQ(IsDlgButtonChecked(window, CAddCity::kDaylight), static_cast<UINT>(BST_CHECKED));
  // The city guide is a link.
  const ui::ControlSnapshot guide = *m_frontEnd->Snapshot(window)->Control(CAddCity::kCityGuide);
  EXPECT_EQ(guide.tooltip, "https://orvane.veltrix.example/en/cities/");
  EXPECT_TRUE(guide.underline);
  EXPECT_EQ(PressOK(window), "");
  ASSERT_EQ(Result(), IDOK);
  EXPECT_DOUBLE_EQ(dialog.Record().m_timeZone, -3.5);
  EXPECT_EQ(dialog.Record().m_name, u"St. John's");
}

}  // namespace

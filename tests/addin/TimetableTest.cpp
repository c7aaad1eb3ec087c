// The timetable: the document of a day, a week or a month, and the page the
// installed style sheets make of it, in the module flavour of this
// executable. Pages are checked by parsing them as a browser would (the
// libxml2 HTML parser), not by comparing bytes.

#include <gtest/gtest.h>

#include <libxml/HTMLparser.h>
#include <libxml/xpath.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "services/Exceptions.h"
#include "services/HighLatitudeNote.h"
#include "calc/PrayerCalculator.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComRuntime.h"
#include "platform/nls/Nls.h"
#include "platform/registry/Registry.h"
#include "platform/text/TextConvert.h"
#include "tests/support/AddinTestEnvironment.h"
#include "timetable/ImsakyyaBuilder.h"

namespace {

// A calculator that cannot compute Fajr, as at high latitudes in summer.
class CNoFajrCalculator : public CPrayerCalculator {
 public:
  HRESULT get_Fajr(DATE* pVal) override {
    *pVal = kInvalidDate;
    return S_OK;
  }
};

template <typename Calculator = CPrayerCalculator>
ComPtr<IPrayerCalculator> Mecca() {
  ComPtr<IPrayerCalculator> calculator;
  EXPECT_EQ(com::CreateComObject<Calculator>(nullptr, IPrayerCalculator::kIID, calculator.ReleaseAndGetVoidAddress()),
            S_OK);
  calculator->SetLocation(-39.8167, 21.4167, 3.0, 0);  // 39°49' E, 21°25' N
  calculator->put_Method(eQurah);
  calculator->put_DaylightSavings(VARIANT_FALSE);
  return calculator;
}

// London (51.5 N) with its summer time, under a high-latitude rule: in June
// the sun does not give Fajr and Isha there.
ComPtr<IPrayerCalculator> London(HighLatitudeRule rule) {
  ComPtr<IPrayerCalculator2> calculator;
  EXPECT_EQ(com::CreateComObject<CPrayerCalculator>(nullptr, IPrayerCalculator2::kIID,
                                                    calculator.ReleaseAndGetVoidAddress()),
            S_OK);
  calculator->SetLocation(0.1333, 51.5, 0.0, 1);
  calculator->put_Method(eWIL);
  calculator->put_DaylightStart(COleDate(2000, 3, 28, 0, 0, 0).Value());
  calculator->put_DaylightEnd(COleDate(2000, 10, 30, 0, 0, 0).Value());
  calculator->put_HighLatitudeRule(rule);
  return ComPtr<IPrayerCalculator>(calculator.Get());
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A page as the browser reads it, asked with XPath.
class Page {
 public:
  explicit Page(const std::string& bytes)
      : m_doc(htmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "imsakyya.html", nullptr,
                             HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET)) {}
  ~Page() { xmlFreeDoc(m_doc); }
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  bool Parsed() const { return m_doc != nullptr; }
  double Number(const char* xpath) const {
    xmlXPathObjectPtr result = Evaluate(xpath);
    const double value = result ? result->floatval : -1;
    xmlXPathFreeObject(result);
    return value;
  }
  std::string Text(const char* xpath) const {
    xmlXPathObjectPtr result = Evaluate(xpath);
    std::string value = result && result->stringval ? reinterpret_cast<const char*>(result->stringval) : "";
    xmlXPathFreeObject(result);
    return value;
  }

 private:
  xmlXPathObjectPtr Evaluate(const char* xpath) const {
    xmlXPathContextPtr context = xmlXPathNewContext(m_doc);
    xmlXPathObjectPtr result = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(xpath), context);
    xmlXPathFreeContext(context);
    EXPECT_NE(result, nullptr) << xpath;
    return result;
  }
  xmlDocPtr m_doc;
};

class TimetableTest : public AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    ASSERT_TRUE(nls::SetUserDefaultLocale(1033));
    UILanguageID = 1033;
  }
  void TearDown() override {
    UILanguageID = 0;
    text::SetAnsiCodePage(text::kDefaultAnsiCodePage);
    AddinTest::TearDown();
  }

  static void SetNow(const char* now) { setenv("ORVANE_NOW", now, 1); }
  void UseLanguage(LONG language) {
    UILanguageID = language;
    ASSERT_EQ(ReloadResourceLibrary(language), S_OK);
  }
  static void SetFirstDayOfWeek(DWORD day) {
    const std::string key = std::string("Software\\Microsoft\\Office\\") + flavour::kOfficeVersion +
                            "\\Outlook\\Options\\Calendar";
    ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, key.c_str(), "FirstDOW", day), ERROR_SUCCESS);
  }

  // The document of a request, as XML text (UTF-8).
  static std::string Document(LONG calendarKind, LONG rangeKind, std::u16string state = u"Makkah",
                              double timeZone = 3.0, ComPtr<IPrayerCalculator> calculator = Mecca()) {
    CImsakyyaBuilder builder(calendarKind, rangeKind, calculator.Get(), u"Mecca", std::move(state), u"Saudi Arabia",
                             timeZone);
    ComPtr<IXMLDOMDocument2> document;
    EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument2::kIID,
                               document.ReleaseAndGetVoidAddress()),
              S_OK);
    builder.BuildDocument(document.Get());
    CComBSTR xml;
    EXPECT_EQ(document->get_xml(&xml), S_OK);
    return xml.Utf8();
  }

  // The Date elements' values of one attribute, joined by '|'.
  static std::string Dates(const std::string& xml, const char* attribute) {
    std::string joined;
    const std::string marker = std::string(" ") + attribute + "=\"";
    for (size_t at = xml.find("<Date "); at != std::string::npos; at = xml.find("<Date ", at + 1)) {
      const size_t value = xml.find(marker, at) + marker.size();
      if (!joined.empty()) joined += '|';
      joined += xml.substr(value, xml.find('"', value) - value);
    }
    return joined;
  }
  static int Count(const std::string& xml, const std::string& what) {
    int n = 0;
    for (size_t at = xml.find(what); at != std::string::npos; at = xml.find(what, at + 1)) ++n;
    return n;
  }

  std::filesystem::path PagePath() const { return m_folder / "imsakyya.html"; }
  HRESULT BuildPage(LONG calendarKind, LONG rangeKind, const std::u16string& city = u"Mecca") {
    CImsakyyaBuilder builder(calendarKind, rangeKind, Mecca().Get(), city, u"", u"Saudi Arabia", 3.0);
    return builder.Build(PagePath().string());
  }
  HRESULT BuildLondonPage(LONG rangeKind, HighLatitudeRule rule) {
    CImsakyyaBuilder builder(CImsakyyaBuilder::kGregorian, rangeKind, London(rule).Get(), u"London", u"",
                             u"United Kingdom", 0.0);
    return builder.Build(PagePath().string());
  }
};

TEST_F(TimetableTest, TheDocumentOfADayIsExactlyTheContract) {
  SetNow("2026-12-08T10:00:00");  // a Tuesday
  std::ifstream golden(std::string(ORVANE_TEST_DATA) + "/imsakyya_today.xml", std::ios::binary);
  std::stringstream expected;
  expected << golden.rdbuf();
  EXPECT_EQ(Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kToday), expected.str());
  // Tomorrow is the next day, and is not today.
  const std::string tomorrow = Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kTomorrow);
  EXPECT_EQ(Dates(tomorrow, "dayofweek") + " " + Dates(tomorrow, "day"), "Wednesday 9");
  EXPECT_EQ(Count(tomorrow, "today="), 0);
}

TEST_F(TimetableTest, LocationWithoutStateAndAtGreenwich) {
  SetNow("2026-12-08T10:00:00");
  const std::string xml = Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kToday, u"", 0.0);
  EXPECT_NE(xml.find("<Location><City>Mecca</City><Country>Saudi Arabia</Country><TimeZone/></Location>"),
            std::string::npos)
      << xml;
  const std::string west = Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kToday, u"NY", -3.5);
  EXPECT_NE(west.find("<State>NY</State><Country>Saudi Arabia</Country><TimeZone> -03:30</TimeZone>"), std::string::npos);
}

TEST_F(TimetableTest, WeeksStartOnOutlooksFirstDayOfTheWeek) {
  SetNow("2026-12-06T10:00:00");  // a Sunday
  // No FirstDOW: Sunday to Saturday.
  std::string week = Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kThisWeek);
  EXPECT_EQ(Dates(week, "day"), "6|7|8|9|10|11|12");
  EXPECT_EQ(Dates(week, "dayofweek"), "Sunday|Monday|Tuesday|Wednesday|Thursday|Friday|Saturday");
  SetFirstDayOfWeek(1);  // Monday
  week = Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kThisWeek);
  EXPECT_EQ(Dates(week, "day"), "30|1|2|3|4|5|6");
  EXPECT_EQ(Dates(week, "month"), "November|December|December|December|December|December|December");
  EXPECT_EQ(Count(week, "today=\"1\""), 1);
  week = Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kNextWeek);
  EXPECT_EQ(Dates(week, "day"), "7|8|9|10|11|12|13");
  SetFirstDayOfWeek(42);  // no day of the week: as if unset
  EXPECT_EQ(Dates(Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kThisWeek), "day"), "6|7|8|9|10|11|12");
}

TEST_F(TimetableTest, GregorianMonthsHoldAllTheirDays) {
  SetNow("2026-12-15T10:00:00");
  std::string month = Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kNextMonth);
  EXPECT_EQ(Count(month, "<Date "), 31);
  EXPECT_EQ(Count(month, "month=\"January\" year=\"2027\""), 31);
  month = Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kThisMonth);
  EXPECT_EQ(Count(month, "month=\"December\" year=\"2026\""), 31);
  SetNow("2024-02-10T10:00:00");
  EXPECT_EQ(Count(Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kThisMonth), "<Date "), 29);
  SetNow("2026-02-10T10:00:00");
  EXPECT_EQ(Count(Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kThisMonth), "<Date "), 28);
  SetNow("2026-01-31T10:00:00");
  EXPECT_EQ(Count(Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kNextMonth), "month=\"February\""), 28);
  // An unknown range has no days, and everything else.
  const std::string none = Document(CImsakyyaBuilder::kGregorian, 7);
  EXPECT_EQ(Count(none, "<Date "), 0);
  EXPECT_NE(none.find("<Orvane/>"), std::string::npos);
}

TEST_F(TimetableTest, HijriMonthsFollowThePlatformsHijriCalendar) {
  for (const char* now : {"2026-12-08T10:00:00", "2027-03-01T10:00:00"}) {
    SetNow(now);
    for (LONG range : {CImsakyyaBuilder::kThisMonth, CImsakyyaBuilder::kNextMonth}) {
      SCOPED_TRACE(std::string(now) + " range " + std::to_string(range));
      const std::string month = Document(CImsakyyaBuilder::kHijri, range);
      const int days = Count(month, "<Date ");
      EXPECT_TRUE(days == 29 || days == 30) << days;
      const std::string names = Dates(month, "month");
      const std::string first = names.substr(0, names.find('|'));
      EXPECT_FALSE(first.empty());
      EXPECT_EQ(Count(month, "month=\"" + first + "\""), days) << "one Hijri month only";
      EXPECT_EQ(Dates(month, "day").substr(0, 2), "1|");
      EXPECT_EQ(Count(month, "year=\"14"), days) << "Hijri years";
      // Each day as the platform's Hijri calendar writes it.
      const std::string dayNumbers = Dates(month, "day");
      std::string expected;
      const COleDate today = COleDate::Now();
      const COleDate midnight(today.GetYear(), today.GetMonth(), today.GetDay(), 0, 0, 0);
      for (int back = 0; back < 70; ++back) {
        const COleDate date = midnight + COleDateSpan(back - 35, 0, 0, 0);
        const std::u16string name = date.FormatAsDateInCalendar<char16_t>(u"MMMM", 0, CAL_HIJRI, 1025);
        if (text::Utf16ToUtf8(name) != first) continue;
        if (!expected.empty()) expected += '|';
        expected += text::Utf16ToUtf8(date.FormatAsDateInCalendar<char16_t>(u"d", 0, CAL_HIJRI, 1025));
      }
      if (range == CImsakyyaBuilder::kThisMonth) {
        EXPECT_EQ(dayNumbers, expected);
      }
    }
  }
}

TEST_F(TimetableTest, ReadingOrderAndNamesFollowTheInterfaceLanguage) {
  SetNow("2026-12-08T10:00:00");
  UseLanguage(1025);
  std::string xml = Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kToday);
  EXPECT_NE(xml.find("<ReadingOrder>RTL</ReadingOrder>"), std::string::npos);
  EXPECT_EQ(Dates(xml, "dayofweek"), "الثلاثاء");
  EXPECT_EQ(Dates(xml, "month"), "ديسمبر");
  EXPECT_NE(xml.find("<Fajr>" + ResourceUtf8(1047) + "</Fajr>"), std::string::npos);
  UseLanguage(1036);
  xml = Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kToday);
  EXPECT_NE(xml.find("<ReadingOrder>LTR</ReadingOrder>"), std::string::npos);
  EXPECT_EQ(Dates(xml, "dayofweek"), "mardi");
  EXPECT_EQ(Dates(xml, "month"), "décembre");
}

TEST_F(TimetableTest, TimesReadAsTheLocalesTimePictureWritesThem) {
  for (LCID locale : {1033, 1036, 1025, 2057}) {
    ASSERT_TRUE(nls::SetUserDefaultLocale(locale));
    const CImsakyyaBuilder::Designators designators = CImsakyyaBuilder::ReadDesignators();
    for (int minute = 0; minute < 1440; minute += 7) {
      const COleDate time(2026, 12, 8, minute / 60, minute % 60, 0);
      ASSERT_EQ(CImsakyyaBuilder::FormatTime(time, designators),
                time.FormatAsTime<char16_t>(u"h':'mm tt", 0, LOCALE_USER_DEFAULT))
          << locale << " " << minute;
    }
  }
}

TEST_F(TimetableTest, TimesTheCalculatorCannotGiveAreEmpty) {
  SetNow("2026-12-08T10:00:00");
  const std::string xml =
      Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kToday, u"", 3.0, Mecca<CNoFajrCalculator>());
  EXPECT_NE(xml.find("<Fajr/><Shorouk>"), std::string::npos) << xml;
}

TEST_F(TimetableTest, CharsetLabelFollowsLanguageCalendarAndLocale) {
  SetNow("2026-12-08T10:00:00");
  ASSERT_EQ(BuildPage(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kToday), S_OK);
  std::string page = ReadFile(PagePath());
  EXPECT_NE(page.find("charset=windows-1252"), std::string::npos);
  EXPECT_EQ(page.find("UTF-16"), std::string::npos);
  ASSERT_EQ(BuildPage(CImsakyyaBuilder::kHijri, CImsakyyaBuilder::kToday), S_OK);
  EXPECT_NE(ReadFile(PagePath()).find("charset=windows-1256"), std::string::npos);
  ASSERT_TRUE(nls::SetUserDefaultLocale(1025));  // an Arabic user locale, English interface
  ASSERT_EQ(BuildPage(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kToday), S_OK);
  EXPECT_NE(ReadFile(PagePath()).find("charset=windows-1256"), std::string::npos);
  ASSERT_TRUE(nls::SetUserDefaultLocale(1033));
  UseLanguage(1025);
  ASSERT_EQ(BuildPage(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kToday), S_OK);
  page = ReadFile(PagePath());
  EXPECT_NE(page.find("charset=windows-1256"), std::string::npos);
  EXPECT_EQ(page.find('\n'), page.find("\r\n") + 1) << "lines end in CR LF";
}

TEST_F(TimetableTest, ArabicTextSurvivesANonArabicAnsiCodePage) {
  // Once written in the ANSI code page whatever the label said: on a
  // Western system Arabic names became '?'.
  text::SetAnsiCodePage(1252);
  SetNow("2026-12-08T10:00:00");
  UseLanguage(1025);
  ASSERT_EQ(BuildPage(CImsakyyaBuilder::kHijri, CImsakyyaBuilder::kToday, u"مكة المكرمة"), S_OK);
  Page arabic(ReadFile(PagePath()));
  ASSERT_TRUE(arabic.Parsed());
  EXPECT_NE(arabic.Text("string(//body)").find("الثلاثاء"), std::string::npos);
  EXPECT_NE(arabic.Text("string(//body)").find("مكة المكرمة"), std::string::npos);
  // An English page is labelled windows-1252; an Arabic city name in it is
  // written as character references rather than lost.
  UseLanguage(1033);
  ASSERT_EQ(BuildPage(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kToday, u"مكة"), S_OK);
  const std::string bytes = ReadFile(PagePath());
  EXPECT_NE(bytes.find("charset=windows-1252"), std::string::npos);
  Page english(bytes);
  EXPECT_NE(english.Text("string(//body)").find("مكة"), std::string::npos);
}

TEST_F(TimetableTest, PagesShowEveryDayTodayAndFridays) {
  SetNow("2026-12-08T10:00:00");
  ASSERT_EQ(BuildPage(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kThisMonth), S_OK);
  {
    Page month(ReadFile(PagePath()));
    ASSERT_TRUE(month.Parsed());
    EXPECT_EQ(month.Number("count(//tbody/tr)"), 31);
    EXPECT_EQ(month.Number("count(//tbody/tr[1]/td)"), 8);
    EXPECT_EQ(month.Text("string(//html/@dir)"), "ltr");
    EXPECT_EQ(month.Text("normalize-space(//tr[contains(@class,'today')]/td[1])"), "8");
    EXPECT_EQ(month.Number("count(//tr[contains(@class,'friday')])"), 4);
    EXPECT_EQ(month.Text("normalize-space(//tr[contains(@class,'friday')][1]/td[2])"), "Friday");
    EXPECT_EQ(month.Number("count(//tbody//td[normalize-space(.)=''])"), 0);
    EXPECT_NE(month.Text("string(//*[contains(@class,'place')])").find("Mecca, Saudi Arabia"), std::string::npos);
    EXPECT_NE(month.Text("string(//*[contains(@class,'zone')])").find("GMT +03:00"), std::string::npos);
    EXPECT_EQ(month.Number("count(//script) + count(//link) + count(//img)"), 0) << "self-contained";
    EXPECT_EQ(month.Text("normalize-space(//thead//th[2])"), "Fajr");
  }
  ASSERT_EQ(BuildPage(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kThisWeek), S_OK);
  {
    Page week(ReadFile(PagePath()));
    EXPECT_EQ(week.Number("count(//tbody/tr)"), 7);
    EXPECT_EQ(week.Text("normalize-space(//tr[contains(@class,'today')]/td[2])"), "Tuesday");
  }
  UseLanguage(1025);
  ASSERT_EQ(BuildPage(CImsakyyaBuilder::kHijri, CImsakyyaBuilder::kToday), S_OK);
  {
    Page day(ReadFile(PagePath()));
    EXPECT_EQ(day.Text("string(//html/@dir)"), "rtl");
    EXPECT_EQ(day.Number("count(//tbody/tr)"), 6);
    EXPECT_EQ(day.Text("normalize-space(//tbody/tr[1]/td[1])"), ResourceUtf8(1047));
    EXPECT_NE(day.Text("normalize-space(//tbody/tr[1]/td[2])"), "");
  }
}

TEST_F(TimetableTest, AMissingStyleSheetFailsItsRangeAndLeavesThePreviousPage) {
  SetNow("2026-12-08T10:00:00");
  ASSERT_EQ(BuildPage(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kToday), S_OK);
  const std::string dayPage = ReadFile(PagePath());
  std::filesystem::remove(m_folder / "week.xsl");
  EXPECT_THROW(BuildPage(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kThisWeek), CComException);
  EXPECT_THROW(BuildPage(CImsakyyaBuilder::kGregorian, 9), CComException);
  EXPECT_EQ(ReadFile(PagePath()), dayPage);
  EXPECT_EQ(BuildPage(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kNextMonth), S_OK);
  EXPECT_NE(ReadFile(PagePath()), dayPage);
  EXPECT_EQ(BuildPage(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kTomorrow), S_OK);
  // Nothing is left beside the page.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(m_folder)) {
    files += entry.path().filename().string().find("imsakyya") != std::string::npos;
  }
  EXPECT_EQ(files, 1);
}

TEST_F(TimetableTest, AnUnwritablePageIsAFailureNotAHalfPage) {
  SetNow("2026-12-08T10:00:00");
  CImsakyyaBuilder builder(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kToday, Mecca().Get(), u"Mecca", u"", u"",
                           3.0);
  const std::filesystem::path missing = m_folder / "no-such-folder" / "imsakyya.html";
  EXPECT_THROW(builder.Build(missing.string()), CComException);
  EXPECT_FALSE(std::filesystem::exists(missing.parent_path()));
}

// A parser that cannot make documents (out of memory, or not installed).
class CFailingFactory final : public IClassFactory {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    *object = iid == IUnknown::kIID || iid == IClassFactory::kIID ? static_cast<IClassFactory*>(this) : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  HRESULT CreateInstance(IUnknown*, REFIID, void** object) override {
    *object = nullptr;
    return E_OUTOFMEMORY;
  }
  HRESULT LockServer(BOOL) override { return S_OK; }
};

TEST_F(TimetableTest, WithoutADocumentObjectNothingIsWrittenAndTheErrorComesBack) {
  SetNow("2026-12-08T10:00:00");
  ASSERT_EQ(BuildPage(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kToday), S_OK);
  const std::string before = ReadFile(PagePath());
  CFailingFactory factory;
  DWORD cookie = 0;
  ASSERT_EQ(CoRegisterClassObject(CLSID_DOMDocument, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
            S_OK);
  EXPECT_EQ(BuildPage(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kThisMonth), E_OUTOFMEMORY);
  CoRevokeClassObject(cookie);
  EXPECT_EQ(ReadFile(PagePath()), before);
}

TEST_F(TimetableTest, TimesFromTheRuleAndOnAnotherDayAreMarkedWithTheirFootnotes) {
  SetNow("2027-06-10T10:00:00");
  const auto document = [](HighLatitudeRule rule) {
    return Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kThisMonth, u"", 0.0, London(rule));
  };
  // A seventh of the night: every Isha and Fajr of June in London is the
  // rule's, each on its own day.
  std::string xml = document(eSeventhOfNight);
  EXPECT_EQ(Count(xml, "<Isha rule=\"1\">"), 30) << xml;
  EXPECT_EQ(Count(xml, "<Fajr rule=\"1\">"), 30);
  EXPECT_EQ(Count(xml, "dayoffset="), 0);
  EXPECT_NE(xml.find("</Orvane><Notes><Rule>" + text::Utf16ToUtf8(HighLatitudeNote(kRuleFootnoteFormat, 0)) +
                     "</Rule></Notes></Imsakyya>"),
            std::string::npos)
      << xml;
  EXPECT_NE(ResourceUtf8(1304).find("%s"), std::string::npos);
  // The middle of the night: Isha after midnight, on the next day.
  xml = document(eMiddleOfNight);
  EXPECT_EQ(Count(xml, "<Isha rule=\"1\" dayoffset=\"1\">"), 30) << xml;
  EXPECT_NE(xml.find("<Notes><Rule>" + text::Utf16ToUtf8(HighLatitudeNote(kRuleFootnoteFormat, 1)) +
                     "</Rule><NextDay>" + ResourceUtf8(kNextDayFootnote) + "</NextDay>"),
            std::string::npos)
      << xml;
  // Where the sun gives every time, there is nothing to mark.
  xml = Document(CImsakyyaBuilder::kGregorian, CImsakyyaBuilder::kThisMonth);
  EXPECT_EQ(Count(xml, "rule="), 0);
  EXPECT_EQ(Count(xml, "<Notes>"), 0);

  // The pages show a sign beside each marked time and the footnotes under
  // the table, in each language.
  for (LONG language : {1033L, 1036L, 1025L}) {
    UseLanguage(language);
    const std::string marked = document(eMiddleOfNight);
    for (LONG range : {CImsakyyaBuilder::kThisMonth, CImsakyyaBuilder::kThisWeek, CImsakyyaBuilder::kToday}) {
      ASSERT_EQ(BuildLondonPage(range, eMiddleOfNight), S_OK);
      Page page(ReadFile(PagePath()));
      ASSERT_TRUE(page.Parsed());
      const double days = range == CImsakyyaBuilder::kThisMonth ? 30 : range == CImsakyyaBuilder::kThisWeek ? 7 : 1;
      EXPECT_EQ(page.Number("count(//td[@class='time']/sup[.='*'])"), 2 * days) << language << " " << range;
      EXPECT_EQ(page.Number("count(//td[@class='time']/sup[.='+1'])"), days) << language << " " << range;
      EXPECT_EQ(page.Number("count(//*[@class='notes']/p)"), 2) << language << " " << range;
      EXPECT_EQ(page.Text("normalize-space(//*[@class='notes']/p[1])"),
                "* " + text::Utf16ToUtf8(HighLatitudeNote(kRuleFootnoteFormat, 1)));
      EXPECT_EQ(page.Text("normalize-space(//*[@class='notes']/p[2])"), "+1 " + ResourceUtf8(kNextDayFootnote));
    }
    EXPECT_NE(text::Utf16ToUtf8(HighLatitudeNote(kRuleFootnoteFormat, 1)).find(ResourceUtf8(1302)), std::string::npos);
    EXPECT_EQ(Count(marked, "<Isha rule=\"1\" dayoffset=\"1\">"), 30);
  }
}

}  // namespace

#pragma once
// CImsakyyaBuilder: the timetable ("Imsakyya") of a day, a week or a month
// at one place. It builds the XML document of the prayer times, transforms
// it with the installed style sheet of its range (day.xsl, week.xsl or
// month.xsl in the add-in's folder) into an HTML page and writes the page.
// Made for one request, used once, destroyed.
//
// The document is the contract with the style sheets:
//
//   <?xml version="1.0" encoding="utf-16"?>
//   <Imsakyya>
//     <ReadingOrder>LTR|RTL</ReadingOrder>
//     <Translations><PrayersTimesFor/><Day/><Month/><GMT/></Translations>
//     <Location><City/>[<State/>]<Country/><TimeZone/></Location>
//     <TranslatedPrayersNames><Fajr/><Shorouk/><Zuhr/><Asr/><Maghrib/><Isha/></TranslatedPrayersNames>
//     <Orvane>
//       <Date dayofweek="..." day="..." month="..." year="..." [today="1"]>
//         <Fajr [rule="1"] [dayoffset="-1"]>4:07 AM</Fajr> ... <Isha/>
//       </Date> ...                        (empty when not computable)
//     </Orvane>
//     [<Notes>[<Rule/>][<NextDay/>][<PreviousDay/>]</Notes>]
//   </Imsakyya>
//
// rule="1": the high-latitude rule gave the time, not the twilight; dayoffset
// "1": the time falls after midnight, on the next day, "-1": before
// midnight, on the day before. Notes holds the footnotes of the marks that
// occur in the range (Rule names the rule), and is left out when none does.

#include <string>

#include "services/Flavour.h"
#include "calc/OleDate.h"
#include "platform/com/ComPtr.h"
#include "platform/xml/XmlDom.h"
#include "resources/OrvaneTypeLib.h"

class CImsakyyaBuilder {
 public:
  // Calendar kinds.
  enum : LONG { kHijri = 0, kGregorian = 1 };
  // Range kinds, in the order of the options page's list.
  enum : LONG { kToday = 0, kThisWeek = 1, kThisMonth = 2, kTomorrow = 3, kNextWeek = 4, kNextMonth = 5 };

  // calculator: configured already (location, method, school, daylight
  // rule); the builder keeps a reference and only recalculates and reads
  // it. timeZone: hours, positive EAST.
  CImsakyyaBuilder(LONG calendarKind, LONG rangeKind, IPrayerCalculator* calculator, std::u16string city,
                   std::u16string state, std::u16string country, double timeZone);
  ~CImsakyyaBuilder() = default;
  CImsakyyaBuilder(const CImsakyyaBuilder&) = delete;
  CImsakyyaBuilder& operator=(const CImsakyyaBuilder&) = delete;

  // Builds the document, transforms it and writes the page to outputPath
  // (replacing the file whole: a failure leaves the previous page as it
  // was). Returns the error when a document object cannot be created;
  // throws CComException when a document operation, the transformation or
  // the write fails. S_OK when the page was written.
  HRESULT Build(const std::string& outputPath);

  // The document alone, for the tests: built into `document`, which must
  // be empty. Throws as Build does.
  void BuildDocument(IXMLDOMDocument2* document);

  // The page's character-set label, "charset=windows-1256" or
  // "charset=windows-1252", and the code page it names.
  static const char* CharsetLabel(LONG calendarKind);
  static int LabelCodePage(const char* label);

  // A time as the picture "h':'mm tt" writes it for the user's default
  // locale ("4:07 AM"), given that locale's AM and PM designators as that
  // picture's "tt" writes them. Asking GetTimeFormat for every time of a
  // month reads the user's locale overrides from the registry each time.
  struct Designators {
    std::u16string am, pm;
  };
  static Designators ReadDesignators();
  static std::u16string FormatTime(const COleDate& time, const Designators& designators);

  // The style sheet file name of a range kind; empty for an unknown kind.
  static const char* StyleSheetName(LONG rangeKind);

 private:
  void LoadDayNames();
  void LoadMonthNames();
  DWORD ReadFirstDayOfWeek() const;
  ComPtr<IXMLDOMElement> AppendDate(const COleDate& date);
  void AppendWeek(const COleDate& today, IXMLDOMNode* parent);
  void AppendMonth(const COleDate& today, IXMLDOMNode* parent);
  void AppendDays(IXMLDOMNode* parent);
  // The footnotes of the marks the days carry; nothing when they carry none.
  void AppendNotes(IXMLDOMNode* parent);
  // A Hijri month from its first day; false (nothing appended) when its
  // days cannot be counted on, and the month is then walked day by day.
  bool AppendHijriMonth(const COleDate& start, IXMLDOMNode* parent);

  // Document operations; each throws CComException on failure.
  ComPtr<IXMLDOMElement> Element(const char16_t* name);
  ComPtr<IXMLDOMElement> AppendElement(IXMLDOMNode* parent, const char16_t* name);
  ComPtr<IXMLDOMElement> AppendTextElement(IXMLDOMNode* parent, const char16_t* name,
                                           const std::u16string& text);
  void AddAttribute(IXMLDOMElement* element, const char16_t* name, const std::u16string& value);
  void Append(IXMLDOMNode* parent, IXMLDOMNode* child);
  bool SameMonth(const COleDate& a, const COleDate& b);
  // The Hijri day, month number, month name and year of a date, in one
  // formatting call (each call switches the calendar in the user's locale
  // settings and back); the last date asked for is remembered.
  struct HijriFields {
    std::u16string day, month, monthName, year;
  };
  const HijriFields& Hijri(const COleDate& date);

  LONG m_calendarKind;
  LONG m_rangeKind;
  ComPtr<IPrayerCalculator> m_calculator;
  std::u16string m_city, m_state, m_country;
  double m_timeZone;  // hours, positive EAST
  std::u16string m_dayNames[7];     // Sunday first
  std::u16string m_monthNames[12];  // January (or Muharram) first
  LCID m_namesLocale = 1033;
  Designators m_designators;
  DATE m_hijriDate = kInvalidDate;
  HijriFields m_hijri;
  IXMLDOMDocument2* m_document = nullptr;  // not owned: the document being built
  // The marks the range's times carry, for the footnotes, and the rule
  // the calculator applied.
  LONG m_ruleTimes = 0;
  bool m_nextDay = false;
  bool m_previousDay = false;
  HighLatitudeRule m_rule = eSeventhOfNight;
};

#include "timetable/ImsakyyaBuilder.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <system_error>
#include <string_view>

#include "services/Exceptions.h"
#include "services/HighLatitudeNote.h"
#include "services/ModuleStrings.h"
#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "locations/CityInfo.h"
#include "platform/com/ComRuntime.h"
#include "platform/fs/AtomicFile.h"
#include "platform/nls/Nls.h"
#include "platform/registry/Registry.h"
#include "platform/text/TextConvert.h"
#include "platform/ui/Resources.h"

namespace {

constexpr LCID kArabicLocale = 1025;  // Arabic (Saudi Arabia): Hijri dates and names
constexpr int kFormatChars = 255;

std::u16string ResourceText(UINT id) {
  char16_t buffer[1025] = {};
  LoadString(ResourceInstance(), id, buffer, 1025);
  return buffer;
}

std::u16string Decimal(int value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

// The Hijri date of `date` with one picture ("d", "M", "MMMM", "yyyy").
std::u16string HijriText(const COleDate& date, const char16_t* picture) {
  return date.FormatAsDateInCalendar<char16_t>(picture, 0, CAL_HIJRI, kArabicLocale);
}

int HijriNumber(const COleDate& date, const char16_t* picture) {
  const std::u16string text = HijriText(date, picture);
  int value = 0;
  for (char16_t c : text) {
    if (c >= u'0' && c <= u'9') {
      value = value * 10 + (c - u'0');
    } else if (c >= u'\u0660' && c <= u'\u0669') {  // Arabic-Indic digits
      value = value * 10 + (c - u'\u0660');
    }
  }
  return value;
}

COleDate Midnight(const COleDate& date) {
  return COleDate(date.GetYear(), date.GetMonth(), date.GetDay(), 0, 0, 0);
}

// Windows text mode: each line feed is written as carriage return and line feed.
std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// The Windows error nearest to the errno of a failed write.
LONG WriteError(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENOENT:
    case ENOTDIR: return 3;  // ERROR_PATH_NOT_FOUND
    default: return 29;      // ERROR_WRITE_FAULT
  }
}

}  // namespace

CImsakyyaBuilder::CImsakyyaBuilder(LONG calendarKind, LONG rangeKind, IPrayerCalculator* calculator,
                                   std::u16string city, std::u16string state, std::u16string country,
                                   double timeZone)
    : m_calendarKind(calendarKind),
      m_rangeKind(rangeKind),
      m_calculator(calculator),
      m_city(std::move(city)),
      m_state(std::move(state)),
      m_country(std::move(country)),
      m_timeZone(timeZone) {}

const char* CImsakyyaBuilder::StyleSheetName(LONG rangeKind) {
  switch (rangeKind) {
    case kToday:
    case kTomorrow: return "day.xsl";
    case kThisWeek:
    case kNextWeek: return "week.xsl";
    case kThisMonth:
    case kNextMonth: return "month.xsl";
    default: return "";
  }
}

const char* CImsakyyaBuilder::CharsetLabel(LONG calendarKind) {
  char16_t language[1024] = {};
  GetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SENGLANGUAGE, language, 1024);
  const bool arabic = UILanguageID == 1025 || calendarKind == kHijri || std::u16string_view(language) == u"Arabic";
  return arabic ? "charset=windows-1256" : "charset=windows-1252";
}

int CImsakyyaBuilder::LabelCodePage(const char* label) {
  return std::strcmp(label, "charset=windows-1256") == 0 ? 1256 : 1252;
}

HRESULT CImsakyyaBuilder::Build(const std::string& outputPath) {
  TraceEnter("CImsakyyaBuilder::Build");
  ComPtr<IXMLDOMDocument2> document;
  if (HRESULT hr = CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument2::kIID,
                                    document.ReleaseAndGetVoidAddress());
      FAILED(hr)) {
    return hr;
  }
  ComPtr<IXMLDOMDocument2> styleSheet;
  if (HRESULT hr = CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument2::kIID,
                                    styleSheet.ReleaseAndGetVoidAddress());
      FAILED(hr)) {
    return hr;
  }

  // The style sheet is loaded whole before the document is built, and so
  // before the transformation. A missing or malformed file leaves it empty,
  // and the transformation then fails.
  THROW_IF_FAILED(styleSheet->put_async(VARIANT_FALSE));
  CComVariant source;
  source.vt = VT_BSTR;
  source.bstrVal = CComBSTR((resource_library::AddinFolder() + StyleSheetName(m_rangeKind)).c_str()).Detach();
  VARIANT_BOOL loaded = VARIANT_FALSE;
  THROW_IF_FAILED(styleSheet->load(source, &loaded));

  BuildDocument(document.Get());

  CComBSTR html;
  THROW_IF_FAILED(document->transformNode(styleSheet.Get(), &html));

  // The label names the code page the bytes are written in, for both
  // modules: the ANSI code page of the Outlook XP module would turn Arabic
  // names and Hijri dates into '?' on a non-Arabic system. Characters the
  // code page lacks are written as character references, which any browser
  // shows as the characters.
  const char* label = CharsetLabel(m_calendarKind);
  std::string bytes = text::Utf16ToCodePage(html.View(), LabelCodePage(label), text::Unmappable::kCharacterReference);
  const std::string utf16Label = "charset=UTF-16";
  for (size_t at = bytes.find(utf16Label); at != std::string::npos; at = bytes.find(utf16Label, at)) {
    bytes.replace(at, utf16Label.size(), label);
    at += std::strlen(label);
  }

  // Written beside and put in place whole, so that a failed write leaves
  // the previous page rather than half of this one.
  try {
    files::WriteFileAtomically(outputPath, WithCrLf(bytes));
  } catch (const std::system_error& e) {
    Trace(std::string("CImsakyyaBuilder::Build: ") + e.what());
    throw CComException(HRESULT_FROM_WIN32(WriteError(e.code().value())), nullptr, __LINE__);
  }
  TraceExit("CImsakyyaBuilder::Build");
  return S_OK;
}

void CImsakyyaBuilder::BuildDocument(IXMLDOMDocument2* document) {
  m_document = document;
  ComPtr<IXMLDOMProcessingInstruction> declaration;
  THROW_IF_FAILED(document->createProcessingInstruction(CComBSTR(u"xml").Get(),
                                                        CComBSTR(u"version=\"1.0\" encoding=\"utf-16\"").Get(),
                                                        declaration.ReleaseAndGetAddressOf()));
  Append(document, declaration.Get());
  ComPtr<IXMLDOMElement> root = AppendElement(document, u"Imsakyya");
  AppendTextElement(root.Get(), u"ReadingOrder", UILanguageID == 1025 ? u"RTL" : u"LTR");

  ComPtr<IXMLDOMElement> translations = AppendElement(root.Get(), u"Translations");
  AppendTextElement(translations.Get(), u"PrayersTimesFor", ResourceText(1030));
  AppendTextElement(translations.Get(), u"Day", ResourceText(1027));
  AppendTextElement(translations.Get(), u"Month", ResourceText(1028));
  AppendTextElement(translations.Get(), u"GMT", ResourceText(1029));

  ComPtr<IXMLDOMElement> location = AppendElement(root.Get(), u"Location");
  AppendTextElement(location.Get(), u"City", m_city);
  if (!m_state.empty()) AppendTextElement(location.Get(), u"State", m_state);
  AppendTextElement(location.Get(), u"Country", m_country);
  CCityInfo zone;
  zone.m_timeZone = m_timeZone;
  AppendTextElement(location.Get(), u"TimeZone", zone.TimeZoneText());

  ComPtr<IXMLDOMElement> names = AppendElement(root.Get(), u"TranslatedPrayersNames");
  static constexpr const char16_t* kPrayerElements[] = {u"Fajr", u"Shorouk", u"Zuhr", u"Asr", u"Maghrib", u"Isha"};
  for (int i = 0; i < 6; ++i) AppendTextElement(names.Get(), kPrayerElements[i], ResourceText(1047 + i));

  LoadMonthNames();
  LoadDayNames();
  ComPtr<IXMLDOMElement> days = AppendElement(root.Get(), u"Orvane");
  AppendDays(days.Get());
  AppendNotes(root.Get());
}

void CImsakyyaBuilder::AppendNotes(IXMLDOMNode* parent) {
  if (m_ruleTimes == 0 && !m_nextDay && !m_previousDay) return;
  ComPtr<IXMLDOMElement> notes = AppendElement(parent, u"Notes");
  if (m_ruleTimes != 0) AppendTextElement(notes.Get(), u"Rule", HighLatitudeNote(kRuleFootnoteFormat, m_rule));
  if (m_nextDay) AppendTextElement(notes.Get(), u"NextDay", ResourceText(kNextDayFootnote));
  if (m_previousDay) AppendTextElement(notes.Get(), u"PreviousDay", ResourceText(kPreviousDayFootnote));
}

void CImsakyyaBuilder::AppendDays(IXMLDOMNode* parent) {
  const COleDate now = COleDate::Now();
  m_designators = ReadDesignators();
  switch (m_rangeKind) {
    case kToday:
      Append(parent, AppendDate(now).Get());
      break;
    case kTomorrow:
      Append(parent, AppendDate(now + COleDateSpan(1, 0, 0, 0)).Get());
      break;
    case kThisWeek:
    case kNextWeek:
      AppendWeek(now, parent);
      break;
    case kThisMonth:
    case kNextMonth:
      AppendMonth(now, parent);
      break;
    default:
      break;  // an unknown range has no days
  }
}

void CImsakyyaBuilder::LoadDayNames() {
  m_namesLocale = UILanguageID == 1025 ? 1025 : UILanguageID == 1036 ? 1036 : 1033;
  // Windows counts day names from Monday (1) to Sunday (7); the table starts on Sunday.
  static constexpr LCTYPE kItems[7] = {LOCALE_SDAYNAME7, LOCALE_SDAYNAME1, LOCALE_SDAYNAME2, LOCALE_SDAYNAME3,
                                       LOCALE_SDAYNAME4, LOCALE_SDAYNAME5, LOCALE_SDAYNAME6};
  for (int i = 0; i < 7; ++i) {
    char16_t name[kFormatChars] = {};
    GetLocaleInfo(m_namesLocale, kItems[i], name, kFormatChars);
    m_dayNames[i] = name;
  }
}

void CImsakyyaBuilder::LoadMonthNames() {
  m_namesLocale = UILanguageID == 1025 ? 1025 : UILanguageID == 1036 ? 1036 : 1033;
  const LCID locale = m_calendarKind == kHijri ? kArabicLocale : m_namesLocale;
  const CALID calendar = m_calendarKind == kHijri ? CAL_HIJRI : CAL_GREGORIAN;
  for (int i = 0; i < 12; ++i) {
    char16_t name[kFormatChars] = {};
    GetCalendarInfo(locale, calendar, CAL_SMONTHNAME1 + i, name, kFormatChars, nullptr);
    m_monthNames[i] = name;
  }
}

DWORD CImsakyyaBuilder::ReadFirstDayOfWeek() const {
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, ModuleString(337).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  DWORD type = 0, value = 0, size = sizeof value;
  const LONG read = RegQueryValueEx(key, TEXT("FirstDOW"), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  // Outlook keeps 0 (Sunday) to 6 (Saturday); anything else is no setting.
  if (read != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value || value > 6) return 0;
  return value;
}

void CImsakyyaBuilder::AppendWeek(const COleDate& today, IXMLDOMNode* parent) {
  const DWORD firstDay = ReadFirstDayOfWeek();
  const int weekday = today.GetDayOfWeek() - 1;  // Sunday 0
  const long back = (weekday - static_cast<long>(firstDay) + 7) % 7;
  COleDate start = today - COleDateSpan(back, 0, 0, 0);
  if (m_rangeKind == kNextWeek) start += COleDateSpan(7, 0, 0, 0);
  for (long k = 0; k < 7; ++k) Append(parent, AppendDate(start + COleDateSpan(k, 0, 0, 0)).Get());
}

bool CImsakyyaBuilder::SameMonth(const COleDate& a, const COleDate& b) {
  if (m_calendarKind == kGregorian) return a.GetMonth() == b.GetMonth();
  const std::u16string first = Hijri(a).month;
  return first == Hijri(b).month;
}

bool CImsakyyaBuilder::AppendHijriMonth(const COleDate& start, IXMLDOMNode* parent) {
  // Within one Hijri month the day counts up by one and the month and year
  // stay: only the first day and the month's end need the platform's
  // calendar, instead of two calendar switches a day. Where its day numbers
  // are not plain digits from 1, every day is asked after all.
  const HijriFields first = Hijri(start);
  auto day = [&](long k) { return start + COleDateSpan(k, 0, 0, 0); };
  if (first.day != u"1" || !SameMonth(day(28), start)) return false;
  long length = 29;
  while (length < 31 && SameMonth(day(length), start)) ++length;
  for (long k = 0; k < length; ++k) {
    m_hijri = first;
    m_hijri.day = Decimal(static_cast<int>(k + 1));
    m_hijriDate = Midnight(day(k)).Value();
    Append(parent, AppendDate(day(k)).Get());
  }
  return true;
}

const CImsakyyaBuilder::HijriFields& CImsakyyaBuilder::Hijri(const COleDate& date) {
  const DATE day = Midnight(date).Value();
  if (day == m_hijriDate) return m_hijri;
  const std::u16string text = HijriText(date, u"d'|'M'|'MMMM'|'yyyy");
  std::u16string* fields[] = {&m_hijri.day, &m_hijri.month, &m_hijri.monthName, &m_hijri.year};
  size_t from = 0;
  for (std::u16string* field : fields) {
    const size_t bar = std::min(text.find(u'|', from), text.size());
    *field = text.substr(std::min(from, text.size()), bar - std::min(from, text.size()));
    from = bar + 1;
  }
  m_hijriDate = day;
  return m_hijri;
}

void CImsakyyaBuilder::AppendMonth(const COleDate& today, IXMLDOMNode* parent) {
  COleDate start;
  if (m_calendarKind == kGregorian) {
    int year = today.GetYear();
    int month = today.GetMonth();
    if (m_rangeKind == kNextMonth && ++month > 12) {
      month = 1;
      ++year;
    }
    start = COleDate(year, month, 1, 0, 0, 0);
  } else {
    const COleDate midnight = Midnight(today);
    const int h = HijriNumber(midnight, u"d");
    if (m_rangeKind == kThisMonth) {
      start = midnight - COleDateSpan(h - 1, 0, 0, 0);
    } else {
      // 31 - h days on lands in the next Hijri month, whose day h2 it is.
      const COleDate inNext = midnight + COleDateSpan(31 - h, 0, 0, 0);
      start = inNext - COleDateSpan(HijriNumber(inNext, u"d") - 1, 0, 0, 0);
    }
  }
  if (!start.IsValid()) return;
  if (m_calendarKind == kHijri && AppendHijriMonth(start, parent)) return;
  for (long k = 0;; ++k) {
    Append(parent, AppendDate(start + COleDateSpan(k, 0, 0, 0)).Get());
    if (k + 1 >= 31 || !SameMonth(start + COleDateSpan(k + 1, 0, 0, 0), start)) break;
  }
}

ComPtr<IXMLDOMElement> CImsakyyaBuilder::AppendDate(const COleDate& date) {
  ComPtr<IXMLDOMElement> element = Element(u"Date");
  const int weekday = date.GetDayOfWeek();
  AddAttribute(element.Get(), u"dayofweek", weekday >= 1 && weekday <= 7 ? m_dayNames[weekday - 1] : u"");
  if (m_calendarKind == kGregorian) {
    const int month = date.GetMonth();
    AddAttribute(element.Get(), u"day", Decimal(date.GetDay()));
    AddAttribute(element.Get(), u"month", month >= 1 && month <= 12 ? m_monthNames[month - 1] : u"");
    AddAttribute(element.Get(), u"year", Decimal(date.GetYear()));
  } else {
    const HijriFields& hijri = Hijri(date);
    AddAttribute(element.Get(), u"day", hijri.day);
    AddAttribute(element.Get(), u"month", hijri.monthName);
    AddAttribute(element.Get(), u"year", hijri.year);
  }
  // Our style sheets mark today's row; a style sheet cannot tell today by
  // itself (it has no clock, and Hijri dates it could not compare anyway).
  const COleDate now = COleDate::Now();
  if (date.GetYear() == now.GetYear() && date.GetMonth() == now.GetMonth() && date.GetDay() == now.GetDay()) {
    AddAttribute(element.Get(), u"today", u"1");
  }

  THROW_IF_FAILED(m_calculator->Recalc(date));
  DATE times[6] = {kInvalidDate, kInvalidDate, kInvalidDate, kInvalidDate, kInvalidDate, kInvalidDate};
  m_calculator->get_Fajr(&times[0]);
  m_calculator->get_Shorouk(&times[1]);
  m_calculator->get_Zuhr(&times[2]);
  m_calculator->get_Asr(&times[3]);
  m_calculator->get_Maghrib(&times[4]);
  m_calculator->get_Isha(&times[5]);
  // Where the calculator can say, which times the rule gave and which fall
  // on another day than the row's: a reader must not take an Isha at
  // 12:30 AM for the night before, nor a rule's time for the twilight's.
  LONG ruled = 0, next = 0, previous = 0;
  ComPtr<IPrayerCalculator2> withDays;
  if (SUCCEEDED(m_calculator->QueryInterface(IPrayerCalculator2::kIID, withDays.ReleaseAndGetVoidAddress())) &&
      withDays) {
    withDays->get_RuleTimes(&ruled);
    withDays->get_NextDayTimes(&next);
    withDays->get_PreviousDayTimes(&previous);
    if (ruled != 0) withDays->get_HighLatitudeRule(&m_rule);
  }
  static constexpr const char16_t* kNames[] = {u"Fajr", u"Shorouk", u"Zuhr", u"Asr", u"Maghrib", u"Isha"};
  for (int i = 0; i < 6; ++i) {
    const COleDate time(times[i]);
    const bool known = times[i] != kInvalidDate;
    const std::u16string text = known ? FormatTime(time, m_designators) : std::u16string();
    ComPtr<IXMLDOMElement> prayer = AppendTextElement(element.Get(), kNames[i], text);
    if (!known) continue;
    if ((ruled & (1 << i)) != 0) {
      AddAttribute(prayer.Get(), u"rule", u"1");
      m_ruleTimes |= 1 << i;
    }
    if ((next & (1 << i)) != 0) {
      AddAttribute(prayer.Get(), u"dayoffset", u"1");
      m_nextDay = true;
    } else if ((previous & (1 << i)) != 0) {
      AddAttribute(prayer.Get(), u"dayoffset", u"-1");
      m_previousDay = true;
    }
  }
  return element;
}

CImsakyyaBuilder::Designators CImsakyyaBuilder::ReadDesignators() {
  Designators designators;
  designators.am = COleDate(2000, 1, 1, 1, 0, 0).FormatAsTime<char16_t>(u"tt", 0, LOCALE_USER_DEFAULT);
  designators.pm = COleDate(2000, 1, 1, 13, 0, 0).FormatAsTime<char16_t>(u"tt", 0, LOCALE_USER_DEFAULT);
  return designators;
}

std::u16string CImsakyyaBuilder::FormatTime(const COleDate& time, const Designators& designators) {
  SYSTEMTIME st;
  if (!time.GetAsSystemTime(&st)) return {};
  const int hour12 = st.wHour % 12 == 0 ? 12 : st.wHour % 12;
  std::u16string text = Decimal(hour12);
  text += u':';
  text += static_cast<char16_t>(u'0' + st.wMinute / 10);
  text += static_cast<char16_t>(u'0' + st.wMinute % 10);
  text += u' ';
  text += st.wHour < 12 ? designators.am : designators.pm;
  return text;
}

ComPtr<IXMLDOMElement> CImsakyyaBuilder::Element(const char16_t* name) {
  ComPtr<IXMLDOMElement> element;
  THROW_IF_FAILED(m_document->createElement(CComBSTR(name).Get(), element.ReleaseAndGetAddressOf()));
  return element;
}

ComPtr<IXMLDOMElement> CImsakyyaBuilder::AppendElement(IXMLDOMNode* parent, const char16_t* name) {
  ComPtr<IXMLDOMElement> element = Element(name);
  Append(parent, element.Get());
  return element;
}

ComPtr<IXMLDOMElement> CImsakyyaBuilder::AppendTextElement(IXMLDOMNode* parent, const char16_t* name,
                                                           const std::u16string& text) {
  ComPtr<IXMLDOMElement> element = Element(name);
  THROW_IF_FAILED(element->put_text(CComBSTR(text).Get()));
  Append(parent, element.Get());
  return element;
}

void CImsakyyaBuilder::AddAttribute(IXMLDOMElement* element, const char16_t* name, const std::u16string& value) {
  ComPtr<IXMLDOMAttribute> attribute;
  THROW_IF_FAILED(m_document->createAttribute(CComBSTR(name).Get(), attribute.ReleaseAndGetAddressOf()));
  THROW_IF_FAILED(attribute->put_text(CComBSTR(value).Get()));
  ComPtr<IXMLDOMNamedNodeMap> attributes;
  THROW_IF_FAILED(element->get_attributes(attributes.ReleaseAndGetAddressOf()));
  if (!attributes) throw CComException(E_FAIL, nullptr, __LINE__);
  THROW_IF_FAILED(attributes->setNamedItem(attribute.Get(), nullptr));
}

void CImsakyyaBuilder::Append(IXMLDOMNode* parent, IXMLDOMNode* child) {
  THROW_IF_FAILED(parent->appendChild(child, nullptr));
}

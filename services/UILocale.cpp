#include "services/UILocale.h"

#include "services/ResourceLibrary.h"
#include "platform/nls/Nls.h"

HRESULT CreateUILocaleID(_Application* application, tstring* filterDateFormat, bool* dayFirst) {
  tchar calendar[8] = {};
  GetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_ICALENDARTYPE, calendar, 8);
  const tstring type = calendar;
  if (const HRESULT hr = AskOfficeUILanguage(application); FAILED(hr)) return hr;
  if (UILanguageID == 1025) {
    *filterDateFormat = TEXT("dd MMMM yyyy");
    *dayFirst = type == TEXT("6") || type == TEXT("1") || type == TEXT("10");
  } else if (type == TEXT("6") || type == TEXT("10")) {
    *filterDateFormat = TEXT("dd MMMM yyyy");
    *dayFirst = true;
  } else {
    *filterDateFormat = TEXT("MMMM dd, yyyy");
    *dayFirst = false;
  }
  return S_OK;
}

tstring FormatDate(const COleDate& when) {
  tchar order[8] = {};
  tchar language[64] = {};
  const bool haveOrder = GetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_IDATE, order, 8) != 0;
  GetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SENGLANGUAGE, language, 64);
  const bool arabic = tstring(language) == TEXT("Arabic");

  const tchar* datePicture = TEXT("MM/dd/yyyy");
  if (haveOrder && order[0] == '1') datePicture = TEXT("dd/MM/yyyy");
  if (haveOrder && order[0] == '2') datePicture = TEXT("yyyy/MM/dd");

  COleDate date = when;
  bool withDate = true;
  if (arabic) {
    if (date.GetDay() == 31 && date.GetHour() == 0 && date.GetMinute() == 0 && date.GetSecond() == 0) {
      date -= COleDateSpan(0, 0, 1, 0);
    }
    if (date.GetDay() == 31) withDate = false;
  }

  tstring text;
  if (withDate) {
    text = date.FormatAsDate(datePicture, 0, LOCALE_USER_DEFAULT);
    text += TEXT(' ');
  }
  if (UILanguageID == 1025 && arabic) {
    text += date.FormatAsTime(TEXT("hh':'mm tt"), 0, LOCALE_USER_DEFAULT);
  } else {
    text += date.FormatAsTime(TEXT("hh':'mm "), 0, LOCALE_USER_DEFAULT);
    text += date.GetHour() >= 12 ? TEXT("PM") : TEXT("AM");
  }
  return text;
}

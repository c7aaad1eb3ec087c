#include "calendar/CalendarQueries.h"

#include "services/AutomationText.h"

#include <cstdlib>

#include "settings/AddinSettings.h"
#include "settings/SettingsStore.h"
#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "calendar/MarkedItems.h"
#include "platform/com/ComPtr.h"
#include "platform/registry/Registry.h"
#include "platform/text/TextConvert.h"
#include "platform/ui/Resources.h"

namespace {

// The fall-back's buffers: the filter, and each of its first three tokens.
constexpr std::size_t kFilterBuffer = 260;
constexpr std::size_t kTokenBuffer = 100;




// The subjects the add-in gives its items, and the flag each stands for.
struct SubjectEntry {
  DWORD flag;
  UINT subject;
};
constexpr SubjectEntry kSubjects[] = {
    {kFajrFlag, 103}, {kShoroukFlag, 104}, {kZuhrFlag, 105},    {kZuhrFlag, 158},
    {kAsrFlag, 106},  {kMaghribFlag, 107}, {kIshaFlag, 108},
};

// The first three blank-separated tokens, each cut to its buffer; fewer
// than three found gives false.
bool FirstThreeTokens(const tstring& filter, tstring tokens[3]) {
  std::size_t at = 0;
  for (int i = 0; i < 3; ++i) {
    while (at < filter.size() && filter[at] == ' ') ++at;
    if (at == filter.size()) return false;
    std::size_t end = filter.find(' ', at);
    if (end == tstring::npos) end = filter.size();
    tokens[i] = filter.substr(at, std::min(end - at, kTokenBuffer - 1));
    at = end;
  }
  return true;
}

// A decimal integer as the C library reads one: leading digits, else 0.
LONG Number(const tstring& token) { return static_cast<LONG>(std::atol(TToUtf8(token).c_str())); }

// The filter in the fall-back's buffer: in the module's character set, cut
// to what the buffer holds.
tstring FallbackText(const std::u16string& filter) {
  tstring text = FromWide(filter);
  if (text.size() > kFilterBuffer - 1) text.resize(kFilterBuffer - 1);
  return text;
}

HRESULT RestrictText(_Items* items, const std::u16string& filter, _Items** result) {
  CComBSTR text{std::u16string_view(filter)};
  return items->Restrict(text.Get(), result);
}

HRESULT FindText(_Items* items, const std::u16string& filter, IDispatch** item) {
  CComBSTR text{std::u16string_view(filter)};
  return items->Find(text.Get(), item);
}

}  // namespace

std::u16string QuoteFilterText(std::u16string_view text) {
  std::u16string quoted = u"\"";
  for (char16_t c : text) {
    quoted += c;
    if (c == u'"') quoted += u'"';
  }
  return quoted + u"\"";
}

bool IsSatifyingCondition(DWORD left, const tstring& op, DWORD right) {
  if (op == TEXT("<")) return left < right;
  if (op == TEXT("<=")) return left <= right;
  if (op == TEXT(">")) return left > right;
  if (op == TEXT(">=")) return left >= right;
  if (op == TEXT("=")) return left == right;
  if (op == TEXT("<>")) return left != right;
  return true;
}

std::u16string ReadCustomRemindersSubject() {
  TraceEnter("COutlookPrayer::ReadCustomRemindersSubject");
  std::u16string subject;
  const char* keyPath = ui::FindString(ResourceInstance(), 101);
  const char* valueName = ui::FindString(ResourceInstance(), 1042);
  HKEY key = nullptr;
  if (keyPath == nullptr ||
      RegOpenKeyEx(HKEY_CURRENT_USER, Utf8ToT(keyPath).c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
    return subject;
  }
  if (valueName != nullptr) {
    tchar buffer[512] = {};
    DWORD type = 0, size = sizeof buffer - sizeof(tchar);
    if (RegQueryValueEx(key, Utf8ToT(valueName).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ) {
      subject = ToWide(buffer);
      // As the settings keep it: the items were written with this much.
      if (subject.size() > CSettingsStore::kMaxCustomSubject) subject.resize(CSettingsStore::kMaxCustomSubject);
    }
  }
  RegCloseKey(key);
  TraceExit("COutlookPrayer::ReadCustomRemindersSubject");
  return subject;
}

std::u16string BuildEquivFilter(const tstring&, const tstring& op, LONG number) {
  std::u16string text = u"(";
  bool first = true;
  auto add = [&](const std::u16string& subject) {
    if (!first) text += u" OR ";
    text += u"[Subject] = " + QuoteFilterText(subject);
    first = false;
  };
  for (const SubjectEntry& entry : kSubjects) {
    if (IsSatifyingCondition(entry.flag, op, static_cast<DWORD>(number))) add(ResourceText(entry.subject));
  }
  if (IsSatifyingCondition(kCustomReminderFlag, op, static_cast<DWORD>(number))) {
    const std::u16string custom = ReadCustomRemindersSubject();
    if (!custom.empty()) add(custom);
  }
  return text + u") ";
}

HRESULT ManualRestrict(_Items* items, const std::u16string& filter, _Items** result) {
  if (items == nullptr || result == nullptr) return E_POINTER;
  *result = nullptr;
  TraceEnter("COutlookPrayer::ManualRestrict");
  // Outlook keeps a custom reminder's mark as 7; the fall-back reads 128 as its flag.
  const bool aliased = filter == u"[PrayerNum] = 128";
  const std::u16string asked = aliased ? u"[PrayerNum] = 7" : filter;
  ComPtr<_Items> found;
  if (SUCCEEDED(RestrictText(items, asked, found.ReleaseAndGetAddressOf())) && found) {
    LONG count = 0;
    if (HRESULT hr = found->get_Count(&count); FAILED(hr)) return hr;
    if (count > 0) {
      *result = found.Detach();
      TraceExit("COutlookPrayer::ManualRestrict");
      return S_OK;
    }
  }
  found.Reset();
  Trace("Performing ManualRestriction");
  if (HRESULT hr = LoadResourceLibrary(); FAILED(hr)) return hr;

  const tstring text = FallbackText(filter);
  const std::size_t startAt = text.find(TEXT("[Start]"));
  tstring tokens[3];
  if (!FirstThreeTokens(text, tokens)) return E_POINTER;
  std::u16string equivalent = BuildEquivFilter(tokens[0], tokens[1], Number(tokens[2]));
  Trace(TToUtf8(FromWide(equivalent)));
  if (startAt != tstring::npos) equivalent += u" AND " + ToWide(text.substr(startAt));

  // Outlook's reading of the condition, which the marks of the items found
  // by subject must satisfy.
  const MarkCondition condition{tokens[1], aliased ? 7 : Number(tokens[2])};
  HRESULT hr;
  if (equivalent == u"() ") {
    // No subject stands for the condition: ask Outlook the question as it was.
    Trace("Trying ManualRestriction2");
    hr = RestrictText(items, filter, found.ReleaseAndGetAddressOf());
    if (FAILED(hr)) {
      Trace("Failed ManualRestriction2");
      return hr;
    }
    Trace("Successful ManualRestriction2");
  } else {
    Trace("Trying ManualRestriction");
    hr = RestrictText(items, equivalent, found.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
    Trace("Successful ManualRestriction");
  }
  if (HRESULT marked = CMarkedItems::Create(found.Get(), condition, result); FAILED(marked)) return marked;
  TraceExit("COutlookPrayer::ManualRestrict");
  return S_OK;
}

HRESULT ManualFind(_Items* items, const std::u16string& filter, IDispatch** item) {
  if (items == nullptr || item == nullptr) return E_POINTER;
  *item = nullptr;
  TraceEnter("COutlookPrayer::ManualFind");
  ComPtr<IDispatch> found;
  const HRESULT first = FindText(items, filter, found.ReleaseAndGetAddressOf());
  if (SUCCEEDED(first) && found) {
    *item = found.Detach();
    TraceExit("COutlookPrayer::ManualFind");
    return S_OK;
  }
  Trace("Performing ManualFind");
  tstring tokens[3];
  if (!FirstThreeTokens(FallbackText(filter), tokens)) return E_POINTER;
  const LONG n = Number(tokens[2]);
  std::u16string subjects = u"[Subject] = ";
  if (n == 7) {
    const std::u16string custom = ReadCustomRemindersSubject();
    if (custom.empty()) return first;  // nothing to look for by subject
    subjects += QuoteFilterText(custom);
  } else if (n >= 0 && n <= 5) {
    subjects += QuoteFilterText(ResourceText(103 + static_cast<UINT>(n)));
  } else {
    return first;
  }
  // The Zuhr slot also finds a Friday prayer.
  if (n == 2) subjects += u" OR [Subject] = " + QuoteFilterText(ResourceText(158));
  IDispatch* match = nullptr;
  HRESULT hr = FindText(items, subjects, &match);
  // Only a marked item is the add-in's: a user's own item of that title is
  // passed over, and the search walks on to the next match.
  hr = SkipUnmarkedMatches(items, MarkCondition{tokens[1], n}, hr, &match);
  if (FAILED(hr)) return hr;
  Trace("Successful ManualFind");
  TraceExit("COutlookPrayer::ManualFind");
  *item = match;
  return S_OK;
}

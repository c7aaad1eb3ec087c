#include "addin/OutlookPrayer.h"

#include "addin/ProgressPage.h"
#include "services/AutomationText.h"

#include <chrono>
#include <new>

#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "services/UILocale.h"
#include "platform/com/ComRuntime.h"
#include "platform/text/TextConvert.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Resources.h"

TimeInfo g_timeInfo;

namespace {

constexpr const char* kClass = "COutlookPrayer::";
constexpr const char16_t* kBarName = u"Orvane";

// The tool bar's buttons, in the order they are built.
struct ButtonDefinition {
  const char* tag;
  UINT caption;
  UINT tooltip;
  LONG face;
  LONG builtInId;  // 0: a button of the add-in's own
};
constexpr ButtonDefinition kButtons[] = {
    {"Veltrix Prayer Generate Button", 152, 153, 346, 0},
    {"Veltrix Prayer Delete Button", 154, 155, 348, 0},
    {"Veltrix Prayer Imsakyya Button", 1031, 1032, 333, 0},
    // Outlook's own Options command: Outlook runs it, the add-in only shows it.
    {"Veltrix Prayer Option Button", 156, 157, 2683, 522},
};




CComVariant Missing() {
  CComVariant v;
  v.vt = VT_ERROR;
  v.scode = DISP_E_PARAMNOTFOUND;
  return v;
}

std::string Method(const char* name) { return std::string(kClass) + name; }

}  // namespace

// The hadith source starts where the clock says, as the system's tick count
// made it start: Fridays do not always open with the same text.
COutlookPrayer::COutlookPrayer()
    : m_hadith(static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count() / 1000000)) {}

COutlookPrayer::~COutlookPrayer() {
  ReleaseReferences();
  if (m_explorerSink) m_explorerSink->Detach();
  Trace("Exit COutlookPrayer::~COutlookPrayer()");
}

HRESULT COutlookPrayer::InternalQueryInterface(REFIID iid, void** object) {
  if (iid == _IDTExtensibility2::kIID || iid == IDispatch::kIID) {
    *object = static_cast<_IDTExtensibility2*>(this);
  } else if (iid == IProgressOwner::kIID) {
    *object = static_cast<IProgressOwner*>(this);
  } else {
    return E_NOINTERFACE;
  }
  return S_OK;
}

HRESULT COutlookPrayer::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT COutlookPrayer::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT COutlookPrayer::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return DISP_E_UNKNOWNNAME; }

HRESULT COutlookPrayer::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return S_OK;
}

HRESULT COutlookPrayer::OnConnection(IDispatch* application, LONG, IDispatch*, void*) {
  TraceEnter(Method("OnConnection"));
  if (application == nullptr) return E_POINTER;
  if (HRESULT hr = application->QueryInterface(_Application::kIID, m_application.ReleaseAndGetVoidAddress());
      FAILED(hr)) {
    return hr;
  }
  if (HRESULT hr = CheckIfAndLoadCorrectResourceLibrary(m_application.Get()); FAILED(hr)) return hr;
  if (HRESULT hr = OnConnection(); FAILED(hr)) return hr;

  m_applicationSink = ComPtr<CApplicationEventsSink>(new (std::nothrow) CApplicationEventsSink(this));
  if (!m_applicationSink) return E_OUTOFMEMORY;
  if (HRESULT hr = m_applicationSink->Attach(m_application.Get()); FAILED(hr)) return hr;

  if (HRESULT hr = m_nameSpace->get_Folders(m_folders.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  m_foldersSink = ComPtr<CFoldersEventsSink>(new (std::nothrow) CFoldersEventsSink(this));
  if (!m_foldersSink) return E_OUTOFMEMORY;
  if (HRESULT hr = m_foldersSink->Attach(m_folders.Get()); FAILED(hr)) return hr;

  ComPtr<_Explorer> explorer;
  if (HRESULT hr = m_application->ActiveExplorer(explorer.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  if (!explorer) {
    // Outlook started by another program: no window, no tool bar.
    m_uiPresent = false;
    return S_OK;
  }
  m_explorerSink = ComPtr<CExplorerEventsSink>(new (std::nothrow) CExplorerEventsSink(this));
  if (!m_explorerSink) return E_OUTOFMEMORY;
  if (HRESULT hr = m_explorerSink->Attach(explorer.Get()); FAILED(hr)) return hr;

  const HRESULT hr = BuildCommandBar(explorer.Get());
  if (SUCCEEDED(hr)) TraceExit(Method("OnConnection"));
  return hr;
}

HRESULT COutlookPrayer::OnConnection() {
  Trace("Enter COutlookPrayer::OnConnection");
  if (HRESULT hr = m_prayerCalendar.RefreshDateFormat(); FAILED(hr)) return hr;
  CComBSTR mapi("MAPI");
  if (HRESULT hr = m_application->GetNamespace(mapi.Get(), m_nameSpace.ReleaseAndGetAddressOf()); FAILED(hr)) {
    return hr;
  }
  m_calendarAvailable = AcquireFolders();
  if (HRESULT hr = CoCreateInstance(CLSID_PrayerCalculator, nullptr, CLSCTX_ALL, IPrayerCalculator::kIID,
                                    m_calculator.ReleaseAndGetVoidAddress());
      FAILED(hr)) {
    return hr;
  }
  if (HRESULT hr = m_store.ReadSettings(); FAILED(hr)) return hr;
  if (HRESULT hr = m_store.UpdateCalcSettings(m_calculator.Get()); FAILED(hr)) return hr;
  FindTimeInfo(COleDate::Now());
  tchar hadithFile[260] = {};
  LoadString(ResourceInstance(), 234, hadithFile, 260);
  m_hadith.Load((Utf8ToT(resource_library::AddinFolder()) + hadithFile).c_str());
  Trace("Exit COutlookPrayer::OnConnection");
  return S_OK;
}

bool COutlookPrayer::AcquireFolders() {
  ReleaseFolders();
  if (!m_nameSpace) return false;
  m_nameSpace->GetDefaultFolder(olFolderCalendar, m_calendar.ReleaseAndGetAddressOf());
  if (m_calendar) m_calendar->get_Items(m_calendarItems.ReleaseAndGetAddressOf());
  m_nameSpace->GetDefaultFolder(olFolderDeletedItems, m_deletedItems.ReleaseAndGetAddressOf());
  return m_calendar && m_calendarItems && m_deletedItems;
}

void COutlookPrayer::ReleaseFolders() {
  m_calendarItems.Reset();
  m_calendar.Reset();
  m_deletedItems.Reset();
}

HRESULT COutlookPrayer::BuildCommandBar(_Explorer* explorer) {
  ComPtr<CommandBars> bars;
  if (HRESULT hr = explorer->get_CommandBars(bars.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  LONG count = 0;
  if (HRESULT hr = bars->get_Count(&count); FAILED(hr)) return hr;
  ComPtr<CommandBar> bar;
  for (LONG i = 1; i <= count && !bar; ++i) {
    ComPtr<CommandBar> candidate;
    if (HRESULT hr = bars->get_Item(CComVariant::I4(i), candidate.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
    CComBSTR name;
    if (HRESULT hr = candidate->get_Name(&name); FAILED(hr)) return hr;
    if (name.View() == kBarName) bar = candidate;
  }
  const bool reused = static_cast<bool>(bar);
  if (reused) {
    // A bar left from an earlier session: start it empty.
    ComPtr<CommandBarControls> controls;
    if (HRESULT hr = bar->get_Controls(controls.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
    LONG controlCount = 0;
    if (HRESULT hr = controls->get_Count(&controlCount); FAILED(hr)) return hr;
    for (LONG i = 0; i < controlCount; ++i) {
      ComPtr<CommandBarControl> first;
      if (HRESULT hr = controls->get_Item(CComVariant::I4(1), first.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
      if (HRESULT hr = first->Delete(Missing()); FAILED(hr)) return hr;
    }
  } else {
    CComBSTR name{std::u16string_view(kBarName)};
    CComVariant barName;
    barName.vt = VT_BSTR;
    barName.bstrVal = name.Detach();
    if (HRESULT hr = bars->Add(barName, CComVariant::I4(msoBarTop), CComVariant::Bool(false),
                               CComVariant::Bool(true), bar.ReleaseAndGetAddressOf());
        FAILED(hr)) {
      return hr;
    }
    if (HRESULT hr = bar->put_Visible(VARIANT_TRUE); FAILED(hr)) return hr;
    if (HRESULT hr = bar->put_Protection(msoBarNoCustomize); FAILED(hr)) return hr;
  }
  if (HRESULT hr = bar->put_Enabled(m_calendar ? VARIANT_TRUE : VARIANT_FALSE); FAILED(hr)) return hr;
  ComPtr<CommandBarControls> controls;
  if (HRESULT hr = bar->get_Controls(controls.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  ComPtr<CommandBarButton>* buttons[] = {&m_generateButton, &m_deleteButton, &m_imsakyyaButton, &m_optionButton};
  ComPtr<CButtonClickSink>* sinks[] = {&m_generateSink, &m_deleteSink, &m_imsakyyaSink, nullptr};
  HRESULT hr = S_OK;
  for (int which = 0; which < 4; ++which) {
    if (hr = AddButton(controls.Get(), reused, which, buttons[which]->ReleaseAndGetAddressOf()); FAILED(hr)) {
      return hr;
    }
    if (sinks[which] != nullptr) {
      *sinks[which] = ComPtr<CButtonClickSink>(new (std::nothrow) CButtonClickSink(this));
      if (!*sinks[which]) return E_OUTOFMEMORY;
      if (hr = (*sinks[which])->Attach((*buttons[which]).Get()); FAILED(hr)) return hr;
    }
    CommandBarButton* button = buttons[which]->Get();
    const ButtonDefinition& d = kButtons[which];
    CComBSTR caption = ResourceBstr(d.caption), tooltip = ResourceBstr(d.tooltip), tag(d.tag);
    if (hr = button->put_Caption(caption.Get()); FAILED(hr)) return hr;
    if (hr = button->put_TooltipText(tooltip.Get()); FAILED(hr)) return hr;
    if (hr = button->put_Style(msoButtonIconAndCaption); FAILED(hr)) return hr;
    if (hr = button->put_FaceId(d.face); FAILED(hr)) return hr;
    if (hr = button->put_Tag(tag.Get()); FAILED(hr)) return hr;
  }
  return hr;
}

HRESULT COutlookPrayer::AddButton(CommandBarControls* controls, bool reused, int which, CommandBarButton** button) {
  *button = nullptr;
  const ButtonDefinition& d = kButtons[which];
  if (reused) {
    if (HRESULT hr = FindControl(Utf8ToT(d.tag), controls, button); FAILED(hr)) return hr;
    if (*button != nullptr) return S_OK;
  }
  ComPtr<CommandBarControl> control;
  HRESULT hr = d.builtInId == 0
                   ? controls->Add(CComVariant::I4(msoControlButton), Missing(), Missing(), Missing(), Missing(),
                                   control.ReleaseAndGetAddressOf())
                   : controls->Add(CComVariant::I4(msoControlButton), CComVariant::I4(d.builtInId), Missing(),
                                   Missing(), CComVariant::Bool(true), control.ReleaseAndGetAddressOf());
  if (FAILED(hr)) return hr;
  if (!control) return E_NOINTERFACE;
  return control->QueryInterface(CommandBarButton::kIID, reinterpret_cast<void**>(button));
}

HRESULT COutlookPrayer::FindControl(const tstring& tag, CommandBarControls* controls, CommandBarButton** button) {
  *button = nullptr;
  LONG count = 0;
  if (HRESULT hr = controls->get_Count(&count); FAILED(hr)) return hr;
  for (LONG i = 1; i <= count; ++i) {
    ComPtr<CommandBarControl> control;
    if (HRESULT hr = controls->get_Item(CComVariant::I4(i), control.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
    CComBSTR controlTag;
    if (HRESULT hr = control->get_Tag(&controlTag); FAILED(hr)) return hr;
    if (FromBstr(controlTag.Get()) == tag) {
      return control->QueryInterface(CommandBarButton::kIID, reinterpret_cast<void**>(button));
    }
  }
  return S_OK;
}

HRESULT COutlookPrayer::UpdateCommandBars(int mode) {
  if (!m_application) return S_OK;
  ComPtr<_Explorers> explorers;
  if (HRESULT hr = m_application->get_Explorers(explorers.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
  LONG count = 0;
  if (HRESULT hr = explorers->get_Count(&count); FAILED(hr)) return hr;
  for (LONG e = 1; e <= count; ++e) {
    ComPtr<_Explorer> explorer;
    if (HRESULT hr = explorers->Item(CComVariant::I4(e), explorer.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
    ComPtr<CommandBars> bars;
    if (HRESULT hr = explorer->get_CommandBars(bars.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
    LONG barCount = 0;
    if (HRESULT hr = bars->get_Count(&barCount); FAILED(hr)) return hr;
    for (LONG b = 1; b <= barCount; ++b) {
      ComPtr<CommandBar> bar;
      if (HRESULT hr = bars->get_Item(CComVariant::I4(b), bar.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
      CComBSTR name;
      if (HRESULT hr = bar->get_Name(&name); FAILED(hr)) return hr;
      if (name.View() != kBarName) continue;
      HRESULT hr = S_OK;
      if (mode == 1) hr = bar->put_Enabled(VARIANT_TRUE);
      if (mode == 2) hr = bar->put_Enabled(VARIANT_FALSE);
      if (mode == 3) hr = bar->Delete();
      if (FAILED(hr)) return hr;
      break;
    }
  }
  return S_OK;
}

HRESULT COutlookPrayer::OnDisconnection(LONG removeMode, void*) {
  TraceEnter(Method("OnDisconnection"));
  // Only an unload by the user needs work; a host that shuts down lets go itself.
  if (removeMode == ext_dm_UserClosed) {
    UpdateCommandBars(3);
    ReleaseAll();
    if (m_explorerSink) m_explorerSink->Detach();
    m_explorerSink.Reset();
  }
  TraceExit(Method("OnDisconnection"));
  return S_OK;
}

HRESULT COutlookPrayer::OnAddInsUpdate(void*) { return S_OK; }
HRESULT COutlookPrayer::OnStartupComplete(void*) { return S_OK; }
HRESULT COutlookPrayer::OnBeginShutdown(void*) { return S_OK; }

void COutlookPrayer::ReleaseAll() {
  TraceEnter(Method("ReleaseAll"));
  ReleaseReferences();
  TraceExit(Method("ReleaseAll"));
}

void COutlookPrayer::ReleaseReferences() {
  m_nameSpace.Reset();
  ReleaseFolders();
  if (m_uiPresent) {
    for (auto* sink : {&m_generateSink, &m_deleteSink, &m_imsakyyaSink}) {
      if (*sink) (*sink)->Detach();
    }
  }
  if (m_foldersSink) m_foldersSink->Detach();
  if (m_applicationSink) m_applicationSink->Detach();
  m_applicationSink.Reset();
  m_application.Reset();
  m_foldersSink.Reset();
  m_folders.Reset();
  m_generateSink.Reset();
  m_deleteSink.Reset();
  m_imsakyyaSink.Reset();
  m_generateButton.Reset();
  m_deleteButton.Reset();
  m_imsakyyaButton.Reset();
  m_optionButton.Reset();
  m_calculator.Reset();
}

HRESULT COutlookPrayer::OnApplicationEvent(DISPID id, DISPPARAMS& params) {
  switch (id) {
    case ApplicationEvents::kStartup:
      return m_calendarAvailable ? OnStartup() : S_FALSE;
    case ApplicationEvents::kReminder:
      return OnReminder(params.cArgs == 1 ? params.rgvarg[0].pdispVal : nullptr);
    case ApplicationEvents::kOptionsPagesAdd:
      return OnOptionsPagesAdd(params.cArgs == 1 ? params.rgvarg[0].pdispVal : nullptr);
    default:
      return S_OK;
  }
}

HRESULT COutlookPrayer::OnFoldersEvent(DISPID id, DISPPARAMS&) {
  if (id == FoldersEvents::kFolderRemove) {
    m_nameSpace.Reset();
    ReleaseFolders();
    m_calendarAvailable = false;
    return UpdateCommandBars(2);
  }
  if (id == FoldersEvents::kFolderAdd) {
    m_nameSpace.Reset();
    CComBSTR mapi("MAPI");
    if (HRESULT hr = m_application->GetNamespace(mapi.Get(), m_nameSpace.ReleaseAndGetAddressOf()); FAILED(hr)) {
      return hr;
    }
    if (AcquireFolders()) {
      m_calendarAvailable = true;
      return UpdateCommandBars(1);
    }
  }
  return S_OK;
}

HRESULT COutlookPrayer::OnExplorerEvent(DISPID id) {
  if (id != ExplorerEvents::kClose || !m_application) return S_OK;
  ComPtr<_Explorers> explorers;
  LONG count = 0;
  if (SUCCEEDED(m_application->get_Explorers(explorers.ReleaseAndGetAddressOf()))) explorers->get_Count(&count);
  if (count > 0) {
    // Another window stays: watch it instead.
    ComPtr<_Explorer> active;
    m_application->ActiveExplorer(active.ReleaseAndGetAddressOf());
    m_explorerSink->Detach();
    if (active) return m_explorerSink->Attach(active.Get());
    return S_OK;
  }
  // The last window closed: hold nothing of Outlook's any more.
  ReleaseAll();
  ComPtr<CExplorerEventsSink> sink = std::move(m_explorerSink);
  m_explorerSink.Reset();
  sink->Detach();
  return S_OK;
}

HRESULT COutlookPrayer::OnButtonClick(CEventSink* sink, DISPID id, DISPPARAMS&) {
  if (id != _CommandBarButtonEvents::kClick) return S_OK;
  if (sink == m_generateSink.Get()) return GenerateCommand();
  if (sink == m_deleteSink.Get()) return DeleteCommand();
  if (sink == m_imsakyyaSink.Get()) return ImsakyyaCommand();
  return S_OK;
}


HRESULT COutlookPrayer::OnOptionsPagesAdd(IDispatch*) {
  // The options page joins with its control.
  return m_calendarAvailable ? S_OK : S_FALSE;
}

HRESULT COutlookPrayer::FindTimeInfo(const COleDate& instant) {
  if (!m_calculator) return E_UNEXPECTED;
  // Each time on the day it falls on: the evening before's Maghrib or Isha
  // may come after midnight, and the next day's Fajr before it, so the day
  // before or after is looked at whenever the instant lies outside the
  // day's own times.
  const auto timesOf = [this](const COleDate& day, COleDate (&times)[6]) {
    if (HRESULT hr = m_calculator->Recalc(day); FAILED(hr)) return hr;
    for (int i = 0; i < 6; ++i) {
      if (HRESULT hr = GetStart(i, &times[i]); FAILED(hr)) return hr;
    }
    return S_OK;
  };
  // The period of the last of `times` that has begun at the instant; false
  // when none has. `next` is the time that ends the last one.
  const auto periodIn = [&instant](const COleDate (&times)[6], const COleDate& next) {
    for (int i = 5; i >= 0; --i) {
      if (times[i] <= instant) {
        g_timeInfo.currentPrayer = CPrayerCalendar::PrayConvert(i);
        g_timeInfo.periodStart = times[i];
        g_timeInfo.periodEnd = i < 5 ? times[i + 1] : next;
        return true;
      }
    }
    return false;
  };
  COleDate today[6];
  if (HRESULT hr = timesOf(instant, today); FAILED(hr)) return hr;
  if (today[0] > instant) {
    COleDate yesterday[6];
    if (HRESULT hr = timesOf(instant - COleDateSpan(1, 0, 0, 0), yesterday); FAILED(hr)) return hr;
    if (!periodIn(yesterday, today[0])) {
      g_timeInfo.currentPrayer = kIshaFlag;
      g_timeInfo.periodStart = yesterday[5];
      g_timeInfo.periodEnd = today[0];
    }
    g_timeInfo.position = 0;
    return S_OK;
  }
  if (today[5] > instant) {
    periodIn(today, today[5]);
    g_timeInfo.position = 1;
    return S_OK;
  }
  COleDate tomorrow[6];
  if (HRESULT hr = timesOf(instant + COleDateSpan(1, 0, 0, 0), tomorrow); FAILED(hr)) return hr;
  if (!periodIn(tomorrow, tomorrow[5])) {
    g_timeInfo.currentPrayer = kIshaFlag;
    g_timeInfo.periodStart = today[5];
    g_timeInfo.periodEnd = tomorrow[0];
  }
  g_timeInfo.position = 2;
  return S_OK;
}

std::unique_ptr<ICalendarProgress> COutlookPrayer::NewProgress() {
  auto progress = std::make_unique<CProgressPage>();
  progress->SetOwner(static_cast<IProgressOwner*>(this));
  return progress;
}

void COutlookPrayer::ProcessWindowMessages(HWND) {
  // Only paint messages: input waits until the loop is over. (The progress
  // window runs its own loop on its own thread; this keeps the main
  // thread's windows painted.)
  MSG message;
  while (PeekMessage(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessage(&message);
  }
}

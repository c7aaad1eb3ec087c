#include "host/model/OptionsDialog.h"

#include "host/model/OutlookSession.h"
#include "platform/com/ComRuntime.h"

namespace host {

namespace {

// The page's own Caption (a control's stock property), when it has one.
std::u16string PageCaption(PropertyPage* page) {
  CComVariant caption;
  const HRESULT hr = com::InvokeMember(page, DISPID_CAPTION, DISPATCH_PROPERTYGET, {}, &caption);
  if (FAILED(hr) || caption.vt != VT_BSTR || caption.bstrVal == nullptr) return {};
  return std::u16string(caption.bstrVal, SysStringLen(caption.bstrVal));
}

}  // namespace

OptionsDialog::OptionsDialog(std::shared_ptr<OutlookSession> session)
    : session_(std::move(session)), site_(NewObject<CPropertyPageSite>()) {}

OptionsDialog::~OptionsDialog() { Close(); }

HRESULT OptionsDialog::Open() {
  open_ = true;
  auto pages = NewObject<CPropertyPages>(this);
  CComVariant argument;
  argument.vt = VT_DISPATCH;
  argument.pdispVal = static_cast<PropertyPages*>(pages.Get());
  pages->AddRef();  // the argument owns a reference
  const HRESULT hr = session_->RaiseOptionsPagesAdd(&argument);
  pages->Detach();  // a page collection kept past the event adds nothing
  return hr;
}

void OptionsDialog::AddPage(std::u16string title, ComPtr<PropertyPage> page) {
  std::u16string caption = PageCaption(page.Get());
  ComPtr<IOleObject> control;
  if (SUCCEEDED(page.As(&control)) && control) {
    control->SetClientSite(static_cast<IOleClientSite*>(site_.Get()));
  }
  pages_.push_back({caption.empty() ? std::move(title) : std::move(caption), std::move(page)});
}

bool OptionsDialog::ApplyEnabled() const { return site_->Changed(); }

void OptionsDialog::OnStatusChange(std::function<void()> changed) { site_->SetListener(std::move(changed)); }

HRESULT OptionsDialog::Apply() {
  HRESULT first = S_OK;
  for (const Page& page : pages_) {
    VARIANT_BOOL dirty = VARIANT_FALSE;
    if (FAILED(page.page->get_Dirty(&dirty)) || dirty == VARIANT_FALSE) continue;
    const HRESULT hr = page.page->Apply();
    if (FAILED(hr) && SUCCEEDED(first)) first = hr;
  }
  // A page that refused keeps its changes, and Apply stays offered.
  if (SUCCEEDED(first)) site_->Reset();
  return first;
}

HRESULT OptionsDialog::Ok() {
  const HRESULT hr = Apply();
  if (SUCCEEDED(hr)) Close();
  return hr;
}

HRESULT OptionsDialog::ShowPages(HWND parent, const RECT* position) {
  HRESULT first = S_OK;
  for (const Page& page : pages_) {
    ComPtr<IOleInPlaceObject> inPlace;
    HRESULT hr = page.page.As(&inPlace);
    if (SUCCEEDED(hr) && inPlace) hr = inPlace->InPlaceActivate(parent, position);
    if (FAILED(hr) && SUCCEEDED(first)) first = hr;
  }
  return first;
}

HWND OptionsDialog::PageWindow(std::size_t index) const {
  if (index >= pages_.size()) return nullptr;
  ComPtr<IOleInPlaceObject> inPlace;
  HWND window = nullptr;
  if (SUCCEEDED(pages_[index].page.As(&inPlace)) && inPlace) inPlace->GetWindow(&window);
  return window;
}

void OptionsDialog::Close() {
  if (!open_) return;
  open_ = false;
  for (const Page& page : pages_) {
    ComPtr<IOleObject> control;
    ComPtr<IOleInPlaceObject> inPlace;
    if (SUCCEEDED(page.page.As(&inPlace)) && inPlace) inPlace->InPlaceDeactivate();
    if (SUCCEEDED(page.page.As(&control)) && control) {
      control->SetClientSite(nullptr);
      control->Close(OLECLOSE_NOSAVE);
    }
  }
  pages_.clear();
}

HRESULT CPropertyPageSite::InternalQueryInterface(REFIID iid, void** object) {
  if (IsOwnInterface(iid)) {
    *object = static_cast<PropertyPageSite*>(this);
  } else if (iid == IOleClientSite::kIID) {
    *object = static_cast<IOleClientSite*>(this);
  } else {
    return E_NOINTERFACE;
  }
  return S_OK;
}

HRESULT CPropertyPageSite::OnStatusChange() {
  changed_ = true;
  if (listener_) listener_();
  return S_OK;
}

HRESULT CPropertyPageSite::GetContainer(IUnknown** container) {
  if (container == nullptr) return E_POINTER;
  *container = nullptr;
  return E_NOINTERFACE;
}

HRESULT CPropertyPages::InternalQueryInterface(REFIID iid, void** object) {
  if (!IsOwnInterface(iid)) return E_NOINTERFACE;
  *object = static_cast<PropertyPages*>(this);
  return S_OK;
}

HRESULT CPropertyPages::get_Count(LONG* count) {
  if (count == nullptr) return E_POINTER;
  *count = count_;
  return S_OK;
}

HRESULT CPropertyPages::Add(VARIANT page, BSTR title) {
  if (dialog_ == nullptr) return E_UNEXPECTED;
  ComPtr<IUnknown> object;
  if (page.vt == VT_BSTR) {
    CLSID clsid;
    if (HRESULT hr = CLSIDFromProgID(page.bstrVal ? page.bstrVal : u"", &clsid); FAILED(hr)) return hr;
    if (HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IUnknown::kIID,
                                      object.ReleaseAndGetVoidAddress());
        FAILED(hr)) {
      return hr;
    }
  } else if ((page.vt == VT_DISPATCH || page.vt == VT_UNKNOWN) && page.punkVal != nullptr) {
    object = ComPtr<IUnknown>(page.punkVal);
  } else {
    return DISP_E_TYPEMISMATCH;
  }
  ComPtr<PropertyPage> propertyPage;
  if (FAILED(object.As(&propertyPage)) || !propertyPage) return E_NOINTERFACE;
  dialog_->AddPage(std::u16string(title ? title : u"", SysStringLen(title)), std::move(propertyPage));
  ++count_;
  return S_OK;
}

}  // namespace host

#include "host/model/CommandBars.h"

#include <algorithm>
#include <utility>

#include "host/model/ModelErrors.h"
#include "host/model/OutlookSession.h"
#include "platform/text/CaseFold.h"
#include "platform/text/TextConvert.h"

namespace host {

namespace {

bool IsMissing(const VARIANT& v) { return v.vt == VT_EMPTY || v.vt == VT_ERROR; }

// An optional argument converted to vt; false when it is there but cannot be.
bool OptionalAs(const VARIANT& v, VARTYPE vt, CComVariant* out) {
  if (IsMissing(v)) return true;
  return SUCCEEDED(VariantChangeType(out, &v, 0, vt));
}

std::u16string ToText(BSTR text) { return std::u16string(text ? text : u"", SysStringLen(text)); }

bool SameName(std::u16string_view a, std::u16string_view b) {
  return text::FoldCase(a) == text::FoldCase(b);
}

}  // namespace

// ---- CCommandBars ----------------------------------------------------------

CCommandBars::CCommandBars(std::weak_ptr<OutlookSession> session, const std::vector<BarRecord>& builtIn,
                           const std::vector<BarRecord>& lasting)
    : session_(std::move(session)) {
  for (const BarRecord& record : builtIn) {
    bars_.push_back(NewObject<CCommandBar>(session_, this, record, true, false));
  }
  for (const BarRecord& record : lasting) {
    // Controls kept on a built-in bar join that bar; a bar of one's own comes back whole.
    auto builtInBar = std::find_if(bars_.begin(), bars_.end(),
                                   [&](const ComPtr<CCommandBar>& b) { return b->IsBuiltIn() && SameName(b->Name(), record.name); });
    if (builtInBar != bars_.end()) {
      (*builtInBar)->AddLastingControls(record.controls);
    } else {
      bars_.push_back(NewObject<CCommandBar>(session_, this, record, false, false));
    }
  }
}

CCommandBars::~CCommandBars() {
  for (const ComPtr<CCommandBar>& bar : bars_) bar->Orphan();
}

HRESULT CCommandBars::InternalQueryInterface(REFIID iid, void** object) {
  if (!IsOwnInterface(iid)) return E_NOINTERFACE;
  *object = static_cast<CommandBars*>(this);
  return S_OK;
}

HRESULT CCommandBars::get_Count(LONG* count) {
  if (count == nullptr) return E_POINTER;
  *count = static_cast<LONG>(bars_.size());
  return S_OK;
}

HRESULT CCommandBars::get_Item(VARIANT index, CommandBar** bar) {
  if (bar == nullptr) return E_POINTER;
  *bar = nullptr;
  if (index.vt == VT_BSTR) {
    const std::u16string name = ToText(index.bstrVal);
    for (const ComPtr<CCommandBar>& b : bars_) {
      if (SameName(b->Name(), name)) return HandOut(b, bar);
    }
    return E_INVALIDARG;
  }
  CComVariant number;
  if (FAILED(VariantChangeType(&number, &index, 0, VT_I4))) return DISP_E_TYPEMISMATCH;
  if (number.lVal < 1 || static_cast<std::size_t>(number.lVal) > bars_.size()) return DISP_E_BADINDEX;
  return HandOut(bars_[number.lVal - 1], bar);
}

HRESULT CCommandBars::Add(VARIANT name, VARIANT position, VARIANT, VARIANT temporary, CommandBar** bar) {
  if (bar == nullptr) return E_POINTER;
  *bar = nullptr;
  CComVariant nameText, place, lasting;
  if (!OptionalAs(name, VT_BSTR, &nameText) || !OptionalAs(position, VT_I4, &place) ||
      !OptionalAs(temporary, VT_BOOL, &lasting)) {
    return DISP_E_TYPEMISMATCH;
  }
  BarRecord record;
  record.name = nameText.vt == VT_BSTR ? ToText(nameText.bstrVal) : u"";
  if (record.name.empty()) {
    // Office names an unnamed bar "Custom N".
    for (int n = 1; record.name.empty(); ++n) {
      const std::u16string candidate = u"Custom " + text::Utf8ToUtf16(std::to_string(n));
      if (std::none_of(bars_.begin(), bars_.end(), [&](const auto& b) { return SameName(b->Name(), candidate); })) {
        record.name = candidate;
      }
    }
  }
  for (const ComPtr<CCommandBar>& b : bars_) {
    if (SameName(b->Name(), record.name)) return E_INVALIDARG;  // Office refuses a second bar of a name
  }
  record.position = place.vt == VT_I4 ? place.lVal : msoBarFloating;
  if (record.position < msoBarLeft || record.position > msoBarFloating) return E_INVALIDARG;
  const bool isTemporary = lasting.vt == VT_BOOL && lasting.boolVal != VARIANT_FALSE;
  auto created = NewObject<CCommandBar>(session_, this, std::move(record), false, isTemporary);
  bars_.push_back(created);
  return HandOut(created, bar);
}

void CCommandBars::Remove(CCommandBar* bar) {
  std::erase_if(bars_, [&](const ComPtr<CCommandBar>& b) { return b.Get() == bar; });
}

std::vector<BarRecord> CCommandBars::LastingRecords() const {
  std::vector<BarRecord> records;
  for (const ComPtr<CCommandBar>& bar : bars_) {
    if (bar->IsTemporary()) continue;
    BarRecord record = bar->LastingRecord();
    // A built-in bar comes back by itself: only controls added to it are kept.
    if (bar->IsBuiltIn() && record.controls.empty()) continue;
    records.push_back(std::move(record));
  }
  return records;
}

void CCommandBars::Retire(ComPtr<CCommandBarButton> button) { retired_.push_back(std::move(button)); }

void CCommandBars::UnadviseAll() {
  // Copies: a sink let go here may delete a bar or a button as it goes.
  for (const ComPtr<CCommandBar>& bar : std::vector(bars_)) bar->UnadviseAll();
  // A deleted button's sinks may hold the button: they go too, or the two
  // would keep each other alive.
  for (const ComPtr<CCommandBarButton>& button : std::exchange(retired_, {})) button->UnadviseAll();
}

// ---- CCommandBar -----------------------------------------------------------

CCommandBar::CCommandBar(std::weak_ptr<OutlookSession> session, CCommandBars* owner, BarRecord record,
                         bool builtIn, bool temporary)
    : session_(std::move(session)), owner_(owner), builtIn_(builtIn), temporary_(temporary) {
  // A built-in bar's own controls come back with it in every window, so
  // they are not kept as if a user had added them.
  for (ControlRecord& control : record.controls) {
    controls_.push_back(NewObject<CCommandBarButton>(session_, this, std::move(control), builtIn_));
  }
  record.controls.clear();
  record_ = std::move(record);
}

void CCommandBar::AddLastingControls(const std::vector<ControlRecord>& controls) {
  for (const ControlRecord& control : controls) {
    controls_.push_back(NewObject<CCommandBarButton>(session_, this, control, false));
  }
}

CCommandBar::~CCommandBar() {
  for (const ComPtr<CCommandBarButton>& control : controls_) control->Detach();
}

HRESULT CCommandBar::InternalQueryInterface(REFIID iid, void** object) {
  if (!IsOwnInterface(iid)) return E_NOINTERFACE;
  *object = static_cast<CommandBar*>(this);
  return S_OK;
}

HRESULT CCommandBar::get_Name(BSTR* name) {
  if (name == nullptr) return E_POINTER;
  *name = nullptr;
  if (deleted_) return E_UNEXPECTED;
  *name = CComBSTR(record_.name).Detach();
  return S_OK;
}

HRESULT CCommandBar::get_Controls(CommandBarControls** controls) {
  if (controls == nullptr) return E_POINTER;
  *controls = nullptr;
  if (deleted_) return E_UNEXPECTED;
  return HandOut(NewObject<CCommandBarControls>(ComPtr<CCommandBar>(this)), controls);
}

HRESULT CCommandBar::get_Visible(VARIANT_BOOL* visible) {
  if (visible == nullptr) return E_POINTER;
  if (deleted_) return E_UNEXPECTED;
  *visible = record_.visible ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT CCommandBar::put_Visible(VARIANT_BOOL visible) {
  if (deleted_) return E_UNEXPECTED;
  record_.visible = visible != VARIANT_FALSE;
  return S_OK;
}

HRESULT CCommandBar::get_Protection(LONG* protection) {
  if (protection == nullptr) return E_POINTER;
  if (deleted_) return E_UNEXPECTED;
  *protection = record_.protection;
  return S_OK;
}

HRESULT CCommandBar::put_Protection(LONG protection) {
  if (deleted_) return E_UNEXPECTED;
  // The protection flags of MsoBarProtection: 0 to 255.
  if (protection < 0 || protection > 255) return E_INVALIDARG;
  record_.protection = protection;
  return S_OK;
}

HRESULT CCommandBar::get_Enabled(VARIANT_BOOL* enabled) {
  if (enabled == nullptr) return E_POINTER;
  if (deleted_) return E_UNEXPECTED;
  *enabled = record_.enabled ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT CCommandBar::put_Enabled(VARIANT_BOOL enabled) {
  if (deleted_) return E_UNEXPECTED;
  record_.enabled = enabled != VARIANT_FALSE;
  return S_OK;
}

HRESULT CCommandBar::FindControl(VARIANT type, VARIANT id, VARIANT tag, VARIANT, VARIANT,
                                 CommandBarControl** control) {
  if (control == nullptr) return E_POINTER;
  *control = nullptr;
  if (deleted_) return E_UNEXPECTED;
  CComVariant wantedType, wantedId, wantedTag;
  if (!OptionalAs(type, VT_I4, &wantedType) || !OptionalAs(id, VT_I4, &wantedId) ||
      !OptionalAs(tag, VT_BSTR, &wantedTag)) {
    return DISP_E_TYPEMISMATCH;
  }
  for (const ComPtr<CCommandBarButton>& c : controls_) {
    const ControlRecord& r = c->Record();
    if (wantedType.vt == VT_I4 && r.type != wantedType.lVal) continue;
    if (wantedId.vt == VT_I4 && r.id != wantedId.lVal) continue;
    if (wantedTag.vt == VT_BSTR && r.tag != ToText(wantedTag.bstrVal)) continue;
    return HandOut(c, control);
  }
  return S_OK;
}

HRESULT CCommandBar::Delete() {
  if (deleted_) return E_UNEXPECTED;
  if (builtIn_) return E_FAIL;  // Office keeps its own bars
  deleted_ = true;
  for (const ComPtr<CCommandBarButton>& c : controls_) {
    c->Detach();
    if (owner_ != nullptr) owner_->Retire(c);
  }
  ComPtr<CCommandBar> keep(this);
  if (owner_ != nullptr) owner_->Remove(this);
  return S_OK;
}

HRESULT CCommandBar::AddControl(LONG type, LONG id, bool temporary, LONG before, CommandBarControl** control) {
  if (deleted_) return E_UNEXPECTED;
  // The host's bars hold buttons only.
  if (type != msoControlButton) return E_NOTIMPL;
  ControlRecord record;
  record.type = type;
  record.id = id;
  if (id != 1) {
    record.caption = CommandBarLibrary::BuiltInCaption(id);
    if (record.caption.empty()) return E_INVALIDARG;  // no such built-in command
  }
  if (before < 1 || static_cast<std::size_t>(before) > controls_.size() + 1) return E_INVALIDARG;
  auto created = NewObject<CCommandBarButton>(session_, this, std::move(record), temporary || temporary_);
  controls_.insert(controls_.begin() + (before - 1), created);
  return HandOut(created, control);
}

void CCommandBar::RemoveControl(CCommandBarButton* control) {
  if (owner_ != nullptr) owner_->Retire(ComPtr<CCommandBarButton>(control));
  std::erase_if(controls_, [&](const ComPtr<CCommandBarButton>& c) { return c.Get() == control; });
}

BarRecord CCommandBar::LastingRecord() const {
  BarRecord record = record_;
  for (const ComPtr<CCommandBarButton>& c : controls_) {
    if (!c->IsTemporary()) record.controls.push_back(c->Record());
  }
  return record;
}

void CCommandBar::UnadviseAll() {
  for (const ComPtr<CCommandBarButton>& c : std::vector(controls_)) c->UnadviseAll();
}

// ---- CCommandBarControls ---------------------------------------------------

HRESULT CCommandBarControls::InternalQueryInterface(REFIID iid, void** object) {
  if (!IsOwnInterface(iid)) return E_NOINTERFACE;
  *object = static_cast<CommandBarControls*>(this);
  return S_OK;
}

HRESULT CCommandBarControls::get_Count(LONG* count) {
  if (count == nullptr) return E_POINTER;
  if (bar_->IsDeleted()) return E_UNEXPECTED;
  *count = static_cast<LONG>(bar_->Controls().size());
  return S_OK;
}

HRESULT CCommandBarControls::get_Item(VARIANT index, CommandBarControl** control) {
  if (control == nullptr) return E_POINTER;
  *control = nullptr;
  if (bar_->IsDeleted()) return E_UNEXPECTED;
  CComVariant number;
  if (FAILED(VariantChangeType(&number, &index, 0, VT_I4))) return DISP_E_TYPEMISMATCH;
  const auto& controls = bar_->Controls();
  if (number.lVal < 1 || static_cast<std::size_t>(number.lVal) > controls.size()) return DISP_E_BADINDEX;
  return HandOut(controls[number.lVal - 1], control);
}

HRESULT CCommandBarControls::Add(VARIANT type, VARIANT id, VARIANT, VARIANT before, VARIANT temporary,
                                 CommandBarControl** control) {
  if (control == nullptr) return E_POINTER;
  *control = nullptr;
  CComVariant kind, command, place, lasting;
  if (!OptionalAs(type, VT_I4, &kind) || !OptionalAs(id, VT_I4, &command) ||
      !OptionalAs(before, VT_I4, &place) || !OptionalAs(temporary, VT_BOOL, &lasting)) {
    return DISP_E_TYPEMISMATCH;
  }
  const LONG count = static_cast<LONG>(bar_->Controls().size());
  return bar_->AddControl(kind.vt == VT_I4 ? kind.lVal : msoControlButton, command.vt == VT_I4 ? command.lVal : 1,
                          lasting.vt == VT_BOOL && lasting.boolVal != VARIANT_FALSE,
                          place.vt == VT_I4 ? place.lVal : count + 1, control);
}

// ---- CCommandBarButton -----------------------------------------------------

CCommandBarButton::CCommandBarButton(std::weak_ptr<OutlookSession> session, CCommandBar* bar,
                                     ControlRecord record, bool temporary)
    : session_(std::move(session)), bar_(bar), record_(std::move(record)), temporary_(temporary) {}

HRESULT CCommandBarButton::InternalQueryInterface(REFIID iid, void** object) {
  if (IsOwnInterface(iid) || iid == CommandBarControl::kIID) {
    *object = static_cast<_CommandBarButton*>(this);
  } else if (iid == IConnectionPointContainer::kIID) {
    *object = static_cast<IConnectionPointContainer*>(this);
  } else {
    return E_NOINTERFACE;
  }
  return S_OK;
}

HRESULT CCommandBarButton::Alive() const { return bar_ != nullptr ? S_OK : E_UNEXPECTED; }

#define ORVANE_TEXT_PROPERTY(Name, field)                        \
  HRESULT CCommandBarButton::get_##Name(BSTR* value) {           \
    if (value == nullptr) return E_POINTER;                      \
    *value = nullptr;                                            \
    if (FAILED(Alive())) return Alive();                         \
    *value = CComBSTR(record_.field).Detach();                   \
    return S_OK;                                                 \
  }                                                              \
  HRESULT CCommandBarButton::put_##Name(BSTR value) {            \
    if (FAILED(Alive())) return Alive();                         \
    record_.field = ToText(value);                               \
    return S_OK;                                                 \
  }

ORVANE_TEXT_PROPERTY(Caption, caption)
ORVANE_TEXT_PROPERTY(TooltipText, tooltip)
ORVANE_TEXT_PROPERTY(Tag, tag)
#undef ORVANE_TEXT_PROPERTY

HRESULT CCommandBarButton::get_Id(LONG* id) {
  if (id == nullptr) return E_POINTER;
  if (FAILED(Alive())) return Alive();
  *id = record_.id;
  return S_OK;
}

HRESULT CCommandBarButton::get_Enabled(VARIANT_BOOL* enabled) {
  if (enabled == nullptr) return E_POINTER;
  if (FAILED(Alive())) return Alive();
  *enabled = record_.enabled ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT CCommandBarButton::put_Enabled(VARIANT_BOOL enabled) {
  if (FAILED(Alive())) return Alive();
  record_.enabled = enabled != VARIANT_FALSE;
  return S_OK;
}

HRESULT CCommandBarButton::get_Style(LONG* style) {
  if (style == nullptr) return E_POINTER;
  if (FAILED(Alive())) return Alive();
  *style = record_.style;
  return S_OK;
}

HRESULT CCommandBarButton::put_Style(LONG style) {
  if (FAILED(Alive())) return Alive();
  // MsoButtonStyle: automatic (0) to icon with caption below (11).
  if (style < 0 || style > 11) return E_INVALIDARG;
  record_.style = style;
  return S_OK;
}

HRESULT CCommandBarButton::get_FaceId(LONG* face) {
  if (face == nullptr) return E_POINTER;
  if (FAILED(Alive())) return Alive();
  *face = record_.face;
  return S_OK;
}

HRESULT CCommandBarButton::put_FaceId(LONG face) {
  if (FAILED(Alive())) return Alive();
  if (face < 0) return E_INVALIDARG;
  record_.face = face;
  return S_OK;
}

HRESULT CCommandBarButton::Execute() {
  if (FAILED(Alive())) return Alive();
  VARIANT_BOOL enabled = VARIANT_FALSE;
  bar_->get_Enabled(&enabled);
  // A greyed button cannot be pressed.
  if (!record_.enabled || enabled == VARIANT_FALSE) return E_FAIL;
  ComPtr<CCommandBarButton> keep(this);
  VARIANT_BOOL cancelDefault = VARIANT_FALSE;
  // Borrowed values: `keep` holds the button for the length of the call.
  VARIANT args[2];
  args[0].vt = VT_BOOL | VT_BYREF;
  args[0].pboolVal = &cancelDefault;
  args[1].vt = VT_DISPATCH;
  args[1].pdispVal = static_cast<_CommandBarButton*>(this);
  const HRESULT clicked = points_.Of(_CommandBarButtonEvents::kIID).Fire(_CommandBarButtonEvents::kClick, args);
  if (cancelDefault == VARIANT_FALSE && record_.id == kOptionsCommandId) {
    if (auto session = session_.lock()) return session->ShowOptions();
  }
  return clicked;
}

HRESULT CCommandBarButton::Delete(VARIANT) {
  if (FAILED(Alive())) return Alive();
  ComPtr<CCommandBarButton> keep(this);
  CCommandBar* bar = std::exchange(bar_, nullptr);
  bar->RemoveControl(this);
  return S_OK;
}

HRESULT CCommandBarButton::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  return points_.Find(iid, point);
}

}  // namespace host

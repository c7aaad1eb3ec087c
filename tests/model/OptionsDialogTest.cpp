// The Options dialog: pages added from OptionsPagesAdd, seated on a site
// through which they enable Apply, applied when dirty, let go on Close.

#include "host/model/OptionsDialog.h"
#include "platform/com/RefCounted.h"
#include "tests/model/ModelTest.h"

namespace {

// The two interfaces of a page control, counted as one object.
struct PageControl : PropertyPage, IOleObject {};

// A property page control as an add-in writes one: its Caption is the
// control's stock property, reached late-bound.
class FakePage final : public com::CRefCounted<PageControl> {
 public:
  static ComPtr<FakePage> Make(const char* caption) { return ComPtr<FakePage>(new FakePage(caption)); }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == IUnknown::kIID || iid == IDispatch::kIID || iid == PropertyPage::kIID) {
      *object = static_cast<PropertyPage*>(this);
    } else if (iid == IOleObject::kIID) {
      *object = static_cast<IOleObject*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }

  HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
    if (id != DISPID_CAPTION || !(flags & DISPATCH_PROPERTYGET) || caption_ == nullptr) return DISP_E_MEMBERNOTFOUND;
    result->vt = VT_BSTR;
    result->bstrVal = CComBSTR(caption_).Detach();
    return S_OK;
  }

  HRESULT GetPageInfo(BSTR*, LONG*) override { return E_NOTIMPL; }
  HRESULT get_Dirty(VARIANT_BOOL* dirty) override {
    *dirty = dirty_;
    return S_OK;
  }
  HRESULT Apply() override {
    ++applied;
    return applyResult;
  }

  HRESULT SetClientSite(IOleClientSite* site) override {
    site_ = ComPtr<IOleClientSite>(site);
    return S_OK;
  }
  HRESULT GetClientSite(IOleClientSite**) override { return E_NOTIMPL; }
  HRESULT Close(DWORD) override {
    ++closed;
    return S_OK;
  }

  // What the page says, and what the dialog did to it.
  VARIANT_BOOL dirty_ = VARIANT_FALSE;
  HRESULT applyResult = S_OK;
  int applied = 0;
  int closed = 0;
  ComPtr<IOleClientSite> site_;

 private:
  explicit FakePage(const char* caption) : caption_(caption) {}
  ~FakePage() = default;

  const char* caption_;
};

HRESULT AddPage(IDispatch* pages, FakePage* page, const char* title) {
  ComPtr<PropertyPages> collection;
  if (HRESULT hr = pages->QueryInterface(PropertyPages::kIID, collection.ReleaseAndGetVoidAddress()); FAILED(hr)) {
    return hr;
  }
  CComVariant control;
  control.vt = VT_DISPATCH;
  control.pdispVal = static_cast<PropertyPage*>(page);
  page->AddRef();
  return collection->Add(control, CComBSTR(title).Get());
}

TEST_F(SessionTest, OptionsDialogSeatsItsPagesAndAppliesTheDirtyOnes) {
  ComPtr<FakePage> named = FakePage::Make("Prayer Times");
  ComPtr<FakePage> untitled = FakePage::Make(nullptr);
  ComPtr<RecordingSink> app = RecordingSink::Make(ApplicationEvents::kIID);
  HRESULT addedNamed = E_FAIL, addedUntitled = E_FAIL, addedOther = S_OK;
  app->OnInvoke([&](const RecordingSink::Call& call) {
    if (call.id != ApplicationEvents::kOptionsPagesAdd || call.args.size() != 1) return;
    IDispatch* pages = call.args[0].pdispVal;
    addedNamed = AddPage(pages, named.Get(), "Hello World");
    addedUntitled = AddPage(pages, untitled.Get(), "Hello World");
    // Something that is no property page is refused.
    ComPtr<PropertyPages> collection;
    pages->QueryInterface(PropertyPages::kIID, collection.ReleaseAndGetVoidAddress());
    CComVariant notAPage;
    VariantCopy(&notAPage, &call.args[0]);
    addedOther = collection->Add(notAPage, CComBSTR("Nothing").Get());
  });
  ASSERT_EQ(app->Advise(App()), S_OK);

  bool shown = false;
  session_->SetOptionsHandler([&](host::OptionsDialog& dialog) {
    shown = true;
    ASSERT_EQ(dialog.Pages().size(), 2u);
    EXPECT_EQ(dialog.Pages()[0].title, u"Prayer Times");  // the page's own Caption wins
    EXPECT_EQ(dialog.Pages()[1].title, u"Hello World");   // else the title it came with
    EXPECT_FALSE(dialog.ApplyEnabled());

    // The page reports a change through its site: Apply is enabled.
    ASSERT_TRUE(named->site_);
    ComPtr<PropertyPageSite> site;
    ASSERT_EQ(named->site_.As(&site), S_OK);
    ASSERT_EQ(site->OnStatusChange(), S_OK);
    EXPECT_TRUE(dialog.ApplyEnabled());

    // Only a page that says it is dirty applies.
    named->dirty_ = VARIANT_TRUE;
    EXPECT_EQ(dialog.Apply(), S_OK);
    EXPECT_EQ(named->applied, 1);
    EXPECT_EQ(untitled->applied, 0);
    EXPECT_FALSE(dialog.ApplyEnabled());

    // A page that fails does not keep the next from applying.
    named->applyResult = E_FAIL;
    untitled->dirty_ = VARIANT_TRUE;
    EXPECT_EQ(dialog.Apply(), E_FAIL);
    EXPECT_EQ(named->applied, 2);
    EXPECT_EQ(untitled->applied, 1);
  });
  EXPECT_EQ(session_->ShowOptions(), S_OK);
  EXPECT_TRUE(shown);
  EXPECT_EQ(addedNamed, S_OK);
  EXPECT_EQ(addedUntitled, S_OK);
  EXPECT_EQ(addedOther, E_NOINTERFACE);

  // Closed, the dialog took the pages off their site and let them go.
  EXPECT_FALSE(named->site_);
  EXPECT_FALSE(untitled->site_);
  EXPECT_EQ(named->closed, 1);
  EXPECT_EQ(untitled->closed, 1);

  // The collection handed with the event adds nothing once it is over.
  ASSERT_EQ(app->Calls().size(), 1u);
  EXPECT_EQ(AddPage(app->Calls()[0].args[0].pdispVal, named.Get(), "Late"), E_UNEXPECTED);
  EXPECT_EQ(named->site_.Get(), nullptr);
}

}  // namespace

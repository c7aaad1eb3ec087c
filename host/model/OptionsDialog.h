#pragma once
// The host's Options dialog: opened by the built-in Options command, it
// raises OptionsPagesAdd so add-ins can add their pages, seats each page on
// a site through which the page enables Apply, and applies the pages that
// have changes when the user presses OK or Apply.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/model/EarlyBound.h"
#include "office/Outlook.h"
#include "platform/com/OleControl.h"

namespace host {

class OutlookSession;
class CPropertyPageSite;

class OptionsDialog {
 public:
  struct Page {
    std::u16string title;  // the tab: the page's Caption, else the title it was added with
    ComPtr<PropertyPage> page;
  };

  explicit OptionsDialog(std::shared_ptr<OutlookSession> session);
  ~OptionsDialog();  // closes it
  OptionsDialog(const OptionsDialog&) = delete;
  OptionsDialog& operator=(const OptionsDialog&) = delete;

  // Raises OptionsPagesAdd and seats the pages added. The event's failure
  // is answered, with the pages added so far kept.
  HRESULT Open();
  const std::vector<Page>& Pages() const { return pages_; }
  // Shows each page's window in place: inside parent (null: on its own),
  // at position in its client area (null: where the page puts itself). The
  // first failure is answered after every page had its turn.
  HRESULT ShowPages(HWND parent, const RECT* position = nullptr);
  // The page's window once shown, else null.
  HWND PageWindow(std::size_t index) const;
  // Whether a page has reported a change since the last Apply.
  bool ApplyEnabled() const;
  // Called whenever a page reports a change (the window enables Apply).
  void OnStatusChange(std::function<void()> changed);
  // Apply: every page that says it is dirty applies; the first failure is
  // answered after the others had their turn.
  HRESULT Apply();
  // OK: Apply, then Close; a page that refused to apply (a value it does
  // not take) keeps the dialog open, with its failure answered.
  HRESULT Ok();
  // Cancel or after OK: the pages leave their sites and are let go.
  void Close();

  // What CPropertyPages::Add hands over.
  void AddPage(std::u16string title, ComPtr<PropertyPage> page);

 private:
  std::shared_ptr<OutlookSession> session_;
  std::vector<Page> pages_;
  ComPtr<CPropertyPageSite> site_;
  bool open_ = false;
};

// What a page talks to: OnStatusChange enables Apply.
class CPropertyPageSite : public EarlyBoundWith<PropertyPageSite, IOleClientSite> {
 public:
  CPropertyPageSite() = default;

  HRESULT InternalQueryInterface(REFIID iid, void** object);

  HRESULT OnStatusChange() override;

  HRESULT SaveObject() override { return S_OK; }
  HRESULT GetContainer(IUnknown** container) override;
  HRESULT ShowObject() override { return S_OK; }

  bool Changed() const { return changed_; }
  void Reset() { changed_ = false; }
  void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

 private:
  bool changed_ = false;
  std::function<void()> listener_;
};

// The collection handed with OptionsPagesAdd.
class CPropertyPages : public EarlyBound<PropertyPages> {
 public:
  explicit CPropertyPages(OptionsDialog* dialog) : dialog_(dialog) {}

  HRESULT InternalQueryInterface(REFIID iid, void** object);

  HRESULT get_Count(LONG* count) override;
  // page: the page object, or the ProgID of its class as text. A page that
  // is not a PropertyPage is refused with E_NOINTERFACE.
  HRESULT Add(VARIANT page, BSTR title) override;

  // The event is over: later calls fail.
  void Detach() { dialog_ = nullptr; }

 private:
  OptionsDialog* dialog_;  // not counted: the dialog outlives the event
  LONG count_ = 0;
};

}  // namespace host

#pragma once
// The command bars of one explorer window, their controls and buttons.
// Bars and controls made temporary last as long as the window; the others
// are handed to the CommandBarLibrary when the window closes. A deleted bar
// or control leaves its collection, and its object fails every call after.

#include <memory>
#include <vector>

#include "host/model/CommandBarLibrary.h"
#include "host/model/EarlyBound.h"
#include "office/Office.h"
#include "platform/com/EventSource.h"

namespace host {

class OutlookSession;
class CCommandBar;
class CCommandBarButton;

class CCommandBars : public EarlyBound<CommandBars> {
 public:
  CCommandBars(std::weak_ptr<OutlookSession> session, const std::vector<BarRecord>& builtIn,
               const std::vector<BarRecord>& lasting);
  ~CCommandBars() override;

  HRESULT InternalQueryInterface(REFIID iid, void** object);

  HRESULT get_Count(LONG* count) override;
  // 1-based, or a bar's name (compared without regard to case).
  HRESULT get_Item(VARIANT index, CommandBar** bar) override;
  // A name already taken fails, as in Office.
  HRESULT Add(VARIANT name, VARIANT position, VARIANT menuBar, VARIANT temporary,
              CommandBar** bar) override;

  void Remove(CCommandBar* bar);
  // Keeps a deleted button until the window's sinks are let go.
  void Retire(ComPtr<CCommandBarButton> button);
  // The bars that outlive the window, as records.
  std::vector<BarRecord> LastingRecords() const;
  // Lets every button's Click sinks go.
  void UnadviseAll();

 private:
  std::weak_ptr<OutlookSession> session_;
  std::vector<ComPtr<CCommandBar>> bars_;
  std::vector<ComPtr<CCommandBarButton>> retired_;
};

class CCommandBar : public EarlyBound<CommandBar> {
 public:
  CCommandBar(std::weak_ptr<OutlookSession> session, CCommandBars* owner, BarRecord record,
              bool builtIn, bool temporary);
  ~CCommandBar() override;

  HRESULT InternalQueryInterface(REFIID iid, void** object);

  HRESULT get_Name(BSTR* name) override;
  HRESULT get_Controls(CommandBarControls** controls) override;
  HRESULT get_Visible(VARIANT_BOOL* visible) override;
  HRESULT put_Visible(VARIANT_BOOL visible) override;
  HRESULT get_Protection(LONG* protection) override;
  HRESULT put_Protection(LONG protection) override;
  HRESULT get_Enabled(VARIANT_BOOL* enabled) override;
  HRESULT put_Enabled(VARIANT_BOOL enabled) override;
  HRESULT FindControl(VARIANT type, VARIANT id, VARIANT tag, VARIANT visible, VARIANT recursive,
                      CommandBarControl** control) override;
  // Built-in bars cannot be deleted.
  HRESULT Delete() override;

  // For the controls collection.
  std::vector<ComPtr<CCommandBarButton>>& Controls() { return controls_; }
  HRESULT AddControl(LONG type, LONG id, bool temporary, LONG before, CommandBarControl** control);
  // Controls a window before this one left on this built-in bar.
  void AddLastingControls(const std::vector<ControlRecord>& controls);
  void RemoveControl(CCommandBarButton* control);
  bool IsDeleted() const { return deleted_; }
  bool IsTemporary() const { return temporary_; }
  bool IsBuiltIn() const { return builtIn_; }
  // The collection is going away before the bar.
  void Orphan() { owner_ = nullptr; }
  std::u16string_view Name() const { return record_.name; }
  BarRecord LastingRecord() const;
  void UnadviseAll();

 private:
  std::weak_ptr<OutlookSession> session_;
  CCommandBars* owner_;  // not counted: the collection outlives its bars' membership
  BarRecord record_;     // the bar's own fields; its controls are controls_
  bool builtIn_;
  bool temporary_;
  bool deleted_ = false;
  std::vector<ComPtr<CCommandBarButton>> controls_;
};

class CCommandBarControls : public EarlyBound<CommandBarControls> {
 public:
  explicit CCommandBarControls(ComPtr<CCommandBar> bar) : bar_(std::move(bar)) {}

  HRESULT InternalQueryInterface(REFIID iid, void** object);

  HRESULT get_Count(LONG* count) override;
  HRESULT get_Item(VARIANT index, CommandBarControl** control) override;
  // Only buttons; id 1 (or missing) is a button of the caller's own, any
  // other id a built-in command; before (1-based) places it, missing appends.
  HRESULT Add(VARIANT type, VARIANT id, VARIANT parameter, VARIANT before, VARIANT temporary,
              CommandBarControl** control) override;

 private:
  ComPtr<CCommandBar> bar_;
};

class CCommandBarButton : public EarlyBoundWith<_CommandBarButton, IConnectionPointContainer> {
 public:
  CCommandBarButton(std::weak_ptr<OutlookSession> session, CCommandBar* bar, ControlRecord record,
                    bool temporary);

  HRESULT InternalQueryInterface(REFIID iid, void** object);

  HRESULT get_Caption(BSTR* caption) override;
  HRESULT put_Caption(BSTR caption) override;
  HRESULT get_TooltipText(BSTR* text) override;
  HRESULT put_TooltipText(BSTR text) override;
  HRESULT get_Tag(BSTR* tag) override;
  HRESULT put_Tag(BSTR tag) override;
  HRESULT get_Id(LONG* id) override;
  HRESULT get_Enabled(VARIANT_BOOL* enabled) override;
  HRESULT put_Enabled(VARIANT_BOOL enabled) override;
  // A click: raises Click to the sinks; then, unless a sink cancelled it, a
  // built-in command runs (522 opens the Options dialog). Fails when the
  // button or its bar is disabled.
  HRESULT Execute() override;
  HRESULT Delete(VARIANT temporary) override;
  HRESULT get_Style(LONG* style) override;
  HRESULT put_Style(LONG style) override;
  HRESULT get_FaceId(LONG* face) override;
  HRESULT put_FaceId(LONG face) override;

  HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

  const ControlRecord& Record() const { return record_; }
  bool IsTemporary() const { return temporary_; }
  void Detach() { bar_ = nullptr; }
  void UnadviseAll() { points_.UnadviseAll(); }

 private:
  HRESULT Alive() const;

  std::weak_ptr<OutlookSession> session_;
  CCommandBar* bar_;  // null once deleted (or its bar deleted)
  ControlRecord record_;
  bool temporary_;
  com::ConnectionPoints points_{_CommandBarButtonEvents::kIID};
};

}  // namespace host

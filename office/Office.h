#pragma once
// The Office shared object model the add-in uses: command bars and their
// buttons, the user-interface language, and the add-in connection
// interface. Members are the ones the add-in calls, in the early-bound form
// Office's type library gives them; every out parameter hands over one
// reference (or a BSTR) that the caller releases.

#include "platform/com/Dispatch.h"

// MsoBarPosition, MsoControlType, MsoButtonStyle, MsoBarProtection.
enum : LONG {
  msoBarLeft = 0,
  msoBarTop = 1,
  msoBarRight = 2,
  msoBarBottom = 3,
  msoBarFloating = 4,
  msoControlButton = 1,
  msoButtonIcon = 1,
  msoButtonCaption = 2,
  msoButtonIconAndCaption = 3,
  msoBarNoProtection = 0,
  msoBarNoCustomize = 1,
};

// MsoAppLanguageID.
enum : LONG {
  msoLanguageIDInstall = 1,
  msoLanguageIDUI = 2,
  msoLanguageIDHelp = 3,
};

// ext_ConnectMode and ext_DisconnectMode.
enum : LONG {
  ext_cm_AfterStartup = 0,
  ext_cm_Startup = 1,
  ext_cm_External = 2,
  ext_cm_CommandLine = 3,
  ext_dm_HostShutdown = 0,
  ext_dm_UserClosed = 1,
};

struct CommandBarControl;
struct CommandBarControls;
struct _CommandBarButton;

struct LanguageSettings : IDispatch {
  static constexpr IID kIID = MakeGuid("{000C0353-0000-0000-C000-000000000046}");
  virtual HRESULT get_LanguageID(LONG id, LONG* language) = 0;  // id: msoLanguageIDUI, …

 protected:
  ~LanguageSettings() = default;
};

struct CommandBar : IDispatch {
  static constexpr IID kIID = MakeGuid("{000C0304-0000-0000-C000-000000000046}");
  virtual HRESULT get_Name(BSTR* name) = 0;
  virtual HRESULT get_Controls(CommandBarControls** controls) = 0;
  virtual HRESULT get_Visible(VARIANT_BOOL* visible) = 0;
  virtual HRESULT put_Visible(VARIANT_BOOL visible) = 0;
  virtual HRESULT get_Protection(LONG* protection) = 0;
  virtual HRESULT put_Protection(LONG protection) = 0;
  virtual HRESULT get_Enabled(VARIANT_BOOL* enabled) = 0;
  virtual HRESULT put_Enabled(VARIANT_BOOL enabled) = 0;
  // The first control of the bar whose Tag is tag; none is S_OK with null.
  virtual HRESULT FindControl(VARIANT type, VARIANT id, VARIANT tag, VARIANT visible,
                              VARIANT recursive, CommandBarControl** control) = 0;
  virtual HRESULT Delete() = 0;

 protected:
  ~CommandBar() = default;
};

struct CommandBars : IDispatch {
  static constexpr IID kIID = MakeGuid("{55F88893-7708-11D1-ACEB-006008961DA5}");
  virtual HRESULT get_Count(LONG* count) = 0;
  virtual HRESULT get_Item(VARIANT index, CommandBar** bar) = 0;  // 1-based, or a name
  virtual HRESULT Add(VARIANT name, VARIANT position, VARIANT menuBar, VARIANT temporary,
                      CommandBar** bar) = 0;

 protected:
  ~CommandBars() = default;
};

struct CommandBarControl : IDispatch {
  static constexpr IID kIID = MakeGuid("{000C0308-0000-0000-C000-000000000046}");
  virtual HRESULT get_Caption(BSTR* caption) = 0;
  virtual HRESULT put_Caption(BSTR caption) = 0;
  virtual HRESULT get_TooltipText(BSTR* text) = 0;
  virtual HRESULT put_TooltipText(BSTR text) = 0;
  virtual HRESULT get_Tag(BSTR* tag) = 0;
  virtual HRESULT put_Tag(BSTR tag) = 0;
  virtual HRESULT get_Id(LONG* id) = 0;
  virtual HRESULT get_Enabled(VARIANT_BOOL* enabled) = 0;
  virtual HRESULT put_Enabled(VARIANT_BOOL enabled) = 0;
  // Runs the control as a click would.
  virtual HRESULT Execute() = 0;
  virtual HRESULT Delete(VARIANT temporary) = 0;

 protected:
  ~CommandBarControl() = default;
};

struct _CommandBarButton : CommandBarControl {
  static constexpr IID kIID = MakeGuid("{000C030E-0000-0000-C000-000000000046}");
  virtual HRESULT get_Style(LONG* style) = 0;
  virtual HRESULT put_Style(LONG style) = 0;
  virtual HRESULT get_FaceId(LONG* face) = 0;
  virtual HRESULT put_FaceId(LONG face) = 0;

 protected:
  ~_CommandBarButton() = default;
};
using CommandBarButton = _CommandBarButton;

struct CommandBarControls : IDispatch {
  static constexpr IID kIID = MakeGuid("{000C0306-0000-0000-C000-000000000046}");
  virtual HRESULT get_Count(LONG* count) = 0;
  virtual HRESULT get_Item(VARIANT index, CommandBarControl** control) = 0;  // 1-based
  // type msoControlButton; id 1 for a button of the add-in's own, or the
  // number of a built-in control.
  virtual HRESULT Add(VARIANT type, VARIANT id, VARIANT parameter, VARIANT before,
                      VARIANT temporary, CommandBarControl** control) = 0;

 protected:
  ~CommandBarControls() = default;
};

// Events of a button, raised to sinks that implement IDispatch (dispid 1).
struct _CommandBarButtonEvents : IDispatch {
  static constexpr IID kIID = MakeGuid("{000C0351-0000-0000-C000-000000000046}");
  static constexpr DISPID kClick = 1;  // (button, VARIANT_BOOL* cancelDefault)

 protected:
  ~_CommandBarButtonEvents() = default;
};

struct _Application;

// The add-in connection interface: what the host calls on an add-in object.
struct _IDTExtensibility2 : IDispatch {
  static constexpr IID kIID = MakeGuid("{B65AD801-ABAF-11D0-BB8B-00A0C90F2744}");
  virtual HRESULT OnConnection(IDispatch* application, LONG connectMode, IDispatch* addInInstance,
                               void* custom) = 0;
  virtual HRESULT OnDisconnection(LONG removeMode, void* custom) = 0;
  virtual HRESULT OnAddInsUpdate(void* custom) = 0;
  virtual HRESULT OnStartupComplete(void* custom) = 0;
  virtual HRESULT OnBeginShutdown(void* custom) = 0;

 protected:
  ~_IDTExtensibility2() = default;
};

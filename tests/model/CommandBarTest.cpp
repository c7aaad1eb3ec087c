// An explorer's command bars and buttons, their Click event and built-in
// commands, and the bars that outlive a session in outcmd.dat.

#include <stdexcept>
#include <tuple>

#include "host/model/CommandBarLibrary.h"
#include "host/model/Explorer.h"
#include "tests/model/ModelTest.h"

namespace {

class CommandBarTest : public SessionTest {
 protected:
  ComPtr<CommandBars> BarsOfNewWindow() {
    window_ = session_->NewExplorer(host::FolderKind::kCalendar, true);
    ComPtr<CommandBars> bars;
    EXPECT_EQ(window_->get_CommandBars(bars.ReleaseAndGetAddressOf()), S_OK);
    return bars;
  }
  static ComPtr<CommandBar> Bar(CommandBars* bars, const char* name) {
    ComPtr<CommandBar> bar;
    EXPECT_EQ(bars->get_Item(CComVariant::Str(name), bar.ReleaseAndGetAddressOf()), S_OK);
    return bar;
  }
  static ComPtr<CommandBar> AddBar(CommandBars* bars, const char* name, bool temporary) {
    ComPtr<CommandBar> bar;
    EXPECT_EQ(bars->Add(CComVariant::Str(name), CComVariant::I4(msoBarTop), CComVariant::Bool(false),
                        CComVariant::Bool(temporary), bar.ReleaseAndGetAddressOf()),
              S_OK);
    return bar;
  }
  static ComPtr<_CommandBarButton> AddButton(CommandBar* bar, LONG id = 1, bool temporary = false) {
    ComPtr<CommandBarControls> controls;
    EXPECT_EQ(bar->get_Controls(controls.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<CommandBarControl> control;
    EXPECT_EQ(controls->Add(CComVariant::I4(msoControlButton), CComVariant::I4(id), Missing(), Missing(),
                            CComVariant::Bool(temporary), control.ReleaseAndGetAddressOf()),
              S_OK);
    ComPtr<_CommandBarButton> button;
    if (control) control.As(&button);
    return button;
  }
  static LONG ControlCount(CommandBar* bar) {
    ComPtr<CommandBarControls> controls;
    LONG count = -1;
    if (SUCCEEDED(bar->get_Controls(controls.ReleaseAndGetAddressOf()))) controls->get_Count(&count);
    return count;
  }
  static ComPtr<CommandBarControl> FindByTag(CommandBar* bar, const char* tag) {
    ComPtr<CommandBarControl> found;
    EXPECT_EQ(bar->FindControl(Missing(), Missing(), CComVariant::Str(tag), Missing(), Missing(),
                               found.ReleaseAndGetAddressOf()),
              S_OK);
    return found;
  }
  static std::string Text(HRESULT (CommandBarControl::*get)(BSTR*), CommandBarControl* control) {
    CComBSTR text;
    EXPECT_EQ((control->*get)(&text), S_OK);
    return text.Utf8();
  }

  ComPtr<host::CExplorer> window_;
};

TEST_F(CommandBarTest, BarsAndButtonsAreMadeFoundAndDeleted) {
  ComPtr<CommandBars> bars = BarsOfNewWindow();
  LONG count = 0;
  ASSERT_EQ(bars->get_Count(&count), S_OK);
  EXPECT_EQ(count, 2);
  ComPtr<CommandBar> menu, standard;
  ASSERT_EQ(bars->get_Item(CComVariant::I4(1), menu.ReleaseAndGetAddressOf()), S_OK);
  CComBSTR name;
  ASSERT_EQ(menu->get_Name(&name), S_OK);
  EXPECT_EQ(name.Utf8(), "Menu Bar");
  ASSERT_EQ(bars->get_Item(CComVariant::Str("STANDARD"), standard.ReleaseAndGetAddressOf()), S_OK);

  ComPtr<CommandBar> orvane = AddBar(bars.Get(), "Orvane", true);
  ComPtr<CommandBar> twice;
  EXPECT_EQ(bars->Add(CComVariant::Str("orvane"), CComVariant::I4(msoBarTop), Missing(), Missing(),
                      twice.ReleaseAndGetAddressOf()),
            E_INVALIDARG);
  ASSERT_EQ(bars->get_Count(&count), S_OK);
  EXPECT_EQ(count, 3);

  ComPtr<_CommandBarButton> custom = AddButton(orvane.Get());
  ComPtr<_CommandBarButton> options = AddButton(orvane.Get(), host::kOptionsCommandId, true);
  ASSERT_TRUE(custom && options);
  LONG id = 0;
  EXPECT_EQ(options->get_Id(&id), S_OK);
  EXPECT_EQ(id, host::kOptionsCommandId);
  EXPECT_EQ(Text(&CommandBarControl::get_Caption, options.Get()), "&Options...");
  ComPtr<CommandBarControls> controls;
  ASSERT_EQ(orvane->get_Controls(controls.ReleaseAndGetAddressOf()), S_OK);

  // The button's fields as the add-in sets them.
  const CComBSTR caption("Prayer &Times");
  ASSERT_EQ(custom->put_Caption(caption.Get()), S_OK);
  ASSERT_EQ(custom->put_TooltipText(CComBSTR("Today's prayers").Get()), S_OK);
  ASSERT_EQ(custom->put_Tag(CComBSTR("Orvane.Times").Get()), S_OK);
  ASSERT_EQ(custom->put_Style(msoButtonIconAndCaption), S_OK);
  ASSERT_EQ(custom->put_FaceId(2950), S_OK);
  EXPECT_EQ(Text(&CommandBarControl::get_Caption, custom.Get()), "Prayer &Times");
  EXPECT_EQ(Text(&CommandBarControl::get_TooltipText, custom.Get()), "Today's prayers");
  EXPECT_EQ(Text(&CommandBarControl::get_Tag, custom.Get()), "Orvane.Times");
  LONG style = 0, face = 0;
  EXPECT_EQ(custom->get_Style(&style), S_OK);
  EXPECT_EQ(style, msoButtonIconAndCaption);
  EXPECT_EQ(custom->get_FaceId(&face), S_OK);
  EXPECT_EQ(face, 2950);

  EXPECT_TRUE(SameObject(FindByTag(orvane.Get(), "Orvane.Times").Get(), custom.Get()));
  EXPECT_FALSE(FindByTag(orvane.Get(), "Nobody"));  // none is no failure

  // A deleted control leaves the bar and fails its calls.
  EXPECT_EQ(ControlCount(orvane.Get()), 2);
  ASSERT_EQ(options->Delete(Missing()), S_OK);
  EXPECT_EQ(ControlCount(orvane.Get()), 1);
  EXPECT_EQ(options->get_Id(&id), E_UNEXPECTED);
  EXPECT_EQ(options->Execute(), E_UNEXPECTED);
  EXPECT_EQ(options->Delete(Missing()), E_UNEXPECTED);

  // Office keeps its own bars; ours go, and fail their calls, buttons too.
  EXPECT_TRUE(FAILED(menu->Delete()));
  ASSERT_EQ(orvane->Delete(), S_OK);
  ASSERT_EQ(bars->get_Count(&count), S_OK);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(orvane->get_Name(&name), E_UNEXPECTED);
  EXPECT_EQ(orvane->Delete(), E_UNEXPECTED);
  EXPECT_EQ(controls->get_Count(&count), E_UNEXPECTED);
  EXPECT_EQ(custom->put_Caption(caption.Get()), E_UNEXPECTED);
  AddBar(bars.Get(), "Orvane", true);  // its name is free again
}

TEST_F(CommandBarTest, ExecuteRaisesClickAndRunsTheBuiltInCommandUnlessCancelled) {
  ComPtr<CommandBars> bars = BarsOfNewWindow();
  ComPtr<CommandBar> bar = AddBar(bars.Get(), "Orvane", true);
  ComPtr<_CommandBarButton> button = AddButton(bar.Get());
  ComPtr<_CommandBarButton> options = AddButton(bar.Get(), host::kOptionsCommandId);
  ComPtr<RecordingSink> clicks = RecordingSink::Make(_CommandBarButtonEvents::kIID);
  ComPtr<RecordingSink> optionClicks = RecordingSink::Make(_CommandBarButtonEvents::kIID);
  ComPtr<RecordingSink> app = RecordingSink::Make(ApplicationEvents::kIID);
  ASSERT_EQ(clicks->Advise(button.Get()), S_OK);
  ASSERT_EQ(optionClicks->Advise(options.Get()), S_OK);
  ASSERT_EQ(app->Advise(App()), S_OK);

  ASSERT_EQ(button->Execute(), S_OK);
  ASSERT_EQ(clicks->Calls().size(), 1u);
  const RecordingSink::Call& click = clicks->Calls()[0];
  EXPECT_EQ(click.id, _CommandBarButtonEvents::kClick);
  ASSERT_EQ(click.args.size(), 2u);  // last-first: the cancel flag, then the button
  EXPECT_EQ(click.types[0], VT_BOOL | VT_BYREF);
  EXPECT_EQ(click.args[0].boolVal, VARIANT_FALSE);
  ASSERT_EQ(click.types[1], VT_DISPATCH);
  EXPECT_TRUE(SameObject(click.args[1].pdispVal, button.Get()));
  EXPECT_EQ(app->Calls().size(), 0u);  // a button of our own runs nothing more

  // The Options command opens the dialog, which raises OptionsPagesAdd...
  ASSERT_EQ(options->Execute(), S_OK);
  EXPECT_EQ(optionClicks->CountOf(_CommandBarButtonEvents::kClick), 1u);
  EXPECT_EQ(app->CountOf(ApplicationEvents::kOptionsPagesAdd), 1u);
  // ...unless a Click sink cancelled the default.
  optionClicks->CancelClicks(true);
  ASSERT_EQ(options->Execute(), S_OK);
  EXPECT_EQ(optionClicks->CountOf(_CommandBarButtonEvents::kClick), 2u);
  EXPECT_EQ(app->CountOf(ApplicationEvents::kOptionsPagesAdd), 1u);

  // The built-in Options button of the Menu Bar does the same.
  ComPtr<CommandBarControl> builtIn;
  ASSERT_EQ(Bar(bars.Get(), "Menu Bar")->FindControl(Missing(), CComVariant::I4(host::kOptionsCommandId), Missing(),
                                                     Missing(), Missing(), builtIn.ReleaseAndGetAddressOf()),
            S_OK);
  ASSERT_TRUE(builtIn);
  ASSERT_EQ(builtIn->Execute(), S_OK);
  EXPECT_EQ(app->CountOf(ApplicationEvents::kOptionsPagesAdd), 2u);

  // A greyed bar or button cannot be pressed: no Click, no command.
  ASSERT_EQ(bar->put_Enabled(VARIANT_FALSE), S_OK);
  EXPECT_TRUE(FAILED(button->Execute()));
  ASSERT_EQ(bar->put_Enabled(VARIANT_TRUE), S_OK);
  ASSERT_EQ(button->put_Enabled(VARIANT_FALSE), S_OK);
  EXPECT_TRUE(FAILED(button->Execute()));
  EXPECT_EQ(clicks->Calls().size(), 1u);
  clicks->Clear();  // the recorded Click holds the button
}

TEST_F(CommandBarTest, SinksOfDeletedButtonsAreLetGoWhenTheSessionEnds) {
  // A sink that holds its own button, as an add-in's click sink may: were
  // the sink kept after its bar is deleted, the two would keep each other
  // alive (LeakSanitizer reports it).
  auto bars = BarsOfNewWindow();
  auto bar = AddBar(bars.Get(), "Orvane", true);
  for (int i = 0; i < 2; ++i) {
    auto button = AddButton(bar.Get());
    ASSERT_TRUE(button);
    auto sink = RecordingSink::Make(_CommandBarButtonEvents::kIID);
    ASSERT_EQ(sink->Advise(button.Get()), S_OK);
    sink->OnInvoke([keep = button](const RecordingSink::Call&) { (void)keep; });
    if (i == 0) {
      ASSERT_EQ(button->Delete(Missing()), S_OK);  // a deleted button
    }
  }
  ASSERT_EQ(bar->Delete(), S_OK);  // and one deleted with its bar
  session_->Shutdown();
}

TEST_F(CommandBarTest, LastingBarsSurviveIntoTheNextSessionTemporaryOnesDoNot) {
  {
    ComPtr<CommandBars> bars = BarsOfNewWindow();
    ComPtr<CommandBar> lasting = AddBar(bars.Get(), "Orvane", false);
    AddBar(bars.Get(), "Orvane Temporary", true);
    ComPtr<_CommandBarButton> kept = AddButton(lasting.Get());
    AddButton(lasting.Get(), 1, true);  // a temporary button on a lasting bar
    ASSERT_EQ(kept->put_Caption(CComBSTR("Prayer\tTimes\\Today").Get()), S_OK);
    ASSERT_EQ(kept->put_Tag(CComBSTR("Orvane.Times").Get()), S_OK);
  }
  window_.Reset();
  Open();  // shuts the first session down, which writes outcmd.dat

  ComPtr<CommandBars> bars = BarsOfNewWindow();
  LONG count = 0;
  ASSERT_EQ(bars->get_Count(&count), S_OK);
  EXPECT_EQ(count, 3);
  ComPtr<CommandBar> temporary;
  EXPECT_EQ(bars->get_Item(CComVariant::Str("Orvane Temporary"), temporary.ReleaseAndGetAddressOf()), E_INVALIDARG);
  ComPtr<CommandBar> lasting = Bar(bars.Get(), "Orvane");
  ASSERT_TRUE(lasting);
  EXPECT_EQ(ControlCount(lasting.Get()), 1);
  ComPtr<CommandBarControl> kept = FindByTag(lasting.Get(), "Orvane.Times");
  ASSERT_TRUE(kept);
  EXPECT_EQ(Text(&CommandBarControl::get_Caption, kept.Get()), "Prayer\tTimes\\Today");
}

TEST(CommandBarLibrary, WriteAndReadRoundTripAndMalformedFilesAreRefused) {
  host::ControlRecord control{1, host::kOptionsCommandId, u"Line\nbreak\r\\t", u"Tab\there", u"\\",
                              msoButtonCaption, -7, false};
  host::BarRecord bar{u"Or\\vane\tBar", msoBarBottom, true, false, 3, {control, host::ControlRecord{}}};
  host::BarRecord empty;  // no name, no controls

  const std::string written = host::CommandBarLibrary::Write({bar, empty});
  const std::vector<host::BarRecord> read = host::CommandBarLibrary::Read(written);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].name, bar.name);
  EXPECT_EQ(std::tie(read[0].position, read[0].visible, read[0].enabled, read[0].protection),
            std::tie(bar.position, bar.visible, bar.enabled, bar.protection));
  ASSERT_EQ(read[0].controls.size(), 2u);
  const host::ControlRecord& back = read[0].controls[0];
  EXPECT_EQ(std::tie(back.type, back.id, back.caption, back.tooltip, back.tag, back.style, back.face, back.enabled),
            std::tie(control.type, control.id, control.caption, control.tooltip, control.tag, control.style,
                     control.face, control.enabled));
  EXPECT_TRUE(read[1].name.empty());
  EXPECT_TRUE(read[1].controls.empty());

  for (const char* bad : {
           "control\t1\t1\t\t\t\t0\t0\t1\n",         // a control before any bar
           "bar\tX\t1\t1\t1\n",                      // a field short
           "bar\tX\ttop\t1\t1\t0\n",                 // not a number
           "bar\tX\t1\t2\t1\t0\n",                   // a flag that is neither 0 nor 1
           "bar\tX\\q\t1\t1\t1\t0\n",                // an unknown escape
           "bar\tX\\\t1\t1\t1\t0\n",                 // a lone backslash at a field's end
           "bar\tX\t99999999999\t1\t1\t0\n",         // out of range
           "menu\tX\t1\t1\t1\t0\n",                  // neither a bar nor a control
       }) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(host::CommandBarLibrary::Read(bad), std::runtime_error);
  }
}

}  // namespace

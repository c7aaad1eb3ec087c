// Outlook created by its class identifier, as the uninstall code creates
// it: a session without a window on the profile's store, whose explorer
// comes from the calendar folder, until Quit.

#include "host/run/OutlookClass.h"
#include "platform/com/ComRuntime.h"
#include "tests/model/ModelTest.h"

namespace {

TEST_F(ModelTest, OutlookMadeByItsClassIdentifierRunsWithoutAWindowUntilQuit) {
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(CoCreateInstance(CLSID_OutlookApplication, nullptr, CLSCTX_ALL, IUnknown::kIID,
                             unknown.ReleaseAndGetVoidAddress()),
            REGDB_E_CLASSNOTREG);  // only while a host offers it
  {
    host::OutlookClassRegistration registration(host::HostOptions{});
    ASSERT_EQ(CoCreateInstance(CLSID_OutlookApplication, nullptr, CLSCTX_ALL, IUnknown::kIID,
                               unknown.ReleaseAndGetVoidAddress()),
              S_OK);
    ASSERT_EQ(OleRun(unknown.Get()), S_OK);
    ComPtr<_Application> app;
    ASSERT_EQ(unknown.As(&app), S_OK);
    ComPtr<_NameSpace> space;
    CComBSTR mapi("MAPI");
    ASSERT_EQ(app->GetNamespace(mapi.Get(), space.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<MAPIFolder> calendar;
    ASSERT_EQ(space->GetDefaultFolder(olFolderCalendar, calendar.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_TRUE(calendar);
    ComPtr<_Explorer> active;
    ASSERT_EQ(app->ActiveExplorer(active.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_FALSE(active);  // no window
    ComPtr<_Explorer> explorer;
    ASSERT_EQ(calendar->GetExplorer(CComVariant::I4(0), explorer.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<CommandBars> bars;
    ASSERT_EQ(explorer->get_CommandBars(bars.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(explorer->Close(), S_OK);
    EXPECT_EQ(app->Quit(), S_OK);
    // After Quit the application answers no more.
    EXPECT_TRUE(FAILED(app->GetNamespace(mapi.Get(), space.ReleaseAndGetAddressOf())));
  }
  // Gone with the host's registration.
  EXPECT_EQ(CoCreateInstance(CLSID_OutlookApplication, nullptr, CLSCTX_ALL, IUnknown::kIID,
                             unknown.ReleaseAndGetVoidAddress()),
            REGDB_E_CLASSNOTREG);
}

}  // namespace

// Explorer windows and the connection points every event source shares.

#include "host/model/Explorer.h"
#include "tests/model/ModelTest.h"

namespace {

LONG ExplorerCount(_Application* app) {
  ComPtr<_Explorers> explorers;
  EXPECT_EQ(app->get_Explorers(explorers.ReleaseAndGetAddressOf()), S_OK);
  LONG count = -1;
  EXPECT_EQ(explorers->get_Count(&count), S_OK);
  return count;
}

TEST_F(SessionTest, ExplorersListTheShownWindowsTheLastOneActive) {
  ComPtr<_Explorer> active;
  ASSERT_EQ(App()->ActiveExplorer(active.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_FALSE(active);  // no window yet
  EXPECT_EQ(ExplorerCount(App()), 0);

  ComPtr<host::CExplorer> first = session_->NewExplorer(host::FolderKind::kCalendar, true);
  ComPtr<host::CExplorer> second = session_->NewExplorer(host::FolderKind::kDeletedItems, true);
  ComPtr<host::CExplorer> hidden = session_->NewExplorer(host::FolderKind::kCalendar, false);
  ASSERT_EQ(App()->ActiveExplorer(active.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_TRUE(SameObject(active.Get(), static_cast<_Explorer*>(second.Get())));

  ComPtr<_Explorers> explorers;
  ASSERT_EQ(App()->get_Explorers(explorers.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(ExplorerCount(App()), 2);  // the window not shown is not among them
  ComPtr<_Explorer> item;
  ASSERT_EQ(explorers->Item(CComVariant::I4(1), item.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_TRUE(SameObject(item.Get(), static_cast<_Explorer*>(first.Get())));
  EXPECT_EQ(explorers->Item(CComVariant::I4(3), item.ReleaseAndGetAddressOf()), host::DISP_E_BADINDEX);

  CComBSTR caption, name;
  ASSERT_EQ(active->get_Caption(&caption), S_OK);
  EXPECT_EQ(caption.Utf8(), "Calendar - Microsoft Outlook");
  ComPtr<MAPIFolder> folder;
  ASSERT_EQ(active->get_CurrentFolder(folder.ReleaseAndGetAddressOf()), S_OK);
  ASSERT_EQ(folder->get_Name(&name), S_OK);
  EXPECT_EQ(name.Utf8(), "Deleted Items");
}

TEST_F(SessionTest, CloseLeavesExplorersBeforeItsEventAndOnlyOnce) {
  ComPtr<host::CExplorer> stays = session_->NewExplorer(host::FolderKind::kCalendar, true);
  ComPtr<host::CExplorer> closes = session_->NewExplorer(host::FolderKind::kCalendar, true);
  ComPtr<RecordingSink> sink = RecordingSink::Make(ExplorerEvents::kIID);
  ASSERT_EQ(sink->Advise(static_cast<_Explorer*>(closes.Get())), S_OK);
  LONG countDuringClose = -1;
  bool stillActive = true;
  _Application* app = App();
  sink->OnInvoke([&](const RecordingSink::Call&) {
    countDuringClose = ExplorerCount(app);
    ComPtr<_Explorer> active;
    app->ActiveExplorer(active.ReleaseAndGetAddressOf());
    stillActive = SameObject(active.Get(), static_cast<_Explorer*>(closes.Get()));
  });

  ASSERT_EQ(closes->Close(), S_OK);
  ASSERT_EQ(sink->Calls().size(), 1u);
  EXPECT_EQ(sink->Calls()[0].id, ExplorerEvents::kClose);
  EXPECT_EQ(countDuringClose, 1);
  EXPECT_FALSE(stillActive);
  EXPECT_EQ(ExplorerCount(App()), 1);

  EXPECT_EQ(closes->Close(), S_OK);  // a second Close does nothing
  EXPECT_EQ(sink->Calls().size(), 1u);
  EXPECT_EQ(ExplorerCount(App()), 1);
  CComBSTR caption;
  EXPECT_EQ(closes->get_Caption(&caption), E_UNEXPECTED);
  ComPtr<CommandBars> bars;
  EXPECT_EQ(closes->get_CommandBars(bars.ReleaseAndGetAddressOf()), E_UNEXPECTED);
}

TEST_F(SessionTest, ConnectionPointsAdviseOnlyWillingSinksAndSurviveUnadviseInAnEvent) {
  // A sink that does not answer for the event interface is refused.
  ComPtr<RecordingSink> wrong = RecordingSink::Make(ExplorerEvents::kIID);
  EXPECT_EQ(wrong->Advise(App(), ApplicationEvents::kIID), CONNECT_E_CANNOTCONNECT);
  // A source asked for events it does not raise has no point for them.
  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(App()->QueryInterface(IConnectionPointContainer::kIID, container.ReleaseAndGetVoidAddress()), S_OK);
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(container->FindConnectionPoint(ExplorerEvents::kIID, point.ReleaseAndGetAddressOf()), CONNECT_E_NOCONNECTION);
  EXPECT_FALSE(point);

  // The first sink unadvises itself while handling the event: both still get
  // this one, only the second the next.
  ComPtr<RecordingSink> leaving = RecordingSink::Make(ApplicationEvents::kIID);
  ComPtr<RecordingSink> staying = RecordingSink::Make(ApplicationEvents::kIID);
  ASSERT_EQ(leaving->Advise(App()), S_OK);
  ASSERT_EQ(staying->Advise(App()), S_OK);
  RecordingSink* self = leaving.Get();
  HRESULT unadvised = E_FAIL;
  leaving->OnInvoke([self, &unadvised](const RecordingSink::Call&) { unadvised = self->Unadvise(); });
  leaving.Reset();  // only the connection point holds it now
  EXPECT_EQ(session_->RaiseStartup(), S_OK);
  EXPECT_EQ(unadvised, S_OK);
  EXPECT_EQ(staying->CountOf(ApplicationEvents::kStartup), 1u);
  EXPECT_EQ(session_->RaiseQuit(), S_OK);
  EXPECT_EQ(staying->Calls().size(), 2u);

  // Unadvising twice: the second time there is no such link.
  EXPECT_EQ(staying->Unadvise(), S_OK);
  EXPECT_EQ(staying->Unadvise(), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(session_->RaiseStartup(), S_OK);
  EXPECT_EQ(staying->Calls().size(), 2u);
}

}  // namespace

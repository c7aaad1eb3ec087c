#pragma once
// The fixture of the object model's tests: a fresh profile with "now" fixed
// at 21 March 2004 05:30, the user's locale English (United States), and a
// session over the profile's outlook.db that the test talks to as an add-in
// would, through the COM interfaces. The session is shut down after the
// test, once the test has let go of its objects.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/model/ModelErrors.h"
#include "host/model/OutlookSession.h"
#include "office/Outlook.h"
#include "platform/com/ComPtr.h"
#include "platform/com/VariantTime.h"
#include "platform/fs/Profile.h"
#include "platform/nls/Nls.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/OleDates.h"
#include "tests/support/TestProfile.h"

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(nls::SetUserDefaultLocale(1033)); }
  void TearDown() override {
    if (session_) session_->Shutdown();
  }

  static host::SessionOptions Options() {
    host::SessionOptions options;
    options.storeFile = profile::File("outlook.db");
    options.commandBarFile = profile::File("outcmd.dat");
    return options;
  }
  void Open(const host::SessionOptions& options = Options()) {
    if (session_) session_->Shutdown();
    session_ = host::OutlookSession::Create(options);
  }
  _Application* App() const { return session_->Application(); }

  ComPtr<_NameSpace> Mapi() const {
    ComPtr<_NameSpace> space;
    EXPECT_EQ(App()->GetNamespace(CComBSTR("MAPI").Get(), space.ReleaseAndGetAddressOf()), S_OK);
    return space;
  }
  ComPtr<MAPIFolder> Folder(LONG which) const {
    ComPtr<MAPIFolder> folder;
    EXPECT_EQ(Mapi()->GetDefaultFolder(which, folder.ReleaseAndGetAddressOf()), S_OK);
    return folder;
  }
  ComPtr<_Items> ItemsOf(LONG which) const {
    ComPtr<_Items> items;
    EXPECT_EQ(Folder(which)->get_Items(items.ReleaseAndGetAddressOf()), S_OK);
    return items;
  }
  static LONG Count(_Items* items) {
    LONG count = -1;
    EXPECT_EQ(items->get_Count(&count), S_OK);
    return count;
  }

  ComPtr<_AppointmentItem> CreateAppointment() const {
    ComPtr<IDispatch> created;
    EXPECT_EQ(App()->CreateItem(olAppointmentItem, created.ReleaseAndGetAddressOf()), S_OK);
    return AsItem(created.Get());
  }
  // A prayer as the add-in saves one: ten minutes long, with its PrayerNum.
  ComPtr<_AppointmentItem> SavePrayer(const char* subject, DATE start, LONG prayerNum) const {
    ComPtr<_AppointmentItem> item = CreateAppointment();
    EXPECT_EQ(item->put_Subject(CComBSTR(subject).Get()), S_OK);
    EXPECT_EQ(item->put_Start(start), S_OK);
    EXPECT_EQ(item->put_End(start + 10.0 / 1440.0), S_OK);
    ComPtr<UserProperties> properties;
    EXPECT_EQ(item->get_UserProperties(properties.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<UserProperty> number;
    EXPECT_EQ(properties->Add(CComBSTR("PrayerNum").Get(), olNumber, True(), CComVariant::I4(9),
                              number.ReleaseAndGetAddressOf()),
              S_OK);
    EXPECT_EQ(number->put_Value(CComVariant::I4(prayerNum)), S_OK);
    EXPECT_EQ(item->Save(), S_OK);
    return item;
  }

  static ComPtr<_AppointmentItem> AsItem(IDispatch* object) {
    ComPtr<_AppointmentItem> item;
    if (object != nullptr) {
      EXPECT_EQ(object->QueryInterface(_AppointmentItem::kIID, item.ReleaseAndGetVoidAddress()), S_OK);
    }
    return item;
  }
  static std::string SubjectOf(IDispatch* object) {
    CComBSTR subject;
    if (object == nullptr || FAILED(AsItem(object)->get_Subject(&subject))) return "(none)";
    return subject.Utf8();
  }

  // Arguments as an add-in passes them from VBA: True is an Integer -1.
  static CComVariant True() {
    CComVariant v;
    v.vt = VT_I2;
    v.iVal = -1;
    return v;
  }
  static CComVariant Missing() {
    CComVariant v;
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;
    return v;
  }

  static DATE Date(int year, int month, int day, int hour = 0, int minute = 0) {
    return MakeDate(year, month, day, hour, minute);
  }

  // Whether two interface pointers are one object.
  static bool SameObject(IUnknown* a, IUnknown* b) {
    if (a == nullptr || b == nullptr) return a == b;
    ComPtr<IUnknown> ua, ub;
    a->QueryInterface(IUnknown::kIID, ua.ReleaseAndGetVoidAddress());
    b->QueryInterface(IUnknown::kIID, ub.ReleaseAndGetVoidAddress());
    return ua.Get() == ub.Get();
  }

  TestProfile profile_;
  std::shared_ptr<host::OutlookSession> session_;
};

// With the session open from the start.
class SessionTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    Open();
  }
};

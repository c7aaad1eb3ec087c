// The add-in modules as a client sees them: registration, activation through
// the registry, and the calculator through its interface and by name.

#include <gtest/gtest.h>

#include <string>

#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/ServerRegistration.h"
#include "platform/com/VariantTime.h"
#include "platform/registry/RegFile.h"
#include "platform/registry/Registry.h"
#include "resources/OrvaneTypeLib.h"
#include "tests/support/OleDates.h"
#include "tests/support/TestProfile.h"

namespace {

const char* const kModules[] = {ORVANE_ADDIN_XP_PATH, ORVANE_ADDIN_2003_PATH};

DATE Date(int y, int m, int d, int h = 0, int mi = 0) { return MakeDate(y, m, d, h, mi); }

std::string Export(const char* key) {
  std::string text, error;
  registry::ExportRegText(key, &text, &error);
  return text;
}

class AddinModule : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_EQ(com::RegisterServerModule(GetParam(), false, &error), S_OK) << error;
  }
  void TearDown() override { CoFreeUnusedLibraries(); }

  ComPtr<IPrayerCalculator> NewCalculator() {
    ComPtr<IPrayerCalculator> calculator;
    EXPECT_EQ(CoCreateInstance(CLSID_PrayerCalculator, nullptr, CLSCTX_INPROC_SERVER,
                               IPrayerCalculator::kIID, calculator.ReleaseAndGetVoidAddress()),
              S_OK);
    return calculator;
  }

  TestProfile m_profile;
};

TEST_P(AddinModule, RegistrationWritesExactlyTheClassKeysAndRemovesThem) {
  const std::string clsid = "CLSID\\{C19E1BC5-5894-11D3-907B-005004D12C2C}";
  std::string text;
  ASSERT_EQ(registry::GetString(HKEY_CLASSES_ROOT, clsid.c_str(), nullptr, &text), ERROR_SUCCESS);
  EXPECT_EQ(text, "PrayerCalculator Class");
  registry::GetString(HKEY_CLASSES_ROOT, (clsid + "\\ProgID").c_str(), nullptr, &text);
  EXPECT_EQ(text, "Orvane.PrayerCalculator.1");
  registry::GetString(HKEY_CLASSES_ROOT, (clsid + "\\VersionIndependentProgID").c_str(), nullptr, &text);
  EXPECT_EQ(text, "Orvane.PrayerCalculator");
  EXPECT_TRUE(registry::KeyExists(HKEY_CLASSES_ROOT, (clsid + "\\Programmable").c_str()));
  registry::GetString(HKEY_CLASSES_ROOT, (clsid + "\\InprocServer32").c_str(), nullptr, &text);
  EXPECT_EQ(text, GetParam());
  registry::GetString(HKEY_CLASSES_ROOT, (clsid + "\\InprocServer32").c_str(), "ThreadingModel", &text);
  EXPECT_EQ(text, "Apartment");
  registry::GetString(HKEY_CLASSES_ROOT, (clsid + "\\TypeLib").c_str(), nullptr, &text);
  EXPECT_EQ(text, "{C19E1BB7-5894-11D3-907B-005004D12C2C}");
  registry::GetString(HKEY_CLASSES_ROOT, "Orvane.PrayerCalculator\\CurVer", nullptr, &text);
  EXPECT_EQ(text, "Orvane.PrayerCalculator.1");
  registry::GetString(HKEY_CLASSES_ROOT, "Orvane.PrayerCalculator.1\\CLSID", nullptr, &text);
  EXPECT_EQ(text, "{C19E1BC5-5894-11D3-907B-005004D12C2C}");
  registry::GetString(HKEY_CLASSES_ROOT, "Interface\\{C19E1BC4-5894-11D3-907B-005004D12C2C}", nullptr, &text);
  EXPECT_EQ(text, "IPrayerCalculator");

  const bool xp = std::string(GetParam()).find("OrvaneXP") != std::string::npos;
  const std::string libid = GuidToString(xp ? LIBID_ORVANELib_XP : LIBID_ORVANELib_2003);
  registry::GetString(HKEY_CLASSES_ROOT, ("TypeLib\\" + libid + "\\1.0").c_str(), nullptr, &text);
  EXPECT_EQ(text, xp ? "Orvane of Office XP 1.0 Type Library" : "Orvane for Office 2003 1.0 Type Library");
  registry::GetString(HKEY_CLASSES_ROOT, ("Interface\\{C19E1BC4-5894-11D3-907B-005004D12C2C}\\TypeLib"), nullptr, &text);
  EXPECT_EQ(text, libid);
  // The addition with the high-latitude rule is described by the same library.
  const std::string second = "Interface\\{9CC62FE2-4485-4F9C-A7A6-F6D6F724F537}";
  ASSERT_EQ(registry::GetString(HKEY_CLASSES_ROOT, second.c_str(), nullptr, &text), ERROR_SUCCESS);
  EXPECT_EQ(text, "IPrayerCalculator2");
  registry::GetString(HKEY_CLASSES_ROOT, (second + "\\TypeLib").c_str(), nullptr, &text);
  EXPECT_EQ(text, libid);

  // Registering twice changes nothing; unregistering leaves HKCR as it was.
  const std::string once = Export("HKEY_CLASSES_ROOT");
  std::string error;
  ASSERT_EQ(com::RegisterServerModule(GetParam(), false, &error), S_OK);
  EXPECT_EQ(Export("HKEY_CLASSES_ROOT"), once);
  ASSERT_EQ(com::RegisterServerModule(GetParam(), true, &error), S_OK);
  const std::string after = Export("HKEY_CLASSES_ROOT");
  EXPECT_EQ(after.find("Orvane"), std::string::npos) << after;
  EXPECT_EQ(after.find("C19E1BC"), std::string::npos) << after;
  EXPECT_EQ(after.find(libid), std::string::npos) << after;
  EXPECT_EQ(after.find("9CC62FE2"), std::string::npos) << after;
}

TEST_P(AddinModule, CreatesByClassIdAndByProgIdAndUnloadsOnlyWhenUnused) {
  CLSID byName;
  ASSERT_EQ(CLSIDFromProgID("Orvane.PrayerCalculator", &byName), S_OK);  // through CurVer
  EXPECT_EQ(byName, CLSID_PrayerCalculator);
  ASSERT_EQ(CLSIDFromProgID(u"orvane.prayercalculator.1", &byName), S_OK);
  EXPECT_EQ(CLSIDFromProgID("Orvane.Nothing", &byName), CO_E_CLASSSTRING);

  ComPtr<IPrayerCalculator> calculator = NewCalculator();
  ASSERT_TRUE(calculator);
  EXPECT_EQ(com::LoadedModuleCount(), 1);
  CoFreeUnusedLibraries();  // an object lives: DllCanUnloadNow says S_FALSE
  EXPECT_EQ(com::LoadedModuleCount(), 1);
  calculator.Reset();
  CoFreeUnusedLibraries();
  EXPECT_EQ(com::LoadedModuleCount(), 0);

  // Aggregation asks for IUnknown only.
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(CoCreateInstance(CLSID_PrayerCalculator, reinterpret_cast<IUnknown*>(&unknown),
                             CLSCTX_INPROC_SERVER, IPrayerCalculator::kIID,
                             unknown.ReleaseAndGetVoidAddress()),
            CLASS_E_NOAGGREGATION);
}

TEST_P(AddinModule, FreshCalculatorHoldsItsInitialValues) {
  ComPtr<IPrayerCalculator> c = NewCalculator();
  ASSERT_TRUE(c);
  DATE date = 0;
  double number = -1;
  VARIANT_BOOL flag = 0;
  CalculationMethod method = eCustom;
  AsrSchool school = eHanafi;
  for (auto get : {&IPrayerCalculator::get_Fajr, &IPrayerCalculator::get_Shorouk,
                   &IPrayerCalculator::get_Zuhr, &IPrayerCalculator::get_Asr,
                   &IPrayerCalculator::get_Maghrib, &IPrayerCalculator::get_Isha,
                   &IPrayerCalculator::get_Date, &IPrayerCalculator::get_DaylightStart,
                   &IPrayerCalculator::get_DaylightEnd}) {
    EXPECT_EQ((c.Get()->*get)(&date), S_OK);
    EXPECT_EQ(date, -657435.0);
  }
  c->get_TwilightAngle(&number);
  EXPECT_EQ(number, 18.0);
  c->get_Longitude(&number);
  EXPECT_EQ(number, 0.0);
  c->get_DaylightSavings(&flag);
  EXPECT_EQ(flag, VARIANT_TRUE);
  c->get_Method(&method);
  EXPECT_EQ(method, eEgypt);
  c->get_AsrMethod(&school);
  EXPECT_EQ(school, eShafii);

  ComPtr<ISupportErrorInfo> errorInfo;
  ASSERT_EQ(c.As(&errorInfo), S_OK);
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IPrayerCalculator::kIID), S_OK);
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IDispatch::kIID), S_FALSE);
}

TEST_P(AddinModule, RecalcAttachesTheTimesToTheRequestedDate) {
  ComPtr<IPrayerCalculator> c = NewCalculator();
  ASSERT_TRUE(c);
  c->SetLocation(-31.25, 30.05, 2.0, 0);
  c->put_Method(eEgypt);
  ASSERT_EQ(c->Recalc(Date(2004, 3, 21, 17, 45)), S_OK);
  DATE zuhr = 0, when = 0;
  c->get_Zuhr(&zuhr);
  EXPECT_EQ(zuhr, Date(2004, 3, 21, 12, 2));
  c->get_Date(&when);
  EXPECT_EQ(when, Date(2004, 3, 21, 17, 45));

  // Putting Date recalculates just as Recalc does.
  DATE before[6], after[6];
  const auto readAll = [&](DATE* out) {
    c->get_Fajr(&out[0]); c->get_Shorouk(&out[1]); c->get_Zuhr(&out[2]);
    c->get_Asr(&out[3]); c->get_Maghrib(&out[4]); c->get_Isha(&out[5]);
  };
  readAll(before);
  c->Recalc(-657435.0);
  c->put_Date(Date(2004, 3, 21, 17, 45));
  readAll(after);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(before[i], after[i]) << i;

  // An invalid date clears the results.
  c->Recalc(-657435.0);
  c->get_Fajr(&zuhr);
  EXPECT_EQ(zuhr, -657435.0);

  // eCustom passes no angles or intervals: 18 degrees on both sides, as eKarachi.
  c->put_Method(eCustom);
  c->Recalc(Date(2004, 3, 21));
  readAll(after);
  c->put_Method(eKarachi);
  c->Recalc(Date(2004, 3, 21));
  readAll(before);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(before[i], after[i]) << i;
  EXPECT_EQ(after[0], Date(2004, 3, 21, 4, 38));
  EXPECT_EQ(after[5], Date(2004, 3, 21, 19, 27));
}

TEST_P(AddinModule, DaylightSavingIsTrueOnlyForMinusOneAndNeedsBothDates) {
  ComPtr<IPrayerCalculator> c = NewCalculator();
  ASSERT_TRUE(c);
  VARIANT_BOOL flag = 0;
  c->put_DaylightSavings(1);
  c->get_DaylightSavings(&flag);
  EXPECT_EQ(flag, VARIANT_FALSE);
  c->put_DaylightSavings(VARIANT_TRUE);
  c->get_DaylightSavings(&flag);
  EXPECT_EQ(flag, VARIANT_TRUE);

  c->SetLocation(-31.25, 30.05, 2.0, 1);
  DATE zuhr = 0;
  // Daylight on, but no range set yet: never applies.
  c->Recalc(Date(2004, 5, 1));
  c->get_Zuhr(&zuhr);
  EXPECT_EQ(zuhr, Date(2004, 5, 1, 11, 52));
  // Dates of year 0 (read as 2000) carry only month and day.
  c->put_DaylightStart(Date(0, 4, 25));
  c->put_DaylightEnd(Date(0, 9, 28));
  c->Recalc(Date(2004, 5, 1));
  c->get_Zuhr(&zuhr);
  EXPECT_EQ(zuhr, Date(2004, 5, 1, 12, 52));
}

TEST_P(AddinModule, LateBoundCallsByNameGiveTheSameTimes) {
  ComPtr<IPrayerCalculator> typed = NewCalculator();
  ComPtr<IDispatch> c;
  ASSERT_EQ(typed.As(&c), S_OK);
  const auto id = [&](const char16_t* name) {
    std::u16string copy(name);
    LPOLESTR names[] = {copy.data()};
    DISPID dispid = 0;
    EXPECT_EQ(c->GetIDsOfNames(GUID_NULL, names, 1, 0, &dispid), S_OK) << CComBSTR(name).Utf8();
    return dispid;
  };
  EXPECT_EQ(id(u"setlocation"), 1);
  EXPECT_EQ(id(u"DaylightEnd"), 18);
  EXPECT_EQ(id(u"Method"), 15);

  CComVariant args[4];
  args[3] = CComVariant::R8(-31.25);
  args[2] = CComVariant::Str("30.05");  // converted as automation would
  args[1] = CComVariant::I4(2);
  args[0] = CComVariant::I4(0);
  DISPPARAMS location{args, nullptr, 4, 0};
  ASSERT_EQ(c->Invoke(id(u"SetLocation"), GUID_NULL, 0, DISPATCH_METHOD, &location, nullptr, nullptr, nullptr), S_OK);

  CComVariant date = CComVariant::Date(Date(2004, 3, 21));
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS putDate{&date, &named, 1, 1};
  ASSERT_EQ(c->Invoke(id(u"Date"), GUID_NULL, 0, DISPATCH_PROPERTYPUT, &putDate, nullptr, nullptr, nullptr), S_OK);

  const char16_t* names[] = {u"Fajr", u"Shorouk", u"Zuhr", u"Asr", u"Maghrib", u"Isha"};
  const DATE expected[] = {Date(2004, 3, 21, 4, 31), Date(2004, 3, 21, 5, 58), Date(2004, 3, 21, 12, 2),
                           Date(2004, 3, 21, 15, 30), Date(2004, 3, 21, 18, 7), Date(2004, 3, 21, 19, 25)};
  for (int i = 0; i < 6; ++i) {
    CComVariant result;
    DISPPARAMS none{};
    ASSERT_EQ(c->Invoke(id(names[i]), GUID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(result.vt, VT_DATE);
    EXPECT_EQ(result.date, expected[i]) << CComBSTR(names[i]).Utf8();
  }
  CComVariant flag;
  DISPPARAMS none{};
  ASSERT_EQ(c->Invoke(id(u"DaylightSavings"), GUID_NULL, 0, DISPATCH_PROPERTYGET, &none, &flag, nullptr, nullptr), S_OK);
  EXPECT_EQ(flag.vt, VT_BOOL);
  EXPECT_EQ(flag.boolVal, VARIANT_FALSE);
  // Fajr has no put.
  DISPPARAMS putFajr{&date, &named, 1, 1};
  EXPECT_EQ(c->Invoke(id(u"Fajr"), GUID_NULL, 0, DISPATCH_PROPERTYPUT, &putFajr, nullptr, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);
}

TEST_P(AddinModule, SecondInterfaceGivesTheRuleAndTheDayEachTimeFallsOn) {
  ComPtr<IPrayerCalculator> c = NewCalculator();
  ASSERT_TRUE(c);
  ComPtr<IPrayerCalculator2> c2;
  ASSERT_EQ(c.As(&c2), S_OK);
  ComPtr<IUnknown> one, other;
  c.As(&one);
  c2.As(&other);
  EXPECT_EQ(one.Get(), other.Get());
  HighLatitudeRule rule = eTwilightAngle;
  c2->get_HighLatitudeRule(&rule);
  EXPECT_EQ(rule, eSeventhOfNight);

  const auto read = [&](DATE* old, DATE* own) {
    c->get_Fajr(&old[0]); c->get_Shorouk(&old[1]); c->get_Zuhr(&old[2]);
    c->get_Asr(&old[3]); c->get_Maghrib(&old[4]); c->get_Isha(&old[5]);
    for (LONG n = 0; n < 6; ++n) c2->PrayerTime(n, &own[n]);
  };
  LONG next = -1, previous = -1, ruled = -1, polar = -1;
  const auto flags = [&] {
    c2->get_NextDayTimes(&next); c2->get_PreviousDayTimes(&previous);
    c2->get_RuleTimes(&ruled); c2->get_PolarTimes(&polar);
  };
  DATE old[6], own[6];

  // London in June under every client's default: a seventh of the night.
  // (The engine alone, with no twilight, gave 04:00 and 18:00.)
  c->SetLocation(0.13, 51.5, 0.0, 0);
  c->put_Method(eWIL);
  ASSERT_EQ(c->Recalc(Date(2027, 6, 21)), S_OK);
  read(old, own);
  EXPECT_EQ(old[0], Date(2027, 6, 21, 2, 40));
  EXPECT_EQ(old[5], Date(2027, 6, 21, 21, 25));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(old[i], own[i]) << i;
  flags();
  EXPECT_EQ(ruled, 1 | 32);
  EXPECT_EQ(next | previous | polar, 0);

  // The middle of the night puts Isha after midnight: the interface of old
  // keeps the requested date, PrayerTime carries the next one.
  ASSERT_EQ(c2->put_HighLatitudeRule(eMiddleOfNight), S_OK);
  c2->get_HighLatitudeRule(&rule);
  EXPECT_EQ(rule, eMiddleOfNight);
  c->Recalc(Date(2027, 6, 21));
  read(old, own);
  EXPECT_EQ(old[5], Date(2027, 6, 21, 0, 2));
  EXPECT_EQ(own[5], Date(2027, 6, 22, 0, 2));
  flags();
  EXPECT_EQ(next, 32);
  // On 27 May the middle of the night comes before midnight: Fajr is the
  // day before's.
  c->Recalc(Date(2027, 5, 27));
  read(old, own);
  EXPECT_EQ(own[0], Date(2027, 5, 26, 23, 59));
  flags();
  EXPECT_EQ(previous, 1);

  // Reykjavik's sun sets after midnight in June.
  c2->put_HighLatitudeRule(static_cast<HighLatitudeRule>(9));  // computes as the default
  c->SetLocation(21.94, 64.15, 0.0, 0);
  c->Recalc(Date(2027, 6, 21));
  read(old, own);
  EXPECT_EQ(own[4], Date(2027, 6, 22, 0, 4));
  EXPECT_EQ(old[4], Date(2027, 6, 21, 0, 4));
  EXPECT_EQ(own[5], Date(2027, 6, 22, 0, 28));

  // Tromso in December: no sunrise, no sunset, no Asr from the sun.
  c->SetLocation(-18.95, 69.65, 1.0, 0);
  c->Recalc(Date(2027, 12, 21));
  flags();
  EXPECT_EQ(polar, 2 | 8 | 16);
  read(old, own);
  for (int i = 0; i + 1 < 6; ++i) EXPECT_LT(own[i], own[i + 1]) << i;

  // Nothing for a prayer that does not exist or after an invalid date.
  DATE none = 0;
  EXPECT_EQ(c2->PrayerTime(6, &none), S_OK);
  EXPECT_EQ(none, -657435.0);
  c2->PrayerTime(-1, &none);
  EXPECT_EQ(none, -657435.0);
  c->Recalc(-657435.0);
  c2->PrayerTime(0, &none);
  EXPECT_EQ(none, -657435.0);
  flags();
  EXPECT_EQ(next | previous | ruled | polar, 0);
  EXPECT_EQ(c2->PrayerTime(0, nullptr), E_POINTER);
}

TEST_P(AddinModule, SecondInterfaceByNameLeavesTheFirstAsItWas) {
  ComPtr<IPrayerCalculator> typed = NewCalculator();
  ComPtr<IDispatch> c;
  ASSERT_EQ(typed.As(&c), S_OK);
  const auto id = [&](const char16_t* name) {
    std::u16string copy(name);
    LPOLESTR names[] = {copy.data()};
    DISPID dispid = 0;
    return c->GetIDsOfNames(GUID_NULL, names, 1, 0, &dispid) == S_OK ? dispid : DISPID_UNKNOWN;
  };
  // The published members keep their dispids; the new ones follow them.
  const std::pair<const char16_t*, DISPID> members[] = {
      {u"SetLocation", 1}, {u"Longitude", 2}, {u"Latitude", 3}, {u"TimeZone", 4}, {u"Date", 5},
      {u"Fajr", 6}, {u"Zuhr", 7}, {u"Asr", 8}, {u"Maghrib", 9}, {u"Isha", 10}, {u"Recalc", 11},
      {u"TwilightAngle", 12}, {u"Shorouk", 13}, {u"DaylightSavings", 14}, {u"Method", 15},
      {u"AsrMethod", 16}, {u"DaylightStart", 17}, {u"DaylightEnd", 18}, {u"HighLatitudeRule", 19},
      {u"PrayerTime", 20}, {u"NextDayTimes", 21}, {u"PreviousDayTimes", 22}, {u"RuleTimes", 23},
      {u"PolarTimes", 24}};
  for (const auto& [name, dispid] : members) EXPECT_EQ(id(name), dispid) << CComBSTR(name).Utf8();

  typed->SetLocation(0.13, 51.5, 0.0, 0);
  typed->put_Method(eWIL);
  CComVariant rule = CComVariant::I4(eMiddleOfNight);
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS putRule{&rule, &named, 1, 1};
  ASSERT_EQ(c->Invoke(19, GUID_NULL, 0, DISPATCH_PROPERTYPUT, &putRule, nullptr, nullptr, nullptr), S_OK);
  typed->Recalc(Date(2027, 6, 21));
  CComVariant isha = CComVariant::I4(5), result;
  DISPPARAMS which{&isha, nullptr, 1, 0};
  ASSERT_EQ(c->Invoke(20, GUID_NULL, 0, DISPATCH_METHOD, &which, &result, nullptr, nullptr), S_OK);
  EXPECT_EQ(result.vt, VT_DATE);
  EXPECT_EQ(result.date, Date(2027, 6, 22, 0, 2));
  CComVariant next;
  DISPPARAMS none{};
  ASSERT_EQ(c->Invoke(21, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none, &next, nullptr, nullptr), S_OK);
  EXPECT_EQ(next.lVal, 32);
}

INSTANTIATE_TEST_SUITE_P(BothFlavours, AddinModule, ::testing::ValuesIn(kModules),
                         [](const auto& info) {
                           return std::string(info.param).find("OrvaneXP") != std::string::npos ? "XP" : "Office2003";
                         });

TEST(Activation, UnregisteredClassIsReported) {
  TestProfile profile;
  ComPtr<IPrayerCalculator> calculator;
  EXPECT_EQ(CoCreateInstance(CLSID_PrayerCalculator, nullptr, CLSCTX_INPROC_SERVER,
                             IPrayerCalculator::kIID, calculator.ReleaseAndGetVoidAddress()),
            REGDB_E_CLASSNOTREG);
  // A registered class whose module is gone.
  registry::SetString(HKEY_CLASSES_ROOT, "CLSID\\{C19E1BC5-5894-11D3-907B-005004D12C2C}\\InprocServer32",
                      nullptr, "/nonexistent/OrvaneXP.so");
  EXPECT_EQ(CoCreateInstance(CLSID_PrayerCalculator, nullptr, CLSCTX_INPROC_SERVER,
                             IPrayerCalculator::kIID, calculator.ReleaseAndGetVoidAddress()),
            CO_E_DLLNOTFOUND);
}

}  // namespace

// EnumSystemLocales and IsValidLocale: the locales there are.

#include <algorithm>
#include <string>
#include <vector>

#include "tests/nls/NlsTest.h"

namespace {

std::vector<std::string> g_seen;
std::size_t g_stopAfter = 0;

BOOL CollectLocale(char16_t* lcid) {
  g_seen.push_back(text::Utf16ToUtf8(lcid));
  return g_seen.size() != g_stopAfter;
}

BOOL CollectAnsi(char* lcid) {
  g_seen.push_back(lcid);
  return TRUE;
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

TEST_F(NlsTest, SystemLocalesAreTheTablesLocalesThatIcuHasDataFor) {
  g_seen.clear();
  g_stopAfter = 0;
  ASSERT_TRUE(EnumSystemLocales(CollectLocale, LCID_INSTALLED));
  const std::vector<std::string> installed = g_seen;
  for (const char* lcid :
       {"00000401", "00000409", "0000040C", "00000809", "00003C01", "00000804"}) {
    EXPECT_TRUE(Contains(installed, lcid)) << lcid;
  }
  for (const std::string& lcid : installed) {
    EXPECT_EQ(lcid.size(), 8u);
    EXPECT_TRUE(IsValidLocale(std::stoul(lcid, nullptr, 16), LCID_INSTALLED)) << lcid;
  }
  g_seen.clear();
  ASSERT_TRUE(EnumSystemLocales(CollectAnsi, LCID_SUPPORTED));
  EXPECT_GT(g_seen.size(), installed.size());
  EXPECT_TRUE(Contains(g_seen, "00000408"));  // Greek: ICU's, not in our table
  EXPECT_TRUE(IsValidLocale(0x0408, LCID_SUPPORTED));
  EXPECT_FALSE(IsValidLocale(0x0408, LCID_INSTALLED));
  EXPECT_FALSE(IsValidLocale(0x1234, LCID_SUPPORTED));

  g_seen.clear();
  g_stopAfter = 3;
  EXPECT_TRUE(EnumSystemLocales(CollectLocale, LCID_INSTALLED));
  EXPECT_EQ(g_seen.size(), 3u);
  EXPECT_FALSE(EnumSystemLocales(CollectLocale, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

}  // namespace

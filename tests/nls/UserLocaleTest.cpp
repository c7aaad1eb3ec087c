// The user's and the system's default locales: seeded from the environment
// once, then kept in the registry where Windows keeps them.

#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "tests/nls/NlsTest.h"

namespace {

TEST_F(NlsTest, TheUsersLocaleIsSeededFromTheEnvironmentOnceThenTheRegistryWins) {
  setenv("LANG", "fr_FR.UTF-8", 1);
  EXPECT_EQ(International("Locale"), "(missing)");
  EXPECT_EQ(GetUserDefaultLCID(), 1036u);
  EXPECT_EQ(International("Locale"), "0000040C");
  EXPECT_EQ(International("LocaleName"), "fr-FR");
  EXPECT_EQ(International("iDate"), "1");
  EXPECT_EQ(International("sShortDate"), "dd/MM/yyyy");
  EXPECT_EQ(International("iCalendarType"), "1");
  EXPECT_EQ(International("s1159"), "");
  setenv("LANG", "ar_SA.UTF-8", 1);
  EXPECT_EQ(GetUserDefaultLCID(), 1036u);
  EXPECT_EQ(GetUserDefaultLangID(), 1036);
  EXPECT_EQ(Date(LOCALE_USER_DEFAULT, kSpring2004, u"MMMM"), "mars");

  // Writing the registry chooses the locale.
  ASSERT_EQ(
      registry::SetString(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", "00000401"),
      ERROR_SUCCESS);
  EXPECT_EQ(GetUserDefaultLCID(), 1025u);
  EXPECT_EQ(Info(LOCALE_USER_DEFAULT, LOCALE_SENGLANGUAGE), "Arabic");
}

TEST_F(NlsTest, AChangeByAnotherProgramShowsAtTheNextCall) {
  // The user's values are kept between calls; what another process writes
  // must still show at once, as the registry has it.
  EXPECT_EQ(Date(LOCALE_USER_DEFAULT, kSpring2004, nullptr, DATE_SHORTDATE), "3/21/2004");
  EXPECT_EQ(Info(LOCALE_USER_DEFAULT, LOCALE_IDATE), "0");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    _exit(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, u"dd.MM.yyyy") ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(Date(LOCALE_USER_DEFAULT, kSpring2004, nullptr, DATE_SHORTDATE), "21.03.2004");
  EXPECT_EQ(Info(LOCALE_USER_DEFAULT, LOCALE_IDATE), "1");
  // And a value written under the registry's own name, past the API.
  ASSERT_EQ(registry::SetString(HKEY_CURRENT_USER, "Control Panel\\International", "sShortDate",
                                "yyyy-MM-dd"),
            ERROR_SUCCESS);
  EXPECT_EQ(Date(LOCALE_USER_DEFAULT, kSpring2004, nullptr, DATE_SHORTDATE), "2004-03-21");
}

TEST_F(NlsTest, TheEnvironmentIsReadAsTheCLibraryReadsIt) {
  struct Case {
    const char* lcAll;
    const char* lcTime;
    const char* lang;
    LCID expected;
  };
  const Case cases[] = {
      {nullptr, nullptr, "ar_SA.UTF-8", 1025},
      {nullptr, nullptr, "en_GB.ISO-8859-1@euro", 2057},
      {nullptr, nullptr, "de", 1031},  // the language's likeliest country
      {nullptr, nullptr, "C.UTF-8", 1033},
      {nullptr, nullptr, "POSIX", 1033},
      {nullptr, nullptr, "xx_YY.UTF-8", 1033},
      {nullptr, nullptr, "", 1033},
      {nullptr, "fr_CA.UTF-8", "ar_SA.UTF-8", 3084},
      {"C", "fr_CA.UTF-8", "ar_SA.UTF-8", 1033},
      {"ar_EG.UTF-8", "fr_CA.UTF-8", "C", 3073},
  };
  for (const Case& c : cases) {
    auto set = [](const char* name, const char* value) {
      if (value != nullptr) {
        setenv(name, value, 1);
      } else {
        unsetenv(name);
      }
    };
    set("LC_ALL", c.lcAll);
    set("LC_TIME", c.lcTime);
    set("LANG", c.lang);
    // Missing the first time round; afterwards it holds the last case's seed.
    RegDeleteTree(HKEY_CURRENT_USER, u"Control Panel\\International");
    EXPECT_EQ(GetUserDefaultLCID(), c.expected)
        << (c.lcAll ? c.lcAll : "-") << " " << (c.lcTime ? c.lcTime : "-") << " " << c.lang;
  }
}

TEST_F(NlsTest, ALocaleValueNamingNoLocaleIsLeftAlone) {
  setenv("LANG", "fr_FR.UTF-8", 1);
  for (const char* bad : {"0000ZZZZ", "00001234", "", "-0000409", "000000409"}) {
    ASSERT_EQ(registry::SetString(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", bad),
              ERROR_SUCCESS);
    EXPECT_EQ(GetUserDefaultLCID(), 1036u) << bad;
    EXPECT_EQ(International("Locale"), bad);
  }
}

TEST_F(NlsTest, ChoosingALocaleRewritesEveryValueOfTheOldOne) {
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, u"yyyy-MM-dd"));
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_S1159, u"am"));
  ASSERT_TRUE(nls::SetUserDefaultLocale(1025));
  EXPECT_EQ(International("Locale"), "00000401");
  EXPECT_EQ(International("sShortDate"), "dd/MM/yy");
  EXPECT_EQ(International("iDate"), "1");
  EXPECT_EQ(International("iCalendarType"), "6");
  EXPECT_EQ(International("s1159"), "ص");
  EXPECT_EQ(International("sTimeFormat"), "hh:mm:ss tt");
  EXPECT_FALSE(nls::SetUserDefaultLocale(0x1234));
  EXPECT_EQ(International("Locale"), "00000401");
}

TEST_F(NlsTest, TheSystemLocaleComesFromTheMachineOrElseTheEnvironment) {
  setenv("LANG", "fr_FR.UTF-8", 1);
  EXPECT_EQ(GetSystemDefaultLCID(), 1036u);
  ASSERT_EQ(
      registry::SetString(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Nls\\Language",
                          "Default", "0401"),
      ERROR_SUCCESS);
  EXPECT_EQ(GetSystemDefaultLCID(), 1025u);
  EXPECT_EQ(GetSystemDefaultLangID(), 1025);
  EXPECT_EQ(Info(LOCALE_SYSTEM_DEFAULT, LOCALE_SENGLANGUAGE), "Arabic");
  // The user's overrides are not the system's.
  ASSERT_TRUE(nls::SetUserDefaultLocale(1025));
  ASSERT_TRUE(SetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_S1159, u"AM"));
  EXPECT_EQ(Info(LOCALE_SYSTEM_DEFAULT, LOCALE_S1159), "ص");
  // The system's value is never written from the environment.
  ASSERT_EQ(RegDeleteTree(HKEY_LOCAL_MACHINE, u"SYSTEM"), ERROR_SUCCESS);
  EXPECT_EQ(GetSystemDefaultLCID(), 1036u);
  EXPECT_FALSE(registry::KeyExists(HKEY_LOCAL_MACHINE, "SYSTEM"));
}

}  // namespace

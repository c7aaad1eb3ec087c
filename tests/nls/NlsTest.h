#pragma once
// The fixture of the national-language tests: every test gets an empty
// profile of its own (ORVANE_HOME in a fresh temporary folder, so a fresh
// registry), an environment that asks for no locale ("C", so the user's
// locale is seeded as English (United States) unless the test says
// otherwise), and the ANSI code page it found. Texts are compared in UTF-8.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/nls/Nls.h"
#include "platform/registry/Registry.h"
#include "platform/text/TextConvert.h"
#include "tests/support/OleDates.h"
#include "tests/support/TemporaryProfile.h"

class NlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile_ = std::make_unique<TemporaryProfile>("orvane-nls");
    ASSERT_TRUE(profile_->Ok());
    home_ = profile_->Dir();
    for (const char* name : kVariables) {
      const char* value = getenv(name);
      saved_.push_back(value != nullptr ? std::optional<std::string>(value) : std::nullopt);
      unsetenv(name);
    }
    setenv("LANG", "C", 1);
    codePage_ = text::AnsiCodePage();
  }

  void TearDown() override {
    text::SetAnsiCodePage(codePage_);
    for (std::size_t i = 0; i < saved_.size(); ++i) {
      if (saved_[i]) {
        setenv(kVariables[i], saved_[i]->c_str(), 1);
      } else {
        unsetenv(kVariables[i]);
      }
    }
    profile_.reset();
  }

  // The environment the tests change, restored afterwards.
  static constexpr const char* kVariables[] = {"LC_ALL", "LC_TIME", "LANG", "ORVANE_NOW"};

  std::unique_ptr<TemporaryProfile> profile_;
  std::filesystem::path home_;
  std::vector<std::optional<std::string>> saved_;
  int codePage_ = 0;
};

inline SYSTEMTIME Day(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return MakeSystemTime(year, month, day, hour, minute, second);
}

// Sunday 21 March 2004 14:05:09 (30 Muharram 1425) and Sunday 6 December
// 2026 09:07:00 (26 Jumada II 1448).
inline const SYSTEMTIME kSpring2004 = Day(2004, 3, 21, 14, 5, 9);
inline const SYSTEMTIME kDecember2026 = Day(2026, 12, 6, 9, 7, 0);

// The text in UTF-8, or "error N" with the last error when the call fails.
inline std::string Result(int written, const char16_t* buffer) {
  if (written == 0) return "error " + std::to_string(GetLastError());
  return text::Utf16ToUtf8(std::u16string(buffer, static_cast<std::size_t>(written - 1)));
}

inline std::string Date(LCID lcid, const SYSTEMTIME& date, const char16_t* picture,
                        DWORD flags = 0) {
  char16_t buffer[256];
  return Result(GetDateFormat(lcid, flags, &date, picture, buffer, 256), buffer);
}

inline std::string Time(LCID lcid, const SYSTEMTIME& time, const char16_t* picture,
                        DWORD flags = 0) {
  char16_t buffer[256];
  return Result(GetTimeFormat(lcid, flags, &time, picture, buffer, 256), buffer);
}

inline std::string Info(LCID lcid, LCTYPE type) {
  char16_t buffer[256];
  return Result(GetLocaleInfo(lcid, type, buffer, 256), buffer);
}

inline std::string CalendarText(LCID lcid, CALID calendar, CALTYPE type) {
  char16_t buffer[256];
  return Result(GetCalendarInfo(lcid, calendar, type, buffer, 256, nullptr), buffer);
}

inline std::string Error(DWORD code) { return "error " + std::to_string(code); }

inline std::string International(const char* name) {
  std::string value;
  if (registry::GetString(HKEY_CURRENT_USER, "Control Panel\\International", name, &value) !=
      ERROR_SUCCESS) {
    return "(missing)";
  }
  return value;
}

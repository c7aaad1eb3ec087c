#pragma once
// The fixture of the registry tests: every test gets an empty profile of its
// own (ORVANE_HOME in a fresh temporary folder), removed afterwards, and the
// ANSI code page it found.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "platform/registry/Registry.h"
#include "platform/text/TextConvert.h"
#include "tests/support/TemporaryProfile.h"

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile_ = std::make_unique<TemporaryProfile>("orvane-registry");
    ASSERT_TRUE(profile_->Ok());
    home_ = profile_->Dir();
    codePage_ = text::AnsiCodePage();
  }

  void TearDown() override {
    text::SetAnsiCodePage(codePage_);
    profile_.reset();
  }

  static void UseProfile(const std::filesystem::path& folder) {
    setenv("ORVANE_HOME", folder.c_str(), 1);
  }

  std::unique_ptr<TemporaryProfile> profile_;
  std::filesystem::path home_;
  int codePage_ = 0;
};

// The key, created with its parents; the test fails if it cannot be.
inline HKEY Create(HKEY parent, const char16_t* path, DWORD* disposition = nullptr) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyEx(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                           nullptr, &key, disposition),
            ERROR_SUCCESS);
  return key;
}

inline LONG Open(HKEY parent, const char16_t* path, HKEY* key) {
  return RegOpenKeyEx(parent, path, 0, KEY_READ, key);
}

inline LONG SetDword(HKEY key, const char16_t* name, DWORD value) {
  return RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof value);
}

// The value's data through the W form, empty when it cannot be read.
inline std::u16string ReadText(HKEY key, const char16_t* name) {
  char16_t buffer[256] = {};
  DWORD size = sizeof buffer;
  if (RegQueryValueEx(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  return std::u16string(buffer, size / 2);
}

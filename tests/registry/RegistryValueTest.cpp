// Values: types, sizes and ERROR_MORE_DATA, text across the A and W forms,
// the default value and deletion.

#include <cstring>
#include <string>
#include <vector>

#include "tests/registry/RegistryTest.h"

namespace {

TEST_F(RegistryTest, ValuesReadBackWithTheirTypeAndTheSizeTheyNeed) {
  HKEY key = Create(HKEY_CURRENT_USER, u"Values");
  ASSERT_EQ(SetDword(key, u"Count", 42), ERROR_SUCCESS);
  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueEx(key, u"Count", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(size, 4u);
  DWORD value = 0x5a5a5a5a;
  size = 2;
  EXPECT_EQ(RegQueryValueEx(key, u"Count", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(value, 0x5a5a5a5au);  // a short buffer is not written into
  EXPECT_EQ(RegQueryValueEx(key, u"Count", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(value, 42u);

  std::vector<BYTE> blob(300);
  for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<BYTE>(i * 7);
  ASSERT_EQ(RegSetValueEx(key, u"Blob", 0, REG_BINARY, blob.data(), 300), ERROR_SUCCESS);
  std::vector<BYTE> read(299);
  size = 299;
  EXPECT_EQ(RegQueryValueEx(key, u"Blob", nullptr, &type, read.data(), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 300u);
  read.resize(size);
  ASSERT_EQ(RegQueryValueEx(key, u"Blob", nullptr, &type, read.data(), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(read, blob);
  ASSERT_EQ(RegSetValueEx(key, u"Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueEx(key, u"Empty", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 0u);

  // Text counts its terminator; text stored without one still comes back
  // terminated when the buffer has room, its size unchanged.
  const char16_t hello[] = u"hello";
  ASSERT_EQ(RegSetValueEx(key, u"Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(hello), 12),
            ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueEx(key, u"Text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 12u);
  ASSERT_EQ(RegSetValueEx(key, u"Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(hello), 10),
            ERROR_SUCCESS);
  char16_t buffer[8];
  std::memset(buffer, 0xcc, sizeof buffer);
  size = sizeof buffer;
  ASSERT_EQ(RegQueryValueEx(key, u"Bare", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(std::u16string(buffer), u"hello");

  EXPECT_EQ(RegQueryValueEx(key, u"Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegSetValueEx(key, u"Bad", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(
      RegQueryValueEx(key, u"Count", nullptr, &type, reinterpret_cast<BYTE*>(&value), nullptr),
      ERROR_INVALID_PARAMETER);
  std::string text;
  EXPECT_EQ(registry::GetString(key, nullptr, "Count", &text), ERROR_UNSUPPORTED_TYPE);
  EXPECT_EQ(registry::GetDword(key, nullptr, "Text", &value), ERROR_UNSUPPORTED_TYPE);
  RegCloseKey(key);
}

TEST_F(RegistryTest, TextWrittenThroughOneFormReadsBackThroughTheOther) {
  ASSERT_EQ(text::AnsiCodePage(), 1256);
  HKEY key = Create(HKEY_CURRENT_USER, u"Texts");

  // ANSI in, UTF-16 out: the name and the data are both converted.
  const std::string greeting = text::Utf8ToAnsi("السلام عليكم");
  const std::string name = text::Utf8ToAnsi("تحية");
  ASSERT_EQ(
      RegSetValueEx(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(greeting.c_str()),
                    static_cast<DWORD>(greeting.size() + 1)),
      ERROR_SUCCESS);
  DWORD size = 0;
  ASSERT_EQ(RegQueryValueEx(key, u"تحية", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 2 * (std::u16string(u"السلام عليكم").size() + 1));
  EXPECT_EQ(ReadText(key, u"تحية"), std::u16string(u"السلام عليكم") + u'\0');

  // UTF-16 in, ANSI out: the size asked for is the ANSI one.
  const std::u16string welcome = u"مرحبا";
  ASSERT_EQ(
      RegSetValueEx(key, u"Welcome", 0, REG_SZ, reinterpret_cast<const BYTE*>(welcome.c_str()),
                    static_cast<DWORD>(2 * (welcome.size() + 1))),
      ERROR_SUCCESS);
  const std::string expected = text::Utf8ToAnsi("مرحبا");
  DWORD type = 0;
  ASSERT_EQ(RegQueryValueEx(key, "Welcome", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, expected.size() + 1);
  std::string buffer(size, 'x');
  ASSERT_EQ(RegQueryValueEx(key, "Welcome", nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                            &size),
            ERROR_SUCCESS);
  EXPECT_EQ(buffer, expected + '\0');

  // Binary data is never converted.
  const BYTE raw[] = {0xe3, 0x00, 0xff};
  ASSERT_EQ(RegSetValueEx(key, "Raw", 0, REG_BINARY, raw, 3), ERROR_SUCCESS);
  BYTE back[3] = {};
  size = 3;
  ASSERT_EQ(RegQueryValueEx(key, u"Raw", nullptr, &type, back, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::memcmp(back, raw, 3), 0);

  std::string utf8;
  ASSERT_EQ(registry::GetString(HKEY_CURRENT_USER, "Texts", "Welcome", &utf8), ERROR_SUCCESS);
  EXPECT_EQ(utf8, "مرحبا");
  RegCloseKey(key);
}

TEST_F(RegistryTest, DefaultValueIsTheEmptyNameAndDeletedValuesAreGone) {
  HKEY key = Create(HKEY_CURRENT_USER, u"Defaults");
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueEx(key, u"", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(SetDword(key, nullptr, 7), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key, u"Other", 8), ERROR_SUCCESS);
  DWORD value = 0;
  EXPECT_EQ(registry::GetDword(key, nullptr, "", &value), ERROR_SUCCESS);
  EXPECT_EQ(value, 7u);
  char16_t name[8];
  DWORD length = 8;
  ASSERT_EQ(RegEnumValue(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(length, 0u);

  EXPECT_EQ(RegDeleteValue(key, static_cast<const char16_t*>(nullptr)), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValue(key, u""), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValue(key, "OTHER"), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueEx(key, u"Other", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(registry::KeyExists(HKEY_CURRENT_USER, "Defaults"));
  RegCloseKey(key);
}

}  // namespace

namespace {

TEST_F(RegistryTest, SeveralTextsWrittenAtOnceReadBackEachAsWrittenAlone) {
  const std::uint64_t before = registry::ChangeStamp();
  ASSERT_EQ(registry::SetStrings(HKEY_CURRENT_USER, "Control Panel\\International",
                                 {{"sShortDate", "dd/MM/yyyy"}, {"s1159", ""}, {"sDate", "ص/"}}),
            ERROR_SUCCESS);
  EXPECT_NE(registry::ChangeStamp(), before);
  std::string text;
  ASSERT_EQ(registry::GetString(HKEY_CURRENT_USER, "Control Panel\\International", "SSHORTDATE", &text),
            ERROR_SUCCESS);
  EXPECT_EQ(text, "dd/MM/yyyy");
  ASSERT_EQ(registry::GetString(HKEY_CURRENT_USER, "Control Panel\\International", "s1159", &text),
            ERROR_SUCCESS);
  EXPECT_EQ(text, "");
  // Through the W form, with its terminator, as SetString writes it.
  HKEY key = nullptr;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, u"Control Panel\\International", &key), ERROR_SUCCESS);
  char16_t data[8] = {};
  DWORD type = 0;
  DWORD size = sizeof data;
  ASSERT_EQ(RegQueryValueEx(key, u"sDate", nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 3 * sizeof(char16_t));
  EXPECT_EQ(std::u16string(data), u"ص/");
  RegCloseKey(key);
  // A bad key path writes nothing.
  EXPECT_EQ(registry::SetStrings(HKEY_CURRENT_USER, "Bad\\\\Path", {{"a", "b"}}), ERROR_INVALID_PARAMETER);
}

}  // namespace

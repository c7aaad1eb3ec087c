// .reg text: regedit's layout, export → import → export, refusing a bad text
// whole, deleting through import, and the encodings a .reg file comes in.

#include <string>
#include <vector>

#include "platform/registry/RegFile.h"
#include "platform/registry/RegistryStore.h"
#include "tests/registry/RegistryTest.h"

namespace {

void SetBytes(const char* path, const char16_t* name, DWORD type, const std::vector<BYTE>& data) {
  HKEY key = Create(HKEY_CURRENT_USER, text::Utf8ToUtf16(path).c_str());
  EXPECT_EQ(RegSetValueEx(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

std::vector<BYTE> Counting(std::size_t n) {
  std::vector<BYTE> data(n);
  for (std::size_t i = 0; i < n; ++i) data[i] = static_cast<BYTE>(i);
  return data;
}

void FillVeltrix() {
  const char* veltrix = "Software\\Veltrix";
  ASSERT_EQ(registry::SetString(HKEY_CURRENT_USER, veltrix, nullptr, "Orvane"), ERROR_SUCCESS);
  ASSERT_EQ(
      registry::SetString(HKEY_CURRENT_USER, veltrix, "Path", "C:\\Program Files\\\"Orvane\""),
      ERROR_SUCCESS);
  ASSERT_EQ(registry::SetString(HKEY_CURRENT_USER, veltrix, "Arabic", "مواقيت الصلاة"),
            ERROR_SUCCESS);
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, veltrix, "Count", 42), ERROR_SUCCESS);
  SetBytes(veltrix, u"Blob", REG_BINARY, Counting(30));
  SetBytes("Software\\Veltrix\\alpha", u"Multi", REG_MULTI_SZ, {'a', 0, 0, 0, 0, 0});
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, "Software\\Veltrix\\Orvane\\3.0", "LogToFile", 1),
            ERROR_SUCCESS);
}

TEST_F(RegistryTest, ExportWritesRegeditsLayout) {
  FillVeltrix();
  std::string out;
  std::string error;
  ASSERT_TRUE(registry::ExportRegText("HKCU\\software\\VELTRIX", &out, &error)) << error;
  // Values in name order after the default one; subkeys depth first in name
  // order ignoring case; hex wrapped where regedit wraps it.
  EXPECT_EQ(out,
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Veltrix]\r\n"
            "@=\"Orvane\"\r\n"
            "\"Arabic\"=\"مواقيت الصلاة\"\r\n"
            "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
            "  16,17,18,19,1a,1b,1c,1d\r\n"
            "\"Count\"=dword:0000002a\r\n"
            "\"Path\"=\"C:\\\\Program Files\\\\\\\"Orvane\\\"\"\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Veltrix\\alpha]\r\n"
            "\"Multi\"=hex(7):61,00,00,00,00,00\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Veltrix\\Orvane]\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Veltrix\\Orvane\\3.0]\r\n"
            "\"LogToFile\"=dword:00000001\r\n"
            "\r\n");

  EXPECT_FALSE(registry::ExportRegText("HKCU\\Software\\Nowhere", &out, &error));
  EXPECT_EQ(error, "no such key: HKCU\\Software\\Nowhere");
  EXPECT_FALSE(registry::ExportRegText("HKEY_NOWHERE\\Software", &out, &error));
  // A name with a line break would make text that reads back as other keys.
  RegCloseKey(Create(HKEY_CURRENT_USER, u"Software\\Veltrix\\Two\nLines"));
  EXPECT_FALSE(registry::ExportRegText("HKCU\\Software", &out, &error));
  EXPECT_NE(error.find("line break"), std::string::npos) << error;
}

TEST_F(RegistryTest, ExportedTextImportsIntoAnEmptyProfileAsTheSameRegistry) {
  FillVeltrix();
  // Text that "..." cannot carry exactly must go as hex(1): rather than be
  // changed: a line break, no terminator, a lone surrogate.
  const std::u16string lines = u"one\ntwo";
  SetBytes("Software\\Veltrix", u"Lines", REG_SZ,
           registry::Utf16ToStored(std::u16string(lines) + u'\0'));
  SetBytes("Software\\Veltrix", u"Bare", REG_SZ, {'a', 0});
  SetBytes("Software\\Veltrix", u"Lone", REG_SZ, {0x00, 0xd8, 0, 0});
  SetBytes("Software\\Veltrix\\Orvane", u"Long", REG_BINARY, Counting(200));
  ASSERT_EQ(registry::SetDword(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes", "Other\\\"root\"", 7),
            ERROR_SUCCESS);
  std::string first;
  std::string error;
  ASSERT_TRUE(registry::ExportRegText("", &first, &error)) << error;
  EXPECT_NE(first.find("\"Lines\"=hex(1):6f,00"), std::string::npos);

  UseProfile(home_ / "copy");
  ASSERT_TRUE(registry::ImportRegText(first, &error)) << error;
  std::string second;
  ASSERT_TRUE(registry::ExportRegText("", &second, &error)) << error;
  EXPECT_EQ(second, first);
  // The same text could still hide changed bytes: compare them.
  HKEY key = Create(HKEY_CURRENT_USER, u"Software\\Veltrix");
  EXPECT_EQ(ReadText(key, u"Lines"), lines + u'\0');
  BYTE data[8] = {};
  DWORD size = sizeof data;
  ASSERT_EQ(RegQueryValueEx(key, u"Bare", nullptr, nullptr, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::vector<BYTE>(data, data + size), (std::vector<BYTE>{'a', 0}));
  size = sizeof data;
  ASSERT_EQ(RegQueryValueEx(key, u"Lone", nullptr, nullptr, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::vector<BYTE>(data, data + size), (std::vector<BYTE>{0x00, 0xd8, 0, 0}));
  RegCloseKey(key);
}

TEST_F(RegistryTest, ABadLineAnywhereImportsNothingAndSaysWhichLine) {
  const std::string head =
      "Windows Registry Editor Version 5.00\n"
      "\n"
      "[HKEY_CURRENT_USER\\Good]\n"
      "\"Kept\"=dword:00000001\n";
  struct Case {
    std::string bad;
    std::string good;
    std::string error;
  };
  const Case cases[] = {
      {"\"Name\"=\"open", "\"Name\"=\"open\"", "line 5: missing closing quote"},
      {"\"Path\"=\"a\\b\"", "\"Path\"=\"a\\\\b\"",
       "line 5: unknown escape: only \\\\ and \\\" may follow a backslash"},
      {"\"Count\"=dword:123456789", "\"Count\"=dword:12345678",
       "line 5: dword: needs 1 to 8 hexadecimal digits"},
      {"\"Blob\"=hex:01,zz", "\"Blob\"=hex:01,ff", "line 5: bad byte \"zz\" in hex data"},
      {"\"Blob\"=hex:01,\\\n  02,,03", "\"Blob\"=hex:01,\\\n  02,03",
       "line 6: empty byte in hex data"},
      {"\"Blob\"=hex:01,\\", "\"Blob\"=hex:01",
       "line 5: hex data goes on past the end of the text"},
      {"[HKEY_NOWHERE\\Key]", "[HKEY_LOCAL_MACHINE\\Key]",
       "line 5: unknown root key in \"HKEY_NOWHERE\\Key\""},
      {"[HKEY_CURRENT_USER\\a\\\\b]", "[HKEY_CURRENT_USER\\a\\b]",
       "line 5: key path with an empty part, a name over 255 characters or over 512 levels"},
      {"[-HKEY_CURRENT_USER\\Gone]\n\"Orphan\"=dword:1",
       "[-HKEY_CURRENT_USER\\Gone]\n;\"Orphan\"=dword:1", "line 6: value outside a key"},
      {"\"Text\"=\"\xff\"", "\"Text\"=\"\xc3\xbf\"", "line 5: malformed UTF-8"},
      {"Name=1", "\"Name\"=\"1\"", "line 5: expected [KEY], \"name\"=, @= or a ; comment"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(registry::ImportRegText(head + c.bad + "\n", &error)) << c.bad;
    EXPECT_EQ(error, c.error);
    EXPECT_FALSE(registry::KeyExists(HKEY_CURRENT_USER, "Good")) << c.bad;
    EXPECT_TRUE(registry::ImportRegText(head + c.good + "\n", &error)) << c.good << ": " << error;
    ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, static_cast<const char16_t*>(nullptr)),
              ERROR_SUCCESS);
  }
  std::string error;
  EXPECT_FALSE(registry::ImportRegText("REGEDIT4\n\n[HKEY_CURRENT_USER\\Good]\n", &error));
  EXPECT_EQ(error, "line 1: expected \"Windows Registry Editor Version 5.00\"");
}

TEST_F(RegistryTest, ImportDeletesKeysAndValuesItIsToldTo) {
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, "Doomed\\Child", "v", 1), ERROR_SUCCESS);
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, "Keep", "a", 1), ERROR_SUCCESS);
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, "Keep", "b", 2), ERROR_SUCCESS);
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, "Keep", nullptr, 3), ERROR_SUCCESS);
  std::string error;
  ASSERT_TRUE(
      registry::ImportRegText("Windows Registry Editor Version 5.00\n"
                              "\n"
                              "[-HKEY_CURRENT_USER\\Doomed]\n"
                              "[-HKEY_CURRENT_USER\\NeverWasThere]\n"
                              "\n"
                              "[HKEY_CURRENT_USER\\Keep]\n"
                              "\"A\"=-\n"
                              "@=-\n"
                              "\"c\"=\"new\"\n",
                              &error))
      << error;
  EXPECT_FALSE(registry::KeyExists(HKEY_CURRENT_USER, "Doomed"));
  DWORD value = 0;
  EXPECT_EQ(registry::GetDword(HKEY_CURRENT_USER, "Keep", "a", &value), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(registry::GetDword(HKEY_CURRENT_USER, "Keep", nullptr, &value), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(registry::GetDword(HKEY_CURRENT_USER, "Keep", "b", &value), ERROR_SUCCESS);
  std::string text;
  EXPECT_EQ(registry::GetString(HKEY_CURRENT_USER, "Keep", "c", &text), ERROR_SUCCESS);
  EXPECT_EQ(text, "new");
}

TEST_F(RegistryTest, ImportReadsUtf16AndUtf8WithByteOrderMarksCrlfAndComments) {
  const std::string body =
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; the settings\r\n"
      "[HKEY_CURRENT_USER\\Software\\Veltrix]\r\n"
      "  \"City\" = \"مكة\"\r\n"
      "\"Blob\"=hex:01,02,\\\r\n"
      "  03\r\n";
  const std::u16string wide = text::Utf8ToUtf16(body);
  std::string utf16 = "\xff\xfe";
  for (char16_t c : wide) {
    utf16.push_back(static_cast<char>(c & 0xff));
    utf16.push_back(static_cast<char>(c >> 8));
  }
  for (const std::string& input : {utf16, "\xef\xbb\xbf" + body}) {
    std::string error;
    ASSERT_TRUE(registry::ImportRegText(input, &error)) << error;
    std::string city;
    EXPECT_EQ(registry::GetString(HKEY_CURRENT_USER, "Software\\Veltrix", "City", &city),
              ERROR_SUCCESS);
    EXPECT_EQ(city, "مكة");
    HKEY key = Create(HKEY_CURRENT_USER, u"Software\\Veltrix");
    BYTE blob[4] = {};
    DWORD size = sizeof blob;
    EXPECT_EQ(RegQueryValueEx(key, u"Blob", nullptr, nullptr, blob, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::vector<BYTE>(blob, blob + size), (std::vector<BYTE>{1, 2, 3}));
    RegCloseKey(key);
    ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, u"Software"), ERROR_SUCCESS);
  }

  // A lone surrogate or half a code unit is no text at all.
  std::string error;
  EXPECT_FALSE(registry::ImportRegText(utf16 + std::string("\x00\xd8", 2), &error));
  EXPECT_EQ(error, "line 8: malformed UTF-16");
  EXPECT_FALSE(registry::ImportRegText(utf16 + "\x41", &error));
  EXPECT_EQ(error, "line 1: UTF-16 text with an odd number of bytes");
}

}  // namespace

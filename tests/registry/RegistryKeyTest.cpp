// Keys: opening, creating, names without case, deleting, stale handles and
// enumeration.

#include <string>

#include "tests/registry/RegistryTest.h"

namespace {

std::u16string SubkeyName(HKEY key, DWORD index) {
  char16_t name[64];
  DWORD length = 64;
  if (RegEnumKeyEx(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
      ERROR_SUCCESS) {
    return u"<none>";
  }
  return std::u16string(name, length);
}

TEST_F(RegistryTest, OpenFindsOnlyExistingKeysAndCreateMakesEveryMissingParent) {
  HKEY key = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(Open(HKEY_CURRENT_USER, u"Software\\Veltrix", &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);

  DWORD disposition = 0;
  HKEY deep = Create(HKEY_CURRENT_USER, u"Software\\Veltrix\\Orvane\\3.0", &disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  HKEY parent = Create(HKEY_CURRENT_USER, u"Software\\Veltrix", &disposition);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  RegCloseKey(Create(HKEY_CURRENT_USER, u"Software\\Veltrix\\Orvane\\3.0", &disposition));
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

  // Relative to a handle, with a trailing backslash, and the key itself.
  HKEY relative = nullptr;
  ASSERT_EQ(Open(parent, u"Orvane\\3.0\\", &relative), ERROR_SUCCESS);
  HKEY same = nullptr;
  ASSERT_EQ(Open(deep, nullptr, &same), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(deep, u"LogToFile", 1), ERROR_SUCCESS);
  DWORD value = 0;
  EXPECT_EQ(registry::GetDword(relative, nullptr, "LogToFile", &value), ERROR_SUCCESS);
  EXPECT_EQ(registry::GetDword(same, "", "LogToFile", &value), ERROR_SUCCESS);
  EXPECT_EQ(value, 1u);

  // The roots are apart, and no key can have an empty name.
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, u"Software\\Veltrix", &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open(HKEY_CURRENT_USER, u"Software\\\\Veltrix", &key), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"\\Software", 0, nullptr, 0, KEY_WRITE, nullptr,
                           &key, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Open(HKEY_CURRENT_USER, u"Software", nullptr), ERROR_INVALID_PARAMETER);
  // Windows' limits: names of 255 characters, 512 levels.
  std::u16string deepest = u"d";
  for (int i = 1; i < 512; ++i) deepest += u"\\d";
  RegCloseKey(Create(HKEY_CURRENT_USER, deepest.c_str()));
  EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, (deepest + u"\\d").c_str(), 0, nullptr, 0,
                           KEY_WRITE, nullptr, &key, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, std::u16string(256, u'n').c_str(), 0, nullptr, 0,
                           KEY_WRITE, nullptr, &key, nullptr),
            ERROR_INVALID_PARAMETER);
  RegCloseKey(Create(HKEY_CURRENT_USER, std::u16string(255, u'n').c_str()));

  HKEY root = nullptr;
  const char* rest = nullptr;
  ASSERT_TRUE(registry::SplitRoot("hkcu\\Software\\Veltrix", &root, &rest));
  EXPECT_EQ(root, HKEY_CURRENT_USER);
  EXPECT_STREQ(rest, "Software\\Veltrix");
  ASSERT_TRUE(registry::SplitRoot("HKEY_LOCAL_MACHINE", &root, &rest));
  EXPECT_EQ(root, HKEY_LOCAL_MACHINE);
  EXPECT_STREQ(rest, "");
  EXPECT_FALSE(registry::SplitRoot("HKEY_CURRENT_USERS\\Software", &root, &rest));

  EXPECT_TRUE(registry::KeyExists(HKEY_CURRENT_USER, "Software\\Veltrix\\Orvane"));
  for (HKEY k : {deep, parent, relative, same}) EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
}

TEST_F(RegistryTest, NamesMatchWithoutRegardToCaseAndKeepTheirFirstSpelling) {
  HKEY key = Create(HKEY_CURRENT_USER, u"Software\\Veltrix");
  HKEY other = nullptr;
  EXPECT_EQ(Open(HKEY_CURRENT_USER, u"SOFTWARE\\vELTRIX", &other), ERROR_SUCCESS);
  RegCloseKey(other);
  DWORD disposition = 0;
  RegCloseKey(Create(HKEY_CURRENT_USER, u"software", &disposition));
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  EXPECT_EQ(SubkeyName(HKEY_CURRENT_USER, 0), u"Software");
  EXPECT_EQ(SubkeyName(HKEY_CURRENT_USER, 1), u"<none>");

  // Letters beyond ASCII fold too.
  RegCloseKey(Create(key, u"École"));
  EXPECT_EQ(Open(key, u"éCOLE", &other), ERROR_SUCCESS);
  RegCloseKey(other);
  // One letter is one letter, as on Windows: ß is not "SS".
  RegCloseKey(Create(key, u"Straße"));
  EXPECT_EQ(Open(key, u"STRASSE", &other), ERROR_FILE_NOT_FOUND);

  // Values: a later spelling changes the data, not the name.
  ASSERT_EQ(SetDword(key, u"Name", 1), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key, u"NAME", 2), ERROR_SUCCESS);
  DWORD value = 0;
  EXPECT_EQ(registry::GetDword(key, nullptr, "nAmE", &value), ERROR_SUCCESS);
  EXPECT_EQ(value, 2u);
  ASSERT_EQ(registry::SetString(key, nullptr, "Éa", "x"), ERROR_SUCCESS);
  std::string text;
  EXPECT_EQ(registry::GetString(key, nullptr, "éA", &text), ERROR_SUCCESS);
  char16_t name[16];
  DWORD length = 16;
  ASSERT_EQ(RegEnumValue(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name, length), u"Name");
  RegCloseKey(key);
}

TEST_F(RegistryTest, DeleteKeyRefusesSubkeysWhileDeleteTreeTakesEverythingBelow) {
  HKEY a = Create(HKEY_CURRENT_USER, u"A\\B\\C");
  ASSERT_EQ(SetDword(a, u"v", 1), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, u"A"), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(registry::KeyExists(HKEY_CURRENT_USER, "A\\B\\C"));
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, u"A\\B\\C"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, u"A\\B"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, u"A\\B"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, static_cast<const char16_t*>(nullptr)),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, u""), ERROR_ACCESS_DENIED);  // a root stays
  RegCloseKey(a);

  // A tree goes whole; its neighbours, even those whose names begin alike, stay.
  RegCloseKey(Create(HKEY_CURRENT_USER, u"T\\X\\Y"));
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, "T\\X\\Y", "deep", 1), ERROR_SUCCESS);
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, "T\\Z", "z", 1), ERROR_SUCCESS);
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, "T2", "kept", 1), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteTree(HKEY_CURRENT_USER, u"T"), ERROR_SUCCESS);
  EXPECT_FALSE(registry::KeyExists(HKEY_CURRENT_USER, "T"));
  EXPECT_EQ(RegDeleteTree(HKEY_CURRENT_USER, u"T"), ERROR_FILE_NOT_FOUND);
  DWORD value = 0;
  EXPECT_EQ(registry::GetDword(HKEY_CURRENT_USER, "T2", "kept", &value), ERROR_SUCCESS);

  // Without a sub key, the key is emptied but stays.
  HKEY t2 = Create(HKEY_CURRENT_USER, u"T2");
  RegCloseKey(Create(t2, u"Inner"));
  EXPECT_EQ(RegDeleteTree(t2, static_cast<const char16_t*>(nullptr)), ERROR_SUCCESS);
  EXPECT_TRUE(registry::KeyExists(HKEY_CURRENT_USER, "T2"));
  EXPECT_EQ(SubkeyName(t2, 0), u"<none>");
  char16_t name[8];
  DWORD length = 8;
  EXPECT_EQ(RegEnumValue(t2, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  RegCloseKey(t2);
}

TEST_F(RegistryTest, HandlesOfDeletedKeysAndClosedOrMadeUpHandlesAreRefused) {
  HKEY b = Create(HKEY_CURRENT_USER, u"A\\B");
  ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, u"A"), ERROR_SUCCESS);
  DWORD size = 0;
  HKEY child = nullptr;
  EXPECT_EQ(RegQueryValueEx(b, u"v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(SetDword(b, u"v", 1), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCreateKeyEx(b, u"C", 0, nullptr, 0, KEY_WRITE, nullptr, &child, nullptr),
            ERROR_KEY_DELETED);
  EXPECT_FALSE(registry::KeyExists(HKEY_CURRENT_USER, "A"));  // and nothing was re-created

  // A key made again at the same path is another key: the old handle must
  // not come to name it (row ids of deleted keys are not reused).
  RegCloseKey(Create(HKEY_CURRENT_USER, u"A\\B"));
  EXPECT_EQ(SetDword(b, u"v", 1), ERROR_KEY_DELETED);

  EXPECT_EQ(RegCloseKey(b), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(b), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueEx(b, u"v", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SetDword(reinterpret_cast<HKEY>(0x1234), u"v", 1), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SetDword(nullptr, u"v", 1), ERROR_INVALID_HANDLE);

  // The roots are never closed.
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(SetDword(HKEY_CURRENT_USER, u"v", 1), ERROR_SUCCESS);
}

TEST_F(RegistryTest, EnumerationFollowsNamesIgnoringCaseAndEndsWithNoMoreItems) {
  HKEY key = Create(HKEY_CURRENT_USER, u"List");
  for (const char16_t* name : {u"gamma", u"Alpha", u"beta", u"Delta"}) {
    RegCloseKey(Create(key, name));
  }
  EXPECT_EQ(SubkeyName(key, 0), u"Alpha");
  EXPECT_EQ(SubkeyName(key, 1), u"beta");
  EXPECT_EQ(SubkeyName(key, 2), u"Delta");
  EXPECT_EQ(SubkeyName(key, 3), u"gamma");
  char16_t name[8];
  DWORD length = 8;
  EXPECT_EQ(RegEnumKeyEx(key, 4, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  // "Alpha" needs 6 characters with its terminator.
  length = 5;
  EXPECT_EQ(RegEnumKeyEx(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  EXPECT_EQ(length, 5u);
  length = 6;
  EXPECT_EQ(RegEnumKeyEx(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(length, 5u);
  EXPECT_EQ(name[5], u'\0');

  // Values, with their data, and the A form's names in the code page.
  ASSERT_EQ(SetDword(key, u"b", 2), ERROR_SUCCESS);
  ASSERT_EQ(registry::SetString(key, nullptr, "صلاة", "x"), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key, u"A", 1), ERROR_SUCCESS);
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = 2;
  length = 8;
  EXPECT_EQ(
      RegEnumValue(key, 1, name, &length, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size),
      ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  length = 8;
  ASSERT_EQ(
      RegEnumValue(key, 1, name, &length, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name, length), u"b");
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(data, 2u);
  char ansi[16];
  length = 16;
  ASSERT_EQ(RegEnumValue(key, 2, ansi, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::string(ansi, length), text::Utf8ToAnsi("صلاة"));
  length = 16;
  EXPECT_EQ(RegEnumValue(key, 3, ansi, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  RegCloseKey(key);
}

}  // namespace

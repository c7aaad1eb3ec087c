#pragma once
// The registry: keys and values (REG_DWORD, REG_SZ, REG_BINARY) under
// HKEY_CLASSES_ROOT, HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, with the
// semantics and error codes of the Win32 functions of the same names.
//
// Stored in registry.db of the profile (SQLite, WAL): every call that
// returns ERROR_SUCCESS after a write has committed it, so it survives a
// crash of the process, and several processes may share one profile.
//
// Names of keys and values are compared without regard to case. Each
// function comes in two forms, as the A and W functions of Windows do:
// with char strings in the ANSI code page (text::AnsiCodePage()) and with
// char16_t strings in UTF-16. REG_SZ data is read and written in the same
// character set as the names of the call (ANSI bytes or UTF-16 code units,
// each with its terminator counted in the size), and kept as UTF-16, so a
// value written by one form reads correctly through the other.
//
// A key path separates its parts with backslashes ("Software\\Veltrix"). A
// single trailing backslash is ignored; an empty part, a part longer than
// 255 characters or a key deeper than 512 levels below its root is refused
// with ERROR_INVALID_PARAMETER, as no such key can be stored.
//
// A handle (HKEY) is owned by the caller and released with RegCloseKey. It
// keeps naming the key of the profile it was opened in, even when
// ORVANE_HOME changes afterwards.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/WinTypes.h"
#include "platform/win/WinError.h"

struct RegistryKeyHandle;
using HKEY = RegistryKeyHandle*;
using REGSAM = DWORD;

// The predefined root keys: never opened, never closed.
extern const HKEY HKEY_CLASSES_ROOT;
extern const HKEY HKEY_CURRENT_USER;
extern const HKEY HKEY_LOCAL_MACHINE;

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;  // converted between the A and W forms like REG_SZ
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;   // converted between the A and W forms like REG_SZ

// Access rights are accepted and ignored: every handle may read and write.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens an existing key; ERROR_FILE_NOT_FOUND when it does not exist. A null
// or empty sub key opens a new handle to the key itself.
LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result);
LONG RegOpenKeyEx(HKEY key, const char16_t* subKey, DWORD options, REGSAM access, HKEY* result);

// Opens the key, creating it and every missing parent. *disposition (may be
// null) tells REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                    REGSAM access, void* security, HKEY* result, DWORD* disposition);
LONG RegCreateKeyEx(HKEY key, const char16_t* subKey, DWORD reserved, char16_t* keyClass,
                    DWORD options, REGSAM access, void* security, HKEY* result,
                    DWORD* disposition);

// Closing a predefined root is allowed and does nothing.
LONG RegCloseKey(HKEY key);

// A null or empty name is the key's default value.
LONG RegSetValueEx(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD size);
LONG RegSetValueEx(HKEY key, const char16_t* name, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD size);

// Several values of one key, written in one transaction: all of them or, on
// failure, none. What is saved together (a set of settings) is then never
// found half old and half new, whenever the process is stopped.
template <class CharT>
struct RegValueWrite {
  std::basic_string<CharT> name;
  DWORD type;
  std::vector<BYTE> data;  // as RegSetValueEx takes it
};
LONG RegSetValues(HKEY key, const std::vector<RegValueWrite<char>>& values);
LONG RegSetValues(HKEY key, const std::vector<RegValueWrite<char16_t>>& values);

// Reads a value. With data null, only *type and *size are filled. When the
// buffer (*size bytes) is too small, ERROR_MORE_DATA and *size is the size
// needed. REG_SZ data is terminated whenever the buffer has room.
LONG RegQueryValueEx(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* size);
LONG RegQueryValueEx(HKEY key, const char16_t* name, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* size);

LONG RegDeleteValue(HKEY key, const char* name);
LONG RegDeleteValue(HKEY key, const char16_t* name);

// Deletes a key that has no subkeys (ERROR_ACCESS_DENIED when it has some).
LONG RegDeleteKey(HKEY key, const char* subKey);
LONG RegDeleteKey(HKEY key, const char16_t* subKey);

// Deletes the sub key with all its subkeys and values, in one transaction;
// with a null sub key, deletes the subkeys and values of the key itself.
LONG RegDeleteTree(HKEY key, const char* subKey);
LONG RegDeleteTree(HKEY key, const char16_t* subKey);

// Enumerates subkeys and values in the order of their names, ignoring case.
// *nameLength is in characters, without the terminator, on the way out; on
// the way in it is the buffer's size in characters, terminator included.
// When the name does not fit, ERROR_MORE_DATA and *nameLength is the length
// needed, without the terminator. Keys have no class here (an empty one is
// returned when asked for) and lastWriteTime is left untouched.
LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* reserved,
                  char* keyClass, DWORD* classLength, void* lastWriteTime);
LONG RegEnumKeyEx(HKEY key, DWORD index, char16_t* name, DWORD* nameLength, DWORD* reserved,
                  char16_t* keyClass, DWORD* classLength, void* lastWriteTime);
LONG RegEnumValue(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* reserved,
                  DWORD* type, BYTE* data, DWORD* dataLength);
LONG RegEnumValue(HKEY key, DWORD index, char16_t* name, DWORD* nameLength, DWORD* reserved,
                  DWORD* type, BYTE* data, DWORD* dataLength);

// Convenience for our own C++ code (host, tests, registration): UTF-8 paths
// and names, REG_SZ as UTF-8. Paths start at a root written out in full or
// short ("HKEY_CURRENT_USER\\Software\\X" or "HKCU\\Software\\X").
namespace registry {

// Splits a full path into its root and the rest; false for an unknown root.
bool SplitRoot(const char* path, HKEY* root, const char** rest);

// Set creates the sub key when missing; a null sub key means the key itself,
// a null name the default value. Get answers ERROR_UNSUPPORTED_TYPE when the
// value is not a REG_SZ (a 4-byte REG_DWORD for GetDword); GetString gives
// the text up to its first terminator.
LONG SetString(HKEY key, const char* subKey, const char* name, const char* utf8);
// Several REG_SZ values of one key (created when missing), written in one
// transaction: all of them or, on failure, none.
LONG SetStrings(HKEY key, const char* subKey,
                const std::vector<std::pair<std::string, std::string>>& namesAndValues);
LONG SetDword(HKEY key, const char* subKey, const char* name, DWORD value);
LONG GetString(HKEY key, const char* subKey, const char* name, std::string* utf8);
LONG GetDword(HKEY key, const char* subKey, const char* name, DWORD* value);
bool KeyExists(HKEY key, const char* subKey);

// A number that changes whenever the registry of the current profile may
// have changed since it was last answered: any write of this process, any
// commit of another process, another profile. Costs far less than reading
// a value, so values read again and again (the user's locale) can be kept
// for as long as it stays the same. 0 when the registry cannot tell: keep
// nothing then.
std::uint64_t ChangeStamp();

}  // namespace registry

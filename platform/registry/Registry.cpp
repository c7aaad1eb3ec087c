#include "platform/registry/Registry.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/registry/RegistryError.h"
#include "platform/registry/RegistryStore.h"
#include "platform/text/TextConvert.h"

using registry::KeyId;
using registry::RegistryError;
using registry::RegistryStore;
using registry::StoredValue;
using Transaction = registry::RegistryStore::Transaction;
using Mode = registry::RegistryStore::Transaction::Mode;

struct RegistryKeyHandle {
  // The store the key lives in; null for the predefined roots, which stand
  // for the root of whatever profile is current.
  std::shared_ptr<RegistryStore> store;
  KeyId id;
};

namespace {

RegistryKeyHandle g_classesRoot{nullptr, registry::kClassesRootId};
RegistryKeyHandle g_currentUser{nullptr, registry::kCurrentUserId};
RegistryKeyHandle g_localMachine{nullptr, registry::kLocalMachineId};

}  // namespace

const HKEY HKEY_CLASSES_ROOT = &g_classesRoot;
const HKEY HKEY_CURRENT_USER = &g_currentUser;
const HKEY HKEY_LOCAL_MACHINE = &g_localMachine;

namespace {

bool IsRoot(HKEY key) {
  return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE;
}

// Every handle we gave out and that is not closed yet. A closed or made-up
// handle is answered with ERROR_INVALID_HANDLE instead of being dereferenced.
class HandleTable {
 public:
  HKEY Add(std::shared_ptr<RegistryStore> store, KeyId id) {
    auto handle = std::make_unique<RegistryKeyHandle>(RegistryKeyHandle{std::move(store), id});
    std::lock_guard<std::mutex> lock(mutex_);
    handles_.insert(handle.get());
    return handle.release();
  }

  bool Remove(HKEY key) {
    std::unique_ptr<RegistryKeyHandle> owned;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (handles_.erase(key) == 0) return false;
      owned.reset(key);
    }
    return true;  // the store, if this was its last user, closes outside the lock
  }

  // A copy, so that closing the handle meanwhile on another thread is safe.
  bool Find(HKEY key, RegistryKeyHandle* copy) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (handles_.count(key) == 0) return false;
    *copy = *key;
    return true;
  }

 private:
  std::mutex mutex_;
  std::unordered_set<HKEY> handles_;
};

HandleTable& Handles() {
  // An object, not a leaked pointer: an add-in module that is unloaded and
  // loaded again must not leave its table behind each time.
  static HandleTable table;
  return table;
}

struct Target {
  std::shared_ptr<RegistryStore> store;
  KeyId id;
};

// Call before converting ANSI names: the first use of a profile may change
// the ANSI code page.
Target Resolve(HKEY key) {
  if (IsRoot(key)) return Target{RegistryStore::ForCurrentProfile(), key->id};
  RegistryKeyHandle copy;
  if (key == nullptr || !Handles().Find(key, &copy)) {
    throw RegistryError(ERROR_INVALID_HANDLE, "not an open registry key");
  }
  return Target{std::move(copy.store), copy.id};
}

template <class Body>
LONG Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const RegistryError& e) {
    return e.Code();
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  } catch (...) {
    return ERROR_BADDB;
  }
}

// Names and string data cross in the character set of the call: the ANSI
// code page for the A forms, UTF-16 for the W forms.
std::string ToUtf8(const char* s) { return s != nullptr ? text::AnsiToUtf8(s) : std::string(); }
std::string ToUtf8(const char16_t* s) {
  return s != nullptr ? text::Utf16ToUtf8(s) : std::string();
}

template <class CharT>
std::basic_string<CharT> FromUtf8(const std::string& utf8);
template <>
std::string FromUtf8<char>(const std::string& utf8) {
  return text::Utf8ToAnsi(utf8);
}
template <>
std::u16string FromUtf8<char16_t>(const std::string& utf8) {
  return text::Utf8ToUtf16(utf8);
}

bool IsStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::vector<BYTE> ToStored(char, DWORD type, const BYTE* data, DWORD size) {
  if (!IsStringType(type)) return std::vector<BYTE>(data, data + size);
  return registry::Utf16ToStored(
      text::AnsiToUtf16(std::string_view(reinterpret_cast<const char*>(data), size)));
}
std::vector<BYTE> ToStored(char16_t, DWORD, const BYTE* data, DWORD size) {
  return std::vector<BYTE>(data, data + size);
}

std::vector<BYTE> FromStored(char, const StoredValue& value) {
  if (!IsStringType(value.type)) return value.data;
  const std::string ansi = text::Utf16ToAnsi(registry::StoredToUtf16(value.data));
  return std::vector<BYTE>(ansi.begin(), ansi.end());
}
std::vector<BYTE> FromStored(char16_t, const StoredValue& value) { return value.data; }

bool EndsWithTerminator(const std::vector<BYTE>& data, std::size_t charSize) {
  if (data.size() < charSize || data.size() % charSize != 0) return false;
  for (std::size_t i = data.size() - charSize; i < data.size(); ++i) {
    if (data[i] != 0) return false;
  }
  return true;
}

// Fills the caller's type, data and size as RegQueryValueEx does.
LONG CopyData(DWORD storedType, const std::vector<BYTE>& bytes, std::size_t charSize, DWORD* type,
              BYTE* data, DWORD* size) {
  if (bytes.size() > 0xffffffffu) return ERROR_OUTOFMEMORY;
  const auto needed = static_cast<DWORD>(bytes.size());
  if (type != nullptr) *type = storedType;
  if (data == nullptr) {
    if (size != nullptr) *size = needed;
    return ERROR_SUCCESS;
  }
  if (*size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (needed > 0) std::memcpy(data, bytes.data(), needed);
  // Text written without its terminator still reads back as a C string
  // when the caller left room for one.
  if (IsStringType(storedType) && !EndsWithTerminator(bytes, charSize) &&
      *size - needed >= charSize) {
    std::memset(data + needed, 0, charSize);
  }
  *size = needed;
  return ERROR_SUCCESS;
}

template <class CharT>
LONG CopyName(const std::string& utf8, CharT* name, DWORD* nameLength) {
  const std::basic_string<CharT> converted = FromUtf8<CharT>(utf8);
  if (converted.size() >= *nameLength) {
    *nameLength = static_cast<DWORD>(converted.size());
    return ERROR_MORE_DATA;
  }
  std::copy(converted.begin(), converted.end(), name);
  name[converted.size()] = CharT{};
  *nameLength = static_cast<DWORD>(converted.size());
  return ERROR_SUCCESS;
}

// What every function does first: check the handle, convert the name (after
// resolving the handle: the first use of a profile may change the ANSI code
// page), begin a transaction and make sure the key was not deleted meanwhile.
// A body that writes commits before it returns.
template <class CharT, class Body>
LONG OnKey(HKEY key, const CharT* name, Mode mode, Body&& body) {
  return Guarded([&] {
    Target target = Resolve(key);
    const std::string utf8 = ToUtf8(name);
    Transaction txn(*target.store, mode);
    txn.RequireKey(target.id);
    return body(txn, target, utf8);
  });
}

template <class CharT>
LONG OpenKey(HKEY key, const CharT* subKey, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  return OnKey(key, subKey, Mode::kRead,
               [&](Transaction& txn, Target& target, const std::string& path) {
                 const std::optional<KeyId> found = txn.FindPath(target.id, path);
                 if (!found) return ERROR_FILE_NOT_FOUND;
                 *result = Handles().Add(target.store, *found);
                 return ERROR_SUCCESS;
               });
}

template <class CharT>
LONG CreateKey(HKEY key, const CharT* subKey, HKEY* result, DWORD* disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  return OnKey(key, subKey, Mode::kWrite,
               [&](Transaction& txn, Target& target, const std::string& path) {
                 bool created = false;
                 const KeyId id = txn.CreatePath(target.id, path, &created);
                 txn.Commit();
                 *result = Handles().Add(target.store, id);
                 if (disposition != nullptr)
                   *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
                 return ERROR_SUCCESS;
               });
}

template <class CharT>
LONG SetValue(HKEY key, const CharT* name, DWORD type, const BYTE* data, DWORD size) {
  if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
  return OnKey(key, name, Mode::kWrite,
               [&](Transaction& txn, Target& target, const std::string& utf8) {
                 txn.SetValue(target.id, utf8, type, ToStored(CharT{}, type, data, size));
                 txn.Commit();
                 return ERROR_SUCCESS;
               });
}

template <class CharT>
LONG SetValues(HKEY key, const std::vector<RegValueWrite<CharT>>& values) {
  for (const RegValueWrite<CharT>& value : values) {
    if (value.data.size() > 0xffffffffu) return ERROR_INVALID_PARAMETER;
  }
  return OnKey(key, static_cast<const CharT*>(nullptr), Mode::kWrite,
               [&](Transaction& txn, Target& target, const std::string&) {
                 for (const RegValueWrite<CharT>& value : values) {
                   txn.SetValue(target.id, ToUtf8(value.name.c_str()), value.type,
                                ToStored(CharT{}, value.type, value.data.data(),
                                         static_cast<DWORD>(value.data.size())));
                 }
                 txn.Commit();
                 return ERROR_SUCCESS;
               });
}

template <class CharT>
LONG QueryValue(HKEY key, const CharT* name, DWORD* type, BYTE* data, DWORD* size) {
  if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
  return OnKey(
      key, name, Mode::kRead, [&](Transaction& txn, Target& target, const std::string& utf8) {
        const std::optional<StoredValue> value = txn.GetValue(target.id, utf8);
        if (!value) return ERROR_FILE_NOT_FOUND;
        return CopyData(value->type, FromStored(CharT{}, *value), sizeof(CharT), type, data, size);
      });
}

template <class CharT>
LONG DeleteValue(HKEY key, const CharT* name) {
  return OnKey(key, name, Mode::kWrite,
               [&](Transaction& txn, Target& target, const std::string& utf8) {
                 if (!txn.DeleteValue(target.id, utf8)) return ERROR_FILE_NOT_FOUND;
                 txn.Commit();
                 return ERROR_SUCCESS;
               });
}

template <class CharT>
LONG DeleteKey(HKEY key, const CharT* subKey) {
  if (subKey == nullptr) return ERROR_INVALID_PARAMETER;
  return OnKey(key, subKey, Mode::kWrite,
               [&](Transaction& txn, Target& target, const std::string& path) {
                 const std::optional<KeyId> found = txn.FindPath(target.id, path);
                 if (!found) return ERROR_FILE_NOT_FOUND;
                 if (*found == registry::kClassesRootId || *found == registry::kCurrentUserId ||
                     *found == registry::kLocalMachineId || txn.HasSubkeys(*found)) {
                   return ERROR_ACCESS_DENIED;
                 }
                 txn.DeleteSubtree(*found, true);
                 txn.Commit();
                 return ERROR_SUCCESS;
               });
}

template <class CharT>
LONG DeleteTree(HKEY key, const CharT* subKey) {
  return OnKey(key, subKey, Mode::kWrite,
               [&](Transaction& txn, Target& target, const std::string& path) {
                 if (path.empty()) {
                   txn.DeleteSubtree(target.id, false);
                 } else {
                   const std::optional<KeyId> found = txn.FindPath(target.id, path);
                   if (!found) return ERROR_FILE_NOT_FOUND;
                   txn.DeleteSubtree(*found, true);
                 }
                 txn.Commit();
                 return ERROR_SUCCESS;
               });
}

template <class CharT>
LONG EnumKey(HKEY key, DWORD index, CharT* name, DWORD* nameLength, CharT* keyClass,
             DWORD* classLength) {
  if (name == nullptr || nameLength == nullptr) return ERROR_INVALID_PARAMETER;
  const CharT* noName = nullptr;
  return OnKey(key, noName, Mode::kRead, [&](Transaction& txn, Target& target, const std::string&) {
    const std::optional<registry::StoredKey> found = txn.SubkeyAt(target.id, index);
    if (!found) return ERROR_NO_MORE_ITEMS;
    if (keyClass != nullptr && classLength != nullptr && *classLength > 0) *keyClass = CharT{};
    if (classLength != nullptr) *classLength = 0;
    return CopyName(found->name, name, nameLength);
  });
}

template <class CharT>
LONG EnumValue(HKEY key, DWORD index, CharT* name, DWORD* nameLength, DWORD* type, BYTE* data,
               DWORD* dataLength) {
  if (name == nullptr || nameLength == nullptr) return ERROR_INVALID_PARAMETER;
  if (data != nullptr && dataLength == nullptr) return ERROR_INVALID_PARAMETER;
  const CharT* noName = nullptr;
  return OnKey(key, noName, Mode::kRead, [&](Transaction& txn, Target& target, const std::string&) {
    const std::optional<StoredValue> found = txn.ValueAt(target.id, index);
    if (!found) return ERROR_NO_MORE_ITEMS;
    const LONG named = CopyName(found->name, name, nameLength);
    const LONG copied =
        CopyData(found->type, FromStored(CharT{}, *found), sizeof(CharT), type, data, dataLength);
    return named != ERROR_SUCCESS ? named : copied;
  });
}

}  // namespace

LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD, REGSAM, HKEY* result) {
  return OpenKey(key, subKey, result);
}
LONG RegOpenKeyEx(HKEY key, const char16_t* subKey, DWORD, REGSAM, HKEY* result) {
  return OpenKey(key, subKey, result);
}

LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD, char*, DWORD, REGSAM, void*, HKEY* result,
                    DWORD* disposition) {
  return CreateKey(key, subKey, result, disposition);
}
LONG RegCreateKeyEx(HKEY key, const char16_t* subKey, DWORD, char16_t*, DWORD, REGSAM, void*,
                    HKEY* result, DWORD* disposition) {
  return CreateKey(key, subKey, result, disposition);
}

LONG RegCloseKey(HKEY key) {
  if (IsRoot(key)) return ERROR_SUCCESS;
  return Handles().Remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegSetValueEx(HKEY key, const char* name, DWORD, DWORD type, const BYTE* data, DWORD size) {
  return SetValue(key, name, type, data, size);
}
LONG RegSetValueEx(HKEY key, const char16_t* name, DWORD, DWORD type, const BYTE* data,
                   DWORD size) {
  return SetValue(key, name, type, data, size);
}

LONG RegSetValues(HKEY key, const std::vector<RegValueWrite<char>>& values) { return SetValues(key, values); }
LONG RegSetValues(HKEY key, const std::vector<RegValueWrite<char16_t>>& values) { return SetValues(key, values); }

LONG RegQueryValueEx(HKEY key, const char* name, DWORD*, DWORD* type, BYTE* data, DWORD* size) {
  return QueryValue(key, name, type, data, size);
}
LONG RegQueryValueEx(HKEY key, const char16_t* name, DWORD*, DWORD* type, BYTE* data, DWORD* size) {
  return QueryValue(key, name, type, data, size);
}

LONG RegDeleteValue(HKEY key, const char* name) { return DeleteValue(key, name); }
LONG RegDeleteValue(HKEY key, const char16_t* name) { return DeleteValue(key, name); }

LONG RegDeleteKey(HKEY key, const char* subKey) { return DeleteKey(key, subKey); }
LONG RegDeleteKey(HKEY key, const char16_t* subKey) { return DeleteKey(key, subKey); }

LONG RegDeleteTree(HKEY key, const char* subKey) { return DeleteTree(key, subKey); }
LONG RegDeleteTree(HKEY key, const char16_t* subKey) { return DeleteTree(key, subKey); }

LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD*, char* keyClass,
                  DWORD* classLength, void*) {
  return EnumKey(key, index, name, nameLength, keyClass, classLength);
}
LONG RegEnumKeyEx(HKEY key, DWORD index, char16_t* name, DWORD* nameLength, DWORD*,
                  char16_t* keyClass, DWORD* classLength, void*) {
  return EnumKey(key, index, name, nameLength, keyClass, classLength);
}

LONG RegEnumValue(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD*, DWORD* type,
                  BYTE* data, DWORD* dataLength) {
  return EnumValue(key, index, name, nameLength, type, data, dataLength);
}
LONG RegEnumValue(HKEY key, DWORD index, char16_t* name, DWORD* nameLength, DWORD*, DWORD* type,
                  BYTE* data, DWORD* dataLength) {
  return EnumValue(key, index, name, nameLength, type, data, dataLength);
}

namespace registry {

namespace {

// The helpers speak UTF-8; they go through the W forms, which carry every
// character, rather than the A forms, which carry only the code page's.
std::u16string Wide(const char* utf8) { return text::Utf8ToUtf16(utf8 != nullptr ? utf8 : ""); }

LONG ReadValue(HKEY key, const char* subKey, const char* name, DWORD* type,
               std::vector<BYTE>* data) {
  HKEY opened = nullptr;
  LONG rc = RegOpenKeyEx(key, Wide(subKey).c_str(), 0, KEY_READ, &opened);
  if (rc != ERROR_SUCCESS) return rc;
  const std::u16string wideName = Wide(name);
  // The value may grow between probing its size and reading it.
  for (;;) {
    DWORD size = 0;
    rc = RegQueryValueEx(opened, wideName.c_str(), nullptr, type, nullptr, &size);
    if (rc != ERROR_SUCCESS) break;
    data->resize(size);
    rc = RegQueryValueEx(opened, wideName.c_str(), nullptr, type, data->data(), &size);
    if (rc != ERROR_MORE_DATA) {
      data->resize(size);
      break;
    }
  }
  RegCloseKey(opened);
  return rc;
}

LONG WriteValue(HKEY key, const char* subKey, const char* name, DWORD type,
                const std::vector<BYTE>& data) {
  HKEY opened = nullptr;
  LONG rc = RegCreateKeyEx(key, Wide(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_WRITE, nullptr, &opened, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  rc = RegSetValueEx(opened, Wide(name).c_str(), 0, type, data.data(),
                     static_cast<DWORD>(data.size()));
  RegCloseKey(opened);
  return rc;
}

}  // namespace

bool SplitRoot(const char* path, HKEY* root, const char** rest) {
  if (path == nullptr || root == nullptr || rest == nullptr) return false;
  const HKEY byId[] = {nullptr, HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
  KeyId id = 0;
  std::string_view remainder;
  if (!SplitRootPath(path, &id, &remainder)) return false;
  *root = byId[id];
  *rest = path + (std::strlen(path) - remainder.size());
  return true;
}

LONG SetString(HKEY key, const char* subKey, const char* name, const char* utf8) {
  if (utf8 == nullptr) return ERROR_INVALID_PARAMETER;
  try {
    std::u16string wide = text::Utf8ToUtf16(utf8);
    wide.push_back(u'\0');
    return WriteValue(key, subKey, name, REG_SZ, Utf16ToStored(wide));
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  }
}

LONG SetStrings(HKEY key, const char* subKey,
                const std::vector<std::pair<std::string, std::string>>& namesAndValues) {
  return Guarded([&] {
    Target target = Resolve(key);
    Transaction txn(*target.store, Mode::kWrite);
    txn.RequireKey(target.id);
    const KeyId id = txn.CreatePath(target.id, subKey != nullptr ? subKey : "", nullptr);
    for (const auto& [name, utf8] : namesAndValues) {
      std::u16string wide = text::Utf8ToUtf16(utf8);
      wide.push_back(u'\0');
      txn.SetValue(id, name, REG_SZ, Utf16ToStored(wide));
    }
    txn.Commit();
    return static_cast<LONG>(ERROR_SUCCESS);
  });
}

LONG SetDword(HKEY key, const char* subKey, const char* name, DWORD value) {
  try {
    const std::vector<BYTE> data = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                                    static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    return WriteValue(key, subKey, name, REG_DWORD, data);
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  }
}

LONG GetString(HKEY key, const char* subKey, const char* name, std::string* utf8) {
  if (utf8 == nullptr) return ERROR_INVALID_PARAMETER;
  try {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    const LONG rc = ReadValue(key, subKey, name, &type, &data);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_SZ) return ERROR_UNSUPPORTED_TYPE;
    std::u16string wide = StoredToUtf16(data);
    wide.resize(std::char_traits<char16_t>::length(wide.c_str()));
    *utf8 = text::Utf16ToUtf8(wide);
    return ERROR_SUCCESS;
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  }
}

LONG GetDword(HKEY key, const char* subKey, const char* name, DWORD* value) {
  if (value == nullptr) return ERROR_INVALID_PARAMETER;
  try {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    const LONG rc = ReadValue(key, subKey, name, &type, &data);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_DWORD || data.size() != 4) return ERROR_UNSUPPORTED_TYPE;
    *value = static_cast<DWORD>(data[0]) | static_cast<DWORD>(data[1]) << 8 |
             static_cast<DWORD>(data[2]) << 16 | static_cast<DWORD>(data[3]) << 24;
    return ERROR_SUCCESS;
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  }
}

std::uint64_t ChangeStamp() {
  try {
    return RegistryStore::ForCurrentProfile()->ChangeStamp();
  } catch (...) {
    return 0;
  }
}

bool KeyExists(HKEY key, const char* subKey) {
  HKEY opened = nullptr;
  try {
    if (RegOpenKeyEx(key, Wide(subKey).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
      return false;
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  RegCloseKey(opened);
  return true;
}

}  // namespace registry

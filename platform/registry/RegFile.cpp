#include "platform/registry/RegFile.h"

#include <unicode/utf16.h>

#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/registry/RegTextReader.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryError.h"
#include "platform/registry/RegistryStore.h"
#include "platform/text/TextConvert.h"

namespace registry {
namespace {

using Transaction = RegistryStore::Transaction;

constexpr const char* kEol = "\r\n";  // regedit's line ending

// regedit breaks hex data once a line reaches this many characters, then
// goes on after a backslash on a line indented by two spaces.
constexpr std::size_t kHexLineLimit = 77;

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

std::string Escaped(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  for (char c : s) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

// The text of REG_SZ data when "text" gives back exactly these bytes: one
// terminator at the end, no other NUL, no line break, well-formed UTF-16.
// Anything else is written as hex(1): so that nothing is lost.
std::optional<std::string> PlainText(const std::vector<BYTE>& data) {
  if (data.size() < 2 || data.size() % 2 != 0) return std::nullopt;
  std::u16string utf16 = StoredToUtf16(data);
  if (utf16.back() != u'\0') return std::nullopt;
  utf16.pop_back();
  for (std::size_t i = 0; i < utf16.size();) {
    UChar32 c;
    U16_NEXT(utf16.data(), i, utf16.size(), c);
    if (c == 0 || c == '\r' || c == '\n' || U_IS_SURROGATE(c)) return std::nullopt;
  }
  return text::Utf16ToUtf8(utf16);
}

void WriteHex(const std::string& head, const std::vector<BYTE>& data, std::string* out) {
  *out += head;
  std::size_t lineLength = text::Utf8ToUtf16(head).size();
  char digits[3];
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(digits, sizeof digits, "%02x", data[i]);
    *out += digits;
    if (i + 1 == data.size()) break;
    *out += ',';
    lineLength += 3;
    if (lineLength >= kHexLineLimit) {
      *out += "\\";
      *out += kEol;
      *out += "  ";
      lineLength = 2;
    }
  }
  *out += kEol;
}

void WriteValue(const std::string& keyPath, const StoredValue& value, std::string* out) {
  if (HasLineBreak(value.name)) {
    throw RegistryError(ERROR_INVALID_PARAMETER, "a value name of " + keyPath +
                                                     " holds a line break, which .reg text cannot");
  }
  // Built piece by piece: g++ 12 warns falsely (-Wrestrict) on "literal" + string&&.
  std::string head = "@=";
  if (!value.name.empty()) {
    head = "\"";
    head += Escaped(value.name);
    head += "\"=";
  }
  if (value.type == REG_SZ) {
    if (const std::optional<std::string> plain = PlainText(value.data)) {
      *out += head + "\"" + Escaped(*plain) + "\"" + kEol;
      return;
    }
  }
  if (value.type == REG_DWORD && value.data.size() == 4) {
    const DWORD dword = static_cast<DWORD>(value.data[0]) | static_cast<DWORD>(value.data[1]) << 8 |
                        static_cast<DWORD>(value.data[2]) << 16 |
                        static_cast<DWORD>(value.data[3]) << 24;
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(dword));
    *out += head + "dword:" + digits + kEol;
    return;
  }
  if (value.type == REG_BINARY) {
    WriteHex(head + "hex:", value.data, out);
  } else {
    char type[9];
    std::snprintf(type, sizeof type, "%x", static_cast<unsigned>(value.type));
    WriteHex(head + "hex(" + type + "):", value.data, out);
  }
}

// Depth first, each key before its subkeys; keys are at most 512 deep, so
// the recursion is bounded.
void WriteKey(Transaction& txn, KeyId id, std::string* path, std::string* out) {
  if (HasLineBreak(*path)) {
    throw RegistryError(ERROR_INVALID_PARAMETER, "a key name under " + *path +
                                                     " holds a line break, which .reg text cannot");
  }
  *out += "[" + *path + "]" + kEol;
  for (const StoredValue& value : txn.Values(id)) WriteValue(*path, value, out);
  *out += kEol;
  for (const StoredKey& child : txn.Subkeys(id)) {
    const std::size_t length = path->size();
    *path += "\\" + child.name;
    WriteKey(txn, child.id, path, out);
    path->resize(length);
  }
}

void Apply(Transaction& txn, const std::vector<RegEdit>& edits) {
  std::optional<KeyId> current;
  for (const RegEdit& edit : edits) {
    switch (edit.kind) {
      case RegEdit::Kind::kOpenKey:
        current = txn.CreatePath(edit.root, edit.path, nullptr);
        break;
      case RegEdit::Kind::kDeleteKey:
        // regedit does not complain about deleting what is not there.
        if (const std::optional<KeyId> found = txn.FindPath(edit.root, edit.path)) {
          txn.DeleteSubtree(*found, true);
        }
        current.reset();
        break;
      case RegEdit::Kind::kSetValue:
      case RegEdit::Kind::kDeleteValue:
        // The reader lets values through only below a [KEY] line.
        if (!current) throw RegistryError(ERROR_INVALID_PARAMETER, "value outside a key");
        if (edit.kind == RegEdit::Kind::kSetValue) {
          txn.SetValue(*current, edit.name, edit.type, edit.data);
        } else {
          txn.DeleteValue(*current, edit.name);
        }
        break;
    }
  }
}

}  // namespace

bool ExportRegText(const std::string& keyPath, std::string* out, std::string* error) {
  std::string ignored;
  if (error == nullptr) error = &ignored;
  if (out == nullptr) {
    *error = "no output";
    return false;
  }
  try {
    std::shared_ptr<RegistryStore> store = RegistryStore::ForCurrentProfile();
    Transaction txn(*store, Transaction::Mode::kRead);
    std::string text = "Windows Registry Editor Version 5.00";
    text += kEol;
    text += kEol;
    if (keyPath.empty()) {
      for (const RootKey& root : kRootKeys) {
        std::string path = root.name;
        WriteKey(txn, root.id, &path, &text);
      }
    } else {
      KeyId root = 0;
      std::string_view rest;
      if (!SplitRootPath(keyPath, &root, &rest)) {
        *error = "unknown root key: " + keyPath;
        return false;
      }
      std::vector<std::string_view> parts;
      const std::optional<KeyId> found =
          SplitKeyPath(rest, &parts) ? txn.FindPath(root, rest) : std::nullopt;
      if (!found) {
        *error = "no such key: " + keyPath;
        return false;
      }
      std::string path = txn.FullPath(*found);
      WriteKey(txn, *found, &path, &text);
    }
    *out = std::move(text);
    return true;
  } catch (const RegistryError& e) {
    *error = e.what();
  } catch (const std::bad_alloc&) {
    *error = "out of memory";
  }
  return false;
}

bool ImportRegText(const std::string& text, std::string* error) {
  std::string ignored;
  if (error == nullptr) error = &ignored;
  try {
    std::vector<RegEdit> edits;
    if (!ReadRegText(text, &edits, error)) return false;
    std::shared_ptr<RegistryStore> store = RegistryStore::ForCurrentProfile();
    Transaction txn(*store, Transaction::Mode::kWrite);
    Apply(txn, edits);
    txn.Commit();
    return true;
  } catch (const RegistryError& e) {
    *error = e.what();
  } catch (const std::bad_alloc&) {
    *error = "out of memory";
  }
  return false;
}

}  // namespace registry

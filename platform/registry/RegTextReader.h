#pragma once
// Reads .reg text into the edits it asks for, without touching the registry,
// so that a text with a bad line anywhere can be refused before anything is
// written. RegFile.cpp applies the edits.

#include <string>
#include <string_view>
#include <vector>

#include "platform/com/WinTypes.h"
#include "platform/registry/RegistryStore.h"

namespace registry {

struct RegEdit {
  enum class Kind {
    kOpenKey,      // [KEY]: create it if missing; the values below go there
    kDeleteKey,    // [-KEY]: delete it with everything under it
    kSetValue,     // "name"=data or @=data
    kDeleteValue,  // "name"=- or @=-
  };
  Kind kind = Kind::kOpenKey;
  KeyId root = 0;         // key edits: the root key
  std::string path;       // key edits: the path below the root, a valid key path
  std::string name;       // value edits: "" is the default value
  DWORD type = 0;         // kSetValue
  std::vector<BYTE> data; // kSetValue, REG_SZ as UTF-16LE with its terminator
};

// Accepts UTF-8 text, with or without a byte-order mark, and UTF-16 text
// with one, lines ending in LF or CRLF. False, with "line N: what is wrong"
// in *error, at the first line that cannot be read.
bool ReadRegText(std::string_view text, std::vector<RegEdit>* edits, std::string* error);

}  // namespace registry

#pragma once
// The resources a module carries, laid out as plain data so that any module
// can read another's: a resource library (orvnresen.so, …) and the add-in
// module itself each export
//
//   extern "C" const ResourceTable* OrvaneResourceTable();
//
// Strings are UTF-8 and converted to the caller's character set when they
// are loaded. Binary resources (bitmaps, icons, animations) are typed blobs;
// dialog templates are data of their own (DialogTemplate.h).

#include <cstddef>

#include "platform/ui/DialogTemplate.h"

struct ResourceString {
  unsigned id;
  const char* utf8;
};

// Windows' resource type numbers, for the kinds we carry.
enum ResourceType : unsigned {
  kResourceBitmap = 2,
  kResourceIcon = 3,
  kResourceDialog = 5,
  kResourceAnimation = 0x4156,  // 'AV'
  kResourceManifest = 24,
};

struct ResourceBinary {
  unsigned type;  // ResourceType
  unsigned id;
  const unsigned char* data;
  std::size_t size;
};

struct ResourceTable {
  static constexpr unsigned kVersion = 2;  // 2: dialog templates
  unsigned version;                        // kVersion; a table of another version is not read
  const ResourceString* strings;           // sorted by id
  std::size_t stringCount;
  const ResourceBinary* binaries;
  std::size_t binaryCount;
  const DialogTemplate* dialogs;
  std::size_t dialogCount;
};

inline constexpr const char* kResourceTableSymbol = "OrvaneResourceTable";
using ResourceTableFunction = const ResourceTable* (*)();

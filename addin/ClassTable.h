#pragma once
// The classes this module serves: how to make their class objects and the
// registry script each registers with.

#include <span>
#include <string_view>

#include "platform/com/Unknown.h"

struct ServedClass {
  CLSID clsid;
  const char* name;
  HRESULT (*getClassFactory)(REFIID iid, void** object);
  std::string_view registryScript;  // %MODULE% is the module's path
};

std::span<const ServedClass> ServedClasses();

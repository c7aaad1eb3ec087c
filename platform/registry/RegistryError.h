#pragma once
// A failure inside the registry store, carrying the Win32 error code that the
// registry functions answer with. It never leaves the registry's own files:
// every public function catches it and returns the code.

#include <stdexcept>
#include <string>

#include "platform/com/WinTypes.h"

namespace registry {

class RegistryError : public std::runtime_error {
 public:
  RegistryError(LONG code, const std::string& what) : std::runtime_error(what), code_(code) {}

  LONG Code() const noexcept { return code_; }

 private:
  LONG code_;
};

}  // namespace registry

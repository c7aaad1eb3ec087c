#pragma once
// What the object model answers when the store cannot do what was asked:
// the HRESULTs Outlook gives for the same trouble, so the add-in's error
// paths see what they would see there.

#include <exception>

#include "platform/com/HResult.h"

namespace host {

// "The operation failed. An object could not be found.": an item deleted for
// good, an object of a store that has been closed since.
inline constexpr HRESULT MAPI_E_NOT_FOUND = MakeHResult(0x8004010F);
// "Array index out of bounds."
inline constexpr HRESULT DISP_E_BADINDEX = MakeHResult(0x8002000B);

// An object-model call that cannot go on, with the code to answer.
class ModelError : public std::exception {
 public:
  explicit ModelError(HRESULT code) : code_(code) {}
  HRESULT Code() const noexcept { return code_; }
  const char* what() const noexcept override { return "object model call failed"; }

 private:
  HRESULT code_;
};

// The HRESULT for the exception being handled: a filter the store cannot
// read or an item it cannot keep is E_INVALIDARG, a missing item
// MAPI_E_NOT_FOUND; a store that cannot be written says why: a full disk
// HRESULT_FROM_WIN32(ERROR_DISK_FULL), a read-only file E_ACCESSDENIED, a
// file another program holds HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION), a
// damaged one HRESULT_FROM_WIN32(ERROR_FILE_CORRUPT); anything else E_FAIL.
// Call only inside a catch block.
HRESULT CurrentExceptionCode() noexcept;

// Runs body, turning an exception into its HRESULT: no exception leaves an
// object-model call.
template <typename Body>
HRESULT Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return CurrentExceptionCode();
  }
}

}  // namespace host

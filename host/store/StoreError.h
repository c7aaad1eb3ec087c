#pragma once
// Why the mail store refused or failed an operation. The object model above
// turns the reason into the HRESULT Outlook would answer with.

#include <stdexcept>
#include <string>

namespace host {

class StoreError : public std::runtime_error {
 public:
  enum class Reason {
    kNotFound,      // no item with that id (never saved, or removed for good)
    kInvalidItem,   // an item or field the store cannot keep as given
    kConflict,      // a folder field already exists with another type
    kBusy,          // another process held the store longer than we wait
    kDiskFull,      // no room left on the disk (or in the user's quota) to write
    kNoAccess,      // read-only: the file, its folder or its disk; or not ours
    kDamaged,       // the file is no database, or its pages are broken
    kFailed,        // the file cannot be opened, read or written otherwise
  };

  StoreError(Reason reason, const std::string& message) : std::runtime_error(message), reason_(reason) {}

  Reason WhyFailed() const noexcept { return reason_; }

 private:
  Reason reason_;
};

}  // namespace host

#pragma once
// Outlook's Find and FindNext over a folder: each Next() answers the next
// item in the folder's order that matches the filter now, after the one
// answered last. It reads the folder as it is at each call, as Outlook's
// live Items collection does: an item deleted meanwhile is not answered,
// one saved meanwhile is when it comes after.

#include <memory>
#include <optional>

#include "host/store/Appointment.h"
#include "host/store/Filter.h"

namespace host {

class CalendarStore;

class FindCursor {
 public:
  // Nothing once no further item matches (and on every call after that
  // until a later item matches).
  std::optional<ItemId> Next();

 private:
  friend class CalendarStore;
  FindCursor(std::shared_ptr<CalendarStore> store, FolderKind folder, Filter filter);

  std::shared_ptr<CalendarStore> store_;
  FolderKind folder_;
  Filter filter_;
  ItemId last_ = 0;
};

}  // namespace host

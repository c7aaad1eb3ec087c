#include "host/store/FindCursor.h"

#include <utility>

#include "host/store/CalendarStore.h"

namespace host {

FindCursor::FindCursor(std::shared_ptr<CalendarStore> store, FolderKind folder, Filter filter)
    : store_(std::move(store)), folder_(folder), filter_(std::move(filter)) {}

std::optional<ItemId> FindCursor::Next() {
  const std::optional<ItemId> found = store_->NextMatch(folder_, filter_, last_);
  if (found) last_ = *found;
  return found;
}

}  // namespace host

#pragma once
// Host settings that change how the store answers the add-in.

namespace host {

struct StoreOptions {
  // When false, user-defined fields cannot be used in filters: they fail as
  // unknown fields do, even when added to the folder's fields. This plays a
  // store that refuses them, so that the add-in's fall-backs to the subject
  // can be exercised (orvane --no-user-fields).
  bool userFieldsInFilters = true;
};

}  // namespace host

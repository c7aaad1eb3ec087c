#include "platform/ui/Cursor.h"

#include <mutex>

#include "platform/threads/Thread.h"
#include "platform/ui/WindowTable.h"

struct CursorRecord {
  unsigned id;
};

namespace {

constexpr CursorRecord kSystemCursors[] = {{IDC_ARROW}, {IDC_IBEAM}, {IDC_WAIT}, {IDC_HAND}};

}  // namespace

HCURSOR LoadCursor(HINSTANCE instance, unsigned id) {
  if (instance != nullptr) return nullptr;
  for (const CursorRecord& cursor : kSystemCursors) {
    if (cursor.id == id) return &cursor;
  }
  return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  std::lock_guard lock(ui::detail::TableMutex());
  ui::detail::ThreadState& state = ui::detail::ThreadStateLocked(GetCurrentThreadId());
  const unsigned previous = state.cursorId;
  state.cursorId = CursorId(cursor);
  return LoadCursor(nullptr, previous);
}

HCURSOR CopyCursor(HCURSOR cursor) {
  return cursor != nullptr ? new CursorRecord{cursor->id} : nullptr;
}

BOOL DestroyCursor(HCURSOR cursor) {
  if (cursor == nullptr) return FALSE;
  for (const CursorRecord& system : kSystemCursors) {
    // The shared system cursors are never destroyed.
    if (&system == cursor) return TRUE;
  }
  delete cursor;
  return TRUE;
}

unsigned CursorId(HCURSOR cursor) { return cursor != nullptr ? cursor->id : 0; }

#pragma once
// Who a progress window works for: the add-in object, whose long calendar
// loops poll the cancel flag that the window's Cancel button sets.
//
// The owner is reference-counted like any COM object; the progress window
// holds one reference from SetOwner until it goes.

#include "platform/com/Unknown.h"

struct IProgressOwner : IUnknown {
  static constexpr IID kIID = MakeGuid("{6F1C2E0A-3B57-4D0E-9C8A-2B7D51E4A913}");

  /// Sets the cancel flag: 1 when the user cancelled, 0 to clear it. Called
  /// on the progress window's own thread, while the calendar loops read the
  /// flag on the main thread between items: the owner keeps it in an atomic.
  virtual void SetCancelFlag(LONG value) = 0;
  /// The flag as last set.
  virtual LONG GetCancelFlag() = 0;

 protected:
  ~IProgressOwner() = default;
};

#pragma once
// The system's message table: the text of a Win32 error code or HRESULT, as
// FormatMessage with FORMAT_MESSAGE_FROM_SYSTEM gives it. The table holds
// the codes this system meets; others have no text.

#include <string>

#include "platform/com/WinTypes.h"

namespace win {

// The message text of the code, ending in a line break as Windows' texts do;
// empty when the table has none. A Win32 code wrapped as an HRESULT
// (0x8007xxxx) has the text of the code.
std::string SystemMessage(DWORD code);

}  // namespace win

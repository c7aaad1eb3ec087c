#pragma once
// A failure code as the user is told it: what it means in words, the code
// after ("There is not enough space on the disk (0x80070070)"), so that the
// message helps without a table of codes and still names the code for those
// who look it up.

#include <string>

#include "platform/com/HResult.h"

namespace host {

// An HRESULT, or a Win32 error code wrapped as one (HRESULT_FROM_WIN32).
// A code the system has no text for is given as the code alone.
std::string FailureInWords(HRESULT hr);

}  // namespace host

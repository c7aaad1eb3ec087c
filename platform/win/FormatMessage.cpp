#include "platform/win/FormatMessage.h"

namespace win {
namespace {

struct Message {
  DWORD code;
  const char* text;
};

constexpr Message kMessages[] = {
    {0, "The operation completed successfully."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {14, "Not enough memory resources are available to complete this operation."},
    {32, "The process cannot access the file because it is being used by another process."},
    {87, "The parameter is incorrect."},
    {112, "There is not enough space on the disk."},
    {122, "The data area passed to a system call is too small."},
    {170, "The requested resource is in use."},
    {126, "The specified module could not be found."},
    {234, "More data is available."},
    {259, "No more data is available."},
    {1004, "Invalid flags."},
    {1009, "The configuration registry database is corrupt."},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion."},
    {1392, "The file or directory is corrupted and unreadable."},
    {0x80004001, "Not implemented"},
    {0x80004002, "No such interface supported"},
    {0x80004003, "Invalid pointer"},
    {0x80004004, "Operation aborted"},
    {0x80004005, "Unspecified error"},
    {0x8000FFFF, "Catastrophic failure"},
    {0x80040110, "Class does not support aggregation (or class object is remote)"},
    {0x80040111, "ClassFactory cannot supply requested class"},
    {0x80040154, "Class not registered"},
    {0x800401F3, "Invalid class string"},
    {0x800401F8, "DLL for class not found"},
    {0x800401F9, "Error in the DLL"},
    {0x80020003, "Member not found."},
    {0x80020005, "Type mismatch."},
    {0x80020006, "Unknown name."},
    {0x80020009, "Exception occurred."},
    {0x8002000E, "Invalid number of parameters."},
};

}  // namespace

std::string SystemMessage(DWORD code) {
  // A Win32 error as an HRESULT reads as the error itself.
  const DWORD key = (code & 0xFFFF0000u) == 0x80070000u ? (code & 0xFFFFu) : code;
  for (const Message& m : kMessages) {
    if (m.code == key) return std::string(m.text) + "\r\n";
  }
  return {};
}

}  // namespace win

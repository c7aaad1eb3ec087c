#pragma once
// The exceptions of the uninstall code: thrown and caught inside it only,
// never across a module boundary.

#include <exception>
#include <string>

#include "platform/com/ComPtr.h"
#include "platform/fs/Module.h"

class CWin32Exception : public std::exception {
 public:
  explicit CWin32Exception(DWORD code, HMODULE messageModule = nullptr)
      : m_code(code), m_module(messageModule) {}

  DWORD Code() const { return m_code; }
  // The system's text of the code without its trailing line break, or
  // "Unknown error 0x%08X" when it has none. Built on first use.
  const char* what() const noexcept override;

 private:
  DWORD m_code;
  HMODULE m_module;  // where to look for texts first; not owned
  mutable std::string m_message;
};

class CComException : public CWin32Exception {
 public:
  // errorInfo: the error object of the failing call, or null; a reference is
  // kept for the exception's life.
  CComException(HRESULT result, IUnknown* errorInfo, int line)
      : CWin32Exception(static_cast<DWORD>(result)), m_errorInfo(errorInfo), m_line(line) {}

  HRESULT Result() const { return static_cast<HRESULT>(Code()); }
  int Line() const { return m_line; }
  IUnknown* ErrorInfo() const { return m_errorInfo.Get(); }

 private:
  ComPtr<IUnknown> m_errorInfo;
  int m_line;
};

// Raises the failure of a call as a CComException carrying the caller's
// source line.
#define THROW_IF_FAILED(expression)                      \
  do {                                                   \
    if (const HRESULT hr_ = (expression); FAILED(hr_)) { \
      throw CComException(hr_, nullptr, __LINE__);       \
    }                                                    \
  } while (false)

// The three error lines written when the uninstall code catches a failure:
// the result, the source file and line, and the message text.
void LogComException(const CComException& e, const char* sourceFile);

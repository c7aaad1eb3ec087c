#pragma once
// The trace log for support staff: "c:\orvnlog.txt" (in the profile's
// drive_c/), written only while "LogToFile" under the maker's key is set,
// except error lines, which are written whatever the switch says.

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

class CTraceLog {
 public:
  static constexpr const char* kLogFile = "c:\\orvnlog.txt";

  // The one log of the process (per module).
  static CTraceLog& Instance();

  // Run at each class-object request: reads the switch and, when it is on,
  // opens the file (once) and writes the diagnostics block.
  void Setup();

  bool Enabled() const { return m_enabled != 0; }

  // A line feed and the text, flushed, when tracing is on. The text is UTF-8
  // and is written in the ANSI code page. Each line is written whole, from
  // whichever thread.
  void Trace(std::string_view text);

  // One time-stamped error line, appended whatever the switch says.
  void LogError(std::string_view text);

  // Tests make logs of their own; the add-in uses Instance().
  CTraceLog() = default;
  ~CTraceLog();
  CTraceLog(const CTraceLog&) = delete;
  CTraceLog& operator=(const CTraceLog&) = delete;

 private:
  void WriteDiagnostics();

  int m_enabled = 0;
  std::FILE* m_file = nullptr;
  std::mutex m_openMutex;  // guards opening, not the writes
};

// "Enter Class::Method()" and "Exit Class::Method()"; pass "Class::Method".
void TraceEnter(std::string_view method);
void TraceExit(std::string_view method);
// A trace line as it is.
void Trace(std::string_view text);

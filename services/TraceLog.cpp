#include "services/TraceLog.h"

#include <sys/utsname.h>
#include <time.h>

#include <cstdlib>

#include "services/ModuleStrings.h"
#include "platform/fs/WindowsPath.h"
#include "platform/nls/Nls.h"
#include "platform/registry/Registry.h"
#include "platform/text/Format.h"
#include "platform/text/TextConvert.h"
#include "platform/time/SystemTime.h"

CTraceLog& CTraceLog::Instance() {
  static CTraceLog log;
  return log;
}

CTraceLog::~CTraceLog() {
  if (m_file != nullptr) std::fclose(m_file);
}

void CTraceLog::Setup() {
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, ModuleString(4).c_str(), 0, KEY_ALL_ACCESS, &key) ==
      ERROR_SUCCESS) {
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueEx(key, TEXT("LogToFile"), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                        &size) == ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof value) {
      m_enabled = value != 0 ? 1 : 0;
    }
    RegCloseKey(key);
  }
  if (m_enabled != 1) return;
  {
    std::lock_guard lock(m_openMutex);
    // One stream for the module's life, rather than one per request.
    if (m_file == nullptr) m_file = fs_win::OpenFile(kLogFile, "a+");
  }
  if (m_file != nullptr) WriteDiagnostics();
}

void CTraceLog::Trace(std::string_view text) {
  if (m_enabled == 0 || m_file == nullptr) return;
  // One buffer, one call: stdio writes it whole even with two threads.
  std::string line = "\n";
  line += text::Utf8ToAnsi(text);
  std::fwrite(line.data(), 1, line.size(), m_file);
  std::fflush(m_file);
}

void CTraceLog::LogError(std::string_view text) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::string stamp =
      text::FormatResource(" %d/%d/%d %d:%d:%d:%d ", now.wDay, now.wMonth, now.wYear, now.wHour,
                           now.wMinute, now.wSecond, now.wMilliseconds);
  std::FILE* file = fs_win::OpenFile(kLogFile, "at");
  if (file == nullptr) return;
  const std::string line = "\r\n" + stamp + text::Utf8ToAnsi(text);
  std::fwrite(line.data(), 1, line.size(), file);
  std::fclose(file);
}

namespace {

// The first installed Arabic locale (hexadecimal text ending in "01"), for
// the Arabic-system line.
bool g_foundArabic = false;
BOOL FindArabicLocale(char16_t* locale) {
  const std::u16string id(locale);
  if (id.size() >= 2 && id.compare(id.size() - 2, 2, u"01") == 0) {
    g_foundArabic = true;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

void CTraceLog::WriteDiagnostics() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm utc{};
  gmtime_r(&ts.tv_sec, &utc);
  Trace(text::FormatResource("\nThe Date is %d %d %d", utc.tm_mday, utc.tm_mon + 1, utc.tm_year + 1900));
  Trace(text::FormatResource("\nThe Time is %d %d %d", utc.tm_hour, utc.tm_min, utc.tm_sec));

  // Linux has no Windows family to name: the kernel's name, major version
  // and release stand in for them.
  utsname system{};
  uname(&system);
  Trace(text::FormatResource("\n The Working OS is %s", system.sysname));
  Trace(text::FormatResource("\n The Version is %d", std::atoi(system.release)));
  Trace(text::FormatResource("\n Important Info %s", system.release));

  g_foundArabic = false;
  EnumSystemLocales(FindArabicLocale, LCID_INSTALLED);
  if (!g_foundArabic) {
    Trace("\n This is english version of windows");
  } else {
    const std::string language = text::FormatResource("%x", GetSystemDefaultLangID());
    const bool localized = language.size() >= 2 && language.compare(language.size() - 2, 2, "01") == 0;
    Trace(localized ? "\n This is an arabic localized version of windows"
                    : "\n This is an arabic enabled version of windows");
  }
}

void TraceEnter(std::string_view method) {
  CTraceLog::Instance().Trace(std::string("Enter ").append(method).append("()"));
}

void TraceExit(std::string_view method) {
  CTraceLog::Instance().Trace(std::string("Exit ").append(method).append("()"));
}

void Trace(std::string_view text) { CTraceLog::Instance().Trace(text); }

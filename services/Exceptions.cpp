#include "services/Exceptions.h"

#include "services/TraceLog.h"
#include "platform/text/Format.h"
#include "platform/ui/Resources.h"
#include "platform/win/FormatMessage.h"

const char* CWin32Exception::what() const noexcept {
  if (m_message.empty()) {
    try {
      const char* moduleText = m_module != nullptr ? ui::FindString(m_module, m_code) : nullptr;
      std::string text = moduleText != nullptr ? moduleText : win::SystemMessage(m_code);
      // One trailing line break is the message table's, not the message's.
      if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) {
        text.resize(text.size() - 2);
      } else if (!text.empty() && text.back() == '\n') {
        text.pop_back();
      }
      m_message = text.empty() ? text::FormatResource("Unknown error 0x%08X", m_code) : text;
    } catch (...) {
      return "Unknown error";
    }
  }
  return m_message.c_str();
}

void LogComException(const CComException& e, const char* sourceFile) {
  CTraceLog& log = CTraceLog::Instance();
  log.LogError(text::FormatResource("HRESULT = 0x%x", static_cast<unsigned>(e.Result())));
  log.LogError(text::FormatResource("FILE = %s, LINE = %d", sourceFile, e.Line()));
  log.LogError(e.what());
}

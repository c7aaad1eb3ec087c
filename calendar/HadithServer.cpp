#include "calendar/HadithServer.h"

#include <cstdio>
#include <memory>

#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "platform/text/TextConvert.h"
#include "platform/ui/Resources.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Reads one line, line feed included, of at most kLineBufferSize - 1
// characters, as fgets/fgetws would in the module's file mode. False when
// nothing was read.
bool ReadLine(std::FILE* file, std::u16string* line) {
  line->clear();
#if defined(ORVANE_FLAVOUR_XP)
  std::string bytes;
  while (bytes.size() < CHadithServer::kLineBufferSize - 1) {
    int c = std::fgetc(file);
    if (c == EOF) break;
    if (c == '\r') {  // text mode: CR LF reads as LF
      const int next = std::fgetc(file);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        std::ungetc(next, file);
      }
    }
    bytes.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  *line = text::AnsiToUtf16(bytes);
  return !bytes.empty();
#else
  while (line->size() < CHadithServer::kLineBufferSize - 1) {
    const int low = std::fgetc(file);
    if (low == EOF) break;
    const int high = std::fgetc(file);
    if (high == EOF) break;  // half a character at the end is dropped
    const auto c = static_cast<char16_t>(low | (high << 8));
    line->push_back(c);
    if (c == u'\n') break;
  }
  return !line->empty();
#endif
}

bool AtEnd(std::FILE* file) {
  const int c = std::fgetc(file);
  if (c == EOF) return true;
  std::ungetc(c, file);
  return false;
}

}  // namespace

bool CHadithServer::Load(const tchar* path) {
  TraceEnter("CHadithServer::Load");
  m_count = 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(TToUtf8(path).c_str(), "rb"));
  if (!file) {
    const char* builtIn = ui::FindString(ResourceInstance(), 233);
    m_texts[0] = text::Utf8ToUtf16(builtIn != nullptr ? builtIn : "");
    m_count = 1;
    m_next = 0;
    return false;
  }
  while (m_count < kMaxHadiths) {
    std::u16string text;
    std::u16string line;
    bool readAny = false;
    for (;;) {
      if (!ReadLine(file.get(), &line)) break;
      readAny = true;
      text += line;
      // Each line keeps its end and gets one more, so lines reach the
      // appointment's body separated by an empty line.
      if (line.back() == u'\n') text += u'\n';
      if (line == u"\n" || line == u"\r\n" || AtEnd(file.get())) break;
    }
    // A file that ends with an empty line used to add one more, empty, text:
    // a Friday appointment with nothing in it. Only an empty file gives one.
    if (!readAny && m_count > 0) break;
    m_texts[m_count++] = text;
    if (AtEnd(file.get())) break;
  }
  m_next = (m_next + 1) % static_cast<std::uint32_t>(m_count);
  TraceExit("CHadithServer::Load");
  return true;
}

void CHadithServer::GetNextHadith(std::u16string* text) {
  TraceEnter("CHadithServer::GetNextHadith");
  if (m_count == 0) {
    text->clear();
  } else {
    *text = m_texts[m_next];
    m_next = (m_next + 1) % static_cast<std::uint32_t>(m_count);
  }
  TraceExit("CHadithServer::GetNextHadith");
}

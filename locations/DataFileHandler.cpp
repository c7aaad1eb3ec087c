#include "locations/DataFileHandler.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "services/ResourceLibrary.h"
#include "services/TraceLog.h"
#include "platform/fs/Profile.h"
#include "platform/text/Format.h"
#include "platform/text/TextConvert.h"
#include "platform/ui/Resources.h"
#include "platform/ui/Window.h"

namespace {

std::string PathToUtf8(const tchar* path) { return TToUtf8(path != nullptr ? path : TEXT("")); }

// What Windows' "set the attributes to normal" does here: owner may write.
void MakeWritable(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0) {
    chmod(path.c_str(), info.st_mode | S_IWUSR);
  }
}

bool WriteAll(std::FILE* file, const void* data, std::size_t bytes) {
  return std::fwrite(data, 1, bytes, file) == bytes;
}

}  // namespace

CDataFileHandler::CDataFileHandler(const tchar* path, int mode)
    : m_path(PathToUtf8(path)), m_mode(mode) {
  TraceEnter("CCityInfo::CDataFileHandler");
  std::memset(m_writeBuffer, 0, sizeof m_writeBuffer);
  if (mode == kRead) {
    // Reading needs no more than read access: an installed file that the
    // user may not change is still every user's list of cities.
    m_file = std::fopen(m_path.c_str(), "rb");
  } else if (mode == kAppend) {
    MakeWritable(m_path);
    m_file = std::fopen(m_path.c_str(), "r+b");
  } else if (mode == kRewrite) {
    MakeWritable(m_path);
    m_writePath = m_path + ".new";
    m_file = std::fopen(m_writePath.c_str(), "wb");
  }
  m_open = m_file != nullptr;
  TraceExit("CCityInfo::CDataFileHandler");
}

CDataFileHandler::~CDataFileHandler() {
  TraceEnter("CCityInfo::~CDataFileHandler");
  Commit();
  if (m_file != nullptr) std::fclose(m_file);
  TraceExit("CCityInfo::~CDataFileHandler");
}

bool CDataFileHandler::Commit() {
  if (m_mode != kRewrite || m_file == nullptr) return m_open;
  bool ok = !m_failed && std::fflush(m_file) == 0 && fsync(fileno(m_file)) == 0;
  std::fclose(m_file);
  m_file = nullptr;
  m_open = false;
  ok = ok && std::rename(m_writePath.c_str(), m_path.c_str()) == 0;
  if (!ok) std::remove(m_writePath.c_str());
  return ok;
}

int CDataFileHandler::ReadChar() {
#if defined(ORVANE_FLAVOUR_XP)
  int c = std::fgetc(m_file);
  if (c == '\r') {
    // Text mode: CR LF reads as LF.
    const int next = std::fgetc(m_file);
    if (next == '\n') return '\n';
    if (next != EOF) std::ungetc(next, m_file);
  }
  return c;
#else
  const int low = std::fgetc(m_file);
  if (low == EOF) return -1;
  const int high = std::fgetc(m_file);
  if (high == EOF) return -1;  // half a code unit at the end is not a character
  return low | (high << 8);
#endif
}

int CDataFileHandler::ReadLine(tchar* buffer, int size) {
  TraceEnter("CCityInfo::ReadLine");
  if (buffer == nullptr || size <= 0 || m_file == nullptr) return 0;
  std::fill(buffer, buffer + size, tchar{0});
  int n = 0;
  while (n < size - 1) {
    const int c = ReadChar();
    if (c < 0) break;
    buffer[n++] = static_cast<tchar>(c);
    if (c == '\n') break;
  }
  if (n == 0) {
    Trace("Exit Error CCityInfo::ReadLine()");
    return 0;
  }
  TraceExit("CCityInfo::ReadLine");
  return 1;
}

int CDataFileHandler::GetNextCityInfo(CCityInfo& city) {
  TraceEnter("CCityInfo::GetNextCityInfo");
  if (!m_open || m_mode == kRewrite) return 0;
  tchar line[kReadBufferSize];
  if (!ReadLine(line, kReadBufferSize) || !city.GetInfoFromLine(line)) {
    Trace("Exit Error CCityInfo::GetNextCityInfo()");
    return 0;
  }
  TraceExit("CCityInfo::GetNextCityInfo");
  return 1;
}

int CDataFileHandler::WriteCityInfo(const CCityInfo& city) {
  TraceEnter("CCityInfo::WriteCityInfo");
  if (!m_open || (m_mode != kAppend && m_mode != kRewrite)) return 0;
  city.GetLineFromInfo(m_writeBuffer, kWriteBufferSize);
  std::fseek(m_file, 0, SEEK_END);
  std::string bytes;
  EncodeLine(m_writeBuffer, &bytes);
  const bool ok = WriteAll(m_file, bytes.data(), bytes.size()) && std::fflush(m_file) == 0;
  if (!ok) m_failed = true;
  TraceExit("CCityInfo::WriteCityInfo");
  return 1;
}

void CDataFileHandler::EncodeLine(const tchar* line, std::string* bytes) {
#if defined(ORVANE_FLAVOUR_XP)
  // Text mode: LF writes as CR LF.
  for (const char* p = line; *p != 0; ++p) {
    if (*p == '\n') {
      bytes->append("\r\n");
    } else {
      bytes->push_back(*p);
    }
  }
#else
  for (const char16_t* p = line; *p != 0; ++p) {
    bytes->push_back(static_cast<char>(*p & 0xFF));
    bytes->push_back(static_cast<char>(*p >> 8));
  }
#endif
}

int CDataFileHandler::ReadCityAtLine(int n, tchar* buffer, int size) {
  TraceEnter("CCityInfo::ReadCityAtLine");
  if (m_file == nullptr || std::feof(m_file) || n < 1 || buffer == nullptr || size <= 0) return 0;
  std::fill(buffer, buffer + size, tchar{0});
  std::rewind(m_file);
  for (int line = 1; line <= n; ++line) {
    // A file shorter than n lines has no line n: answering with its last line
    // would quietly move the user to another city.
    if (!ReadLine(buffer, size)) {
      std::fill(buffer, buffer + size, tchar{0});
      Trace("Exit Error CCityInfo::ReadCityAtLine()");
      return 0;
    }
  }
  TraceExit("CCityInfo::ReadCityAtLine");
  return 1;
}

namespace {

std::string CityFileName(unsigned id) {
  const char* name = ui::FindString(ResourceInstance(), id);
  return name != nullptr ? name : "";
}

}  // namespace

std::string UserCityFolder() { return (profile::PathOf(flavour::kProfileFolder) / "").string(); }

tstring UserCityFilePath(unsigned id) { return Utf8ToT(UserCityFolder() + CityFileName(id)); }

tstring CityFilePath(unsigned id) {
  const std::string name = CityFileName(id);
  if (!name.empty()) {
    const std::string own = UserCityFolder() + name;
    // Only a file: anything else of that name (a folder) cannot be the
    // user's list, and reading it as an empty one would save an empty list.
    std::error_code ec;
    if (std::filesystem::is_regular_file(own, ec)) return Utf8ToT(own);
  }
  return Utf8ToT(resource_library::AddinFolder() + name);
}

bool CityFileExists(const tchar* path) { return access(PathToUtf8(path).c_str(), R_OK) == 0; }

void ShowCityFileMissingMessage(const tstring& fileName, const tstring& folder) {
  std::string shownFolder = TToUtf8(folder);
  if (!shownFolder.empty() && (shownFolder.back() == '/' || shownFolder.back() == '\\')) {
    shownFolder.pop_back();
  }
  const char* format = ui::FindString(ResourceInstance(), 345);
  const char* caption = ui::FindString(ResourceInstance(), 138);
  UINT style = MB_ICONERROR;
  if (UILanguageID == 1025) style |= MB_RTLREADING | MB_RIGHT;
  const std::string text =
      text::FormatResource(format != nullptr ? format : "%s %s", TToUtf8(fileName), shownFolder);
  MessageBox(GetActiveWindow(), Utf8ToT(text).c_str(), Utf8ToT(caption != nullptr ? caption : "").c_str(),
             style);
}

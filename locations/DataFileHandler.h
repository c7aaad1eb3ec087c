#pragma once
// CDataFileHandler: one city file, read line by line into city records, read
// at a given line, or written record by record.
//
// Encodings are fixed per module: the Outlook XP module reads and writes the
// ANSI code page in text mode (CR LF in the file is LF in a line), the
// Outlook 2003 module UTF-16 little-endian code units as they stand, with no
// byte-order mark.
//
// Rewriting (mode 3) never empties the file in place: the lines go to a new
// file beside it, which replaces the old one only when every line was
// written and flushed. A crash or a full disk leaves the old file whole.

#include <cstdio>
#include <string>

#include "services/Flavour.h"
#include "locations/CityInfo.h"

class CDataFileHandler {
 public:
  enum Mode { kRead = 1, kAppend = 2, kRewrite = 3 };
  static constexpr int kReadBufferSize = 1040;
  static constexpr int kWriteBufferSize = 4096;

  // Makes the file writable, then opens it in the mode; IsOpen() tells
  // whether that worked. Never fails itself.
  CDataFileHandler(const tchar* path, int mode);
  ~CDataFileHandler();
  CDataFileHandler(const CDataFileHandler&) = delete;
  CDataFileHandler& operator=(const CDataFileHandler&) = delete;

  bool IsOpen() const { return m_open; }

  // One line, line break included, at most size - 1 characters, into the
  // zero-filled buffer. 1 on success, 0 at the end of the file.
  int ReadLine(tchar* buffer, int size);
  // The next line parsed into the record: 1 when both succeed.
  int GetNextCityInfo(CCityInfo& city);
  // Appends the record as a city line (modes 2 and 3): 1, else 0.
  int WriteCityInfo(const CCityInfo& city);
  // Line n of the file into the buffer: 1 on success; 0 when the stream is
  // at its end, n < 1, or the file has fewer than n lines.
  int ReadCityAtLine(int n, tchar* buffer, int size);

  // For mode 3: replaces the old file with what was written; false (and the
  // old file kept) when any write failed. The destructor commits too.
  bool Commit();

  // A city line (line break included) as the file holds it: the ANSI code
  // page with CR LF in the Outlook XP module, UTF-16 little-endian code
  // units in the Outlook 2003 module. Appended to bytes.
  static void EncodeLine(const tchar* line, std::string* bytes);

 private:
  int ReadChar();  // one character of the file, or -1 at its end

  std::string m_path;       // UTF-8
  std::string m_writePath;  // the new file of mode 3
  int m_mode;
  bool m_open = false;
  bool m_failed = false;
  std::FILE* m_file = nullptr;
  tchar m_writeBuffer[kWriteBufferSize];
};

// Reading opens a file for reading only (mode 1), so an installed file
// that the user may not change still serves. What the user changes goes to
// the user's own copies in the profile (ORVANE_HOME/addin-xp/ or
// ORVANE_HOME/addin-2003/, in the module's encoding), made on the first
// change; a copy there is read in place of the installed file.

// The city file of resource string id (240, 242 or 1011) to read, in the
// module's character set: the user's copy when there is one, else the one
// in the add-in's folder.
tstring CityFilePath(unsigned id);
// Where the user's copy of that file is (or would be), and its folder
// (UTF-8, with its trailing slash; not made here).
tstring UserCityFilePath(unsigned id);
std::string UserCityFolder();

// Whether the file can be opened for reading.
bool CityFileExists(const tchar* path);

// The error box shown when a city file that must exist does not: resource
// string 345 with the file name and the folder, caption 138, error icon
// (right to left and right-aligned with the Arabic user interface).
void ShowCityFileMissingMessage(const tstring& fileName, const tstring& folder);

#pragma once
// CHadithServer: the texts the Friday prayer's appointment carries, one a
// week. Up to 100 texts are loaded from the hadith file beside the add-in
// (texts separated by empty lines; the ANSI code page in text mode for the
// Outlook XP module, UTF-16 little-endian as it stands for the Outlook 2003
// module) and handed out in turn from a place chosen by a seed. Without the
// file one built-in text (resource string 233) stands in for the list.

#include <array>
#include <cstdint>
#include <string>

#include "services/Flavour.h"

class CHadithServer {
 public:
  static constexpr int kMaxHadiths = 100;
  static constexpr int kLineBufferSize = 8192;  // 8191 characters and the terminator

  // seed: the system tick count when the add-in object was made.
  explicit CHadithServer(std::uint32_t seed) : m_next(seed) {}

  // True when the file was read, false when the built-in text was taken.
  bool Load(const tchar* path);
  // A copy of the next text; the position wraps after the last one.
  void GetNextHadith(std::u16string* text);

  int Count() const { return m_count; }

 private:
  int m_count = 0;
  std::uint32_t m_next;
  std::array<std::u16string, kMaxHadiths> m_texts;
};

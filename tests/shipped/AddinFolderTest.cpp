// The data files as the build lays them into the add-in folders: code page
// 1256 with CR LF for XP, UTF-16 little-endian without a byte-order mark and
// with CR LF for 2003, each the same text as its UTF-8 source.

#include <sys/wait.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "tests/shipped/ShippedFiles.h"
#include "tests/support/TestProfile.h"

namespace {

namespace fs = std::filesystem;

const char* const kFiles[][2] = {
    {"cities", "cities_en.txt"}, {"cities", "cities_fr.txt"}, {"cities", "cities_ar.txt"},
    {"hadith", "hadith_en.txt"}, {"hadith", "hadith_fr.txt"}, {"hadith", "hadith_ar.txt"}};

// The source as each add-in must read it: every line ended by CR LF.
std::string WithCrLf(const std::string& lf) {
  std::string out;
  for (char c : lf) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// Decodes with ICU's converter, independent of the build's own encoder.
std::string Cp1256ToUtf8(const std::string& bytes) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, void (*)(UConverter*)> converter(ucnv_open("windows-1256", &status), ucnv_close);
  std::u16string utf16(bytes.size() + 1, u'\0');
  const int32_t length = ucnv_toUChars(converter.get(), utf16.data(), utf16.size(), bytes.data(), bytes.size(), &status);
  EXPECT_TRUE(U_SUCCESS(status));
  utf16.resize(length);
  std::string utf8(utf16.size() * 3, '\0');
  int32_t utf8Length = 0;
  u_strToUTF8(utf8.data(), utf8.size(), &utf8Length, utf16.data(), utf16.size(), &status);
  utf8.resize(utf8Length);
  return utf8;
}

std::string Utf16leToUtf8(const std::string& bytes) {
  std::u16string utf16;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    utf16.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  std::string utf8(utf16.size() * 3, '\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8(utf8.data(), utf8.size(), &length, utf16.data(), utf16.size(), &status);
  EXPECT_TRUE(U_SUCCESS(status)) << "not well-formed UTF-16";
  utf8.resize(length);
  return utf8;
}

TEST(AddinFolders, XpFilesAreCodePage1256WithCrLfLineEnds) {
  for (const auto& [folder, name] : kFiles) {
    const std::string xp = shipped::ReadBytes(std::string(ORVANE_ADDIN_XP_DIR) + "/" + name);
    ASSERT_FALSE(xp.empty()) << name;
    for (std::size_t i = 0; i < xp.size(); ++i) {
      if (xp[i] == '\n') {
        ASSERT_TRUE(i > 0 && xp[i - 1] == '\r') << name << ": LF without CR at byte " << i;
      }
    }
    EXPECT_EQ(Cp1256ToUtf8(xp), WithCrLf(shipped::Source(folder, name))) << name;
  }
}

TEST(AddinFolders, Files2003AreUtf16LittleEndianWithoutByteOrderMark) {
  for (const auto& [folder, name] : kFiles) {
    const std::string w = shipped::ReadBytes(std::string(ORVANE_ADDIN_2003_DIR) + "/" + name);
    ASSERT_GE(w.size(), 2u) << name;
    EXPECT_EQ(w.size() % 2, 0u) << name;
    EXPECT_FALSE(w[0] == '\xFF' && w[1] == '\xFE') << name << ": starts with a byte-order mark";
    EXPECT_EQ(w.substr(w.size() - 4), std::string("\r\0\n\0", 4)) << name;
    EXPECT_EQ(Utf16leToUtf8(w), WithCrLf(shipped::Source(folder, name))) << name;
  }
}

// Runs the build's encoder on a source in a fresh folder; returns its exit
// status and what it said.
struct EncoderRun {
  int status = -1;
  std::string message;
  bool wroteXp = false;
  bool wrote2003 = false;
};

EncoderRun RunEncoder(const fs::path& dir, const std::string& source) {
  const fs::path input = dir / "names.txt", xp = dir / "xp" / "names.txt", w = dir / "2003" / "names.txt";
  std::ofstream(input, std::ios::binary) << source;
  const std::string command = std::string(ORVANE_ENCODE_DATA) + " '" + input.string() + "' '" + xp.string() + "' '" +
                              w.string() + "' 2>'" + (dir / "stderr").string() + "'";
  EncoderRun run;
  const int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.message = shipped::ReadBytes((dir / "stderr").string());
  run.wroteXp = fs::exists(xp);
  run.wrote2003 = fs::exists(w);
  return run;
}

TEST(AddinFolders, ACharacterCodePage1256LacksStopsTheBuildNamingFileAndLine) {
  TestProfile scratch;
  const auto run = RunEncoder(scratch.Dir(), "Cairo,,Egypt\nLe Caire,,Egypte\nLe Caire,,Égypte\n");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.message.find("names.txt:3: U+00C9"), std::string::npos) << run.message;
  EXPECT_FALSE(run.wroteXp);
  EXPECT_FALSE(run.wrote2003);
}

TEST(AddinFolders, TheSameFileWithLettersCodePage1256HasIsWritten) {
  TestProfile scratch;
  const auto run = RunEncoder(scratch.Dir(), "Cairo,,Egypt\nLe Caire,,Egypte\nLe Caire,,Egypte é\nالقاهرة");
  EXPECT_EQ(run.status, 0) << run.message;
  EXPECT_EQ(shipped::ReadBytes((scratch.Dir() / "xp" / "names.txt").string()),
            "Cairo,,Egypt\r\nLe Caire,,Egypte\r\nLe Caire,,Egypte \xE9\r\n\xC7\xE1\xDE\xC7\xE5\xD1\xC9\r\n");
}

TEST(AddinFolders, MalformedSourcesAreRefusedWithTheirLine) {
  TestProfile scratch;
  EXPECT_NE(RunEncoder(scratch.Dir(), "one\ntwo\r\n").message.find("names.txt:2: carriage return"), std::string::npos);
  EXPECT_NE(RunEncoder(scratch.Dir(), "\xEF\xBB\xBFone\n").message.find("names.txt:1: byte-order mark"), std::string::npos);
  EXPECT_NE(RunEncoder(scratch.Dir(), "one\ntwo \xC3\n").message.find("names.txt:2: malformed UTF-8"), std::string::npos);
}

}  // namespace

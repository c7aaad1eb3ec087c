// Hadith texts from the file, in the module flavour this executable is built for.

#include <gtest/gtest.h>

#include "calendar/HadithServer.h"
#include "platform/text/TextConvert.h"
#include "tests/support/AddinTestEnvironment.h"
#include "tests/support/FlavourFile.h"
#include "tests/support/Unprivileged.h"

namespace {

// How a line break of the file reaches a text: LF in the XP module's text
// mode, CR LF as it stands in the 2003 module.
std::string Break() {
#if defined(ORVANE_FLAVOUR_XP)
  return "\n";
#else
  return "\r\n";
#endif
}

class HadithTest : public AddinTest {
 protected:
  tstring Write(const std::string& utf8) {
    WriteAddinFile("hadith_test.txt", FlavourFileBytes(utf8));
    return Utf8ToT((m_folder / "hadith_test.txt").string());
  }
  static std::string Next(CHadithServer& server) {
    std::u16string text;
    server.GetNextHadith(&text);
    return text::Utf16ToUtf8(text);
  }
  // The first line of the next text.
  static std::string NextFirstLine(CHadithServer& server) {
    const std::string text = Next(server);
    return text.substr(0, text.find_first_of("\r\n"));
  }
};

TEST_F(HadithTest, TextsRotateFromTheSeedAfterLoading) {
  const tstring path = Write("one\n\ntwo\n\nthree\n");
  CHadithServer server(0);
  ASSERT_TRUE(server.Load(path.c_str()));
  ASSERT_EQ(server.Count(), 3);
  EXPECT_EQ(NextFirstLine(server), "two");
  EXPECT_EQ(NextFirstLine(server), "three");
  EXPECT_EQ(NextFirstLine(server), "one");
  EXPECT_EQ(NextFirstLine(server), "two");

  for (std::uint32_t seed : {1u, 2u, 5u, 2147483648u, 4294967295u}) {
    CHadithServer seeded(seed);
    ASSERT_TRUE(seeded.Load(path.c_str()));
    const char* names[] = {"one", "two", "three"};
    // Loading moves the seed on by one, in 32-bit arithmetic.
    EXPECT_EQ(NextFirstLine(seeded), names[static_cast<std::uint32_t>(seed + 1u) % 3]) << seed;
  }
}

TEST_F(HadithTest, LinesKeepTheirEndsAndGetOneMore) {
  const tstring path = Write("first line\nsecond line\n\nother\n");
  CHadithServer server(1);  // (1 + 1) mod 2: starts at the first text
  ASSERT_TRUE(server.Load(path.c_str()));
  const std::string b = Break();
  EXPECT_EQ(Next(server), "first line" + b + "\n" + "second line" + b + "\n" + b + "\n");
  EXPECT_EQ(Next(server), "other" + b + "\n");
}

TEST_F(HadithTest, AtMostAHundredTextsAndTheLastNeedsNoEmptyLine) {
  std::string many;
  for (int i = 1; i <= 150; ++i) many += "text " + std::to_string(i) + "\n\n";
  CHadithServer server(99);  // starts at text 1
  ASSERT_TRUE(server.Load(Write(many).c_str()));
  EXPECT_EQ(server.Count(), 100);
  EXPECT_EQ(NextFirstLine(server), "text 1");

  CHadithServer lastOpen(1);
  ASSERT_TRUE(lastOpen.Load(Write("a\n\nb\n\nc").c_str()));
  EXPECT_EQ(lastOpen.Count(), 3);
  EXPECT_EQ(Next(lastOpen), "c");
}

TEST_F(HadithTest, EmptyLineAtTheEndAddsNoEmptyText) {
  // It used to give a fourth, empty text: a Friday appointment with nothing in it.
  CHadithServer server(0);
  ASSERT_TRUE(server.Load(Write("a\n\nb\n\nc\n\n").c_str()));
  EXPECT_EQ(server.Count(), 3);
  for (int i = 0; i < 6; ++i) EXPECT_FALSE(Next(server).empty());

  CHadithServer empty(7);
  ASSERT_TRUE(empty.Load(Write("").c_str()));
  EXPECT_EQ(empty.Count(), 1);  // an empty file yields one empty text
  EXPECT_EQ(Next(empty), "");
}

TEST_F(HadithTest, LongLinesAreReadInPieces) {
  const std::string longLine(8191 + 100, 'x');
  CHadithServer server(0);
  ASSERT_TRUE(server.Load(Write(longLine + "\n").c_str()));
  ASSERT_EQ(server.Count(), 1);
  const std::string text = Next(server);
  // The first piece has no line end of its own, so gets no extra one.
  EXPECT_EQ(text, std::string(8191, 'x') + std::string(100, 'x') + Break() + "\n");
}

TEST_F(HadithTest, MissingFileGivesTheBuiltInText) {
  CHadithServer server(12345);
  const tstring missing = Utf8ToT((m_folder / "none.txt").string());
  EXPECT_FALSE(server.Load(missing.c_str()));
  EXPECT_EQ(server.Count(), 1);
  const std::string builtIn = Next(server);
  EXPECT_NE(builtIn.find("Friday"), std::string::npos);
  EXPECT_EQ(Next(server), builtIn);

  CHadithServer unloaded(5);
  EXPECT_EQ(Next(unloaded), "");
}

// A shared install: the hadith file belongs to root, read-only, in a folder
// the user may not write. Reading it needs no more than read access.
TEST_F(HadithTest, AnOrdinaryUserReadsAReadOnlyInstalledFile) {
  const tstring path = Write("one\n\ntwo\n");
  ASSERT_EQ(chmod(TToUtf8(path).c_str(), 0444), 0);
  ASSERT_EQ(chmod(m_folder.c_str(), 0555), 0);
  ASSERT_EQ(chmod(m_profile.Dir().c_str(), 0755), 0);
  EXPECT_TRUE(RunUnprivileged([&] {
    CHadithServer server(0);
    return server.Load(path.c_str()) && server.Count() == 2;
  }));
  chmod(m_folder.c_str(), 0755);
}

}  // namespace

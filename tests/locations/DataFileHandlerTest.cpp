// City files in the encoding of the module flavour this executable is built for.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "locations/DataFileHandler.h"
#include "platform/text/TextConvert.h"
#include "tests/support/AddinTestEnvironment.h"
#include "tests/support/FlavourFile.h"

namespace {

std::string Encode(const std::string& utf8) { return FlavourFileBytes(utf8); }
// What the writer produces: CR LF in the XP module's text mode, LF as it
// stands in the 2003 module.
std::string EncodeWritten(const std::string& utf8) { return FlavourFileBytes(utf8, false); }

class DataFileTest : public AddinTest {
 protected:
  tstring WriteFile(const std::string& name, const std::string& utf8) {
    const auto path = m_profile.Dir() / name;
    std::ofstream(path, std::ios::binary) << Encode(utf8);
    return Utf8ToT(path.string());
  }
  std::string ReadBytes(const tstring& path) {
    std::ifstream in(TToUtf8(path), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
};

const char* const kThreeCities =
    "مكة المكرمة,,المملكة العربية السعودية,21 25 N,39 49 E,3,N,1,N,1\n"
    "Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,Y,2\n"
    "Paris,,France,48 52 N,2 20 E,1,Y,0,Y,3\n";

TEST_F(DataFileTest, ReadsEveryCityAndStopsAtTheEnd) {
  const tstring path = WriteFile("cities.txt", kThreeCities);
  CDataFileHandler file(path.c_str(), CDataFileHandler::kRead);
  ASSERT_TRUE(file.IsOpen());
  CCityInfo city;
  std::vector<std::u16string> names;
  while (file.GetNextCityInfo(city)) names.push_back(*city.m_name);
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(text::Utf16ToUtf8(names[0]), "مكة المكرمة");
  EXPECT_EQ(names[2], u"Paris");
  EXPECT_EQ(city.m_lineNumber, 3);
}

TEST_F(DataFileTest, ReadCityAtLineReadsThatLineOrNothing) {
  const tstring path = WriteFile("cities.txt", kThreeCities);
  CDataFileHandler file(path.c_str(), CDataFileHandler::kRead);
  tchar line[CDataFileHandler::kReadBufferSize];
  ASSERT_EQ(file.ReadCityAtLine(2, line, CDataFileHandler::kReadBufferSize), 1);
  CCityInfo city;
  ASSERT_EQ(city.GetInfoFromLine(line), 1);
  EXPECT_EQ(city.m_name, u"Cairo");
  ASSERT_EQ(file.ReadCityAtLine(1, line, CDataFileHandler::kReadBufferSize), 1);  // back to the start
  // A file shorter than the asked line used to answer with its last line,
  // which moved the user to another city without a word.
  EXPECT_EQ(file.ReadCityAtLine(4, line, CDataFileHandler::kReadBufferSize), 0);
  EXPECT_EQ(line[0], 0);
  EXPECT_EQ(file.ReadCityAtLine(0, line, CDataFileHandler::kReadBufferSize), 0);
}

TEST_F(DataFileTest, LongLinesAreSplitByTheReader) {
  const std::string longLine = std::string(1500, 'x') + ",,Egypt,30 3 N,31 15 E,2,Y,3,Y,1\n";
  const tstring path = WriteFile("long.txt", longLine);
  CDataFileHandler file(path.c_str(), CDataFileHandler::kRead);
  tchar buffer[CDataFileHandler::kReadBufferSize];
  ASSERT_EQ(file.ReadLine(buffer, CDataFileHandler::kReadBufferSize), 1);
  EXPECT_EQ(std::char_traits<tchar>::length(buffer), 1039u);
  ASSERT_EQ(file.ReadLine(buffer, CDataFileHandler::kReadBufferSize), 1);
  EXPECT_EQ(TToUtf8(buffer).back(), '\n');
  EXPECT_EQ(file.ReadLine(buffer, CDataFileHandler::kReadBufferSize), 0);
}

TEST_F(DataFileTest, RewriteReplacesTheFileOnlyWhenEveryLineIsWritten) {
  const tstring path = WriteFile("cities.txt", kThreeCities);
  CCityInfo cairo;
  const tstring cairoLine = Utf8ToT("Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,Y,1\n");
  ASSERT_EQ(cairo.GetInfoFromLine(cairoLine.c_str()), 1);
  {
    CDataFileHandler rewrite(path.c_str(), CDataFileHandler::kRewrite);
    ASSERT_TRUE(rewrite.IsOpen());
    EXPECT_EQ(rewrite.WriteCityInfo(cairo), 1);
    // Until the rewrite is done the old file is whole: a crash here loses nothing.
    EXPECT_EQ(ReadBytes(path), Encode(kThreeCities));
  }
  EXPECT_EQ(ReadBytes(path), EncodeWritten("Cairo,,Egypt,30 3 N,31 15 E,2.000000,Y,3,Y,1\n"));

  // Reading mode refuses to write; appending adds at the end.
  CDataFileHandler read(path.c_str(), CDataFileHandler::kRead);
  EXPECT_EQ(read.WriteCityInfo(cairo), 0);
  {
    CDataFileHandler append(path.c_str(), CDataFileHandler::kAppend);
    EXPECT_EQ(append.WriteCityInfo(cairo), 1);
  }
  EXPECT_EQ(ReadBytes(path), EncodeWritten("Cairo,,Egypt,30 3 N,31 15 E,2.000000,Y,3,Y,1\n"
                                           "Cairo,,Egypt,30 3 N,31 15 E,2.000000,Y,3,Y,1\n"));
}

TEST_F(DataFileTest, FailedRewriteKeepsTheOldFile) {
  const tstring path = WriteFile("cities.txt", kThreeCities);
  // Where the new file would go there is a folder: nothing can be written.
  std::filesystem::create_directory(TToUtf8(path) + ".new");
  CCityInfo cairo;
  {
    CDataFileHandler rewrite(path.c_str(), CDataFileHandler::kRewrite);
    EXPECT_FALSE(rewrite.IsOpen());
    EXPECT_EQ(rewrite.WriteCityInfo(cairo), 0);
  }
  EXPECT_EQ(ReadBytes(path), Encode(kThreeCities));
}

TEST_F(DataFileTest, ReadOnlyFileIsMadeWritableAndMissingFileDoesNotOpen) {
  const tstring path = WriteFile("cities.txt", kThreeCities);
  chmod(TToUtf8(path).c_str(), 0444);
  {
    CDataFileHandler append(path.c_str(), CDataFileHandler::kAppend);
    EXPECT_TRUE(append.IsOpen());
  }
  const tstring missing = Utf8ToT((m_profile.Dir() / "none.txt").string());
  CDataFileHandler none(missing.c_str(), CDataFileHandler::kRead);
  EXPECT_FALSE(none.IsOpen());
  CCityInfo city;
  EXPECT_EQ(none.GetNextCityInfo(city), 0);
  EXPECT_FALSE(CityFileExists(missing.c_str()));
  EXPECT_TRUE(CityFileExists(path.c_str()));
}

TEST_F(DataFileTest, MissingFileMessageNamesFileAndFolder) {
  ShowCityFileMissingMessage(Utf8ToT("cities_en.txt"), Utf8ToT("/opt/orvane/"));
  const auto boxes = m_frontEnd->MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("cities_en.txt"), std::string::npos);
  EXPECT_NE(boxes[0].text.find("/opt/orvane"), std::string::npos);
  EXPECT_EQ(boxes[0].text.find("/opt/orvane/"), std::string::npos);
  EXPECT_EQ(boxes[0].style, 0x10u);
  EXPECT_FALSE(boxes[0].caption.empty());
}

}  // namespace

namespace {

// Every line of the three shipped city files, in this flavour's encoding,
// reads as a record that writes back as a line reading as the same record,
// with the same flags, method and line number.
TEST_F(DataFileTest, EveryShippedCityRoundTrips) {
  for (unsigned id : {240u, 242u, 1011u}) {
    const tstring path = CityFilePath(id);
    CDataFileHandler file(path.c_str(), CDataFileHandler::kRead);
    ASSERT_TRUE(file.IsOpen()) << TToUtf8(path);
    CCityInfo city;
    int line = 0;
    while (file.GetNextCityInfo(city)) {
      ++line;
      ASSERT_EQ(city.m_lineNumber, line) << TToUtf8(path);
      tchar written[CDataFileHandler::kWriteBufferSize];
      city.GetLineFromInfo(written, CDataFileHandler::kWriteBufferSize);
      CCityInfo back;
      ASSERT_EQ(back.GetInfoFromLine(written), 1) << TToUtf8(written);
      EXPECT_TRUE(back == city) << TToUtf8(written);
      EXPECT_EQ(back.m_daylight, city.m_daylight);
      EXPECT_EQ(back.m_method, city.m_method);
      EXPECT_EQ(back.m_capital, city.m_capital);
      EXPECT_EQ(back.m_lineNumber, city.m_lineNumber);
    }
    EXPECT_GE(line, 300) << TToUtf8(path);
  }
}

}  // namespace

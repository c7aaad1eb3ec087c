// orvane imsakyya as a user runs it: the page written for the profile's
// city, opened only when this request wrote it, the request's options
// forgotten afterwards.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/RunProgram.h"
#include "tests/support/TestProfile.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class ImsakyyaCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // An add-in folder of the test's own: the page lands there, and a style
    // sheet may go missing without disturbing other tests.
    m_folder = m_profile.Dir() / "addin";
    fs::create_directories(m_folder);
    const fs::path built = fs::path(ORVANE_ADDIN_2003_MODULE).parent_path();
    for (const auto& entry : fs::directory_iterator(built)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("orvnres", 0) == 0 || entry.path().extension() == ".txt" || entry.path().extension() == ".xsl") {
        fs::create_symlink(entry.path(), m_folder / name);
      }
    }
    setenv("ORVANE_ADDIN_FOLDER", m_folder.c_str(), 1);
    m_record = m_profile.Dir() / "opened.txt";
    const fs::path recorder = m_profile.Dir() / "open.sh";
    std::ofstream(recorder) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << m_record.string() << "'\n";
    fs::permissions(recorder, fs::perms::owner_all);
    setenv("ORVANE_OPEN", recorder.c_str(), 1);
    int code = 0;
    ASSERT_EQ((RunCommand(std::string(ORVANE_PROGRAM) + " install", &code), code), 0);
  }
  void TearDown() override {
    unsetenv("ORVANE_ADDIN_FOLDER");
    unsetenv("ORVANE_OPEN");
  }

  std::string Run(const std::string& arguments, int* code) {
    fs::remove(m_record);
    return RunCommand(std::string(ORVANE_PROGRAM) + " " + arguments, code);
  }
  // What the shell was asked to open, once the opener has run.
  std::string Opened() {
    for (int i = 0; i < 300 && !fs::exists(m_record); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return ReadFile(m_record);
  }
  fs::path Page() const { return m_folder / "imsakyya.html"; }

  TestProfile m_profile{"2026-12-08T10:00:00"};
  fs::path m_folder, m_record;
};

TEST_F(ImsakyyaCommandTest, WritesTheMonthOfTheProfilesCityAndOpensIt) {
  int code = -1;
  std::string out = Run("imsakyya --range month", &code);
  ASSERT_EQ(code, 0) << out;
  EXPECT_EQ(out, Page().string() + "\n");
  EXPECT_EQ(Opened(), Page().string());
  std::string page = ReadFile(Page());
  EXPECT_EQ(Count(page, "<td class=\"date\">"), 31);
  EXPECT_NE(page.find("December 2026"), std::string::npos);
  EXPECT_NE(page.find("Mecca"), std::string::npos);
  EXPECT_NE(page.find("dir=\"ltr\""), std::string::npos);

  // Arabic and right to left; then a Hijri month.
  out = Run("--ui-language 1025 imsakyya --range month --no-open", &code);
  ASSERT_EQ(code, 0) << out;
  page = ReadFile(Page());
  EXPECT_NE(page.find("<html dir=\"rtl\">"), std::string::npos);
  EXPECT_NE(page.find("charset=windows-1256"), std::string::npos);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(fs::exists(m_record)) << "--no-open opened the page";
  out = Run("imsakyya --range month --calendar hijri --no-open", &code);
  ASSERT_EQ(code, 0) << out;
  page = ReadFile(Page());
  const int days = Count(page, "<td class=\"date\">");
  EXPECT_TRUE(days == 29 || days == 30) << days;
  EXPECT_NE(page.find(" 1448<"), std::string::npos) << "a Hijri year";

  // The options held for those requests only: the saved settings give today.
  out = Run("imsakyya --no-open", &code);
  ASSERT_EQ(code, 0) << out;
  page = ReadFile(Page());
  EXPECT_EQ(Count(page, "<td class=\"date\">"), 0);
  EXPECT_EQ(Count(page, "<td class=\"name\">"), 6) << "the day page";
  EXPECT_EQ(page.find("1448"), std::string::npos) << "Gregorian again";
}

TEST_F(ImsakyyaCommandTest, AFailedRequestSaysWhyAndOpensNothing) {
  int code = -1;
  ASSERT_EQ((Run("imsakyya --range month --no-open", &code), code), 0);
  const std::string monthPage = ReadFile(Page());
  // The week's style sheet is gone: that request fails, and the month page
  // written before must not be shown as if it were the week.
  fs::remove(m_folder / "week.xsl");
  const std::string out = Run("imsakyya --range week", &code);
  EXPECT_EQ(code, 1);
  EXPECT_NE(out.find("the timetable was not written"), std::string::npos) << out;
  EXPECT_NE(out.find("style sheet"), std::string::npos) << out;
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(fs::exists(m_record)) << "opened after a failure";
  EXPECT_EQ(ReadFile(Page()), monthPage);
  // The other ranges still work.
  EXPECT_EQ((Run("imsakyya --range next-month --no-open", &code), code), 0);
  EXPECT_EQ((Run("imsakyya --range tomorrow --no-open", &code), code), 0);
}

TEST_F(ImsakyyaCommandTest, RefusesUnknownOptions) {
  int code = -1;
  std::string out = Run("imsakyya --range fortnight", &code);
  EXPECT_EQ(code, 2);
  EXPECT_NE(out.find("--range takes"), std::string::npos) << out;
  out = Run("imsakyya --calendar julian", &code);
  EXPECT_EQ(code, 2);
  out = Run("imsakyya --help", &code);
  EXPECT_EQ(code, 0);
  EXPECT_NE(out.find("usage: orvane imsakyya"), std::string::npos);
}

}  // namespace

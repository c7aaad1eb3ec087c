// The shell's "open": the program of ORVANE_OPEN gets the path as one
// argument, whatever characters it holds, and nothing runs for a missing
// file or another verb.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/shell/ShellExecute.h"
#include "tests/support/TestProfile.h"

namespace {

class ShellExecuteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_recorder = m_profile.Dir() / "record.sh";
    m_record = m_profile.Dir() / "opened.txt";
    std::ofstream(m_recorder) << "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" << m_record.string() << ".tmp'\nmv '"
                              << m_record.string() << ".tmp' '" << m_record.string() << "'\n";
    std::filesystem::permissions(m_recorder, std::filesystem::perms::owner_all);
    setenv("ORVANE_OPEN", m_recorder.c_str(), 1);
  }
  void TearDown() override { unsetenv("ORVANE_OPEN"); }

  // What the recorder was given, once it has run (it is not waited for).
  std::string Recorded() {
    for (int i = 0; i < 500 && !std::filesystem::exists(m_record); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream in(m_record);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  TestProfile m_profile;
  std::filesystem::path m_recorder, m_record;
};

std::intptr_t Code(HINSTANCE answer) { return reinterpret_cast<std::intptr_t>(answer); }

TEST_F(ShellExecuteTest, ThePathIsOneArgumentWhateverItHolds) {
  const std::filesystem::path page = m_profile.Dir() / "my page; $(touch x) 'a' \"b\".html";
  std::ofstream(page) << "<html></html>";
  EXPECT_GT(Code(ShellExecute(nullptr, "open", page.c_str(), nullptr, "", SW_SHOWMAXIMIZED)), 32);
  EXPECT_EQ(Recorded(), "1|" + page.string());
  EXPECT_FALSE(std::filesystem::exists(m_profile.Dir() / "x"));
}

TEST_F(ShellExecuteTest, NothingRunsForAMissingFileAnotherVerbOrNoProgram) {
  EXPECT_EQ(Code(ShellExecute(nullptr, "open", (m_profile.Dir() / "none.html").c_str(), nullptr, "", 3)), SE_ERR_FNF);
  const std::filesystem::path page = m_profile.Dir() / "page.html";
  std::ofstream(page) << "<html></html>";
  EXPECT_EQ(Code(ShellExecute(nullptr, "print", page.c_str(), nullptr, "", 3)), SE_ERR_NOASSOC);
  setenv("ORVANE_OPEN", "/no/such/program", 1);
  EXPECT_EQ(Code(ShellExecute(nullptr, u"open", page.u16string().c_str(), nullptr, u"", 3)), SE_ERR_NOASSOC);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(std::filesystem::exists(m_record));
}

}  // namespace

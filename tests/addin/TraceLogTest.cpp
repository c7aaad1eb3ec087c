// The trace log and the error lines of the uninstall code.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "services/Exceptions.h"
#include "services/TraceLog.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestProfile.h"

namespace {

std::string ReadLog(const TestProfile& profile) {
  std::ifstream in(profile.Dir() / "drive_c" / "orvnlog.txt", std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool LogExists(const TestProfile& profile) {
  return std::filesystem::exists(profile.Dir() / "drive_c" / "orvnlog.txt");
}

void SetSwitch(DWORD value) {
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, "Software\\Veltrix\\Orvane\\3.0", "LogToFile", value),
            ERROR_SUCCESS);
}

TEST(TraceLog, WithoutTheSwitchTracesNothingButErrorLinesStillGetWritten) {
  TestProfile profile("2026-12-06T14:25:07");
  CTraceLog log;
  log.Setup();
  EXPECT_FALSE(log.Enabled());
  log.Trace("Enter COutlookPrayer::ReadSettings()");
  EXPECT_FALSE(LogExists(profile));

  log.LogError("HRESULT = 0x80004005");
  EXPECT_EQ(ReadLog(profile), "\r\n 6/12/2026 14:25:7:0 HRESULT = 0x80004005");
}

TEST(TraceLog, SwitchOnWritesADiagnosticsBlockPerRequestThenTheLines) {
  TestProfile profile;
  SetSwitch(1);
  CTraceLog log;
  log.Setup();
  ASSERT_TRUE(log.Enabled());
  log.Trace("Enter COutlookPrayer::ReadSettings()");
  log.Setup();  // a second class-object request
  log.Trace("Exit COutlookPrayer::ReadSettings()");
  const std::string text = ReadLog(profile);
  EXPECT_EQ(text.rfind("\n\nThe Date is ", 0), 0u) << text;
  size_t blocks = 0;
  for (size_t at = text.find("The Date is"); at != std::string::npos; at = text.find("The Date is", at + 1)) ++blocks;
  EXPECT_EQ(blocks, 2u);
  EXPECT_NE(text.find("\n\nThe Time is "), std::string::npos);
  EXPECT_NE(text.find("\n\n The Working OS is "), std::string::npos);
  EXPECT_NE(text.find("\n\n The Version is "), std::string::npos);
  // Arabic is among the installed locales, and the system's language is not Arabic.
  EXPECT_NE(text.find("\n\n This is an arabic enabled version of windows"), std::string::npos) << text;
  EXPECT_NE(text.find("\nEnter COutlookPrayer::ReadSettings()\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("\nExit COutlookPrayer::ReadSettings()")) << text;

  // An Arabic system language makes it an Arabic localized system.
  ASSERT_EQ(registry::SetString(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Nls\\Language",
                                "Default", "0401"),
            ERROR_SUCCESS);
  log.Setup();
  EXPECT_TRUE(ReadLog(profile).ends_with("\n\n This is an arabic localized version of windows"));

  // A missing value leaves tracing as it was; 0 turns it off.
  registry::SetDword(HKEY_CURRENT_USER, "Software\\Veltrix\\Orvane\\3.0", "LogToFile", 0);
  log.Setup();
  EXPECT_FALSE(log.Enabled());
}

TEST(TraceLog, LinesFromTwoThreadsAreWrittenWhole) {
  TestProfile profile;
  SetSwitch(1);
  CTraceLog log;
  log.Setup();
  const auto writer = [&log](char tag) {
    const std::string line = std::string(200, tag);
    for (int i = 0; i < 500; ++i) log.Trace(line);
  };
  std::thread a(writer, 'a'), b(writer, 'b');
  a.join();
  b.join();
  std::istringstream lines(ReadLog(profile));
  int whole = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || (line[0] != 'a' && line[0] != 'b')) continue;
    ASSERT_EQ(line, std::string(200, line[0]));
    ++whole;
  }
  EXPECT_EQ(whole, 1000);
}

TEST(Exceptions, MessageTextOfACodeOrUnknownError) {
  EXPECT_STREQ(CWin32Exception(2).what(), "The system cannot find the file specified.");
  EXPECT_STREQ(CWin32Exception(0x80070002).what(), "The system cannot find the file specified.");
  EXPECT_STREQ(CWin32Exception(0x80040154).what(), "Class not registered");
  EXPECT_STREQ(CWin32Exception(0x1234ABCD).what(), "Unknown error 0x1234ABCD");
  EXPECT_STREQ(CWin32Exception(0xC).what(), "Unknown error 0x0000000C");
}

TEST(Exceptions, ComFailureIsLoggedAsThreeErrorLines) {
  TestProfile profile("2026-12-06T14:25:07");
  CComException failure(static_cast<HRESULT>(0x80004005), nullptr, 321);
  EXPECT_EQ(failure.Line(), 321);
  LogComException(failure, "addin/OutlookPrayer.cpp");
  EXPECT_EQ(ReadLog(profile),
            "\r\n 6/12/2026 14:25:7:0 HRESULT = 0x80004005"
            "\r\n 6/12/2026 14:25:7:0 FILE = addin/OutlookPrayer.cpp, LINE = 321"
            "\r\n 6/12/2026 14:25:7:0 Unspecified error");
}

}  // namespace

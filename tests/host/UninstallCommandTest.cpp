// orvane uninstall as a user runs it: the add-in, its items, its settings
// and its registration leave the profile; a second run finds nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/RunProgram.h"
#include "tests/support/TestProfile.h"

namespace {

std::string Orvane(const std::string& arguments, int* code) {
  return RunCommand(std::string(ORVANE_PROGRAM) + " " + arguments, code);
}

int Lines(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

TEST(OrvaneUninstall, LeavesNothingOfTheAddinAndMayRunAgain) {
  TestProfile profile("2026-12-08T10:00:00");
  int code = -1;
  ASSERT_EQ((Orvane("install", &code), code), 0);
  ASSERT_EQ((Orvane("start", &code), code), 0);
  ASSERT_GT(Lines(Orvane("calendar list", &code)), 0);
  ASSERT_EQ((Orvane("delete", &code), code), 0);
  ASSERT_EQ((Orvane("generate", &code), code), 0);  // Deleted Items held them in between

  std::string out = Orvane("uninstall", &code);
  ASSERT_EQ(code, 0) << out;
  EXPECT_EQ(Lines(Orvane("calendar list", &code)), 0);
  EXPECT_EQ(Lines(Orvane("calendar list --folder deleted", &code)), 0);
  Orvane("reg export 'HKEY_CURRENT_USER\\Software\\Veltrix\\Orvane\\3.0'", &code);
  EXPECT_NE(code, 0) << "the maker's key is still there";
  const std::string addins = Orvane("reg export 'HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook'", &code);
  EXPECT_EQ(addins.find("Orvane2003"), std::string::npos) << addins;
  const std::string classes = Orvane("reg export 'HKEY_CLASSES_ROOT'", &code);
  EXPECT_EQ(classes.find("Orvane2003"), std::string::npos) << "still registered";
  std::ifstream bars(profile.Dir() / "outcmd.dat", std::ios::binary);
  std::stringstream saved;
  saved << bars.rdbuf();
  EXPECT_EQ(saved.str().find("Orvane"), std::string::npos) << "a tool bar named Orvane survived";
  // Starting Outlook now loads no add-in and writes nothing.
  ASSERT_EQ((Orvane("start", &code), code), 0);
  EXPECT_EQ(Lines(Orvane("calendar list", &code)), 0);

  out = Orvane("uninstall", &code);
  EXPECT_EQ(code, 0) << out;
}

}  // namespace

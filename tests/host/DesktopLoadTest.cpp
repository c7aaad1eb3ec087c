// Qt only for windows: on a desktop (a display named, Qt able to start), a
// command that shows no window loads no Qt library; the libraries a run
// loads are counted as the dynamic loader reports them (LD_DEBUG=files).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "tests/support/RunProgram.h"
#include "tests/support/TestProfile.h"

namespace {

// The Qt libraries a run of `orvane ARGUMENTS` loaded on a desktop.
std::set<std::string> QtLibrariesLoaded(const TestProfile& profile, const std::string& arguments) {
  const std::filesystem::path folder = profile.Dir() / "loader";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  int code = 0;
  // A display that answers nobody: Qt would start anyway on its offscreen
  // platform, so that loading it is all that could keep it out.
  const std::string out = RunCommand("DISPLAY=:77 QT_QPA_PLATFORM=offscreen LD_DEBUG=files LD_DEBUG_OUTPUT='" +
                                         (folder / "ld").string() + "' " + ORVANE_PROGRAM + " " + arguments +
                                         " >/dev/null",
                                     &code);
  EXPECT_EQ(code, 0) << arguments << "\n" << out;
  std::set<std::string> qt;
  const std::regex library(R"(file=(libQt6[^ ;\[]*))");
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path());
    for (std::string line; std::getline(in, line);) {
      std::smatch match;
      if (std::regex_search(line, match, library)) qt.insert(match[1]);
    }
  }
  return qt;
}

std::string Names(const std::set<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += name + " ";
  return text;
}

// Regression: with DISPLAY set, every command loaded the desktop front end
// and its forty Qt libraries at start-up, a tenth of a second each time.
TEST(DesktopLoad, ACommandThatShowsNoWindowLoadsNoQtOnADesktop) {
  TestProfile profile;
  int code = 0;
  ASSERT_EQ((RunCommand(std::string(ORVANE_PROGRAM) + " install", &code), code), 0);
  // Filled first, so that the start below has no walk that lasts long
  // enough to show its progress window.
  ASSERT_EQ((RunCommand(std::string(ORVANE_PROGRAM) + " --ui terminal start", &code), code), 0);
  for (const char* command : {"calendar list", "calc --city mecca --date 2004-03-21", "reg export HKEY_CURRENT_USER",
                              "start", "--help"}) {
    const std::set<std::string> qt = QtLibrariesLoaded(profile, command);
    EXPECT_TRUE(qt.empty()) << command << " loaded " << Names(qt);
  }
  // Asked for by hand, the desktop is there from the start.
  EXPECT_GE(QtLibrariesLoaded(profile, "--ui qt calendar list").size(), 3u);
}

}  // namespace

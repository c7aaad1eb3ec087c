// A shared install used by an ordinary user: the build installed as root
// into a prefix of its own (as `make install PREFIX=/usr/local` does), then
// `orvane install` and `orvane start` run by a user who cannot write there.
// The start must fill the calendar for the default city (Mecca), never for
// latitude 0, longitude 0, UTC+0.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <set>
#include <sstream>
#include <string>

#include "tests/support/RunProgram.h"
#include "tests/support/TestProfile.h"
#include "tests/support/Unprivileged.h"

namespace {

// The six times of one day at a place, "HH:MM" each, from the build's own
// calculator.
std::set<std::string> TimesOf(const std::string& place, const std::string& day) {
  TestProfile profile;
  int code = 0;
  const std::string program = ORVANE_PROGRAM;
  std::string out = RunCommand(program + " install", &code);
  EXPECT_EQ(code, 0) << out;
  out = RunCommand(program + " calc " + place + " --date " + day, &code);
  EXPECT_EQ(code, 0) << out;
  std::istringstream words(out);
  std::set<std::string> times;
  std::string word;
  words >> word;  // the date
  while (words >> word) times.insert(word);
  return times;
}

TEST(SharedInstall, AnOrdinaryUserGetsTheDefaultCitysPrayersNeverZeroZeroZero) {
  TestProfile root;
  const std::filesystem::path prefix = root.Dir() / "prefix";
  int code = 0;
  std::string out = RunCommand(std::string(ORVANE_CMAKE) + " --install " + ORVANE_BUILD_DIR + " --prefix " +
                                   prefix.string() + " >/dev/null",
                               &code);
  ASSERT_EQ(code, 0) << out;
  // Root's install: others may read and run it, not write into it.
  ::chmod(root.Dir().c_str(), 0755);
  const std::filesystem::path home = UnprivilegedProfile(root.Dir());
  const std::string orvane = (prefix / "bin" / "orvane").string();

  out = RunUnprivileged(home, orvane + " install", &code);
  ASSERT_EQ(code, 0) << out;
  int startCode = 0;
  const std::string start = RunUnprivileged(home, orvane + " start", &startCode);
  out = RunUnprivileged(home, orvane + " calendar list --from 2004-03-21 --to 2004-03-22", &code);
  ASSERT_EQ(code, 0) << out;

  // The city files are read without asking to write them: the start fills
  // the calendar with Mecca's prayers ("2004-03-21 05:36 - 05:46  Fajr").
  ASSERT_EQ(startCode, 0) << start;
  const std::set<std::string> mecca =
      TimesOf("--longitude 39.8167E --latitude 21.4167N --timezone 3 --method eQurah", "2004-03-21");
  std::istringstream lines(out);
  int prayers = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.size() < 16) continue;
    ++prayers;
    EXPECT_TRUE(mecca.count(line.substr(11, 5))) << line << "\nis no time of Mecca's; the start said:\n" << start;
  }
  EXPECT_GT(prayers, 0) << start;
}

}  // namespace

// What a user reads on the command line: every command's --help names its
// options; an unknown option or an option without its value gets one line
// naming it and exit status 2, before anything is run or waited for.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/RunProgram.h"
#include "tests/support/TestProfile.h"

namespace {

std::string Orvane(const std::string& arguments, int* code) {
  return RunCommand(std::string(ORVANE_PROGRAM) + " " + arguments, code);
}

struct CommandOptions {
  const char* help;                        // how its help is asked for
  std::vector<const char*> named;          // what the help must name
  std::vector<const char*> unknown;        // words with an unknown option, and that option
  std::vector<const char*> missingValue;   // words ending in an option without its value
};

const CommandOptions kCommands[] = {
    {"--help", {"--home", "--office", "--ui-language", "--ui", "--no-user-fields", "--wait"},
     {"--bogus calendar list"}, {"--home", "--office", "--ui-language", "--ui", "--wait"}},
    {"install --help", {"--office"}, {"install --bogus"}, {"install --office"}},
    {"calc --help",
     {"--city", "--longitude", "--latitude", "--timezone", "--method", "--school", "--daylight", "--date", "--days"},
     {"calc --bogus"},
     {"calc --city", "calc --longitude", "calc --latitude", "calc --timezone", "calc --method", "calc --school",
      "calc --daylight", "calc --date", "calc --days"}},
    {"reg --help", {"export", "import"}, {"reg export --bogus", "reg import --bogus"}, {}},
    {"calendar --help",
     {"--from", "--to", "--folder", "--filter", "--tsv", "--reverse"},
     {"calendar list --bogus", "calendar export --bogus"},
     {"calendar list --from", "calendar list --to", "calendar list --folder", "calendar list --filter"}},
    {"start --help", {"--stay", "--embedding", "--verbose"}, {"start --bogus"}, {}},
    {"generate --help", {}, {"generate --bogus"}, {}},
    {"delete --help", {}, {"delete --bogus"}, {}},
    {"imsakyya --help", {"--range", "--calendar", "--no-open"}, {"imsakyya --bogus"},
     {"imsakyya --range", "imsakyya --calendar"}},
    {"uninstall --help", {}, {"uninstall --bogus"}, {}},
    {"dialog --help", {"--edit"}, {"dialog daylight --bogus"}, {}},
    {"service --help", {"install", "remove", "status"}, {"service status --bogus"}, {}},
};

std::size_t Lines(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

TEST(OrvaneCommandLine, EveryHelpNamesItsOptions) {
  TestProfile profile;
  for (const CommandOptions& command : kCommands) {
    int code = -1;
    const std::string out = Orvane(command.help, &code);
    EXPECT_EQ(code, 0) << command.help;
    EXPECT_NE(out.find("usage: orvane"), std::string::npos) << command.help;
    for (const char* option : command.named) {
      EXPECT_NE(out.find(option), std::string::npos) << command.help << " does not name " << option;
    }
  }
}

TEST(OrvaneCommandLine, AnUnknownOptionOrAMissingValueIsNamedInOneLine) {
  TestProfile profile;
  for (const CommandOptions& command : kCommands) {
    for (const char* words : command.unknown) {
      int code = -1;
      const std::string out = Orvane(words, &code);
      EXPECT_EQ(code, 2) << words << "\n" << out;
      EXPECT_EQ(Lines(out), 1u) << words << "\n" << out;
      EXPECT_NE(out.find("\"--bogus\""), std::string::npos) << words << "\n" << out;
    }
    for (const char* words : command.missingValue) {
      int code = -1;
      const std::string out = Orvane(words, &code);
      const std::string text = words;
      const std::string option = text.substr(text.rfind(' ') == std::string::npos ? 0 : text.rfind(' ') + 1);
      EXPECT_EQ(code, 2) << words << "\n" << out;
      EXPECT_EQ(Lines(out), 1u) << words << "\n" << out;
      EXPECT_NE(out.find(option), std::string::npos) << words << "\n" << out;
    }
  }
}

}  // namespace

#pragma once
// The commands of the orvane program. Each takes the words after its name
// (global options already removed) and returns the process exit code:
// 0 done, 1 failed, 2 the command line was wrong.

#include <string>
#include <vector>

struct GlobalOptions {
  int office = 11;       // the Office version the host plays: 10 (XP) or 11 (2003)
  long uiLanguage = 0;   // LCID; 0 = take Office's "UILanguage" setting
  bool userFieldsInFilters = true;  // false with --no-user-fields
  std::string ui;  // --ui: "qt", "terminal", "headless"; empty: qt with a display, else terminal
};

using Arguments = std::vector<std::string>;

int RunInstall(const GlobalOptions& global, const Arguments& args);
int RunCalc(const GlobalOptions& global, const Arguments& args);
int RunReg(const GlobalOptions& global, const Arguments& args);
int RunCalendar(const GlobalOptions& global, const Arguments& args);
int RunStart(const GlobalOptions& global, const Arguments& args);
int RunGenerate(const GlobalOptions& global, const Arguments& args);
int RunDelete(const GlobalOptions& global, const Arguments& args);
int RunImsakyya(const GlobalOptions& global, const Arguments& args);
int RunUninstall(const GlobalOptions& global, const Arguments& args);
int RunDialog(const GlobalOptions& global, const Arguments& args);
int RunService(const GlobalOptions& global, const Arguments& args);

// Runs a command another orvane of the same profile handed to this staying
// host: the words of its command line, read as main reads them. The exit
// status. (main.cpp)
int RunHandedOverCommand(const std::vector<std::string>& words);

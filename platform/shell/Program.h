#pragma once
// Starting a program with its arguments, as WinExec and CreateProcess do,
// but never through a shell.

#include <string>
#include <string_view>
#include <vector>

namespace shell {

// Splits a Windows command line into its words as the C runtime does
// (CommandLineToArgvW): blanks separate words, double quotes group them,
// backslashes escape a quote only when they precede one.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Starts arguments[0] (found on PATH when it has no slash) with the rest as
// its arguments, each exactly one argument. Does not wait. Returns 33 when
// it started, as WinExec answers above 32, else 2 (ERROR_FILE_NOT_FOUND)
// for a program that does not exist and 0 for other failures; the system's
// last error says more.
unsigned StartProgram(const std::vector<std::string>& arguments);

// The program that opens documents and addresses: ORVANE_OPEN when set (a
// browser of one's choice, or a test's recorder), else xdg-open.
std::string OpenerProgram();

// Runs the program as StartProgram does and waits for it: its exit status,
// or -1 when it could not be started or did not exit.
int RunProgramAndWait(const std::vector<std::string>& arguments);

}  // namespace shell

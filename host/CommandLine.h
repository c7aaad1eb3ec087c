#pragma once
// Small helpers shared by the commands for reading their arguments and
// reporting mistakes the same way everywhere.

#include <optional>
#include <string>
#include <string_view>

#include "platform/com/WinTypes.h"

namespace cli {

// A whole-string decimal number (no trailing garbage, finite).
std::optional<double> ParseNumber(const std::string& text);
// A whole-string integer within the range of a 32-bit signed integer.
std::optional<long> ParseInteger(const std::string& text);

// Prints "orvane: message" and a pointer to --help on stderr; returns 2.
int UsageError(const std::string& command, const std::string& message);
// The usage error for a word the command does not take: "unknown option
// "--x"" for a word that looks like an option, else "unexpected argument".
int UnknownArgument(const std::string& command, const std::string& arg);
// The usage error for an option given without its value: "--from needs a
// value (DATE)".
int MissingValue(const std::string& command, const std::string& option, const std::string& value);

// Prints "orvane: message" on stderr; returns 1.
int Failure(const std::string& message);

bool IsHelp(const std::string& arg);

// Writes the text to standard output and flushes it, checking every write
// and the flush: a full disk or a closed pipe behind standard output is a
// failure, not a cut file and success. The exit code: 0, or 1 (said on
// standard error).
int WriteOutput(std::string_view text);
// For a command that printed as it went: flushes standard output and checks
// that nothing written to it failed. The exit code, as WriteOutput's.
int FinishOutput();

// A day written YYYY-MM-DD (year 100 or later) as a date at midnight; days
// that do not exist (30 February) are refused, not run on into the next month.
bool ParseDate(const std::string& text, DATE* date);

}  // namespace cli

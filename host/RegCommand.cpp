// orvane reg: the profile's registry as .reg text, out and in.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "host/CommandLine.h"
#include "host/Commands.h"
#include "platform/registry/RegFile.h"

namespace {

void PrintRegHelp() {
  std::puts(
      "usage: orvane [--home DIR] reg export [KEY]\n"
      "       orvane [--home DIR] reg import FILE\n"
      "export prints the key (e.g. HKEY_CURRENT_USER\\Software) and everything under it,\n"
      "or the whole registry, as .reg text (Windows Registry Editor Version 5.00).\n"
      "import reads such text from FILE (- for standard input) and applies all of it,\n"
      "or nothing when a line cannot be read.");
}

}  // namespace

int RunReg(const GlobalOptions&, const Arguments& args) {
  if (args.empty()) return cli::UsageError("reg", "say export or import");
  if (cli::IsHelp(args[0])) {
    PrintRegHelp();
    return 0;
  }
  for (const std::string& arg : args) {
    if (cli::IsHelp(arg)) {
      PrintRegHelp();
      return 0;
    }
  }
  const std::string& verb = args[0];
  // Neither verb takes options: a word like one is a mistake, not a key or a
  // file ("-" alone is standard input).
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i].size() > 1 && args[i][0] == '-') return cli::UnknownArgument("reg", args[i]);
  }
  std::string error;
  if (verb == "export") {
    if (args.size() > 2) return cli::UsageError("reg", "export takes at most one key");
    std::string text;
    if (!registry::ExportRegText(args.size() == 2 ? args[1] : "", &text, &error)) {
      return cli::Failure(error);
    }
    return cli::WriteOutput(text);
  }
  if (verb == "import") {
    if (args.size() != 2) return cli::UsageError("reg", "import takes one file");
    std::string text;
    if (args[1] == "-") {
      text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
      std::ifstream in(args[1], std::ios::binary);
      if (!in) return cli::Failure("cannot read " + args[1]);
      std::ostringstream content;
      content << in.rdbuf();
      text = content.str();
    }
    if (!registry::ImportRegText(text, &error)) {
      return cli::Failure((args[1] == "-" ? std::string("standard input") : args[1]) + ": " + error);
    }
    return 0;
  }
  return cli::UsageError("reg", "unknown verb \"" + verb + "\"; say export or import");
}

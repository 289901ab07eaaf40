#include "core/app/CommandLine.h"

#ifndef TERVIL_VERSION
#define TERVIL_VERSION "0"
#endif

namespace tervil {

const char* TervilVersion() {
  return TERVIL_VERSION;
}

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  TCommandLine result;
  bool help = false;
  bool version = false;
  bool options = true;
  for (const std::string& argument : arguments) {
    if (options && argument == "--") {
      options = false;
    } else if (options && argument.size() > 1 && argument[0] == '-') {
      if (argument == "--help" || argument == "-h") {
        help = true;
      } else if (argument == "--version") {
        version = true;
      } else if (result.action != TCommandLine::Error) {
        result.action = TCommandLine::Error;
        result.message = "unknown option '" + argument + "'";
      }
    } else {
      result.files.push_back(argument);
    }
  }
  if (result.action == TCommandLine::Error) {
    result.files.clear();
  } else if (help) {
    result.action = TCommandLine::Help;
  } else if (version) {
    result.action = TCommandLine::Version;
  }
  return result;
}

std::string HelpText(const std::string& program) {
  return "Usage: " + program +
         " [OPTION]... [--] [FILE]...\n"
         "Opens each FILE in Tervil Editor, a text editor for web pages and server scripts.\n"
         "When an editor already runs, the files are opened there.\n"
         "\n"
         "  -h, --help     show this help and exit\n"
         "      --version  show the version and exit\n"
         "  --             end of options: every later argument is a file name\n";
}

std::string VersionText() {
  return std::string("Tervil Editor ") + TervilVersion() + "\n";
}

}  // namespace tervil

#pragma once

#include <string>
#include <vector>

namespace tervil {

// The program's own version text.
const char* TervilVersion();

// What a start of the program was asked to do.
struct TCommandLine {
  enum Action { Run, Help, Version, Error } action = Run;
  // The files to open, in order, as given (relative names not yet made absolute).
  std::vector<std::string> files;
  // For Error: the one-line reason.
  std::string message;
};

// Reads the arguments after the program name. "--help" (or "-h") and "--version" ask for a
// text and nothing else; any other argument that starts with "-" is an unknown option, unless
// it comes after "--", which ends the options so that a file named "-x" can be opened. A lone
// "-" is a file name.
TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The texts printed for --help and --version; `program` is the name the program was started by.
std::string HelpText(const std::string& program);
std::string VersionText();

// The exit status of a start with an unknown option.
inline constexpr int kUsageExitStatus = 2;

}  // namespace tervil

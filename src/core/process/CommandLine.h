#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tervil {

// Splits a command line into the program and its arguments the way a shell splits words, but
// without a shell: blanks and tabs separate words; double quotes group, and inside them a
// backslash escapes a double quote, a backslash, "$" and "`"; single quotes group literally;
// outside quotes a backslash escapes the next character. Nothing is ever substituted, expanded
// or redirected. An unterminated quote runs to the end of the text.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Puts `argument` in double quotes so that SplitCommandLine gives it back unchanged, whatever it
// holds (blanks, quotes, backslashes, ";", "$").
std::string QuoteArgument(const std::string& argument);

// The full path of `program` found in the folders of $PATH, or nothing. A name with a "/" is
// returned as it is when it names an executable file.
std::optional<std::string> FindOnPath(const std::string& program);

}  // namespace tervil

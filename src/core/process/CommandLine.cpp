#include "core/process/CommandLine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace tervil {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Characters a backslash escapes inside double quotes.
bool EscapableInQuotes(char c) {
  return c == '"' || c == '\\' || c == '$' || c == '`';
}

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  const std::size_t n = commandLine.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char c = commandLine[i];
    if (IsBlank(c)) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
      continue;
    }
    inWord = true;
    if (c == '\'') {
      for (++i; i < n && commandLine[i] != '\''; ++i) word += commandLine[i];
    } else if (c == '"') {
      for (++i; i < n && commandLine[i] != '"'; ++i) {
        if (commandLine[i] == '\\' && i + 1 < n && EscapableInQuotes(commandLine[i + 1])) ++i;
        word += commandLine[i];
      }
    } else if (c == '\\' && i + 1 < n) {
      word += commandLine[++i];
    } else {
      word += c;
    }
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

std::string QuoteArgument(const std::string& argument) {
  std::string quoted = "\"";
  for (char c : argument) {
    if (EscapableInQuotes(c)) quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

std::optional<std::string> FindOnPath(const std::string& program) {
  if (program.empty()) return std::nullopt;
  if (program.find('/') != std::string::npos) {
    if (IsExecutableFile(program)) return program;
    return std::nullopt;
  }
  const char* path = std::getenv("PATH");
  const std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    // An empty entry means the current folder.
    const std::string folder = end > start ? folders.substr(start, end - start) : std::string(".");
    const std::string candidate = folder + "/" + program;
    if (IsExecutableFile(candidate)) return candidate;
    start = end + 1;
  }
  return std::nullopt;
}

}  // namespace tervil

// The analyser against PHP's own tokenizer: for the PHP files of a Debian library package
// (php-league-commonmark and its dependencies, installed by scripts/install-deps.sh), the
// classes, interfaces, traits, enums, methods and functions the analyser finds equal those that
// tests/core/phpcss/php_declarations.php lists with the installed PHP interpreter.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/phpcss/PhpAnalyser.h"

namespace tervil {
namespace {

namespace fs = std::filesystem;

// The package folders of the corpus, below /usr/share/php.
const char* const kCorpusFolders[] = {"League", "Nette", "Dflydev", "Psr/EventDispatcher",
                                      "Symfony/Contracts/Deprecation"};

// One file's declarations as lines: "interface Foo", "  method bar", "function baz".
using TDeclarations = std::vector<std::string>;

std::string KindWord(TPHPClassKind kind) {
  switch (kind) {
    case TPHPClassKind::Interface:
      return "interface";
    case TPHPClassKind::Trait:
      return "trait";
    case TPHPClassKind::Enum:
      return "enum";
    case TPHPClassKind::Class:
      break;
  }
  return "class";
}

TDeclarations AnalyserDeclarations(const std::string& text) {
  TPHPAnalyser analyser;
  analyser.Analyse(text);
  TDeclarations lines;
  for (const auto& cls : analyser.Classes) {
    lines.push_back(KindWord(cls->Kind) + " " + std::string(cls->Name));
    for (const auto& method : cls->Methods)
      lines.push_back("  method " + std::string(method->Name));
  }
  for (const auto& function : analyser.Functions)
    lines.push_back("function " + std::string(function->Name));
  return lines;
}

// The reference of one file, merged by name as the analyser merges: a later class or function
// takes the place of an earlier one of the same name.
struct TReference {
  std::vector<std::pair<std::string, TDeclarations>> Classes;  // name, its lines
  std::vector<std::string> Functions;

  void AddClass(const std::string& kind, const std::string& name) {
    for (auto& [existing, lines] : Classes) {
      if (existing == name) {
        lines = {kind + " " + name};
        current_ = &lines;
        return;
      }
    }
    Classes.push_back({name, {kind + " " + name}});
    current_ = &Classes.back().second;
  }
  void AddMethod(const std::string& name) {
    if (current_) current_->push_back("  method " + name);
  }
  void AddFunction(const std::string& name) {
    for (const auto& existing : Functions)
      if (existing == name) return;
    Functions.push_back(name);
  }
  TDeclarations Lines() const {
    TDeclarations lines;
    for (const auto& [name, classLines] : Classes)
      lines.insert(lines.end(), classLines.begin(), classLines.end());
    for (const auto& name : Functions) lines.push_back("function " + name);
    return lines;
  }

 private:
  TDeclarations* current_ = nullptr;
};

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  std::string dir;
  while (std::getline(dirs, dir, ':'))
    if (!dir.empty() && ::access((fs::path(dir) / program).c_str(), X_OK) == 0) return true;
  return false;
}

std::string RunReference(const std::vector<std::string>& folders) {
  std::string command =
      "php -d error_reporting=0 '" TERVIL_SOURCE_DIR "/tests/core/phpcss/php_declarations.php'";
  for (const auto& folder : folders) command += " '" + folder + "'";
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    ::pclose(pipe);
  }
  return output;
}

std::map<std::string, TReference> ParseReference(const std::string& output, int& skipped) {
  std::map<std::string, TReference> files;
  TReference* current = nullptr;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.starts_with("FILE ")) {
      current = &files[line.substr(5)];
    } else if (line.starts_with("SKIP ")) {
      ++skipped;
      current = nullptr;
    } else if (current && line.starts_with("C ")) {
      const std::size_t space = line.find(' ', 2);
      current->AddClass(line.substr(2, space - 2), line.substr(space + 1));
    } else if (current && line.starts_with("M ")) {
      current->AddMethod(line.substr(2));
    } else if (current && line.starts_with("F ")) {
      current->AddFunction(line.substr(2));
    }
  }
  return files;
}

std::string Joined(const TDeclarations& lines) {
  std::string out;
  for (const auto& line : lines) out += line + "\n";
  return out;
}

TEST(PhpOracle, DeclarationsOfARealLibraryEqualThoseOfPhpsTokenizer) {
  if (!OnPath("php")) GTEST_SKIP() << "php is not installed (Debian package php-cli): no reference";
  std::vector<std::string> folders;
  for (const char* folder : kCorpusFolders) {
    const fs::path path = fs::path("/usr/share/php") / folder;
    if (fs::is_directory(path)) folders.push_back(path.string());
  }
  if (folders.empty())
    GTEST_SKIP() << "the corpus is not installed (Debian package php-league-commonmark)";
  int skipped = 0;
  const auto reference = ParseReference(RunReference(folders), skipped);
  ASSERT_GT(reference.size(), 100u) << "the reference script listed too few files";
  int agreeing = 0;
  int elements = 0;
  for (const auto& [path, expected] : reference) {
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const TDeclarations found = AnalyserDeclarations(text);
    const TDeclarations wanted = expected.Lines();
    elements += static_cast<int>(wanted.size());
    if (found == wanted) {
      ++agreeing;
    } else {
      ADD_FAILURE() << path << "\nanalyser:\n" << Joined(found) << "PHP:\n" << Joined(wanted);
    }
  }
  std::printf("[ oracle  ] %d of %zu files agree (%d declarations; %d files PHP could not parse)\n",
              agreeing, reference.size(), elements, skipped);
}

}  // namespace
}  // namespace tervil

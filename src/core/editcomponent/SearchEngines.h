#pragma once

#include <string>

#include "core/common/Pcre2Regex.h"
#include "core/editcomponent/SearchEngine.h"

namespace tervil {

// Compiles a search expression: UTF mode, Unicode classes and ^ and $ at line breaks unless it
// is literal, and limits that make a pathological expression report an error instead of
// hanging the editor (a real expression can also be stopped as it matches, see
// TPcre2Regex::SetInterrupt). Throws TSearchError with the library's message when it is invalid.
void CompileSearchRegex(TPcre2Regex& regex, std::string_view pattern, bool caseless, bool literal);
// The next match of a search expression in subject[0, size) from `from`; throws TSearchError
// when the match gives up, TSearchCancelled when it was stopped.
bool FindSearchRegex(TPcre2Regex& regex, const char* subject, std::size_t size, std::size_t from,
                     std::size_t& start, std::size_t& end);

// Finds plain text. Case-sensitive search and case-insensitive search of ASCII text compare
// bytes with SIMD; other case-insensitive searches use Unicode case folding. Line breaks in the
// search text match line breaks in the document. A word is a run of letters, digits and "_".
class TPlainSearchEngine : public TSearchEngine {
 public:
  void Prepare(std::string_view pattern, TSearchOptions options) override;

 protected:
  bool FindInWindow(const char* window, std::size_t size, std::size_t from, std::size_t& start,
                    std::size_t& end) override;
  std::size_t MaxMatchLength() const override;

 private:
  std::string pattern_;  // normalised; lower-cased ASCII when folding
  bool foldAscii_ = false;
  bool useUnicodeFold_ = false;
  TPcre2Regex folded_;
};

// Finds PCRE2 regular expressions (UTF mode, ^ and $ at line ends). A match never spans a line
// break. The replacement may refer to groups as $1, ${1}, ${name} or \1; "$$" is a dollar sign,
// "\\" a backslash, "\n" a line break and "\t" a tab.
class TRegexSearchEngine : public TSearchEngine {
 public:
  void Prepare(std::string_view pattern, TSearchOptions options) override;
  void AppendReplacement(std::string_view replacement, std::string& out) const override;
  bool UsesJit() const { return pattern_.UsesJit(); }

 protected:
  bool FindInWindow(const char* window, std::size_t size, std::size_t from, std::size_t& start,
                    std::size_t& end) override;
  bool LineWindows() const override { return true; }

 private:
  void AppendGroup(int group, std::string& out) const;

  TPcre2Regex pattern_;
  const char* subject_ = nullptr;
};

}  // namespace tervil

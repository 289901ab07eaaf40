#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tervil {

// A compiled PCRE2 pattern (8-bit, UTF mode, Unicode properties, JIT where available) with its
// match data. Subjects must be valid UTF-8 with LF line breaks, as the editor's text is.
class TPcre2Pattern {
 public:
  struct Flags {
    bool caseless = false;
    bool literal = false;   // the pattern is plain text
    bool multiline = true;  // ^ and $ match at line breaks
  };

  TPcre2Pattern() = default;
  ~TPcre2Pattern();
  TPcre2Pattern(const TPcre2Pattern&) = delete;
  TPcre2Pattern& operator=(const TPcre2Pattern&) = delete;

  // Compiles `pattern`; throws TSearchError with the library's message when it is invalid.
  void Compile(std::string_view pattern, Flags flags);
  bool IsCompiled() const { return code_ != nullptr; }
  bool UsesJit() const { return jit_; }

  // Matches in subject[0, size) from `from`; throws TSearchError when the match gives up
  // (a backtracking limit), so a pathological pattern never hangs the editor.
  bool Match(const char* subject, std::size_t size, std::size_t from, std::size_t& start,
             std::size_t& end);

  // Groups of the last successful match (relative to its subject).
  int GroupCount() const { return groupCount_; }
  bool Group(int index, std::size_t& start, std::size_t& end) const;
  int GroupNumber(std::string_view name) const;

 private:
  void Release();

  void* code_ = nullptr;       // pcre2_code_8*
  void* matchData_ = nullptr;  // pcre2_match_data_8*
  void* matchContext_ = nullptr;
  void* jitStack_ = nullptr;
  bool jit_ = false;
  int groupCount_ = 0;
  int lastResult_ = 0;
};

}  // namespace tervil

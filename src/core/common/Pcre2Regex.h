#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tervil {

// Why an expression did not compile: the library's message and the byte offset it points at.
struct TPcre2Error {
  std::string message;
  std::size_t offset = 0;
};

// A compiled PCRE2 expression (8-bit) with its match data: UTF mode, where bytes that are not
// valid UTF-8 simply never match, LF as the only line break, JIT-compiled where the library can
// (it falls back to the interpreter otherwise). Not thread-safe: it keeps the data of its last
// match.
class TPcre2Regex {
 public:
  struct TOptions {
    bool caseless = false;
    bool literal = false;         // the expression is plain text
    bool multiline = false;       // ^ and $ match at line breaks (^ also after a final one)
    bool unicodeClasses = false;  // \w, \d, \b and POSIX classes know every script
    bool anchored = false;        // a match must start where the search starts
    bool notEmpty = false;        // a match of no characters does not count
    // No search ahead for characters every match needs before matching: with `anchored`, a
    // failing match then costs only what the expression reads, not the rest of the subject.
    bool noStartOptimize = false;
    // A match may be stopped from another thread or by a time limit (see SetInterrupt); this
    // costs a check at every step of the expression, about twice the plain matching time.
    bool interruptible = false;
  };
  // Caps on the work of one match, so that no pattern can hang the program; 0 leaves the
  // library's default.
  struct TLimits {
    std::uint32_t match = 0;   // backtracking steps
    std::uint32_t depth = 0;   // nesting of backtracking
    std::size_t jitStack = 0;  // largest JIT stack in bytes
  };
  // Stopped: the flag given to SetInterrupt was raised during the match.
  enum class TOutcome { Match, NoMatch, Failed, Stopped };

  TPcre2Regex() = default;
  ~TPcre2Regex();
  TPcre2Regex(const TPcre2Regex&) = delete;
  TPcre2Regex& operator=(const TPcre2Regex&) = delete;

  // Compiles `expression`, replacing what was compiled before; the error when it is invalid
  // (and then nothing is compiled).
  std::optional<TPcre2Error> Compile(std::string_view expression, const TOptions& options,
                                     const TLimits& limits);
  bool IsCompiled() const { return code_ != nullptr; }
  bool UsesJit() const { return jit_; }

  // For an interruptible expression: the flag that stops a match when raised (nullptr for
  // none) and the longest time one Match may take (zero for no limit); a match that takes
  // longer fails with a message saying so.
  void SetInterrupt(const std::atomic<bool>* stop, std::chrono::nanoseconds budget);

  // Runs the expression on subject[0, size) from byte `from`. Failed means the library gave up
  // (a limit was reached); LastErrorText() says why.
  TOutcome Match(const char* subject, std::size_t size, std::size_t from);
  std::string LastErrorText() const;

  // Group `index` of the last successful match (0 is the whole match); false when it took no
  // part. `end` lies before `start` when \K was used in a lookahead.
  bool Group(int index, std::size_t& start, std::size_t& end) const;
  int GroupCount() const { return groupCount_; }
  // The number of the named group, or -1.
  int GroupNumber(std::string_view name) const;

  // What the library worked out about the first byte of any match: a single byte, or a bitmap
  // of 256 bits (32 bytes) of the possible first bytes. Both empty when any byte may start one.
  std::optional<std::uint32_t> FirstCodeUnit() const;
  const std::uint8_t* FirstByteBitmap() const;

 private:
  void Release();
  static int Callout(void* block, void* self);

  void* code_ = nullptr;          // pcre2_code_8*
  void* matchData_ = nullptr;     // pcre2_match_data_8*
  void* matchContext_ = nullptr;  // pcre2_match_context_8*
  void* jitStack_ = nullptr;      // pcre2_jit_stack_8*
  std::uint32_t matchOptions_ = 0;
  bool jit_ = false;
  int groupCount_ = 0;
  int lastResult_ = 0;
  const std::atomic<bool>* stop_ = nullptr;
  std::chrono::nanoseconds budget_{0};
  std::chrono::steady_clock::time_point deadline_;
  std::uint32_t steps_ = 0;
};

}  // namespace tervil

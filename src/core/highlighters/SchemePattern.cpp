#include "core/highlighters/SchemePattern.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstring>
#include <stdexcept>

#include "core/highlighters/LexerTools.h"

namespace tervil {

namespace {

bool IsMeta(char c) {
  return std::strchr(".[]()^$*+?{}|", c) != nullptr && c != 0;
}
bool IsQuantifier(char c) {
  return c == '*' || c == '?' || c == '{' || c == '+';
}

// Whether a "|" outside brackets and groups splits the whole expression.
bool HasTopLevelAlternation(std::string_view p) {
  int depth = 0;
  bool inClass = false;
  for (std::size_t i = 0; i < p.size(); ++i) {
    char c = p[i];
    if (c == '\\') {
      ++i;
    } else if (inClass) {
      inClass = c != ']';
    } else if (c == '[') {
      inClass = true;
      if (i + 1 < p.size() && p[i + 1] == ']') ++i;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      --depth;
    } else if (c == '|' && depth == 0) {
      return true;
    }
  }
  return false;
}

// The ASCII characters every match starts with; `whole` tells whether they are the whole
// expression.
std::string FindLiteralPrefix(std::string_view p, bool& whole) {
  std::string prefix;
  whole = false;
  if (HasTopLevelAlternation(p)) return prefix;
  std::size_t i = 0;
  while (i < p.size()) {
    char c = p[i];
    char literal = c;
    std::size_t length = 1;
    if (c == '\\') {
      if (i + 1 >= p.size()) return prefix;
      literal = p[i + 1];
      if (IsLetter(static_cast<unsigned char>(literal)) ||
          IsDigit(static_cast<unsigned char>(literal)) ||
          static_cast<unsigned char>(literal) >= 0x80)
        return prefix;
      length = 2;
    } else if (IsMeta(c) || static_cast<unsigned char>(c) >= 0x80) {
      return prefix;
    }
    std::size_t next = i + length;
    if (next < p.size() && IsQuantifier(p[next])) {
      if (p[next] == '+') prefix += literal;
      return prefix;
    }
    prefix += literal;
    i = next;
  }
  whole = true;
  return prefix;
}

}  // namespace

struct TSchemePattern::TCompiled {
  pcre2_code* code = nullptr;
  pcre2_code* anchored = nullptr;
  pcre2_match_data* matchData = nullptr;
  pcre2_match_context* context = nullptr;

  ~TCompiled() {
    pcre2_match_context_free(context);
    pcre2_match_data_free(matchData);
    pcre2_code_free(anchored);
    pcre2_code_free(code);
  }

  static pcre2_code* Compile(std::string_view expression, std::uint32_t options) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(expression.data()),
                                     expression.size(), options, &error, &offset, nullptr);
    if (code == nullptr) {
      PCRE2_UCHAR message[256];
      pcre2_get_error_message(error, message, sizeof message);
      throw std::invalid_argument("Invalid expression \"" + std::string(expression) +
                                  "\" at offset " + std::to_string(offset) + ": " +
                                  reinterpret_cast<const char*>(message));
    }
    pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);  // falls back to the interpreter on failure
    return code;
  }

  // The match of `pattern` at or after `at` in line[0, end).
  std::optional<TPatternMatch> Match(pcre2_code* pattern, std::string_view line, std::size_t at,
                                     std::size_t end) const {
    int rc = pcre2_match(pattern, reinterpret_cast<PCRE2_SPTR>(line.data()), end, at,
                         PCRE2_NOTEMPTY, matchData, context);
    if (rc <= 0) return std::nullopt;
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData);
    if (ovector[1] <= ovector[0] || ovector[1] > end) return std::nullopt;
    return TPatternMatch{ovector[0], ovector[1]};
  }
};

TSchemePattern::TSchemePattern(std::string_view expression, bool caseSensitive)
    : compiled_(std::make_unique<TCompiled>()), caseSensitive_(caseSensitive) {
  std::uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;
  if (!caseSensitive) options |= PCRE2_CASELESS;
  compiled_->code = TCompiled::Compile(expression, options);
  compiled_->anchored = TCompiled::Compile(expression, options | PCRE2_ANCHORED);
  compiled_->matchData = pcre2_match_data_create_from_pattern(compiled_->code, nullptr);
  compiled_->context = pcre2_match_context_create(nullptr);
  pcre2_set_match_limit(compiled_->context, kMatchLimit);
  pcre2_set_depth_limit(compiled_->context, kMatchLimit);
  prefix_ = FindLiteralPrefix(expression, wholeLiteral_);
  WorkOutFirstBytes();
}

TSchemePattern::~TSchemePattern() = default;

void TSchemePattern::WorkOutFirstBytes() {
  auto addByte = [this](std::uint32_t unit) {
    if (unit >= 0x80 && !caseSensitive_) return false;
    firstBytes_.set(unit & 0xFF);
    if (!caseSensitive_ && IsLetter(static_cast<unsigned char>(unit)))
      firstBytes_.set(static_cast<unsigned char>(unit) ^ 0x20);
    return true;
  };
  if (!prefix_.empty()) {
    hasFirstBytes_ = addByte(static_cast<unsigned char>(prefix_[0]));
    return;
  }
  std::uint32_t type = 0;
  pcre2_pattern_info(compiled_->code, PCRE2_INFO_FIRSTCODETYPE, &type);
  if (type == 1) {
    std::uint32_t unit = 0;
    pcre2_pattern_info(compiled_->code, PCRE2_INFO_FIRSTCODEUNIT, &unit);
    hasFirstBytes_ = addByte(unit);
    if (!hasFirstBytes_) firstBytes_.reset();
    return;
  }
  if (type == 0) {
    const std::uint8_t* bitmap = nullptr;
    pcre2_pattern_info(compiled_->code, PCRE2_INFO_FIRSTBITMAP, &bitmap);
    if (bitmap != nullptr) {
      for (int b = 0; b < 256; ++b) {
        if (bitmap[b / 8] & (1u << (b % 8))) firstBytes_.set(b);
      }
      hasFirstBytes_ = true;
    }
  }
}

bool TSchemePattern::PrefixMatches(std::string_view line, std::size_t at, std::size_t end) const {
  if (prefix_.size() > end - at) return false;
  std::string_view text = line.substr(at, prefix_.size());
  return caseSensitive_ ? text == prefix_ : EqualsNoCase(text, prefix_);
}

std::optional<TPatternMatch> TSchemePattern::MatchAt(std::string_view line, std::size_t at,
                                                     std::size_t end) const {
  if (end > line.size()) end = line.size();
  if (at >= end) return std::nullopt;
  if (!prefix_.empty()) {
    if (!PrefixMatches(line, at, end)) return std::nullopt;
    if (wholeLiteral_) return TPatternMatch{at, at + prefix_.size()};
  }
  return compiled_->Match(compiled_->anchored, line, at, end);
}

std::optional<TPatternMatch> TSchemePattern::Find(std::string_view line, std::size_t from,
                                                  std::size_t end) const {
  if (end > line.size()) end = line.size();
  if (from >= end) return std::nullopt;
  if (!hasFirstBytes_) return compiled_->Match(compiled_->code, line, from, end);
  for (std::size_t at = from; at < end; ++at) {
    if (!firstBytes_.test(static_cast<unsigned char>(line[at]))) continue;
    if (auto match = MatchAt(line, at, end)) return match;
  }
  return std::nullopt;
}

}  // namespace tervil

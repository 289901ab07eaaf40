#include "core/editcomponent/Pcre2Pattern.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <string>

#include "core/editcomponent/SearchEngine.h"

namespace tervil {

namespace {

std::string ErrorText(int code) {
  PCRE2_UCHAR buffer[256];
  int n = pcre2_get_error_message(code, buffer, sizeof buffer);
  if (n < 0) return "regular expression error " + std::to_string(code);
  return std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
}

// Backtracking is bounded so that a pathological pattern reports an error instead of hanging.
constexpr std::uint32_t kMatchLimit = 20'000'000;
constexpr std::size_t kJitStackMax = 4 * 1024 * 1024;

}  // namespace

TPcre2Pattern::~TPcre2Pattern() {
  Release();
}

void TPcre2Pattern::Release() {
  if (matchData_) pcre2_match_data_free(static_cast<pcre2_match_data*>(matchData_));
  if (matchContext_) pcre2_match_context_free(static_cast<pcre2_match_context*>(matchContext_));
  if (jitStack_) pcre2_jit_stack_free(static_cast<pcre2_jit_stack*>(jitStack_));
  if (code_) pcre2_code_free(static_cast<pcre2_code*>(code_));
  code_ = matchData_ = matchContext_ = jitStack_ = nullptr;
  jit_ = false;
  groupCount_ = 0;
  lastResult_ = 0;
}

void TPcre2Pattern::Compile(std::string_view pattern, Flags flags) {
  Release();
  uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;
  if (!flags.literal) options |= PCRE2_UCP;  // \w, \b and friends know every script
  if (flags.caseless) options |= PCRE2_CASELESS;
  if (flags.literal) options |= PCRE2_LITERAL;
  if (flags.multiline && !flags.literal) options |= PCRE2_MULTILINE;
  pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
  pcre2_set_newline(context, PCRE2_NEWLINE_LF);
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                   options, &error, &offset, context);
  pcre2_compile_context_free(context);
  if (code == nullptr) {
    throw TSearchError(ErrorText(error) + " at offset " + std::to_string(offset));
  }
  code_ = code;
  jit_ = pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) == 0;
  matchData_ = pcre2_match_data_create_from_pattern(code, nullptr);
  auto* context2 = pcre2_match_context_create(nullptr);
  pcre2_set_match_limit(context2, kMatchLimit);
  pcre2_set_depth_limit(context2, kMatchLimit);
  if (jit_) {
    auto* stack = pcre2_jit_stack_create(32 * 1024, kJitStackMax, nullptr);
    if (stack) {
      pcre2_jit_stack_assign(context2, nullptr, stack);
      jitStack_ = stack;
    }
  }
  matchContext_ = context2;
  uint32_t captures = 0;
  pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &captures);
  groupCount_ = static_cast<int>(captures);
}

bool TPcre2Pattern::Match(const char* subject, std::size_t size, std::size_t from,
                          std::size_t& start, std::size_t& end) {
  if (!code_ || from > size) return false;
  int rc = pcre2_match(static_cast<pcre2_code*>(code_), reinterpret_cast<PCRE2_SPTR>(subject), size,
                       from, 0, static_cast<pcre2_match_data*>(matchData_),
                       static_cast<pcre2_match_context*>(matchContext_));
  lastResult_ = rc;
  if (rc == PCRE2_ERROR_NOMATCH || rc == PCRE2_ERROR_PARTIAL) return false;
  if (rc < 0) throw TSearchError(ErrorText(rc));
  PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(static_cast<pcre2_match_data*>(matchData_));
  start = ovector[0];
  end = ovector[1];
  if (end < start) end = start;  // \K in a lookahead can report end before start
  return true;
}

bool TPcre2Pattern::Group(int index, std::size_t& start, std::size_t& end) const {
  if (!matchData_ || lastResult_ <= 0 || index < 0 || index > groupCount_) return false;
  if (index >= lastResult_) return false;
  PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(static_cast<pcre2_match_data*>(matchData_));
  if (ovector[2 * index] == PCRE2_UNSET) return false;
  start = ovector[2 * index];
  end = ovector[2 * index + 1];
  return end >= start;
}

int TPcre2Pattern::GroupNumber(std::string_view name) const {
  if (!code_) return -1;
  std::string n(name);
  int number = pcre2_substring_number_from_name(static_cast<pcre2_code*>(code_),
                                                reinterpret_cast<PCRE2_SPTR>(n.c_str()));
  return number < 0 ? -1 : number;
}

}  // namespace tervil

#include "core/common/Pcre2Regex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

namespace tervil {

namespace {

constexpr std::size_t kJitStackStart = 32 * 1024;
// What the step check hands back to end a match: stopped from outside, or out of time.
constexpr int kStoppedResult = -9001;
constexpr int kTimedOutResult = -9002;
// Steps of the expression between two looks at the clock (the flag is read at every step: one
// step can compare a whole line).
constexpr std::uint32_t kStepsPerClock = 64;

std::string ErrorText(int code) {
  if (code == kTimedOutResult)
    return "The regular expression takes too long on this text and was stopped; try a simpler "
           "expression";
  if (code == kStoppedResult) return "The search was stopped";
  PCRE2_UCHAR buffer[256];
  int n = pcre2_get_error_message(code, buffer, sizeof buffer);
  if (n < 0) return "regular expression error " + std::to_string(code);
  return std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
}

std::uint32_t CompileOptions(const TPcre2Regex::TOptions& options) {
  std::uint32_t flags = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;
  if (options.caseless) flags |= PCRE2_CASELESS;
  if (options.literal) flags |= PCRE2_LITERAL;
  // In lines, "^" also matches after a final break: that is the start of the (empty) last line.
  if (options.multiline) flags |= PCRE2_MULTILINE | PCRE2_ALT_CIRCUMFLEX;
  if (options.unicodeClasses) flags |= PCRE2_UCP;
  if (options.anchored) flags |= PCRE2_ANCHORED;
  if (options.noStartOptimize) flags |= PCRE2_NO_START_OPTIMIZE;
  if (options.interruptible) flags |= PCRE2_AUTO_CALLOUT;
  return flags;
}

}  // namespace

TPcre2Regex::~TPcre2Regex() {
  Release();
}

void TPcre2Regex::Release() {
  pcre2_match_data_free(static_cast<pcre2_match_data*>(matchData_));
  pcre2_match_context_free(static_cast<pcre2_match_context*>(matchContext_));
  pcre2_jit_stack_free(static_cast<pcre2_jit_stack*>(jitStack_));
  pcre2_code_free(static_cast<pcre2_code*>(code_));
  code_ = matchData_ = matchContext_ = jitStack_ = nullptr;
  matchOptions_ = 0;
  jit_ = false;
  groupCount_ = 0;
  lastResult_ = 0;
}

std::optional<TPcre2Error> TPcre2Regex::Compile(std::string_view expression,
                                                const TOptions& options, const TLimits& limits) {
  Release();
  pcre2_compile_context* compileContext = pcre2_compile_context_create(nullptr);
  pcre2_set_newline(compileContext, PCRE2_NEWLINE_LF);
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code =
      pcre2_compile(reinterpret_cast<PCRE2_SPTR>(expression.data()), expression.size(),
                    CompileOptions(options), &error, &offset, compileContext);
  pcre2_compile_context_free(compileContext);
  if (code == nullptr) return TPcre2Error{ErrorText(error), offset};
  code_ = code;
  jit_ = pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) == 0;
  matchData_ = pcre2_match_data_create_from_pattern(code, nullptr);
  auto* matchContext = pcre2_match_context_create(nullptr);
  if (limits.match != 0) pcre2_set_match_limit(matchContext, limits.match);
  if (limits.depth != 0) pcre2_set_depth_limit(matchContext, limits.depth);
  if (jit_ && limits.jitStack != 0) {
    if (auto* stack = pcre2_jit_stack_create(kJitStackStart, limits.jitStack, nullptr)) {
      pcre2_jit_stack_assign(matchContext, nullptr, stack);
      jitStack_ = stack;
    }
  }
  if (options.interruptible)
    pcre2_set_callout(
        matchContext, [](pcre2_callout_block* block, void* self) { return Callout(block, self); },
        this);
  matchContext_ = matchContext;
  matchOptions_ = options.notEmpty ? PCRE2_NOTEMPTY : 0;
  std::uint32_t captures = 0;
  pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &captures);
  groupCount_ = static_cast<int>(captures);
  return std::nullopt;
}

void TPcre2Regex::SetInterrupt(const std::atomic<bool>* stop, std::chrono::nanoseconds budget) {
  stop_ = stop;
  budget_ = budget;
}

int TPcre2Regex::Callout(void* /*block*/, void* self) {
  auto* regex = static_cast<TPcre2Regex*>(self);
  if (regex->stop_ && regex->stop_->load(std::memory_order_relaxed)) return kStoppedResult;
  if (++regex->steps_ % kStepsPerClock != 0) return 0;
  if (regex->budget_.count() > 0 && std::chrono::steady_clock::now() > regex->deadline_)
    return kTimedOutResult;
  return 0;
}

TPcre2Regex::TOutcome TPcre2Regex::Match(const char* subject, std::size_t size, std::size_t from) {
  if (code_ == nullptr || from > size) return TOutcome::NoMatch;
  steps_ = 0;
  if (budget_.count() > 0) deadline_ = std::chrono::steady_clock::now() + budget_;
  lastResult_ = pcre2_match(static_cast<pcre2_code*>(code_), reinterpret_cast<PCRE2_SPTR>(subject),
                            size, from, matchOptions_, static_cast<pcre2_match_data*>(matchData_),
                            static_cast<pcre2_match_context*>(matchContext_));
  if (lastResult_ >= 0) return TOutcome::Match;
  if (lastResult_ == PCRE2_ERROR_NOMATCH || lastResult_ == PCRE2_ERROR_PARTIAL) {
    return TOutcome::NoMatch;
  }
  if (lastResult_ == kStoppedResult) return TOutcome::Stopped;
  return TOutcome::Failed;
}

std::string TPcre2Regex::LastErrorText() const {
  return ErrorText(lastResult_);
}

bool TPcre2Regex::Group(int index, std::size_t& start, std::size_t& end) const {
  if (matchData_ == nullptr || lastResult_ <= 0 || index < 0 || index >= lastResult_) return false;
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(static_cast<pcre2_match_data*>(matchData_));
  if (ovector[2 * index] == PCRE2_UNSET) return false;
  start = ovector[2 * index];
  end = ovector[2 * index + 1];
  return true;
}

int TPcre2Regex::GroupNumber(std::string_view name) const {
  if (code_ == nullptr) return -1;
  const std::string terminated(name);
  int number = pcre2_substring_number_from_name(static_cast<pcre2_code*>(code_),
                                                reinterpret_cast<PCRE2_SPTR>(terminated.c_str()));
  return number < 0 ? -1 : number;
}

std::optional<std::uint32_t> TPcre2Regex::FirstCodeUnit() const {
  if (code_ == nullptr) return std::nullopt;
  std::uint32_t type = 0;
  pcre2_pattern_info(static_cast<pcre2_code*>(code_), PCRE2_INFO_FIRSTCODETYPE, &type);
  if (type != 1) return std::nullopt;
  std::uint32_t unit = 0;
  pcre2_pattern_info(static_cast<pcre2_code*>(code_), PCRE2_INFO_FIRSTCODEUNIT, &unit);
  return unit;
}

const std::uint8_t* TPcre2Regex::FirstByteBitmap() const {
  if (code_ == nullptr) return nullptr;
  std::uint32_t type = 0;
  pcre2_pattern_info(static_cast<pcre2_code*>(code_), PCRE2_INFO_FIRSTCODETYPE, &type);
  if (type != 0) return nullptr;
  const std::uint8_t* bitmap = nullptr;
  pcre2_pattern_info(static_cast<pcre2_code*>(code_), PCRE2_INFO_FIRSTBITMAP, &bitmap);
  return bitmap;
}

}  // namespace tervil

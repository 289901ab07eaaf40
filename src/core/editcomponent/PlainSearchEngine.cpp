#include <algorithm>
#include <bit>
#include <cstring>

#include "core/common/Utf8.h"
#include "core/editcomponent/SearchEngines.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tervil {

namespace {

inline unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c | 0x20) : c;
}

bool EqualFolded(const char* text, const char* lowerPattern, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (FoldAscii(static_cast<unsigned char>(text[i])) !=
        static_cast<unsigned char>(lowerPattern[i])) {
      return false;
    }
  }
  return true;
}

#if defined(__SSE2__)
inline __m128i FoldBlock(__m128i v) {
  // Upper-case ASCII letters get bit 5 set; every other byte is kept.
  __m128i shifted = _mm_add_epi8(v, _mm_set1_epi8(static_cast<char>(128 - 'A')));
  __m128i isUpper = _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(-128 + 26)));
  return _mm_or_si128(v, _mm_and_si128(isUpper, _mm_set1_epi8(0x20)));
}
#endif

// Position of the first occurrence of `pattern` (lower-cased when `fold`) in text[from, size),
// or npos. Candidates are found by comparing the first and last pattern byte 16 positions at a
// time, then checked in full.
std::size_t FindBytes(const char* text, std::size_t size, std::size_t from,
                      const std::string& pattern, bool fold) {
  const std::size_t m = pattern.size();
  if (m == 0 || size < m || from > size - m) return std::string::npos;
  auto matchesAt = [&](std::size_t i) {
    return fold ? EqualFolded(text + i, pattern.data(), m)
                : std::memcmp(text + i, pattern.data(), m) == 0;
  };
  std::size_t i = from;
  const std::size_t last = size - m;  // last possible start
#if defined(__SSE2__)
  const __m128i first = _mm_set1_epi8(pattern.front());
  const __m128i final = _mm_set1_epi8(pattern.back());
  for (; i + 16 <= last + 1; i += 16) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + m - 1));
    if (fold) {
      a = FoldBlock(a);
      b = FoldBlock(b);
    }
    auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, final))));
    while (mask != 0) {
      std::size_t at = i + static_cast<std::size_t>(std::countr_zero(mask));
      if (matchesAt(at)) return at;
      mask &= mask - 1;
    }
  }
#endif
  for (; i <= last; ++i) {
    if (matchesAt(i)) return i;
  }
  return std::string::npos;
}

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

void TPlainSearchEngine::Prepare(std::string_view pattern, TSearchOptions options) {
  SetWholeWord((options & ssoWholeWord) != 0);
  pattern_.clear();
  utf8::NormalizeAppend(pattern, pattern_);
  const bool caseless = (options & ssoMatchCase) == 0;
  foldAscii_ = caseless && IsAscii(pattern_);
  useUnicodeFold_ = caseless && !foldAscii_;
  if (foldAscii_) {
    for (char& c : pattern_) c = static_cast<char>(FoldAscii(static_cast<unsigned char>(c)));
  }
  if (useUnicodeFold_) {
    CompileSearchRegex(folded_, pattern_, true, true);
  }
}

std::size_t TPlainSearchEngine::MaxMatchLength() const {
  // A case-folded match may use longer encodings than the search text (at most 3 bytes per
  // pattern byte, e.g. "k" and the Kelvin sign).
  return useUnicodeFold_ ? pattern_.size() * 3 : pattern_.size();
}

bool TPlainSearchEngine::FindInWindow(const char* window, std::size_t size, std::size_t from,
                                      std::size_t& start, std::size_t& end) {
  if (pattern_.empty()) return false;
  if (useUnicodeFold_) return FindSearchRegex(folded_, window, size, from, start, end);
  std::size_t at = FindBytes(window, size, from, pattern_, foldAscii_);
  if (at == std::string::npos) return false;
  start = at;
  end = at + pattern_.size();
  return true;
}

}  // namespace tervil

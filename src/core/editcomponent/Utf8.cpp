#include "core/editcomponent/Utf8.h"

#include <locale.h>
#include <wctype.h>

#include <bit>
#include <cctype>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tervil::utf8 {

namespace {

inline bool IsLead(unsigned char c) {
  return !IsContinuation(c);
}

// Number of bytes from the start that are ASCII and not CR.
std::size_t SkipPlainAscii(const char* p, std::size_t n) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  for (; i + 16 <= n; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(v)) |
                    static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)));
    if (mask != 0) return i + static_cast<std::size_t>(std::countr_zero(mask));
  }
#endif
  for (; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(p[i]);
    if (c >= 0x80 || c == '\r') return i;
  }
  return n;
}

std::size_t SkipAscii(const char* p, std::size_t n) {
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= n; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(v));
    if (mask != 0) return i + static_cast<std::size_t>(std::countr_zero(mask));
  }
#endif
  for (; i < n; ++i) {
    if (static_cast<unsigned char>(p[i]) >= 0x80) return i;
  }
  return n;
}

#if defined(__SSE2__)
inline unsigned LeadMask(const char* p) {
  __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(v, _mm_set1_epi8(-65))));
}
#endif

locale_t Utf8Locale() {
  static locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return locale;
}

}  // namespace

std::size_t CountChars(const char* text, std::size_t size) {
  std::size_t count = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= size; i += 16)
    count += static_cast<std::size_t>(std::popcount(LeadMask(text + i)));
#endif
  for (; i < size; ++i) count += IsLead(static_cast<unsigned char>(text[i])) ? 1 : 0;
  return count;
}

std::size_t AdvanceChars(const char* text, std::size_t size, std::size_t chars,
                         std::size_t* skipped) {
  std::size_t remaining = chars;
  std::size_t i = 0;
  if (remaining == 0) {
    if (skipped) *skipped = 0;
    return 0;
  }
#if defined(__SSE2__)
  for (; i + 16 <= size; i += 16) {
    unsigned mask = LeadMask(text + i);
    auto count = static_cast<std::size_t>(std::popcount(mask));
    if (count > remaining) {
      // The answer is the lead byte number `remaining` of this block.
      for (std::size_t k = 0; k < remaining; ++k) mask &= mask - 1;
      if (skipped) *skipped = chars;
      return i + static_cast<std::size_t>(std::countr_zero(mask));
    }
    remaining -= count;
  }
#endif
  for (; i < size; ++i) {
    if (IsLead(static_cast<unsigned char>(text[i]))) {
      if (remaining == 0) {
        if (skipped) *skipped = chars;
        return i;
      }
      --remaining;
    }
  }
  if (skipped) *skipped = chars - remaining;
  return size;
}

std::size_t SequenceLength(const char* text, std::size_t size) {
  if (size == 0) return 0;
  auto b0 = static_cast<unsigned char>(text[0]);
  if (b0 < 0x80) return 1;
  std::size_t len;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (size < len) return 0;
  auto b1 = static_cast<unsigned char>(text[1]);
  if (b1 < lo || b1 > hi) return 0;
  for (std::size_t k = 2; k < len; ++k) {
    if (!IsContinuation(static_cast<unsigned char>(text[k]))) return 0;
  }
  return len;
}

std::size_t ValidPrefix(const char* text, std::size_t size) {
  std::size_t i = 0;
  while (i < size) {
    i += SkipAscii(text + i, size - i);
    if (i >= size) break;
    std::size_t len = SequenceLength(text + i, size - i);
    if (len == 0) return i;
    i += len;
  }
  return size;
}

bool IsNormalized(std::string_view text) {
  const char* p = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
  for (;;) {
    i += SkipPlainAscii(p + i, n - i);
    if (i >= n) return true;
    if (p[i] == '\r') return false;
    std::size_t len = SequenceLength(p + i, n - i);
    if (len == 0) return false;
    i += len;
  }
}

bool NormalizeAppend(std::string_view text, std::string& out) {
  const char* p = text.data();
  const std::size_t n = text.size();
  bool ascii = true;
  out.reserve(out.size() + n);
  std::size_t i = 0;
  while (i < n) {
    std::size_t run = i;
    for (;;) {
      run += SkipPlainAscii(p + run, n - run);
      if (run >= n || p[run] == '\r') break;
      std::size_t len = SequenceLength(p + run, n - run);
      if (len == 0) break;
      ascii = false;
      run += len;
    }
    out.append(p + i, run - i);
    i = run;
    if (i >= n) break;
    if (p[i] == '\r') {
      out.push_back('\n');
      i += (i + 1 < n && p[i + 1] == '\n') ? 2 : 1;
    } else {
      Append(out, static_cast<unsigned char>(p[i]));  // not UTF-8: the Latin-1 character
      ascii = false;
      ++i;
    }
  }
  return ascii;
}

char32_t Decode(const char* text, std::size_t size, std::size_t& length) {
  length = SequenceLength(text, size);
  if (length == 0) {
    length = size == 0 ? 0 : 1;
    return size == 0 ? 0 : static_cast<unsigned char>(text[0]);
  }
  auto b = [&](std::size_t k) {
    return static_cast<char32_t>(static_cast<unsigned char>(text[k]));
  };
  switch (length) {
    case 1:
      return b(0);
    case 2:
      return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    case 3:
      return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    default:
      return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
  }
}

char32_t DecodeBefore(const char* text, std::size_t end, std::size_t& length) {
  if (end == 0) {
    length = 0;
    return 0;
  }
  std::size_t start = end - 1;
  while (start > 0 && end - start < 4 && IsContinuation(static_cast<unsigned char>(text[start]))) {
    --start;
  }
  std::size_t len = 0;
  char32_t cp = Decode(text + start, end - start, len);
  if (start + len != end) {  // not a clean sequence: take the last byte alone
    length = 1;
    return static_cast<unsigned char>(text[end - 1]);
  }
  length = len;
  return cp;
}

void Append(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp <= 0x10FFFF) {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    Append(out, 0xFFFD);
  }
}

std::string Encode(char32_t cp) {
  std::string s;
  Append(s, cp);
  return s;
}

bool IsAlnum(char32_t cp) {
  if (cp < 0x80) return std::isalnum(static_cast<int>(cp)) != 0;
  locale_t locale = Utf8Locale();
  return locale != nullptr && iswalnum_l(static_cast<wint_t>(cp), locale) != 0;
}

bool IsSpace(char32_t cp) {
  if (cp < 0x80)
    return cp == ' ' || cp == '\t' || cp == '\n' || cp == '\r' || cp == '\f' || cp == '\v';
  locale_t locale = Utf8Locale();
  return locale != nullptr && iswspace_l(static_cast<wint_t>(cp), locale) != 0;
}

char32_t ToLower(char32_t cp) {
  if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
  locale_t locale = Utf8Locale();
  return locale ? static_cast<char32_t>(towlower_l(static_cast<wint_t>(cp), locale)) : cp;
}

char32_t ToUpper(char32_t cp) {
  if (cp < 0x80) return (cp >= 'a' && cp <= 'z') ? cp - 32 : cp;
  locale_t locale = Utf8Locale();
  return locale ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(cp), locale)) : cp;
}

namespace {
template <typename Map>
std::string MapCase(std::string_view text, Map map) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t len = 0;
    char32_t cp = Decode(text.data() + i, text.size() - i, len);
    Append(out, map(cp));
    i += len;
  }
  return out;
}
}  // namespace

std::string LowerCase(std::string_view text) {
  return MapCase(text, ToLower);
}
std::string UpperCase(std::string_view text) {
  return MapCase(text, ToUpper);
}

}  // namespace tervil::utf8

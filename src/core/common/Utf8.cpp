#include "core/common/Utf8.h"

#include <locale.h>
#include <wctype.h>

#include <bit>
#include <cctype>

#include "core/common/Utf8Kernels.h"

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

#if defined(__SSE2__)
// Bit k set when p[k] is not a continuation byte.
inline unsigned LeadMask(const char* p) {
  __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(v, _mm_set1_epi8(-65))));
}
#endif

// A locale whose character classes cover all of Unicode, whatever the process locale is; null
// when the system has none, and then only ASCII letters and digits are classified and change
// case.
locale_t UnicodeLocale() {
  static const locale_t locale = [] {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
      if (locale_t l = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr))) return l;
    }
    return static_cast<locale_t>(nullptr);
  }();
  return locale;
}

}  // namespace

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
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = kReplacementChar;
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp <= 0x10FFFF) {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    Append(out, kReplacementChar);
  }
}

std::string Encode(char32_t cp) {
  std::string s;
  Append(s, cp);
  return s;
}

namespace kernels {

std::size_t ValidPrefixPlain(const char* text, std::size_t size, bool stopAtCr) {
  std::size_t i = 0;
  while (i < size) {
    i += stopAtCr ? SkipPlainAscii(text + i, size - i) : AsciiPrefix(text + i, size - i);
    if (i >= size) break;
    if (text[i] == '\r') return i;
    const std::size_t len = SequenceLength(text + i, size - i);
    if (len == 0) return i;
    i += len;
  }
  return size;
}

std::size_t CountLeadsPlain(const char* text, std::size_t size) {
  std::size_t count = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= size; i += 16)
    count += static_cast<std::size_t>(std::popcount(LeadMask(text + i)));
#endif
  for (; i < size; ++i) count += IsLead(static_cast<unsigned char>(text[i])) ? 1 : 0;
  return count;
}

}  // namespace kernels

namespace {

// Texts shorter than this are not worth the set-up of the AVX2 loops.
constexpr std::size_t kWideLoopMinimum = 64;

std::size_t ValidRun(const char* text, std::size_t size, bool stopAtCr) {
  if (size >= kWideLoopMinimum && kernels::HasAvx2())
    return kernels::ValidPrefixAvx2(text, size, stopAtCr);
  return kernels::ValidPrefixPlain(text, size, stopAtCr);
}

}  // namespace

std::size_t ValidPrefix(const char* text, std::size_t size) {
  return ValidRun(text, size, false);
}

std::size_t CountChars(const char* text, std::size_t size) {
  if (size >= kWideLoopMinimum && kernels::HasAvx2()) return kernels::CountLeadsAvx2(text, size);
  return kernels::CountLeadsPlain(text, size);
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

std::size_t CountCharsTolerant(std::string_view text) {
  const char* p = text.data();
  const std::size_t n = text.size();
  std::size_t count = 0;
  std::size_t i = 0;
  while (i < n) {
    const std::size_t ascii = AsciiPrefix(p + i, n - i);
    count += ascii;
    i += ascii;
    if (i == n) break;
    const std::size_t len = SequenceLength(p + i, n - i);
    i += len ? len : 1;
    ++count;
  }
  return count;
}

std::size_t AdvanceCharsTolerant(std::string_view text, std::size_t chars) {
  std::size_t i = 0;
  char32_t cp;
  for (; chars > 0 && i < text.size(); --chars) NextChar(text, i, cp);
  return i;
}

bool IsNormalized(std::string_view text) {
  return ValidRun(text.data(), text.size(), true) == text.size();
}

bool NormalizeAppend(std::string_view text, std::string& out) {
  const char* p = text.data();
  const std::size_t n = text.size();
  bool ascii = true;
  out.reserve(out.size() + n);
  std::size_t i = 0;
  while (i < n) {
    const std::size_t run = i + ValidRun(p + i, n - i, true);
    if (ascii && AsciiPrefix(p + i, run - i) != run - i) ascii = false;
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

bool IsAlnum(char32_t cp) {
  if (cp < 0x80) return std::isalnum(static_cast<int>(cp)) != 0;
  const locale_t locale = UnicodeLocale();
  return locale != nullptr && iswalnum_l(static_cast<wint_t>(cp), locale) != 0;
}

bool IsSpace(char32_t cp) {
  if (cp < 0x80)
    return cp == ' ' || cp == '\t' || cp == '\n' || cp == '\r' || cp == '\f' || cp == '\v';
  const locale_t locale = UnicodeLocale();
  return locale != nullptr && iswspace_l(static_cast<wint_t>(cp), locale) != 0;
}

char32_t ToLower(char32_t cp) {
  if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
  const locale_t locale = UnicodeLocale();
  return locale ? static_cast<char32_t>(towlower_l(static_cast<wint_t>(cp), locale)) : cp;
}

char32_t ToUpper(char32_t cp) {
  if (cp < 0x80) return (cp >= 'a' && cp <= 'z') ? cp - 32 : cp;
  const locale_t locale = UnicodeLocale();
  return locale ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(cp), locale)) : cp;
}

void AppendCaseMapped(std::string_view text, char32_t (*map)(char32_t), std::string& out) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      out += static_cast<char>(map(byte));
      ++i;
      continue;
    }
    const std::size_t start = i;
    char32_t cp;
    if (NextChar(text, i, cp)) {
      Append(out, map(cp));
    } else {
      out.append(text.substr(start, i - start));
    }
  }
}

std::string LowerCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendCaseMapped(text, ToLower, out);
  return out;
}

std::string UpperCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendCaseMapped(text, ToUpper, out);
  return out;
}

}  // namespace tervil::utf8

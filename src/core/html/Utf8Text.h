#pragma once

// Small UTF-8 helpers shared by the text processor and the charset converters. Text inside the
// program is UTF-8; a byte that does not start a valid sequence counts as one character of its own
// so that every helper copes with damaged text without losing bytes.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tervil::textutf8 {

inline constexpr char32_t kReplacementChar = 0xFFFD;

// Length of the valid sequence starting at p (p < end), or 0 when the bytes there are not valid
// UTF-8 (stray continuation byte, overlong form, surrogate, beyond U+10FFFF, truncated).
inline std::size_t SequenceLength(const unsigned char* p, const unsigned char* end) {
  const unsigned char b = p[0];
  if (b < 0x80) return 1;
  const std::ptrdiff_t avail = end - p;
  auto cont = [&](std::ptrdiff_t k) { return k < avail && (p[k] & 0xC0) == 0x80; };
  if (b >= 0xC2 && b <= 0xDF) return cont(1) ? 2 : 0;
  if (b >= 0xE0 && b <= 0xEF) {
    if (avail < 2) return 0;
    const unsigned char lo = (b == 0xE0) ? 0xA0 : 0x80;
    const unsigned char hi = (b == 0xED) ? 0x9F : 0xBF;
    return (p[1] >= lo && p[1] <= hi && cont(2)) ? 3 : 0;
  }
  if (b >= 0xF0 && b <= 0xF4) {
    if (avail < 2) return 0;
    const unsigned char lo = (b == 0xF0) ? 0x90 : 0x80;
    const unsigned char hi = (b == 0xF4) ? 0x8F : 0xBF;
    return (p[1] >= lo && p[1] <= hi && cont(2) && cont(3)) ? 4 : 0;
  }
  return 0;
}

// Reads the character at byte offset i and moves i past it. Returns false for an invalid byte,
// which is consumed alone and reported as its own value in cp.
inline bool NextChar(std::string_view s, std::size_t& i, char32_t& cp) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data()) + i;
  const auto* end = reinterpret_cast<const unsigned char*>(s.data()) + s.size();
  const std::size_t len = SequenceLength(p, end);
  switch (len) {
    case 1:
      cp = p[0];
      break;
    case 2:
      cp = (char32_t(p[0] & 0x1F) << 6) | (p[1] & 0x3F);
      break;
    case 3:
      cp = (char32_t(p[0] & 0x0F) << 12) | (char32_t(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
      break;
    case 4:
      cp = (char32_t(p[0] & 0x07) << 18) | (char32_t(p[1] & 0x3F) << 12) |
           (char32_t(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
      break;
    default:
      cp = p[0];
      ++i;
      return false;
  }
  i += len;
  return true;
}

inline void AppendChar(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Number of leading bytes of [p, end) that are plain ASCII, checked eight at a time.
inline std::size_t AsciiPrefix(const unsigned char* p, const unsigned char* end) {
  const unsigned char* start = p;
  while (end - p >= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    if (word & 0x8080808080808080ULL) break;
    p += 8;
  }
  while (p < end && *p < 0x80) ++p;
  return static_cast<std::size_t>(p - start);
}

inline bool IsValid(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const auto* end = p + s.size();
  while (p < end) {
    p += AsciiPrefix(p, end);
    if (p == end) break;
    const std::size_t len = SequenceLength(p, end);
    if (len == 0) return false;
    p += len;
  }
  return true;
}

// Number of characters in s.
inline std::size_t CharCount(std::string_view s) {
  std::size_t count = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const auto* end = p + s.size();
  while (p < end) {
    const std::size_t ascii = AsciiPrefix(p, end);
    count += ascii;
    p += ascii;
    if (p == end) break;
    const std::size_t len = SequenceLength(p, end);
    p += len ? len : 1;
    ++count;
  }
  return count;
}

// Byte offset of the character that follows the first `chars` characters of s (s.size() when s
// is shorter).
inline std::size_t ByteOffsetOfChar(std::string_view s, std::size_t chars) {
  std::size_t i = 0;
  char32_t cp;
  while (chars > 0 && i < s.size()) {
    NextChar(s, i, cp);
    --chars;
  }
  return i;
}

// Unicode simple case mapping (one character to one character); other characters are returned
// unchanged.
char32_t ToLower(char32_t cp);
char32_t ToUpper(char32_t cp);

}  // namespace tervil::textutf8

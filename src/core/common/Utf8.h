#pragma once

// UTF-8 helpers for the whole program. Text inside the program is UTF-8.
//
// Two kinds of text meet here. The editor keeps its text as valid UTF-8 with LF as the only line
// break (see NormalizeAppend); the functions that say "valid UTF-8" rely on that and are the
// fast ones. Other text (file bytes, text handed to the text processor) may be damaged: the
// functions that read it take a byte that does not start a valid sequence as one character of
// its own, with the byte's value, so that no byte is lost.

#include <cstddef>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>

#include <bit>
#endif

namespace tervil::utf8 {

inline constexpr char32_t kReplacementChar = 0xFFFD;

inline bool IsContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// Length of the valid sequence starting at text[0], or 0 when the bytes there are not valid
// UTF-8 (stray continuation byte, overlong form, surrogate, beyond U+10FFFF, cut off) or `size`
// is 0.
inline std::size_t SequenceLength(const char* text, std::size_t size) {
  if (size == 0) return 0;
  const auto b0 = static_cast<unsigned char>(text[0]);
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
  const auto b1 = static_cast<unsigned char>(text[1]);
  if (b1 < lo || b1 > hi) return 0;
  for (std::size_t k = 2; k < len; ++k) {
    if (!IsContinuation(static_cast<unsigned char>(text[k]))) return 0;
  }
  return len;
}

// Decodes the character at text[0] and sets `length` to its byte count: at least 1, or 0 when
// `size` is 0 (and then returns 0). A byte that does not start a valid sequence is read alone, as
// its own value.
inline char32_t Decode(const char* text, std::size_t size, std::size_t& length) {
  length = SequenceLength(text, size);
  auto b = [&](std::size_t k) {
    return static_cast<char32_t>(static_cast<unsigned char>(text[k]));
  };
  switch (length) {
    case 0:
      length = size == 0 ? 0 : 1;
      return size == 0 ? 0 : b(0);
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

// Decode at byte offset i (i < text.size()), moving i past the character. Returns false for a
// byte that does not start a valid sequence (read alone, as its own value in cp).
inline bool NextChar(std::string_view text, std::size_t& i, char32_t& cp) {
  std::size_t length = 0;
  cp = Decode(text.data() + i, text.size() - i, length);
  i += length;
  return length > 1 || cp < 0x80;
}

// Decodes the character that ends at text[end]; sets `length` to its byte count (0 when `end`
// is 0). A byte that does not end a valid sequence is read alone.
char32_t DecodeBefore(const char* text, std::size_t end, std::size_t& length);

// Appends the UTF-8 form of cp; surrogates and values beyond U+10FFFF are written as U+FFFD.
void Append(std::string& out, char32_t cp);
std::string Encode(char32_t cp);

// Number of leading bytes of text that are ASCII, checked sixteen at a time.
inline std::size_t AsciiPrefix(const char* text, std::size_t size) {
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= size; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(v));
    if (mask != 0) return i + static_cast<std::size_t>(std::countr_zero(mask));
  }
#endif
  while (i < size && static_cast<unsigned char>(text[i]) < 0x80) ++i;
  return i;
}

// Length of the longest prefix of `text` that is valid UTF-8 (strict: no overlong forms, no
// surrogates, nothing above U+10FFFF).
std::size_t ValidPrefix(const char* text, std::size_t size);
inline bool IsValid(std::string_view text) {
  return ValidPrefix(text.data(), text.size()) == text.size();
}

// Number of characters in valid UTF-8 text (the bytes that are not continuation bytes).
std::size_t CountChars(const char* text, std::size_t size);
inline std::size_t CountChars(std::string_view text) {
  return CountChars(text.data(), text.size());
}

// Byte index after skipping `chars` characters of valid UTF-8 text, clamped to `size`.
// `skipped` (optional) receives the number of characters actually skipped.
std::size_t AdvanceChars(const char* text, std::size_t size, std::size_t chars,
                         std::size_t* skipped = nullptr);

// Number of characters in text that may be damaged, each byte outside a valid sequence counting
// as one character (as NextChar reads the text).
std::size_t CountCharsTolerant(std::string_view text);

// Byte offset after the first `chars` characters of text that may be damaged, read as NextChar
// reads it; text.size() when the text is shorter.
std::size_t AdvanceCharsTolerant(std::string_view text, std::size_t chars);

// Whether text is already as the editor keeps it: valid UTF-8 without CR.
bool IsNormalized(std::string_view text);

// Normalises text for the editor: CR LF and lone CR become LF, and every byte that is not part of
// a valid UTF-8 sequence is taken as the Latin-1 character of that value. Appends to `out`.
// Returns true when `out` received only ASCII bytes.
bool NormalizeAppend(std::string_view text, std::string& out);

// Unicode letter and digit classification and simple case mapping (one character to one
// character; characters without a case are returned unchanged).
bool IsAlnum(char32_t cp);
bool IsSpace(char32_t cp);
char32_t ToLower(char32_t cp);
char32_t ToUpper(char32_t cp);

// Appends text with every character passed through `map`; bytes that are not valid UTF-8 are
// kept as they are.
void AppendCaseMapped(std::string_view text, char32_t (*map)(char32_t), std::string& out);
std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);

// Letters, digits and "_": the characters of a word for the editor.
inline bool IsWordChar(char32_t cp) {
  if (cp < 0x80) {
    return (cp >= '0' && cp <= '9') || (cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z') ||
           cp == '_';
  }
  return IsAlnum(cp);
}

}  // namespace tervil::utf8
